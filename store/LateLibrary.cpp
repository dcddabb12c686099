// Libraries loaded at their first use.
#include "store/LateLibrary.h"

#include <winver.h>

#include <string>

namespace memo {
namespace {

// Each library has one loader for the life of the program. Function-local,
// so that it is made on first use and only once.
const LateLibrary& Comdlg32() {
  static const LateLibrary library("comdlg32.dll");
  return library;
}

const LateLibrary& Version() {
  static const LateLibrary library("version.dll");
  return library;
}

}  // namespace

HMODULE LoadSystemLibrary(const char* fileName) {
  char folder[MAX_PATH] = {};
  UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH || !fileName) return nullptr;
  std::string path = std::string(folder, length) + "\\" + fileName;
  return ::LoadLibraryA(path.c_str());
}

LateLibrary::LateLibrary(const char* fileName, Source source) {
  if (source == kSideBySide && fileName) {
    module_.reset(::LoadLibraryExA(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    // Windows 7 without its loader update refuses the flag; the system
    // folder's copy is then the safe one, without the manifest's version.
    if (module_) return;
  }
  module_.reset(LoadSystemLibrary(fileName));
}

FARPROC LateLibrary::FindAddress(const char* exportName) const {
  return module_ ? ::GetProcAddress(module_.get(), exportName) : nullptr;
}

namespace late {

BOOL GetOpenFileNameA(OPENFILENAMEA* dialog) {
  static const auto function = Comdlg32().Find<decltype(&::GetOpenFileNameA)>("GetOpenFileNameA");
  return function ? function(dialog) : FALSE;
}

BOOL GetSaveFileNameA(OPENFILENAMEA* dialog) {
  static const auto function = Comdlg32().Find<decltype(&::GetSaveFileNameA)>("GetSaveFileNameA");
  return function ? function(dialog) : FALSE;
}

BOOL ChooseColorA(CHOOSECOLORA* dialog) {
  static const auto function = Comdlg32().Find<decltype(&::ChooseColorA)>("ChooseColorA");
  return function ? function(dialog) : FALSE;
}

DWORD GetFileVersionInfoSizeA(const char* path, DWORD* handle) {
  static const auto function = Version().Find<decltype(&::GetFileVersionInfoSizeA)>("GetFileVersionInfoSizeA");
  return function ? function(path, handle) : 0;
}

BOOL GetFileVersionInfoA(const char* path, DWORD handle, DWORD size, void* data) {
  static const auto function = Version().Find<decltype(&::GetFileVersionInfoA)>("GetFileVersionInfoA");
  return function ? function(path, handle, size, data) : FALSE;
}

BOOL VerQueryValueA(const void* block, const char* subBlock, void** value, UINT* length) {
  static const auto function = Version().Find<decltype(&::VerQueryValueA)>("VerQueryValueA");
  return function ? function(block, subBlock, value, length) : FALSE;
}

}  // namespace late
}  // namespace memo
