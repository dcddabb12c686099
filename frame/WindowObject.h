// Window objects: every window of the program is served by one object bound
// to it as the window property "this".
//
// How to use: derive from WindowObject and (virtually) DropTarget, override
// WindowProc, finish the messages you own and pass the rest to the base
// class's WindowProc. Register the class once with a static ClassRegistrar:
//
//   static const ClassRegistrar kRegistrar(kClassText, CS_DBLCLKS, IDI_APP,
//                                          &Dispatch<ItemText>);
//
// The dispatcher creates the object on WM_CREATE and deletes it after its
// WindowProc has seen WM_DESTROY.
#pragma once

#include <windows.h>

#include <new>

#include "frame/DropTarget.h"

namespace memo {

constexpr char kThisProperty[] = "this";

class WindowObject {
 public:
  virtual LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

 protected:
  WindowObject() = default;
  ~WindowObject() = default;  // deleted through DropTarget's virtual destructor
};

// What a window procedure returns when a handler threw: no exception may
// cross into the system, and a failed creation must not leave a window.
LRESULT SafeResultAfterException(UINT message);

template <typename T>
LRESULT CALLBACK Dispatch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // The property is the binding; the last window served by this class is
  // remembered beside it, because a property lookup is a round trip to the
  // window system and a note handles hundreds of messages as it opens.
  static HWND lastWindow = nullptr;
  static T* lastObject = nullptr;
  T* object = hwnd == lastWindow ? lastObject : static_cast<T*>(::GetPropA(hwnd, kThisProperty));
  if (object) {
    lastWindow = hwnd;
    lastObject = object;
  } else {
    // Messages before WM_CREATE (WM_NCCREATE, WM_GETMINMAXINFO, ...) and all
    // messages of a window whose object could not be made.
    if (message != WM_CREATE) return ::DefWindowProcA(hwnd, message, wParam, lParam);
    try {
      object = new (std::nothrow) T();
    } catch (...) {
      object = nullptr;
    }
    ::SetPropA(hwnd, kThisProperty, object);
    if (!object) return ::DefWindowProcA(hwnd, message, wParam, lParam);
  }
  LRESULT result;
  try {
    result = object->WindowProc(hwnd, message, wParam, lParam);
  } catch (...) {
    result = SafeResultAfterException(message);
  }
  if (message == WM_DESTROY) {
    if (lastWindow == hwnd) lastWindow = nullptr;
    ::RemovePropA(hwnd, kThisProperty);
    delete static_cast<DropTarget*>(object);
  }
  return result;
}

// Registers one window class before the entry point runs; keeps a heap copy
// of the name for the life of the program. Classes are never unregistered.
class ClassRegistrar {
 public:
  ClassRegistrar(const char* className, UINT classStyle, int iconId, WNDPROC windowProc);
  ~ClassRegistrar();
  ClassRegistrar(const ClassRegistrar&) = delete;
  ClassRegistrar& operator=(const ClassRegistrar&) = delete;

  ATOM atom() const { return atom_; }

 private:
  char* name_ = nullptr;
  ATOM atom_ = 0;
};

}  // namespace memo
