// Reading note files in the encodings other programs write, and writing
// them back byte for byte.
#include "store/TextCodec.h"

#include <gtest/gtest.h>

#include <string>

namespace memo {
namespace {

using namespace std::string_literals;

struct DecodeCase {
  const char* what;
  std::string bytes;
  TextEncoding encoding;
  bool exact;
  std::wstring text;  // what the note shows
};

// The tests run with code page 932; its text is written as CP932 bytes.
const DecodeCase kDecodeCases[] = {
    {"empty", "", TextEncoding::kCodePage, true, L""},
    {"ASCII is the code page", "plain\r\ntext", TextEncoding::kCodePage, true, L"plain\r\ntext"},
    {"code page Japanese", "\x83\x81\x83\x82", TextEncoding::kCodePage, true, L"\x30E1\x30E2"},
    {"UTF-8 without a mark", u8"買い物 🍞", TextEncoding::kUtf8, true, L"\x8CB7\x3044\x7269 \xD83C\xDF5E"},
    {"UTF-8 with a mark", "\xEF\xBB\xBF" "a\xC3\xA9", TextEncoding::kUtf8Bom, true, L"a\xE9"},
    {"only a UTF-8 mark", "\xEF\xBB\xBF", TextEncoding::kUtf8Bom, true, L""},
    {"UTF-16 LE", "\xFF\xFE" "a\0\x42\x30"s, TextEncoding::kUtf16Le, true, L"a\x3042"},
    {"UTF-16 BE", "\xFE\xFF" "\0a\xD8\x42\xDF\xB7"s, TextEncoding::kUtf16Be, true, L"a\xD842\xDFB7"},
    // Bytes that are no well-formed UTF-8 fall back to the code page.
    {"code page that is no UTF-8", "\x95\x5C\x8E\xA6", TextEncoding::kCodePage, true, L"\x8868\x793A"},
    {"a UTF-8 mark before broken UTF-8", "\xEF\xBB\xBF" "a\xE3\x81"s, TextEncoding::kUtf8Bom, false, L"a"},
    {"UTF-8 mark, overlong slash", "\xEF\xBB\xBF\xC0\xAF", TextEncoding::kUtf8Bom, false, L""},
    {"UTF-8 mark, encoded surrogate", "\xEF\xBB\xBF\xED\xA0\x80", TextEncoding::kUtf8Bom, false, L""},
    {"UTF-16 with an odd last byte", "\xFF\xFE" "a\0b"s, TextEncoding::kUtf16Le, false, L"a"},
    {"UTF-16 with a lone surrogate", "\xFF\xFE" "\x00\xD8" "a\0"s, TextEncoding::kUtf16Le, false, L"\xFFFD" L"a"},
    {"UTF-16 with a NUL", "\xFF\xFE" "a\0\0\0"s, TextEncoding::kUtf16Le, false, L"a\xFFFD"},
    {"UTF-16 without a mark has NULs", "a\0b\0"s, TextEncoding::kCodePage, false, L"a"},
    {"NUL in the code page", "abc\0def"s, TextEncoding::kCodePage, false, L"abc"},
    {"a lead byte without its trail", "ab\x81", TextEncoding::kCodePage, false, L"ab"},
};

TEST(TextCodecTest, DecodesEachEncodingAndTellsWhatItCannotReadExactly) {
  for (const DecodeCase& c : kDecodeCases) {
    SCOPED_TRACE(c.what);
    DecodedText decoded = DecodeNoteText(c.bytes, 932);
    EXPECT_EQ(decoded.form.encoding, c.encoding);
    EXPECT_EQ(decoded.exact, c.exact);
    // What an inexact file shows is a best effort; only its start matters.
    if (c.exact || !c.text.empty()) {
      EXPECT_EQ(decoded.text.substr(0, c.text.size()), c.text);
    }
    if (!c.exact) continue;
    std::string again;
    ASSERT_TRUE(EncodeNoteText(decoded.text, decoded.form, &again, 932));
    EXPECT_EQ(again, c.bytes) << "an exact file is written back byte for byte";
  }
}

TEST(TextCodecTest, BareLineFeedsAreShownAsCrLfAndWrittenBack) {
  const std::string unix = u8"一\n二\n"s;
  DecodedText decoded = DecodeNoteText(unix, 932);
  EXPECT_TRUE(decoded.exact);
  EXPECT_TRUE(decoded.form.bareLineFeeds);
  EXPECT_EQ(decoded.text, L"\x4E00\r\n\x4E8C\r\n");
  std::string bytes;
  ASSERT_TRUE(EncodeNoteText(decoded.text + L"\r\n3", decoded.form, &bytes, 932));
  EXPECT_EQ(bytes, unix + "\n3");

  // Mixed endings are the control's own business and kept as they are.
  for (std::string mixed : {"a\r\nb\nc"s, "a\rb\nc"s}) {
    DecodedText kept = DecodeNoteText(mixed, 932);
    EXPECT_TRUE(kept.exact);
    EXPECT_FALSE(kept.form.bareLineFeeds);
    EXPECT_EQ(kept.text.size(), mixed.size());
  }
}

TEST(TextCodecTest, TheCodePageRefusesWhatItCannotHoldInsteadOfWritingQuestionMarks) {
  TextForm codePage;
  std::string bytes;
  EXPECT_TRUE(EncodeNoteText(L"\x30E1\x30E2 memo", codePage, &bytes, 932));
  EXPECT_EQ(bytes, "\x83\x81\x83\x82 memo");
  // An emoji, a character outside JIS, Hangul, accented Latin with only a
  // best fit ("e").
  for (const wchar_t* text : {L"\xD83C\xDF5E", L"\xD842\xDFB7", L"\xD55C", L"\xE9"}) {
    EXPECT_FALSE(EncodeNoteText(text, codePage, &bytes, 932)) << testing::PrintToString(std::wstring(text));
  }
  EXPECT_TRUE(EncodeNoteText(L"\xD83C\xDF5E", TextForm{TextEncoding::kUtf8Bom, false}, &bytes, 932));
  EXPECT_EQ(bytes, "\xEF\xBB\xBF\xF0\x9F\x8D\x9E");
}

TEST(TextCodecTest, WellFormedUtf8RejectsEveryIllFormedSequence) {
  bool multibyte = false;
  for (const std::string& bad : {"\x80"s, "\xC1\xBF"s, "\xE0\x9F\xBF"s, "\xED\xA0\x80"s, "\xF0\x8F\xBF\xBF"s,
                                 "\xF4\x90\x80\x80"s, "\xF5\x80\x80\x80"s, "\xE3\x81"s, "\xE3\x41\x81"s}) {
    EXPECT_FALSE(IsWellFormedUtf8(bad, 0, &multibyte)) << testing::PrintToString(bad);
  }
  EXPECT_TRUE(IsWellFormedUtf8("\xF4\x8F\xBF\xBF", 0, &multibyte));
  EXPECT_TRUE(multibyte);
  EXPECT_TRUE(IsWellFormedUtf8("ascii", 0, &multibyte));
  EXPECT_FALSE(multibyte);
}

}  // namespace
}  // namespace memo
