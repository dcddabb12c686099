// Searching every note of every page and of common: query words, matching
// that ignores case, width and kana type, the line shown for a match, and a
// walk over the store that runs in slices and reads each file once while
// its size and write time stay the same.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "store/Store.h"

namespace memo {

// The words of a query: split at blanks (space, ideographic space, tab,
// line breaks), empty words dropped.
std::vector<std::wstring> SplitQuery(const std::wstring& query);

// A text folded for searching by the system's own mapping (lower case, full
// width, katakana) with, for each folded character, the offset in the
// original text it came from. Folding may join characters (a half-width
// kana with its voiced mark), so offsets are kept whenever lengths differ.
struct FoldedText {
  std::wstring folded;
  std::vector<uint32_t> origin;  // empty when folding kept every offset; else folded.size() + 1 entries
  size_t OriginOf(size_t foldedAt, size_t originalSize) const;
};
FoldedText FoldForSearch(const std::wstring& text);

struct TextMatch {
  size_t at = 0;      // in the original text, UTF-16 units
  size_t length = 0;
};

// The first match of word at or after from (an original offset). A place
// the folded texts agree on counts only when the system's comparison
// (CompareString ignoring case, width and kana type) calls the two equal.
bool FindWord(const std::wstring& text, const FoldedText& foldedText, const std::wstring& word,
              const FoldedText& foldedWord, size_t from, TextMatch* match);
// The same over plain strings, folding both (for a text searched once).
bool FindWordIn(const std::wstring& text, const std::wstring& word, size_t from, TextMatch* match);

// The line holding the match, cut to about maxChars characters so that the
// match is visible ("…" where it was cut); tabs and other control
// characters show as blanks.
std::wstring MakeSnippet(const std::wstring& text, const TextMatch& match, size_t maxChars);

// Which part of a note a match was found in.
enum class SearchField { kName, kBody, kMini, kUrl };

struct SearchResult {
  std::string page;      // the page folder's name; "" for common
  std::string noteName;  // as the bar names it: quoted for a note of common
  NoteKind kind = NoteKind::kNone;
  SearchField field = SearchField::kName;
  std::wstring snippet;  // "" for a match in the name
  // For a match in a text note's body: its line (counted by LF) and the
  // offset of the match inside that line.
  size_t line = 0;
  size_t column = 0;
  size_t word = 0;  // which query word that match is of
};

// What the search read of one file, kept while the file keeps its size and
// write time.
struct SearchFileText {
  uint64_t size = 0;
  FILETIME written{};
  std::wstring text;
  FoldedText folded;
};

// The texts read during one sequence of queries (a search window's life),
// keyed by path.
class SearchCache {
 public:
  // The text of the file with this find record, read and decoded by read
  // only when the cache has none of the same size and write time.
  const SearchFileText& Get(const std::string& path, const WIN32_FIND_DATAA& entry,
                            const std::function<std::wstring(const std::string&)>& read);
  size_t reads() const { return reads_; }

 private:
  std::map<std::string, SearchFileText> files_;
  size_t reads_ = 0;
};

// The texts a note is searched in, by kind: the decoded text of a text
// note, the URL of a browser note, the texts of a settings file's mini
// notes (one per line, in section order).
std::wstring ReadTextNoteForSearch(const std::string& path);
std::wstring ReadUrlForSearch(const std::string& path);
std::wstring ReadMiniTextsForSearch(const std::string& settingsFile);

// Whether every word matches the note: each in its name or in one of its
// texts. The snippet shows the earliest match of any word in the first of
// body, mini notes and URL that holds one; a match in the name only shows
// none.
struct SearchNoteTexts {
  const SearchFileText* body = nullptr;  // text notes
  const SearchFileText* url = nullptr;   // browser notes
  const SearchFileText* minis = nullptr;
};
bool MatchNote(const std::wstring& name, const SearchNoteTexts& texts, const std::vector<std::wstring>& words,
               const std::vector<FoldedText>& foldedWords, SearchResult* result);

// One query over the store: the pages of the root folder by name, then
// common, then the main bar's own mini notes (in root.ini; a result with
// no page and no note name). Step does work until more() is false between
// two notes and returns whether the walk has finished.
class SearchWalk {
 public:
  SearchWalk(const std::string& root, const std::wstring& query, SearchCache* cache);
  bool Step(const std::function<bool()>& more);
  bool Done() const { return done_; }
  const std::vector<SearchResult>& results() const { return results_; }

 private:
  void NextFolder();
  void SearchEntry(const WIN32_FIND_DATAA& entry);
  void SearchBarMinis();

  std::string root_;
  std::vector<std::wstring> words_;
  std::vector<FoldedText> foldedWords_;
  SearchCache* cache_;
  std::vector<std::string> pages_;  // page folder names, then "" for common
  WIN32_FIND_DATAA rootIni_{};
  bool hasRootIni_ = false;
  size_t page_ = 0;
  std::vector<WIN32_FIND_DATAA> entries_;
  std::map<std::string, size_t> entryIndex_;  // names of the folder, lower case ASCII
  size_t entry_ = 0;
  bool listed_ = false;
  bool done_ = false;
  std::vector<SearchResult> results_;
};

constexpr size_t kSnippetChars = 60;
// A text note file larger than this is searched by its name only: the
// search keeps what it reads while its window is open.
constexpr uint64_t kMaxSearchedFileBytes = uint64_t{32} * 1024 * 1024;

}  // namespace memo
