// The encodings of text note files.
#include "store/TextCodec.h"

#include <climits>

namespace memo {
namespace {

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";
constexpr wchar_t kReplacement = 0xFFFD;

// The conversion functions count in int: a text beyond that is no note.
bool FitsInt(size_t n) { return n <= static_cast<size_t>(INT_MAX) / 2; }

std::wstring Widen(UINT codePage, DWORD flags, const char* bytes, size_t n, bool* ok) {
  *ok = true;
  if (n == 0) return std::wstring();
  if (!FitsInt(n)) {
    *ok = false;
    return std::wstring();
  }
  int length = ::MultiByteToWideChar(codePage, flags, bytes, static_cast<int>(n), nullptr, 0);
  if (length <= 0) {
    *ok = false;
    return std::wstring();
  }
  std::wstring text(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(codePage, flags, bytes, static_cast<int>(n), &text[0], length);
  return text;
}

// Encodes to a code page. *fits is false when a character had no exact
// counterpart there (best-fit substitutes count as missing: "∑" is no "S").
std::string Narrow(UINT codePage, const std::wstring& text, bool* fits) {
  *fits = true;
  if (text.empty()) return std::string();
  if (!FitsInt(text.size())) {
    *fits = false;
    return std::string();
  }
  // UTF-8 and UTF-7 take neither flags nor the default-character report.
  bool utf = codePage == CP_UTF8 || codePage == CP_UTF7;
  DWORD flags = utf ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* report = utf ? nullptr : &usedDefault;
  int n = static_cast<int>(text.size());
  int length = ::WideCharToMultiByte(codePage, flags, text.data(), n, nullptr, 0, nullptr, report);
  if (length <= 0) {
    *fits = false;
    return std::string();
  }
  std::string bytes(static_cast<size_t>(length), '\0');
  ::WideCharToMultiByte(codePage, flags, text.data(), n, &bytes[0], length, nullptr, report);
  if (usedDefault) *fits = false;
  return bytes;
}

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// UTF-16 units after a byte order mark; lone surrogates and NUL characters
// become U+FFFD and make the text inexact, as does an odd last byte.
std::wstring DecodeUtf16(const std::string& bytes, bool bigEndian, bool* exact) {
  *exact = bytes.size() % 2 == 0;
  std::wstring text;
  text.reserve((bytes.size() - 2) / 2);
  for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
    auto first = static_cast<unsigned char>(bytes[i]);
    auto second = static_cast<unsigned char>(bytes[i + 1]);
    text.push_back(static_cast<wchar_t>(bigEndian ? (first << 8) | second : (second << 8) | first));
  }
  for (size_t i = 0; i < text.size(); ++i) {
    wchar_t c = text[i];
    bool paired = false;
    if (IsHighSurrogate(c)) {
      paired = i + 1 < text.size() && IsLowSurrogate(text[i + 1]);
      if (paired) {
        ++i;
        continue;
      }
    }
    if (c == L'\0' || IsLowSurrogate(c) || IsHighSurrogate(c)) {
      text[i] = kReplacement;
      *exact = false;
    }
  }
  return text;
}

std::string EncodeUtf16(const std::wstring& text, bool bigEndian) {
  std::string bytes(bigEndian ? "\xFE\xFF" : "\xFF\xFE");
  bytes.reserve(2 + text.size() * 2);
  for (wchar_t c : text) {
    auto high = static_cast<char>((c >> 8) & 0xFF);
    auto low = static_cast<char>(c & 0xFF);
    bytes.push_back(bigEndian ? high : low);
    bytes.push_back(bigEndian ? low : high);
  }
  return bytes;
}

// What is left to show of bytes that no encoding reads exactly.
std::wstring CutAtNul(std::wstring text) {
  size_t nul = text.find(L'\0');
  if (nul != std::wstring::npos) text.resize(nul);
  return text;
}

void GiveCrLf(DecodedText* decoded) {
  std::wstring& text = decoded->text;
  if (text.find(L'\r') != std::wstring::npos || text.find(L'\n') == std::wstring::npos) return;
  std::wstring crlf;
  crlf.reserve(text.size() + text.size() / 16);
  for (wchar_t c : text) {
    if (c == L'\n') crlf.push_back(L'\r');
    crlf.push_back(c);
  }
  text.swap(crlf);
  decoded->form.bareLineFeeds = true;
}

}  // namespace

bool IsWellFormedUtf8(const std::string& bytes, size_t start, bool* multibyte) {
  *multibyte = false;
  const size_t n = bytes.size();
  for (size_t i = start; i < n;) {
    auto lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    size_t extra;
    unsigned char low = 0x80, high = 0xBF;  // the allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
      extra = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      extra = 2;
      if (lead == 0xE0) low = 0xA0;   // overlong
      if (lead == 0xED) high = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3;
      if (lead == 0xF0) low = 0x90;   // overlong
      if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
    } else {
      return false;  // a trail byte, C0/C1 (overlong) or F5 and above
    }
    if (n - i <= extra) return false;
    for (size_t k = 1; k <= extra; ++k) {
      auto trail = static_cast<unsigned char>(bytes[i + k]);
      if (trail < (k == 1 ? low : 0x80) || trail > (k == 1 ? high : 0xBF)) return false;
    }
    *multibyte = true;
    i += extra + 1;
  }
  return true;
}

DecodedText DecodeNoteText(const std::string& bytes, UINT codePage) {
  DecodedText decoded;
  bool ok = true;
  bool multibyte = false;
  if (!FitsInt(bytes.size())) return decoded;
  if (bytes.compare(0, 3, kUtf8Bom) == 0) {
    decoded.form.encoding = TextEncoding::kUtf8Bom;
    bool wellFormed = IsWellFormedUtf8(bytes, 3, &multibyte);
    decoded.text = Widen(CP_UTF8, 0, bytes.data() + 3, bytes.size() - 3, &ok);
    ok = ok && wellFormed;
  } else if (bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0) {
    bool bigEndian = bytes[0] == '\xFE';
    decoded.form.encoding = bigEndian ? TextEncoding::kUtf16Be : TextEncoding::kUtf16Le;
    decoded.text = DecodeUtf16(bytes, bigEndian, &ok);
  } else if (bytes.find('\0') == std::string::npos && IsWellFormedUtf8(bytes, 0, &multibyte) && multibyte) {
    decoded.form.encoding = TextEncoding::kUtf8;
    decoded.text = Widen(CP_UTF8, 0, bytes.data(), bytes.size(), &ok);
  } else {
    // Not refused for bytes that have no character of their own: a code
    // page maps some to private ones and back, as its edit controls always
    // did. What does not come back is caught below.
    decoded.text = Widen(codePage, 0, bytes.data(), bytes.size(), &ok);
  }
  if (decoded.text.find(L'\0') != std::wstring::npos) {
    decoded.text = CutAtNul(std::move(decoded.text));
    ok = false;
  }
  GiveCrLf(&decoded);
  // The code page may read two spellings as one character; only a text
  // that writes back as the same bytes may be saved over them.
  std::string again;
  decoded.exact = ok && EncodeNoteText(decoded.text, decoded.form, &again, codePage) && again == bytes;
  return decoded;
}

bool EncodeNoteText(const std::wstring& text, const TextForm& form, std::string* bytes, UINT codePage) {
  std::wstring lines;
  const std::wstring* source = &text;
  if (form.bareLineFeeds) {
    lines.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') continue;
      lines.push_back(text[i]);
    }
    source = &lines;
  }
  bool fits = true;
  switch (form.encoding) {
    case TextEncoding::kCodePage:
      *bytes = Narrow(codePage, *source, &fits);
      return fits;
    case TextEncoding::kUtf8:
      *bytes = Utf8FromWide(*source);
      return true;
    case TextEncoding::kUtf8Bom:
      *bytes = kUtf8Bom + Utf8FromWide(*source);
      return true;
    case TextEncoding::kUtf16Le:
    case TextEncoding::kUtf16Be:
      *bytes = EncodeUtf16(*source, form.encoding == TextEncoding::kUtf16Be);
      return true;
  }
  return false;
}

std::wstring WideFromAnsi(const std::string& text) {
  bool ok = true;
  return Widen(CP_ACP, 0, text.data(), text.size(), &ok);
}

std::string AnsiFromWide(const std::wstring& text) {
  bool fits = true;
  return Narrow(CP_ACP, text, &fits);
}

std::string Utf8FromWide(const std::wstring& text) {
  bool fits = true;
  return Narrow(CP_UTF8, text, &fits);
}

}  // namespace memo
