// The application manifest of the built memopane.exe: what it declares, the
// version it names, and that the running program draws its dialogs with the
// common controls 6 it asks for.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/Messages.h"
#include "store/Handles.h"
#include "tests/support/AppTest.h"

namespace memo::test {
namespace {

std::string ManifestOf(const std::string& exe) {
  UniqueModule image(::LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
  if (!image) return {};
  HRSRC found = ::FindResourceA(image.get(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
  HGLOBAL loaded = found ? ::LoadResource(image.get(), found) : nullptr;
  const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
  return bytes ? std::string(static_cast<const char*>(bytes), ::SizeofResource(image.get(), found)) : std::string();
}

// "a.b.c.d" of a file's fixed version information; empty without one.
std::string FileVersion(const std::string& path) {
  DWORD handle = 0;
  DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &handle);
  std::vector<char> data(size);
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (size == 0 || !::GetFileVersionInfoA(path.c_str(), 0, size, data.data()) ||
      !::VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &length) || length < sizeof(*info)) {
    return {};
  }
  return std::to_string(HIWORD(info->dwFileVersionMS)) + "." + std::to_string(LOWORD(info->dwFileVersionMS)) + "." +
         std::to_string(HIWORD(info->dwFileVersionLS)) + "." + std::to_string(LOWORD(info->dwFileVersionLS));
}

// The paths of the comctl32 libraries a process has loaded.
std::vector<std::string> CommonControlsOf(DWORD pid) {
  std::vector<std::string> found;
  UniqueHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
  HMODULE modules[512];
  DWORD bytes = 0;
  if (!process || !::EnumProcessModules(process.get(), modules, sizeof(modules), &bytes)) return found;
  for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < 512; ++i) {
    char path[MAX_PATH] = {};
    if (!::GetModuleFileNameExA(process.get(), modules[i], path, MAX_PATH)) continue;
    std::string name = path;
    std::string base = name.substr(name.find_last_of('\\') + 1);
    if (::lstrcmpiA(base.c_str(), "comctl32.dll") == 0) found.push_back(name);
  }
  return found;
}

TEST(ManifestTest, DeclaresCommonControls6AsInvokerAndTheProgramsVersion) {
  const std::string manifest = ManifestOf(MemopaneExe());
  ASSERT_FALSE(manifest.empty()) << "memopane.exe holds no manifest resource 1";
  EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
  EXPECT_NE(manifest.find("publicKeyToken=\"6595b64144ccf1df\""), std::string::npos);
  EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"asInvoker\""), std::string::npos);
  EXPECT_NE(manifest.find("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"), std::string::npos);  // Windows 10 and 11
  EXPECT_NE(manifest.find("{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"), std::string::npos);  // Windows 7
  EXPECT_EQ(manifest.find("<activeCodePage"), std::string::npos);
  EXPECT_EQ(manifest.find("<dpiAware"), std::string::npos);
  const std::string version = FileVersion(MemopaneExe());
  ASSERT_FALSE(version.empty());
  EXPECT_NE(manifest.find("name=\"Quendra.Memopane\" version=\"" + version + "\""), std::string::npos)
      << "the manifest does not name the version resource's " << version;
}

class ManifestAppTest : public AppTest {};

TEST_F(ManifestAppTest, PropertySheetIsDrawnByCommonControls6) {
  HWND bar = Start("page");
  ASSERT_TRUE(bar);
  ::PostMessageA(bar, WM_COMMAND, kCmdProperties, 0);
  HWND sheet = app_.WaitWindow("#32770");
  ASSERT_TRUE(sheet);
  std::vector<std::string> libraries = CommonControlsOf(app_.pid());
  ASSERT_EQ(libraries.size(), 1u) << "the program loaded the common controls more than once, or not at all";
  // The side-by-side folder of version 6, on Windows and in Wine alike
  // (Wine's copy there carries an older file version).
  std::string folder = libraries[0];
  ::CharLowerA(folder.data());
  EXPECT_NE(folder.find("\\winsxs\\"), std::string::npos) << libraries[0];
  EXPECT_NE(folder.find("microsoft.windows.common-controls_6595b64144ccf1df_6."), std::string::npos) << libraries[0];
  app_.Answer(ReadDialog(sheet), IDCANCEL);
  EXPECT_EQ(app_.Quit(), 0u);
}

}  // namespace
}  // namespace memo::test
