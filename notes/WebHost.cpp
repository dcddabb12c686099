// The browser control host: creation, navigation, history and destruction.
#include "notes/WebHost.h"

#include <ocidl.h>

#include "frame/Messages.h"
#include "notes/AtlHost.h"
#include "store/WinText.h"

namespace memo {
namespace {

const ClassRegistrar kRegistrar(kClassWebHost, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, 0, &Dispatch<WebHost>);

// A BSTR owned for one call.
class Bstr {
 public:
  explicit Bstr(const std::wstring& text) : value_(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  ~Bstr() { ::SysFreeString(value_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR get() const { return value_; }

 private:
  BSTR value_;
};

std::wstring Widen(const char* text) {
  int n = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (n <= 0) return {};
  std::wstring wide(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], n);
  wide.resize(static_cast<size_t>(n - 1));
  return wide;
}

}  // namespace

STDMETHODIMP WebHost::Sink::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID_DWebBrowserEvents ||
      riid == DIID_DWebBrowserEvents2) {
    *object = static_cast<IDispatch*>(this);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP WebHost::Sink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                   UINT*) {
  // No exception may cross into the control.
  try {
    return host_->OnEvent(id, params);
  } catch (...) {
    return S_OK;
  }
}

LRESULT WebHost::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate(hwnd);
    case WM_SIZE:
      if (container_) {
        ::SetWindowPos(container_, nullptr, 0, 0, LOWORD(lParam), HIWORD(lParam),
                       SWP_NOACTIVATE | SWP_NOZORDER);
      }
      return 0;
    case kMsgNavigate:
      return OnNavigate(reinterpret_cast<const char*>(lParam));
    case WM_APPCOMMAND:
      OnAppCommand(GET_APPCOMMAND_LPARAM(lParam));
      break;  // the parent gets the command too
    case WM_CLOSE: {
      HWND popup = ::GetLastActivePopup(hwnd);
      if (popup && popup != hwnd) ::SendMessageA(popup, WM_CLOSE, 0, 0);
      break;
    }
    case WM_DESTROY:
      OnDestroy();
      return 0;
  }
  return WindowObject::WindowProc(hwnd, message, wParam, lParam);
}

LRESULT WebHost::OnCreate(HWND hwnd) {
  hwnd_ = hwnd;
  RECT client{};
  ::GetClientRect(hwnd, &client);
  container_ = ::CreateWindowExA(0, kAtlHostClass, kWebControlProgId, WS_CHILD | WS_VISIBLE, 0, 0, client.right,
                                 client.bottom, hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdWebContainer)),
                                 ::GetModuleHandleA(nullptr), nullptr);
  if (!container_) return -1;
  ComPtr<IUnknown> control;
  ComPtr<IWebBrowser> browser;
  if (FAILED(AtlGetHostedControl(container_, control.put())) || !control ||
      FAILED(control->QueryInterface(IID_IWebBrowser, browser.put_void())) || !browser) {
    ShowError(::GetParent(hwnd), "GetControl failed");
    Disconnect();
    return -1;
  }
  // The second sink only once the first is connected.
  if (!Advise(control.get(), sink1_, &cookie1_) || !Advise(control.get(), sink2_, &cookie2_)) {
    ShowError(::GetParent(hwnd), "AtlAdvice failed");
    Disconnect();
    return -1;
  }
  return 0;
}

bool WebHost::Advise(IUnknown* control, Sink& sink, DWORD* cookie) {
  ComPtr<IConnectionPointContainer> points;
  ComPtr<IConnectionPoint> point;
  if (FAILED(control->QueryInterface(IID_IConnectionPointContainer, points.put_void())) || !points ||
      FAILED(points->FindConnectionPoint(sink.events(), point.put())) || !point) {
    return false;
  }
  DWORD made = 0;
  if (FAILED(point->Advise(static_cast<IDispatch*>(&sink), &made))) return false;
  *cookie = made;
  return true;
}

void WebHost::Unadvise(IUnknown* control, const Sink& sink, DWORD* cookie) {
  if (!*cookie) return;
  ComPtr<IConnectionPointContainer> points;
  ComPtr<IConnectionPoint> point;
  if (SUCCEEDED(control->QueryInterface(IID_IConnectionPointContainer, points.put_void())) && points &&
      SUCCEEDED(points->FindConnectionPoint(sink.events(), point.put())) && point) {
    point->Unadvise(*cookie);
  }
  *cookie = 0;
}

// Both on a failed creation and on destruction: the sinks live in this
// object, so the control must let go of them before it goes.
void WebHost::Disconnect() {
  if (!container_) return;
  if (::IsWindow(container_)) {
    ComPtr<IUnknown> control;
    if (SUCCEEDED(AtlGetHostedControl(container_, control.put())) && control) {
      Unadvise(control.get(), sink1_, &cookie1_);
      Unadvise(control.get(), sink2_, &cookie2_);
    }
    ::DestroyWindow(container_);
  }
  container_ = nullptr;
}

void WebHost::OnDestroy() { Disconnect(); }

ComPtr<IWebBrowser> WebHost::Browser() const {
  ComPtr<IWebBrowser> browser;
  if (!container_) return browser;
  ComPtr<IUnknown> control;
  if (FAILED(AtlGetHostedControl(container_, control.put())) || !control) return browser;
  if (FAILED(control->QueryInterface(IID_IWebBrowser, browser.put_void()))) browser.reset();
  return browser;
}

LRESULT WebHost::OnNavigate(const char* url) {
  ComPtr<IWebBrowser> browser = Browser();
  if (!browser) return 1;
  std::string text = url ? url : "";
  if (text == "about:home") return browser->GoHome();
  Bstr wide(Widen(text.c_str()));
  VARIANT empty;
  ::VariantInit(&empty);
  Bstr topName(L"_top");
  VARIANT target;
  ::VariantInit(&target);
  target.vt = VT_BSTR;
  target.bstrVal = topName.get();
  return browser->Navigate(wide.get(), &empty, &target, &empty, &empty);
}

void WebHost::OnAppCommand(int command) {
  if (command != APPCOMMAND_BROWSER_BACKWARD && command != APPCOMMAND_BROWSER_FORWARD) return;
  ComPtr<IWebBrowser> browser = Browser();
  if (!browser) return;
  if (command == APPCOMMAND_BROWSER_BACKWARD) {
    browser->GoBack();
  } else {
    browser->GoForward();
  }
}

}  // namespace memo
