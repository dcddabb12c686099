// System libraries that only rare commands need (the file and colour
// dialogs, the version resource reader; frame/CommonControls adds the common
// controls), loaded at their first use instead of at every start: each
// library a program imports is mapped and initialised before its entry point
// runs, and the main bar should not wait for dialogs nobody has asked for.
//
// How to use: call the functions in namespace late exactly as the system
// functions of the same name. When the library or the function cannot be
// found they fail as the system function reports a failure (FALSE or 0), so
// callers need no path of their own for it.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include "store/Handles.h"

namespace memo {

// Loads a system library by its full path in the system folder: a library
// of the same name in the program's or the current folder must not be taken
// for the system's. The caller owns the module; nullptr on failure.
HMODULE LoadSystemLibrary(const char* fileName);

// One library, loaded from the system folder on first use and kept until
// the program ends.
class LateLibrary {
 public:
  // kSideBySide is for a library the program's manifest names (the common
  // controls 6): the system takes the version the manifest asks for only
  // when the library is asked for by name, and a load by full path would
  // give the old one. Other folders are still never searched.
  enum Source { kSystemFolder, kSideBySide };
  explicit LateLibrary(const char* fileName, Source source = kSystemFolder);

  // The address of an export, or nullptr when the library or the export is
  // missing.
  template <typename Function>
  Function Find(const char* exportName) const {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(FindAddress(exportName)));
  }

 private:
  FARPROC FindAddress(const char* exportName) const;

  UniqueModule module_;
};

namespace late {

BOOL GetOpenFileNameA(OPENFILENAMEA* dialog);
BOOL GetSaveFileNameA(OPENFILENAMEA* dialog);
BOOL ChooseColorA(CHOOSECOLORA* dialog);

DWORD GetFileVersionInfoSizeA(const char* path, DWORD* handle);
BOOL GetFileVersionInfoA(const char* path, DWORD handle, DWORD size, void* data);
BOOL VerQueryValueA(const void* block, const char* subBlock, void** value, UINT* length);

}  // namespace late
}  // namespace memo
