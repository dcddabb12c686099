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
// The dispatcher creates the object on WM_CREATE. After its WindowProc has
// seen WM_DESTROY the window gives up its reference: the object is also the
// window's drop target, which a drag in progress still holds (a window may
// close during a drag over it), so it lives until the last reference goes,
// with no window to send to. A window whose WM_CREATE returned -1 is never
// Created(): its destroy handling must not record it as a live window.
#pragma once

#include <windows.h>

#include <new>

#include "frame/DropTarget.h"

namespace memo {

constexpr char kThisProperty[] = "this";

class WindowObject {
 public:
  virtual LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  // True once WM_CREATE has returned without refusing the window.
  bool Created() const { return created_; }

  // Called at WM_NCCREATE, before the object exists and before the system
  // first measures the window's frame; a class may hide it with its own.
  static void OnNcCreate(HWND, const CREATESTRUCTA&) {}

 protected:
  WindowObject() = default;
  ~WindowObject() = default;  // released through DropTarget

 private:
  template <typename T>
  friend LRESULT CALLBACK Dispatch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  bool created_ = false;
};

// What a window procedure returns when a handler threw: no exception may
// cross into the system, and a failed creation must not leave a window.
LRESULT SafeResultAfterException(UINT message);

template <typename T>
LRESULT CALLBACK Dispatch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // The property is the binding; the last window served by this class is
  // remembered beside it, because a property lookup is a round trip to the
  // window system and a note handles hundreds of messages as it opens.
  // A window being made is remembered with no object from WM_NCCREATE on:
  // it has none until WM_CREATE, and the messages between need no lookup.
  static HWND lastWindow = nullptr;
  static T* lastObject = nullptr;
  if (message == WM_NCCREATE) {
    lastWindow = hwnd;
    lastObject = nullptr;
  }
  T* object = hwnd == lastWindow ? lastObject : static_cast<T*>(::GetPropA(hwnd, kThisProperty));
  if (object) {
    lastWindow = hwnd;
    lastObject = object;
  } else {
    // Messages before WM_CREATE (WM_NCCREATE, WM_GETMINMAXINFO, ...) and all
    // messages of a window whose object could not be made.
    if (message == WM_NCCREATE && lParam) T::OnNcCreate(hwnd, *reinterpret_cast<const CREATESTRUCTA*>(lParam));
    if (message != WM_CREATE) {
      if (message == WM_NCDESTROY && lastWindow == hwnd) lastWindow = nullptr;
      return ::DefWindowProcA(hwnd, message, wParam, lParam);
    }
    try {
      object = new (std::nothrow) T();
    } catch (...) {
      object = nullptr;
    }
    ::SetPropA(hwnd, kThisProperty, object);
    if (!object) return ::DefWindowProcA(hwnd, message, wParam, lParam);
    // The messages the window is sent while it handles WM_CREATE find it.
    lastWindow = hwnd;
    lastObject = object;
  }
  // Windows follows a refused WM_CREATE with WM_DESTROY; Wine sends only
  // WM_NCDESTROY. A window that reaches WM_NCDESTROY with its object still
  // bound never had WM_DESTROY: the object gets its destroy handling there,
  // so that it runs, and the object is released, exactly once on both.
  const bool destroying = message == WM_DESTROY || message == WM_NCDESTROY;
  LRESULT result;
  try {
    result = object->WindowProc(hwnd, destroying ? WM_DESTROY : message, wParam, lParam);
  } catch (...) {
    result = SafeResultAfterException(message);
  }
  if (message == WM_CREATE && result != -1) static_cast<WindowObject*>(object)->created_ = true;
  if (destroying) {
    // The remembered pair must not outlive the window: a later window may
    // be given the same handle.
    if (lastWindow == hwnd) {
      lastWindow = nullptr;
      lastObject = nullptr;
    }
    ::RemovePropA(hwnd, kThisProperty);
    DropTarget* target = static_cast<DropTarget*>(object);
    target->RevokeDropTarget();  // OLE lets go; later calls send nothing
    target->Release();
    if (message == WM_NCDESTROY) return ::DefWindowProcA(hwnd, message, wParam, lParam);
  }
  return result;
}

// Registers one window class before the entry point runs; keeps a heap copy
// of the name for the life of the program. Classes are never unregistered.
class ClassRegistrar {
 public:
  // cursorId 0 gives the arrow; otherwise a cursor resource of the program,
  // or else the system cursor with that id (IDC_APPSTARTING and the like).
  ClassRegistrar(const char* className, UINT classStyle, int iconId, WNDPROC windowProc, int cursorId = 0);
  ~ClassRegistrar();
  ClassRegistrar(const ClassRegistrar&) = delete;
  ClassRegistrar& operator=(const ClassRegistrar&) = delete;

  ATOM atom() const { return atom_; }

 private:
  char* name_ = nullptr;
  ATOM atom_ = 0;
};

}  // namespace memo
