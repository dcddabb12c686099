// Placeholder until the store lands.
#include "store/Settings.h"
namespace memo {
int IniReadInt(const std::string& file, const char* section, const char* key, int def) { return GetPrivateProfileIntA(section, key, def, file.c_str()); }
}
