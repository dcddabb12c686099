// The browser control's events as the host handles them: the URL of each
// completed navigation becomes the host's window text, and pages that want a
// window of their own go to the default browser instead.
#include "notes/WebHost.h"

#include <shellapi.h>

#include <string>

namespace memo {
namespace {

// A URL longer than this is no address the shell is handed, nor text worth
// putting in a window title.
constexpr int kMaxUrlChars = 8192;

std::string Narrow(const wchar_t* text, UINT length) {
  if (!text || length == 0) return {};
  int wide = static_cast<int>(length < static_cast<UINT>(kMaxUrlChars) ? length : kMaxUrlChars);
  int n = ::WideCharToMultiByte(CP_ACP, 0, text, wide, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string narrow(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, text, wide, &narrow[0], n, nullptr, nullptr);
  // A NUL inside the text would end it early anywhere it goes next.
  return narrow.substr(0, narrow.find('\0'));
}

bool StartsWithNoCase(const std::string& text, const char* prefix) {
  size_t n = std::char_traits<char>::length(prefix);
  return text.size() >= n && ::CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, text.c_str(),
                                              static_cast<int>(n), prefix, static_cast<int>(n)) == CSTR_EQUAL;
}

}  // namespace

bool IsWebAddress(const std::string& url) {
  if (!StartsWithNoCase(url, "http://") && !StartsWithNoCase(url, "https://")) return false;
  for (unsigned char c : url) {
    if (c < 0x20 || c == 0x7F || c == '"') return false;
  }
  return true;
}

std::string EventUrl(const DISPPARAMS& params) {
  if (params.cArgs == 0 || !params.rgvarg) return {};
  // Arguments come last first.
  const VARIANT& first = params.rgvarg[params.cArgs - 1];
  VARIANT text;
  ::VariantInit(&text);
  if (FAILED(::VariantChangeType(&text, const_cast<VARIANT*>(&first), 0, VT_BSTR))) return {};
  std::string url = Narrow(text.bstrVal, ::SysStringLen(text.bstrVal));
  ::VariantClear(&text);
  return url;
}

bool SetEventProcessed(DISPPARAMS& params) {
  if (params.cArgs == 0 || !params.rgvarg) return false;
  VARIANT& last = params.rgvarg[0];
  if (last.vt != (VT_BYREF | VT_BOOL) || !last.pboolVal) return false;
  *last.pboolVal = VARIANT_TRUE;
  return true;
}

HRESULT WebHost::OnEvent(DISPID id, DISPPARAMS* params) {
  if (!params) return S_OK;
  switch (id) {
    case kEventNavigateComplete:
      ::SetWindowTextA(hwnd_, EventUrl(*params).c_str());
      break;
    case kEventNewWindow:
    case kEventFrameNewWindow: {
      // The page keeps its place in the note either way; only a web address
      // is opened, since "open" on anything else starts a program.
      std::string url = EventUrl(*params);
      if (IsWebAddress(url)) ::ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
      SetEventProcessed(*params);
      break;
    }
  }
  return S_OK;
}

}  // namespace memo
