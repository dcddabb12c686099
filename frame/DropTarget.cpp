// The IDropTarget bridge: OLE drag-and-drop calls become window messages.
#include "frame/DropTarget.h"

#include "frame/Messages.h"

namespace memo {

STDMETHODIMP DropTarget::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDropTarget) {
    *object = static_cast<IDropTarget*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) DropTarget::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }

STDMETHODIMP_(ULONG) DropTarget::Release() {
  LONG count = ::InterlockedDecrement(&refs_);
  if (count == 0) delete this;
  return static_cast<ULONG>(count);
}

STDMETHODIMP DropTarget::DragEnter(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) {
  accept_ = target_ && ::SendMessageA(target_, kMsgDropQuery, 0, reinterpret_cast<LPARAM>(data)) != 0;
  return DragOver(keyState, pt, effect);
}

STDMETHODIMP DropTarget::DragOver(DWORD, POINTL, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  *effect = DROPEFFECT_NONE;
  if (accept_ && target_) ::SendMessageA(target_, kMsgDropEffect, 0, reinterpret_cast<LPARAM>(effect));
  return S_OK;
}

STDMETHODIMP DropTarget::DragLeave() {
  if (target_) ::SendMessageA(target_, kMsgDragLeave, 0, 0);
  return S_OK;
}

STDMETHODIMP DropTarget::Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  *effect = DROPEFFECT_NONE;
  if (target_) {
    ::SendMessageA(target_, kMsgDrop, reinterpret_cast<WPARAM>(effect), reinterpret_cast<LPARAM>(data));
  }
  DragLeave();
  return S_OK;
}

DropTarget::~DropTarget() { RevokeDropTarget(); }

bool DropTarget::RegisterDropTarget(HWND hwnd) {
  target_ = hwnd;
  registered_ = SUCCEEDED(::RegisterDragDrop(hwnd, this));
  return registered_;
}

void DropTarget::RevokeDropTarget() {
  if (registered_) {
    registered_ = false;
    ::RevokeDragDrop(target_);
  }
  target_ = nullptr;
  accept_ = false;
}

}  // namespace memo
