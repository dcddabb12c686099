// The ATL control host of atl.dll, imported by ordinal: 42 registers the
// "AtlAxWin" window class, 47 returns the control that such a window hosts.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace memo {

constexpr char kAtlHostClass[] = "AtlAxWin";

// Loads atl.dll and runs its class initialisation once; false when either
// fails.
bool InitAtlHost();
// The control hosted by an AtlAxWin window (AddRef'd), or E_FAIL before
// InitAtlHost succeeded.
HRESULT AtlGetHostedControl(HWND host, IUnknown** control);

}  // namespace memo
