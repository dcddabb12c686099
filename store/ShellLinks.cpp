// Shortcut files through the shell's link object.
#include "store/ShellLinks.h"

#include <vector>

#include "store/Handles.h"
#include "store/Paths.h"

namespace memo {
namespace {

std::wstring Wide(const std::string& text) {
  int n = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::vector<wchar_t> buffer(static_cast<size_t>(n));
  ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, buffer.data(), n);
  return std::wstring(buffer.data());
}

ComPtr<IShellLinkA> NewLink() {
  ComPtr<IShellLinkA> link;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                link.put_void()))) {
    link.reset();
  }
  return link;
}

bool SaveLink(IShellLinkA* link, const std::string& shortcutPath) {
  ComPtr<IPersistFile> file;
  if (link->QueryInterface(IID_IPersistFile, file.put_void()) != S_OK || !file) return false;
  std::wstring wide = Wide(shortcutPath);
  return !wide.empty() && file->Save(wide.c_str(), TRUE) == S_OK;
}

}  // namespace

std::string ResolveShortcut(const std::string& shortcutPath) {
  if (shortcutPath.empty()) return std::string();
  ComPtr<IShellLinkA> link = NewLink();
  if (!link) return std::string();
  ComPtr<IPersistFile> file;
  if (link->QueryInterface(IID_IPersistFile, file.put_void()) != S_OK || !file) return std::string();
  std::wstring wide = Wide(shortcutPath);
  if (wide.empty() || file->Load(wide.c_str(), 0) != S_OK) return std::string();
  char target[kMaxPathBytes] = {};
  WIN32_FIND_DATAA data{};
  if (link->GetPath(target, sizeof(target), &data, SLGP_UNCPRIORITY) != S_OK) return std::string();
  target[sizeof(target) - 1] = '\0';
  return target;
}

bool MakeShortcutToPath(const std::string& shortcutPath, const std::string& targetPath) {
  ComPtr<IShellLinkA> link = NewLink();
  return link && !shortcutPath.empty() && link->SetPath(targetPath.c_str()) == S_OK &&
         SaveLink(link.get(), shortcutPath);
}

bool MakeShortcutToIdList(const std::string& shortcutPath, PCIDLIST_ABSOLUTE target) {
  ComPtr<IShellLinkA> link = NewLink();
  return link && target && !shortcutPath.empty() && link->SetIDList(target) == S_OK &&
         SaveLink(link.get(), shortcutPath);
}

}  // namespace memo
