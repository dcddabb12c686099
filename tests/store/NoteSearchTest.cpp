// Searching the notes: query words, matching without regard to case, width
// and kana type, the line shown for a match, and the walk over the store
// with its cache of what it read.
#include "store/NoteSearch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/store/StoreFixture.h"

namespace memo::test {
namespace {

TEST(NoteSearchQuery, SplitsAtEveryKindOfBlank) {
  EXPECT_EQ(SplitQuery(L"  メモ\x3000会議\tabc \r\n"), (std::vector<std::wstring>{L"メモ", L"会議", L"abc"}));
  EXPECT_TRUE(SplitQuery(L" \x3000 ").empty());
}

struct FindCase {
  const wchar_t* text;
  const wchar_t* word;
  size_t from;
  size_t at;  // npos: no match
  size_t length;
};

TEST(NoteSearchMatch, IgnoresCaseWidthAndKanaTypeAndKeepsOriginalOffsets) {
  constexpr size_t kNone = std::wstring::npos;
  const FindCase cases[] = {
      {L"これはメモです", L"ﾒﾓ", 0, 3, 2},
      {L"これはメモです", L"めも", 0, 3, 2},
      {L"これはめもです", L"メモ", 0, 3, 2},
      {L"ｺﾚﾊﾒﾓ", L"めも", 0, 3, 2},
      {L"Meeting ＡＢＣ", L"abc", 0, 8, 3},
      {L"MEETING", L"meet", 0, 0, 4},
      {L"メロ", L"メモ", 0, kNone, 0},
      {L"メモとメモ", L"メモ", 1, 3, 2},
      // A half-width kana with its sound mark folds into one character:
      // what follows is still found at its own place.
      {L"ｶﾞｷﾞメモ", L"メモ", 0, 4, 2},
      {L"", L"メモ", 0, kNone, 0},
  };
  for (const FindCase& c : cases) {
    TextMatch match;
    bool found = FindWordIn(c.text, c.word, c.from, &match);
    EXPECT_EQ(found, c.at != kNone) << c.text << " / " << c.word;
    if (found && c.at != kNone) {
      EXPECT_EQ(match.at, c.at) << c.text;
      EXPECT_EQ(match.length, c.length) << c.text;
    }
  }
}

TEST(NoteSearchSnippet, ShowsTheMatchingLineCutAroundTheMatch) {
  std::wstring text = L"first line\r\nsecond\tline with word\r\nthird";
  TextMatch match;
  ASSERT_TRUE(FindWordIn(text, L"word", 0, &match));
  EXPECT_EQ(MakeSnippet(text, match, 60), L"second line with word");

  std::wstring longLine = std::wstring(100, L'x') + L"メモ" + std::wstring(100, L'y');
  ASSERT_TRUE(FindWordIn(longLine, L"メモ", 0, &match));
  std::wstring snippet = MakeSnippet(longLine, match, 30);
  EXPECT_NE(snippet.find(L"メモ"), std::wstring::npos) << "the match stays visible";
  EXPECT_EQ(snippet.front(), L'\x2026');
  EXPECT_EQ(snippet.back(), L'\x2026');
  EXPECT_LE(snippet.size(), 32u);
}

SearchFileText Text(const std::wstring& text) {
  SearchFileText file;
  file.text = text;
  file.folded = FoldForSearch(text);
  return file;
}

bool Match(const std::wstring& name, const SearchNoteTexts& texts, const std::wstring& query, SearchResult* result) {
  std::vector<std::wstring> words = SplitQuery(query);
  std::vector<FoldedText> folded;
  for (const std::wstring& word : words) folded.push_back(FoldForSearch(word));
  return MatchNote(name, texts, words, folded, result);
}

TEST(NoteSearchMatch, EveryWordMustMatchTheNameOrATextOfTheNote) {
  SearchFileText body = Text(L"agenda\nalpha and beta\n");
  SearchFileText minis = Text(L"call bob");
  SearchNoteTexts texts{&body, nullptr, &minis};
  SearchResult result;
  EXPECT_FALSE(Match(L"plan.txt", texts, L"alpha gamma", &result));
  ASSERT_TRUE(Match(L"plan.txt", texts, L"beta alpha", &result));
  EXPECT_EQ(result.field, SearchField::kBody);
  EXPECT_EQ(result.snippet, L"alpha and beta");
  EXPECT_EQ(result.line, 1u);
  EXPECT_EQ(result.column, 0u);
  EXPECT_EQ(result.word, 1u) << "alpha comes first in the text";
  ASSERT_TRUE(Match(L"plan.txt", texts, L"plan bob", &result)) << "one word in the name, one in a mini note";
  EXPECT_EQ(result.field, SearchField::kMini);
  ASSERT_TRUE(Match(L"plan.txt", SearchNoteTexts{}, L"PLAN", &result));
  EXPECT_EQ(result.field, SearchField::kName);
  EXPECT_TRUE(result.snippet.empty());
  EXPECT_FALSE(Match(L"plan.txt", texts, L"  ", &result)) << "no word matches nothing";
}

class NoteSearchWalkTest : public StoreTest {
 protected:
  std::vector<std::string> Found(const std::wstring& query) {
    SearchWalk walk(root_, query, &cache_);
    // One note a step: results come in slices as in the window.
    int steps = 0;
    while (!walk.Step([] { return false; })) ++steps;
    EXPECT_GT(steps, 1);
    std::vector<std::string> found;
    for (const SearchResult& r : walk.results()) found.push_back(r.page + "|" + r.noteName);
    std::sort(found.begin(), found.end());  // a folder lists in the file system's order
    return found;
  }
  SearchCache cache_;
};

TEST_F(NoteSearchWalkTest, SearchesEveryPageAndCommonByKindAndReadsEachFileOnce) {
  MakeFolder("alpha");
  MakeFolder("beta");
  MakeFolder("common");
  ASSERT_TRUE(WriteBytes(At("alpha\\a.txt"), "nothing here"));
  ASSERT_TRUE(WriteBytes(At("beta\\utf8.txt"), "\xE4\xBC\x9A\xE8\xAD\xB0 kiwi"));  // "会議" in UTF-8
  ASSERT_TRUE(WriteBytes(At("beta\\hidden.txt"), "kiwi"));
  IniSet(At("beta\\hidden.txt.ini"), "Window", "Style", "18");
  ASSERT_TRUE(WriteBytes(At("beta\\owner.bmp"), ""));
  IniSet(At("beta\\owner.bmp.ini"), "Mini1", "Text", "6B69776921");  // "kiwi!"
  IniSet(At("common\\site.url"), "InternetShortcut", "URL", "http://kiwi.example/");
  MakeFolder("common\\kiwi folder");
  ASSERT_TRUE(WriteBytes(At("common\\kiwi folder\\inside.txt"), "kiwi"));
  MakeFolder("alpha\\folder note");
  ASSERT_TRUE(WriteBytes(At("alpha\\folder note\\b.txt"), "kiwi"));
  IniSet(At("root.ini"), "Mini2", "Text", "4B495749");  // "KIWI", a mini note of the bar

  EXPECT_EQ(Found(L"kiwi"), (std::vector<std::string>{"beta|hidden.txt", "beta|owner.bmp", "beta|utf8.txt", "|",
                                                       "|\"kiwi folder\"", "|\"site.url\""}));
  EXPECT_EQ(Found(L"会議 KIWI"), (std::vector<std::string>{"beta|utf8.txt"}));
  size_t reads = cache_.reads();
  EXPECT_EQ(Found(L"kiwi"), Found(L"kiwi"));
  EXPECT_EQ(cache_.reads(), reads) << "the same files are not read again";

  ASSERT_TRUE(WriteBytes(At("alpha\\a.txt"), "now kiwi too"));
  EXPECT_EQ(Found(L"kiwi").front(), "alpha|a.txt") << "a file of another size is read again";
  EXPECT_EQ(cache_.reads(), reads + 1);
}

}  // namespace
}  // namespace memo::test
