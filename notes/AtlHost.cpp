// The ATL control host, loaded by ordinal from atl.dll.
#include "notes/AtlHost.h"

#include "store/LateLibrary.h"

namespace memo {
namespace {

using AtlAxWinInitFn = BOOL(WINAPI*)();
using AtlAxGetControlFn = HRESULT(WINAPI*)(HWND, IUnknown**);

constexpr WORD kOrdinalAxWinInit = 42;
constexpr WORD kOrdinalAxGetControl = 47;

AtlAxGetControlFn gGetControl = nullptr;
bool gInitialised = false;

template <typename Fn>
Fn ProcByOrdinal(HMODULE module, WORD ordinal) {
  return reinterpret_cast<Fn>(
      reinterpret_cast<void*>(::GetProcAddress(module, MAKEINTRESOURCEA(ordinal))));
}

}  // namespace

bool InitAtlHost() {
  // A second registration of the window class would fail.
  if (gInitialised) return true;
  // Kept loaded for the life of the process: the window class it registers
  // points into it. From the system folder only: an "atl.dll" beside the
  // program would otherwise be loaded and run in its place.
  HMODULE atl = LoadSystemLibrary("atl.dll");
  if (!atl) return false;
  auto init = ProcByOrdinal<AtlAxWinInitFn>(atl, kOrdinalAxWinInit);
  gGetControl = ProcByOrdinal<AtlAxGetControlFn>(atl, kOrdinalAxGetControl);
  gInitialised = init && init();
  return gInitialised;
}

HRESULT AtlGetHostedControl(HWND host, IUnknown** control) {
  if (!control) return E_POINTER;
  *control = nullptr;
  return gGetControl ? gGetControl(host, control) : E_FAIL;
}

}  // namespace memo
