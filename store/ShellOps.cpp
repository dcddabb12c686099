// The shell's file operation with undo (Recycle Bin) allowed.
#include "store/ShellOps.h"

#include <shellapi.h>

#include <vector>

namespace memo {
namespace {

// The operation takes lists of paths, each ended by NUL, the list by a
// second NUL.
std::vector<char> DoubleNul(const std::string& path) {
  std::vector<char> list(path.begin(), path.end());
  list.push_back('\0');
  list.push_back('\0');
  return list;
}

bool Run(HWND owner, UINT func, const std::string& from, const std::string& to) {
  if (from.empty() || (func != FO_DELETE && to.empty())) return false;
  std::vector<char> fromList = DoubleNul(from);
  std::vector<char> toList = DoubleNul(to);
  SHFILEOPSTRUCTA op{};
  op.hwnd = owner;
  op.wFunc = func;
  op.pFrom = fromList.data();
  op.pTo = func == FO_DELETE ? nullptr : toList.data();
  op.fFlags = FOF_ALLOWUNDO;
  return ::SHFileOperationA(&op) == 0 && !op.fAnyOperationsAborted;
}

}  // namespace

bool ShellRename(HWND owner, const std::string& from, const std::string& to) {
  return Run(owner, FO_RENAME, from, to);
}
bool ShellMove(HWND owner, const std::string& from, const std::string& to) {
  return Run(owner, FO_MOVE, from, to);
}
bool ShellCopy(HWND owner, const std::string& from, const std::string& to) {
  return Run(owner, FO_COPY, from, to);
}
bool ShellDelete(HWND owner, const std::string& path) { return Run(owner, FO_DELETE, path, {}); }

}  // namespace memo
