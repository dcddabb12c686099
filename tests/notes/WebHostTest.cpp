// The browser control host in the test process: the user agent it sends,
// the control it embeds, and what it does with the control's events (fed
// through the sinks that the control itself calls).
#include <windows.h>
#include <exdisp.h>
#include <ocidl.h>
#include <urlmon.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Startup.h"
#include "frame/Messages.h"
#include "notes/AtlHost.h"
#include "notes/UserAgent.h"
#include "notes/WebHost.h"
#include "store/Handles.h"
#include "tests/support/AppDriver.h"
#include "tests/support/InProcessStore.h"
#include "tests/support/TestFiles.h"

namespace memo::test {
namespace {

TEST(UserAgentTest, TheProductTokenJoinsTheAgent) {
  struct Case {
    const char* agent;
    const char* extended;
  };
  const Case cases[] = {
      {"Mozilla/4.0 (compatible; X)", "Mozilla/4.0 (compatible; X; Quendra Memopane)"},
      // The last comment takes it, and what follows that comment stays.
      {"Mozilla/5.0 (A) Web/1 (KHTML) Safari/2", "Mozilla/5.0 (A) Web/1 (KHTML; Quendra Memopane) Safari/2"},
      {"Agent/1.0", "Agent/1.0 Quendra Memopane"},
      {"", "Quendra Memopane"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(UserAgentWithProduct(c.agent), c.extended) << c.agent;
  }
}

TEST(UserAgentTest, TheSessionAgentCarriesTheTokenOnce) {
  // Set as the program (here the test program) started.
  char agent[4096] = {};
  DWORD length = 0;
  // The library answers E_OUTOFMEMORY also when it filled the buffer.
  HRESULT hr = ::UrlMkGetSessionOption(URLMON_OPTION_USERAGENT, agent, sizeof(agent) - 1, &length, 0);
  ASSERT_TRUE(SUCCEEDED(hr) || hr == E_OUTOFMEMORY) << hr;
  ASSERT_GT(length, 0u);
  ASSERT_LT(length, sizeof(agent));
  std::string text(agent);
  size_t at = text.find("Quendra Memopane");
  ASSERT_NE(at, std::string::npos) << text;
  EXPECT_EQ(text.find("Quendra Memopane", at + 1), std::string::npos) << text;
}

// The host's pure rules over event arguments.
TEST(WebHostEventsTest, EventArgumentsAreReadWithCare) {
  EXPECT_TRUE(IsWebAddress("http://example.com/"));
  EXPECT_TRUE(IsWebAddress("HTTPS://example.com/a?b"));
  for (const char* refused : {"C:\\Windows\\notepad.exe", "file:///C:/x.bat", "javascript:alert(1)",
                              "mailto:a@b", " http://example.com", "http://a\" b", "", "http:"}) {
    EXPECT_FALSE(IsWebAddress(refused)) << refused;
  }

  // A number where the URL should be is read as its text; a Processed
  // argument that is not a VARIANT_BOOL by reference is left alone.
  VARIANT args[2];
  ::VariantInit(&args[0]);
  ::VariantInit(&args[1]);
  args[1].vt = VT_I4;
  args[1].lVal = 42;
  args[0].vt = VT_BOOL;
  args[0].boolVal = VARIANT_FALSE;
  DISPPARAMS params{args, nullptr, 2, 0};
  EXPECT_EQ(EventUrl(params), "42");
  EXPECT_FALSE(SetEventProcessed(params));
  EXPECT_EQ(args[0].boolVal, VARIANT_FALSE);
}

class WebHostTest : public InProcessStoreTest {
 protected:
  void SetUp() override {
    InProcessStoreTest::SetUp();
    ASSERT_TRUE(InitAtlHost());
    parent_ = Track(::CreateWindowExA(0, "STATIC", "parent", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr,
                                      ::GetModuleHandleA(nullptr), nullptr));
    ASSERT_TRUE(parent_);
  }

  HWND NewHost() {
    return ::CreateWindowExA(0, kClassWebHost, nullptr, WS_CHILD, 0, 0, 200, 100, parent_,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdBody)), ::GetModuleHandleA(nullptr),
                             nullptr);
  }

  static ComPtr<IUnknown> Control(HWND host) {
    ComPtr<IUnknown> control;
    AtlGetHostedControl(::GetDlgItem(host, kIdWebContainer), control.put());
    return control;
  }

  // The sinks connected to one of the control's event interfaces.
  static std::vector<ComPtr<IDispatch>> Sinks(IUnknown* control, REFIID events) {
    std::vector<ComPtr<IDispatch>> sinks;
    ComPtr<IConnectionPointContainer> points;
    ComPtr<IConnectionPoint> point;
    ComPtr<IEnumConnections> list;
    if (FAILED(control->QueryInterface(IID_IConnectionPointContainer, points.put_void())) ||
        FAILED(points->FindConnectionPoint(events, point.put())) || FAILED(point->EnumConnections(list.put()))) {
      return sinks;
    }
    CONNECTDATA data{};
    while (list->Next(1, &data, nullptr) == S_OK) {
      ComPtr<IDispatch> sink;
      if (data.pUnk && SUCCEEDED(data.pUnk->QueryInterface(IID_IDispatch, sink.put_void()))) {
        sinks.push_back(sink);
      }
      if (data.pUnk) data.pUnk->Release();
    }
    return sinks;
  }

  static HRESULT Fire(IDispatch* sink, DISPID id, std::vector<VARIANT>& reversedArgs) {
    DISPPARAMS params{reversedArgs.data(), nullptr, static_cast<UINT>(reversedArgs.size()), 0};
    return sink->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
  }

  HWND parent_ = nullptr;
};

TEST_F(WebHostTest, EmbedsTheBrowserControlAndConnectsBothEventInterfaces) {
  HWND host = NewHost();
  ASSERT_TRUE(host);
  HWND container = ::GetDlgItem(host, kIdWebContainer);
  ASSERT_TRUE(container);
  EXPECT_EQ(ClassOf(container), "AtlAxWin");
  EXPECT_EQ(WindowText(container), "Shell.Explorer");
  EXPECT_TRUE(::GetWindowLongA(container, GWL_STYLE) & WS_VISIBLE);

  ::MoveWindow(host, 0, 0, 250, 120, FALSE);
  RECT r{};
  ::GetWindowRect(container, &r);
  EXPECT_EQ(r.right - r.left, 250);
  EXPECT_EQ(r.bottom - r.top, 120);

  ComPtr<IUnknown> control = Control(host);
  ASSERT_TRUE(control);
  ASSERT_EQ(Sinks(control.get(), DIID_DWebBrowserEvents).size(), 1u);
  ASSERT_EQ(Sinks(control.get(), DIID_DWebBrowserEvents2).size(), 1u);

  // Destroyed, the host lets go of the control: a control that outlives it
  // must never call into a host that is gone.
  ::DestroyWindow(host);
  EXPECT_TRUE(Sinks(control.get(), DIID_DWebBrowserEvents).empty());
  EXPECT_TRUE(Sinks(control.get(), DIID_DWebBrowserEvents2).empty());
}

TEST_F(WebHostTest, ACompletedNavigationBecomesTheWindowText) {
  HWND host = NewHost();
  ASSERT_TRUE(host);
  ComPtr<IUnknown> control = Control(host);
  ASSERT_TRUE(control);
  auto sinks = Sinks(control.get(), DIID_DWebBrowserEvents);
  ASSERT_EQ(sinks.size(), 1u);

  std::vector<VARIANT> args(1);
  args[0].vt = VT_BSTR;
  args[0].bstrVal = ::SysAllocString(L"http://example.com/\x65E5\x672C");  // 日本
  EXPECT_EQ(Fire(sinks[0].get(), kEventNavigateComplete, args), S_OK);
  EXPECT_EQ(WindowText(host), "http://example.com/\x93\xFA\x96\x7B");
  ::VariantClear(&args[0]);

  // Other events are answered and change nothing.
  std::vector<VARIANT> none;
  EXPECT_EQ(Fire(sinks[0].get(), 999, none), S_OK);
  EXPECT_EQ(Fire(sinks[0].get(), kEventNavigateComplete, none), S_OK);
  EXPECT_EQ(WindowText(host), "");
  ::DestroyWindow(host);
}

TEST_F(WebHostTest, ANewWindowNeverOpensInTheControlAndOnlyAWebAddressLeavesIt) {
  // What a page names as its new window's address, if the shell were to
  // "open" it, would run: a batch file that leaves a mark.
  TempFolder folder("memo-web");
  std::string mark = folder / "ran.txt";
  std::string script = folder / "run.bat";
  ASSERT_TRUE(WriteBytes(script, "@echo x > \"" + mark + "\"\r\n"));

  HWND host = NewHost();
  ASSERT_TRUE(host);
  ComPtr<IUnknown> control = Control(host);
  ASSERT_TRUE(control);
  for (REFIID events : {DIID_DWebBrowserEvents, DIID_DWebBrowserEvents2}) {
    auto sinks = Sinks(control.get(), events);
    ASSERT_EQ(sinks.size(), 1u);
    for (DISPID id : {kEventNewWindow, kEventFrameNewWindow}) {
      std::wstring wide(script.begin(), script.end());
      VARIANT_BOOL processed = VARIANT_FALSE;
      // URL, Flags, TargetFrameName, PostData, Headers, Processed: last first.
      std::vector<VARIANT> args(6);
      for (VARIANT& v : args) ::VariantInit(&v);
      args[5].vt = VT_BSTR;
      args[5].bstrVal = ::SysAllocString(wide.c_str());
      args[0].vt = VT_BYREF | VT_BOOL;
      args[0].pboolVal = &processed;
      EXPECT_EQ(Fire(sinks[0].get(), id, args), S_OK);
      EXPECT_EQ(processed, VARIANT_TRUE) << id;
      ::VariantClear(&args[5]);
    }
  }
  PumpFor(1500);
  EXPECT_FALSE(FileExists(mark));
  ::DestroyWindow(host);
}

// A control that takes every key it is offered as its own accelerator and
// keeps a list of them; for the rest only what ATL's host asks of it.
class KeyTakingControl : public IOleObject, public IOleInPlaceActiveObject {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IUnknown || riid == IID_IOleObject) {
      *object = static_cast<IOleObject*>(this);
    } else if (riid == IID_IOleInPlaceActiveObject || riid == IID_IOleWindow) {
      *object = static_cast<IOleInPlaceActiveObject*>(this);
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 1; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP TranslateAccelerator(MSG* msg) override {
    taken.push_back(msg->message);
    return S_OK;
  }
  STDMETHODIMP GetMiscStatus(DWORD, DWORD* status) override {
    *status = 0;
    return S_OK;
  }
  STDMETHODIMP SetClientSite(IOleClientSite*) override { return S_OK; }
  STDMETHODIMP GetClientSite(IOleClientSite**) override { return E_NOTIMPL; }
  STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP Close(DWORD) override { return S_OK; }
  STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
  STDMETHODIMP DoVerb(LONG, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) override { return S_OK; }
  STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
  STDMETHODIMP Update() override { return S_OK; }
  STDMETHODIMP IsUpToDate() override { return S_OK; }
  STDMETHODIMP GetUserClassID(CLSID*) override { return E_NOTIMPL; }
  STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
  STDMETHODIMP SetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
  STDMETHODIMP GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
  STDMETHODIMP Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP Unadvise(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
  STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }
  STDMETHODIMP GetWindow(HWND*) override { return E_NOTIMPL; }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
  STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }

  std::vector<UINT> taken;
};

// The message loop offers the hosted control every key message, as its
// accelerators expect: Alt combinations come as WM_SYSKEYDOWN, and a key's
// release and character belong to the control once it took the key.
TEST_F(WebHostTest, TheMessageLoopOffersTheControlEveryKeyMessage) {
  using AttachFn = HRESULT(WINAPI*)(IUnknown*, HWND, IUnknown**);
  auto attach = reinterpret_cast<AttachFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("atl.dll"), "AtlAxAttachControl")));
  ASSERT_TRUE(attach);
  HWND container = Track(::CreateWindowExA(0, kAtlHostClass, nullptr, WS_CHILD, 0, 0, 100, 50, parent_, nullptr,
                                           ::GetModuleHandleA(nullptr), nullptr));
  ASSERT_TRUE(container);
  KeyTakingControl control;
  // Wine's ATL hosts nothing unless it is given somewhere to put the site.
  ComPtr<IUnknown> site;
  ASSERT_HRESULT_SUCCEEDED(attach(static_cast<IOleObject*>(&control), container, site.put()));
  const UINT keys[] = {WM_KEYDOWN, WM_KEYUP, WM_CHAR, WM_SYSKEYDOWN, WM_SYSKEYUP, WM_SYSCHAR};
  for (UINT key : keys) {
    MSG msg{container, key, VK_F5, 0, 0, {0, 0}};
    RouteMessage(msg, 0);
  }
  // A mouse message is none of its business.
  MSG click{container, WM_LBUTTONDOWN, 0, 0, 0, {0, 0}};
  RouteMessage(click, 0);
  EXPECT_EQ(control.taken, std::vector<UINT>(std::begin(keys), std::end(keys)));
  ::DestroyWindow(container);
}

}  // namespace
}  // namespace memo::test
