// The IDropTarget that every window object carries. It does no work of its
// own: each call is forwarded to the window as a private message, sent
// synchronously, so that drops are handled like any other message. Once the
// window is gone (revoked), a drag that still holds the target is answered
// "no drop" and nothing is sent.
#pragma once

#include <windows.h>
#include <ole2.h>

namespace memo {

class DropTarget : public IDropTarget {
 public:
  DropTarget() = default;
  DropTarget(const DropTarget&) = delete;
  DropTarget& operator=(const DropTarget&) = delete;

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  // IDropTarget
  STDMETHODIMP DragEnter(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) override;
  STDMETHODIMP DragOver(DWORD keyState, POINTL pt, DWORD* effect) override;
  STDMETHODIMP DragLeave() override;
  STDMETHODIMP Drop(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) override;

  virtual ~DropTarget();

  // Records the window and registers with OLE; false when OLE refuses.
  bool RegisterDropTarget(HWND hwnd);
  // Revokes the registration if there is one; later calls send nothing.
  void RevokeDropTarget();
  HWND DropWindow() const { return target_; }

 private:
  bool accept_ = false;
  LONG refs_ = 1;
  HWND target_ = nullptr;
  bool registered_ = false;
};

}  // namespace memo
