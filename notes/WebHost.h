// The browser control host (window class WC_WWW): a child window that embeds
// the system's web browser control through ATL's hosting window, navigates
// it on request, shows the URL of each completed navigation as its own
// window text, sends pages that ask for a new window to the default browser
// and maps the mouse's back and forward buttons to the browser's history.
//
// How to use: create a WC_WWW child; send it kMsgNavigate with the URL text
// as lParam ("about:home" goes to the browser's home page). It knows
// nothing of notes or files.
#pragma once

#include <windows.h>
#include <exdisp.h>
#include <oaidl.h>

#include <string>

#include "frame/WindowObject.h"
#include "store/Handles.h"

namespace memo {

constexpr char kClassWebHost[] = "WC_WWW";
constexpr char kWebControlProgId[] = "Shell.Explorer";
constexpr int kIdWebContainer = 101;

// Event identifiers that the host handles, on either event interface.
constexpr DISPID kEventNavigateComplete = 101;
constexpr DISPID kEventNewWindow = 107;
constexpr DISPID kEventFrameNewWindow = 204;

// What a web page may hand to the shell to open in the default browser: a
// web address, not a program, a file or another protocol's handler.
bool IsWebAddress(const std::string& url);

// The URL of a NavigateComplete or NewWindow event (its first argument,
// converted to text when it is of another type), in the system code page;
// "" when there is none.
std::string EventUrl(const DISPPARAMS& params);

// Sets the Processed argument (the last, a VARIANT_BOOL by reference) of a
// NewWindow event; false when the event carries none.
bool SetEventProcessed(DISPPARAMS& params);

class WebHost : public WindowObject, public virtual DropTarget {
 public:
  LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // An event sink on one of the control's event interfaces. It lives inside
  // the host object and is disconnected before the object goes, so it
  // counts no references.
  class Sink : public IDispatch {
   public:
    Sink(WebHost* host, REFIID events) : host_(host), events_(events) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return 1; }
    STDMETHODIMP_(ULONG) Release() override { return 0; }
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                        UINT*) override;

    const IID& events() const { return events_; }

   private:
    WebHost* host_;
    const IID& events_;
  };

  // The handler that both event sinks share (WebHostEvents.cpp).
  HRESULT OnEvent(DISPID id, DISPPARAMS* params);
  LRESULT OnCreate(HWND hwnd);
  void OnDestroy();
  LRESULT OnNavigate(const char* url);
  void OnAppCommand(int command);
  ComPtr<IWebBrowser> Browser() const;
  bool Advise(IUnknown* control, Sink& sink, DWORD* cookie);
  void Unadvise(IUnknown* control, const Sink& sink, DWORD* cookie);
  void Disconnect();

  Sink sink1_{this, DIID_DWebBrowserEvents};
  Sink sink2_{this, DIID_DWebBrowserEvents2};
  DWORD cookie1_ = 0;
  DWORD cookie2_ = 0;
  HWND hwnd_ = nullptr;
  HWND container_ = nullptr;
};

}  // namespace memo
