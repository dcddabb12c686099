// Placeholder until the store lands.
#include "store/Store.h"
namespace memo {
std::string RootFolder() { char b[MAX_PATH]; DWORD n = GetEnvironmentVariableA(kRootEnvVar, b, MAX_PATH); return n && n < MAX_PATH ? std::string(b, n) : std::string(); }
std::string RootIniPath() { return RootFolder() + "\\root.ini"; }
}
