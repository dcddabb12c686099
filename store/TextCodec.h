// The encodings of text note files. Other programs write UTF-8 (with or
// without a byte order mark) and UTF-16; the program itself has always
// written the system code page. A note is read in whichever its file uses
// and written back the same way, so that a file only looked at, or edited
// in a few characters, keeps every other byte.
#pragma once

#include <windows.h>

#include <string>

namespace memo {

enum class TextEncoding {
  kCodePage,  // the system's ANSI code page, no byte order mark
  kUtf8,      // UTF-8 without a byte order mark
  kUtf8Bom,   // UTF-8 after EF BB BF
  kUtf16Le,   // UTF-16 little-endian after FF FE
  kUtf16Be,   // UTF-16 big-endian after FE FF
};

struct TextForm {
  TextEncoding encoding = TextEncoding::kCodePage;
  // Every line of the file ends in a bare LF, as tools outside Windows
  // write them: the edit control is given CR LF, the save writes LF again.
  bool bareLineFeeds = false;
};

struct DecodedText {
  // What the note shows: the whole text when exact, otherwise as much as
  // could be read (up to a NUL, broken sequences as U+FFFD).
  std::wstring text;
  TextForm form;
  // Encoding text in form gives back the file's bytes exactly: the note may
  // be saved over its file. A file that is not exact opens read-only.
  bool exact = false;
};

// Reads bytes as, in this order: UTF-8 after its byte order mark, UTF-16
// after its byte order mark, bytes that are valid UTF-8 and hold at least
// one multibyte character, and otherwise the code page. Never fails:
// truncated or overlong sequences, lone surrogates, NUL characters and
// bytes the code page has no character for give a text that is not exact.
DecodedText DecodeNoteText(const std::string& bytes, UINT codePage = CP_ACP);

// The bytes of text in form. False, with *bytes undefined, when form is
// the code page and it has no character for one of the text's.
bool EncodeNoteText(const std::wstring& text, const TextForm& form, std::string* bytes, UINT codePage = CP_ACP);

// The program's code-page strings to and from the wide strings of its
// Unicode controls; a character the code page lacks becomes "?".
std::wstring WideFromAnsi(const std::string& text);
std::string AnsiFromWide(const std::wstring& text);

// UTF-8 of a wide string; a lone surrogate becomes U+FFFD.
std::string Utf8FromWide(const std::wstring& text);

// Whether bytes are well-formed UTF-8: no truncated, overlong or surrogate
// sequence and nothing above U+10FFFF. *multibyte tells whether any
// character took more than one byte.
bool IsWellFormedUtf8(const std::string& bytes, size_t start, bool* multibyte);

}  // namespace memo
