// Files dragged and dropped with the real mouse, as from a file manager.
#include "tests/support/DragFiles.h"

#include <shlobj.h>

#include <thread>

#include "tests/support/AppDriver.h"

namespace memo::test {
namespace {

// Drops while the left button is up, cancels on Esc.
class ButtonDropSource : public IDropSource {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IDropSource) {
      *out = this;
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
    if (escape) return DRAGDROP_S_CANCEL;
    return (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

}  // namespace

IDataObject* ShellDataObject(const std::string& folder, const std::vector<std::string>& names) {
  IShellFolder* desktop = nullptr;
  IShellFolder* parent = nullptr;
  IDataObject* data = nullptr;
  std::vector<LPITEMIDLIST> items;
  if (SUCCEEDED(::SHGetDesktopFolder(&desktop))) {
    std::wstring wide(folder.begin(), folder.end());  // an ASCII temporary path
    LPITEMIDLIST folderIdl = nullptr;
    if (SUCCEEDED(desktop->ParseDisplayName(nullptr, nullptr, &wide[0], nullptr, &folderIdl, nullptr)) &&
        SUCCEEDED(desktop->BindToObject(folderIdl, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&parent)))) {
      for (const std::string& name : names) {
        std::wstring w(name.begin(), name.end());
        LPITEMIDLIST item = nullptr;
        if (SUCCEEDED(parent->ParseDisplayName(nullptr, nullptr, &w[0], nullptr, &item, nullptr))) items.push_back(item);
      }
      parent->GetUIObjectOf(nullptr, static_cast<UINT>(items.size()), const_cast<LPCITEMIDLIST*>(items.data()),
                            IID_IDataObject, nullptr, reinterpret_cast<void**>(&data));
      parent->Release();
    }
    ::CoTaskMemFree(folderIdl);
    desktop->Release();
  }
  for (LPITEMIDLIST item : items) ::CoTaskMemFree(item);
  return data;
}

DWORD DragFilesOnto(HWND target, const std::string& folder, const std::vector<std::string>& names) {
  IDataObject* data = ShellDataObject(folder, names);
  if (!data) return 0xFFFFFFFF;
  RECT r = WindowRect(target);
  DWORD effect = DragDataTo(data, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  data->Release();
  return effect;
}

DWORD DragDataTo(IDataObject* data, POINT over, DWORD restMs) {
  // The drag starts on a window of this thread, as a file manager's does:
  // the drag follows the button state that this thread's input says.
  const POINT start{40, 640};
  HWND origin = ::CreateWindowExA(WS_EX_TOPMOST, "STATIC", nullptr, WS_POPUP | WS_VISIBLE, start.x - 30,
                                  start.y - 30, 60, 60, nullptr, nullptr, nullptr, nullptr);
  PumpFor(200);
  MouseMoveTo(start.x, start.y);
  MouseLeft(true);
  PumpFor(200);
  std::thread mover([over, start, restMs] {
    for (int step = 1; step <= 10; ++step) {
      ::Sleep(60);
      MouseMoveTo(start.x + (over.x - start.x) * step / 10, start.y + (over.y - start.y) * step / 10);
    }
    for (DWORD rested = 0; rested < restMs; rested += 100) {
      ::Sleep(100);
      MouseMoveTo(over.x + static_cast<int>(rested / 100 % 2), over.y);
    }
    ::Sleep(300);
    MouseMoveTo(over.x + 1, over.y);
    ::Sleep(300);
    MouseLeft(false);
  });
  ButtonDropSource source;
  DWORD effect = DROPEFFECT_NONE;
  ::DoDragDrop(data, &source, DROPEFFECT_COPY | DROPEFFECT_LINK | DROPEFFECT_MOVE, &effect);
  mover.join();
  ::DestroyWindow(origin);
  return effect;
}

}  // namespace memo::test
