// Searching every note of the store.
#include "store/NoteSearch.h"

#include <algorithm>

#include "store/FileSystem.h"
#include "store/Paths.h"
#include "store/Settings.h"
#include "store/TextCodec.h"
#include "store/TextFile.h"

namespace memo {
namespace {

constexpr DWORD kCompareFlags = NORM_IGNORECASE | NORM_IGNOREWIDTH | NORM_IGNOREKANATYPE;
constexpr DWORD kFoldFlags = LCMAP_LOWERCASE | LCMAP_FULLWIDTH | LCMAP_KATAKANA;
constexpr wchar_t kEllipsis = L'\x2026';

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\x3000'; }

// A half-width voiced or semi-voiced sound mark, which folding joins to the
// kana before it.
bool IsHalfWidthSoundMark(wchar_t c) { return c == L'\xFF9E' || c == L'\xFF9F'; }

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }

std::wstring MapString(const wchar_t* text, size_t length) {
  if (length == 0) return std::wstring();
  int size = ::LCMapStringW(LOCALE_USER_DEFAULT, kFoldFlags, text, static_cast<int>(length), nullptr, 0);
  if (size <= 0) return std::wstring(text, length);
  std::wstring mapped(static_cast<size_t>(size), L'\0');
  size = ::LCMapStringW(LOCALE_USER_DEFAULT, kFoldFlags, text, static_cast<int>(length), &mapped[0], size);
  if (size <= 0) return std::wstring(text, length);
  mapped.resize(static_cast<size_t>(size));
  return mapped;
}

// Lower-case ASCII: the key of a file name in a folder's index (the file
// system ignores case, and settings files are found by the note's name).
std::string LowerAscii(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

// The earliest match in text of any of the words, and which word it is of.
bool FirstMatchIn(const SearchFileText& text, const std::vector<std::wstring>& words,
                  const std::vector<FoldedText>& foldedWords, TextMatch* match, size_t* word) {
  bool found = false;
  for (size_t i = 0; i < words.size(); ++i) {
    TextMatch m;
    if (FindWord(text.text, text.folded, words[i], foldedWords[i], 0, &m) && (!found || m.at < match->at)) {
      *match = m;
      *word = i;
      found = true;
    }
  }
  return found;
}

}  // namespace

std::vector<std::wstring> SplitQuery(const std::wstring& query) {
  std::vector<std::wstring> words;
  size_t i = 0;
  while (i < query.size()) {
    while (i < query.size() && IsBlank(query[i])) ++i;
    size_t start = i;
    while (i < query.size() && !IsBlank(query[i])) ++i;
    if (i > start) words.push_back(query.substr(start, i - start));
  }
  return words;
}

size_t FoldedText::OriginOf(size_t foldedAt, size_t originalSize) const {
  if (origin.empty()) return std::min(foldedAt, originalSize);
  return foldedAt < origin.size() ? origin[foldedAt] : originalSize;
}

FoldedText FoldForSearch(const std::wstring& text) {
  FoldedText result;
  result.folded = MapString(text.data(), text.size());
  if (result.folded.size() == text.size()) return result;
  // Lengths differ: fold one character (with a surrogate's second half or
  // a sound mark after it) at a time to know where each folded one began.
  result.folded.clear();
  for (size_t i = 0; i < text.size();) {
    size_t next = i + 1;
    if (IsHighSurrogate(text[i]) && next < text.size()) ++next;
    while (next < text.size() && IsHalfWidthSoundMark(text[next])) ++next;
    std::wstring piece = MapString(text.data() + i, next - i);
    result.folded += piece;
    result.origin.insert(result.origin.end(), piece.size(), static_cast<uint32_t>(i));
    i = next;
  }
  result.origin.push_back(static_cast<uint32_t>(text.size()));
  return result;
}

bool FindWord(const std::wstring& text, const FoldedText& foldedText, const std::wstring& word,
              const FoldedText& foldedWord, size_t from, TextMatch* match) {
  if (word.empty() || foldedWord.folded.empty()) return false;
  // Folding finds the candidates; the system's comparison decides. Asking
  // FindNLSString for the whole text instead costs Wine some 170 ms per
  // 5,000 characters, a second and more for every keystroke over a page.
  size_t start = 0;
  if (from > 0) {
    if (foldedText.origin.empty()) {
      start = from;
    } else {
      start = static_cast<size_t>(std::lower_bound(foldedText.origin.begin(), foldedText.origin.end(), from) -
                                  foldedText.origin.begin());
    }
  }
  const std::wstring& hay = foldedText.folded;
  for (size_t at = hay.find(foldedWord.folded, start); at != std::wstring::npos;
       at = hay.find(foldedWord.folded, at + 1)) {
    size_t begin = foldedText.OriginOf(at, text.size());
    size_t end = foldedText.OriginOf(at + foldedWord.folded.size(), text.size());
    if (end <= begin || begin < from) continue;
    if (::CompareStringW(LOCALE_USER_DEFAULT, kCompareFlags, text.data() + begin, static_cast<int>(end - begin),
                         word.data(), static_cast<int>(word.size())) == CSTR_EQUAL) {
      match->at = begin;
      match->length = end - begin;
      return true;
    }
  }
  return false;
}

bool FindWordIn(const std::wstring& text, const std::wstring& word, size_t from, TextMatch* match) {
  return FindWord(text, FoldForSearch(text), word, FoldForSearch(word), from, match);
}

std::wstring MakeSnippet(const std::wstring& text, const TextMatch& match, size_t maxChars) {
  size_t at = std::min(match.at, text.size());
  size_t lineStart = 0;
  if (at > 0) {
    size_t lineFeed = text.rfind(L'\n', at - 1);
    if (lineFeed != std::wstring::npos) lineStart = lineFeed + 1;
  }
  size_t lineEnd = text.find_first_of(L"\r\n", at + std::min(match.length, text.size() - at));
  if (lineEnd == std::wstring::npos) lineEnd = text.size();
  size_t start = lineStart;
  size_t end = lineEnd;
  if (end - start > maxChars) {
    // Some context before the match, the rest after it.
    size_t before = maxChars / 3;
    if (at > start + before) start = at - before;
    end = std::min(lineEnd, start + maxChars);
    if (end - start < maxChars && lineEnd - lineStart >= maxChars) start = end - maxChars;
  }
  std::wstring snippet;
  if (start > lineStart) snippet.push_back(kEllipsis);
  for (size_t i = start; i < end; ++i) snippet.push_back(text[i] < L' ' ? L' ' : text[i]);
  if (end < lineEnd) snippet.push_back(kEllipsis);
  return snippet;
}

const SearchFileText& SearchCache::Get(const std::string& path, const WIN32_FIND_DATAA& entry,
                                       const std::function<std::wstring(const std::string&)>& read) {
  uint64_t size = (static_cast<uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
  auto found = files_.find(path);
  if (found != files_.end() && found->second.size == size &&
      ::CompareFileTime(&found->second.written, &entry.ftLastWriteTime) == 0) {
    return found->second;
  }
  SearchFileText& file = files_[path];
  file.size = size;
  file.written = entry.ftLastWriteTime;
  file.text = read(path);
  file.folded = FoldForSearch(file.text);
  ++reads_;
  return file;
}

std::wstring ReadTextNoteForSearch(const std::string& path) {
  std::string bytes;
  if (!ReadWholeFile(path, &bytes)) return std::wstring();
  return DecodeNoteText(bytes).text;
}

std::wstring ReadUrlForSearch(const std::string& path) {
  return WideFromAnsi(IniReadLongString(path, "InternetShortcut", "URL"));
}

std::wstring ReadMiniTextsForSearch(const std::string& settingsFile) {
  std::wstring texts;
  for (const std::string& section : IniSectionNames(settingsFile)) {
    if (section.size() < 4 || !EqualsNoCase(section.substr(0, 4), "Mini")) continue;
    std::string text = ReadMiniText(settingsFile, section);
    if (text.empty()) continue;
    if (!texts.empty()) texts.push_back(L'\n');
    texts += WideFromAnsi(text);
  }
  return texts;
}

bool MatchNote(const std::wstring& name, const SearchNoteTexts& texts, const std::vector<std::wstring>& words,
               const std::vector<FoldedText>& foldedWords, SearchResult* result) {
  if (words.empty()) return false;
  FoldedText foldedName = FoldForSearch(name);
  const std::pair<const SearchFileText*, SearchField> fields[] = {
      {texts.body, SearchField::kBody}, {texts.minis, SearchField::kMini}, {texts.url, SearchField::kUrl}};
  for (size_t i = 0; i < words.size(); ++i) {
    TextMatch m;
    bool found = FindWord(name, foldedName, words[i], foldedWords[i], 0, &m);
    for (const auto& field : fields) {
      if (found) break;
      found = field.first && FindWord(field.first->text, field.first->folded, words[i], foldedWords[i], 0, &m);
    }
    if (!found) return false;
  }
  result->field = SearchField::kName;
  result->snippet.clear();
  for (const auto& field : fields) {
    TextMatch m;
    if (!field.first || !FirstMatchIn(*field.first, words, foldedWords, &m, &result->word)) continue;
    const std::wstring& text = field.first->text;
    result->field = field.second;
    result->snippet = MakeSnippet(text, m, kSnippetChars);
    result->line = static_cast<size_t>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(m.at), L'\n'));
    size_t lineStart = m.at == 0 ? std::wstring::npos : text.rfind(L'\n', m.at - 1);
    result->column = lineStart == std::wstring::npos ? m.at : m.at - lineStart - 1;
    break;
  }
  return true;
}

SearchWalk::SearchWalk(const std::string& root, const std::wstring& query, SearchCache* cache)
    : root_(root), words_(SplitQuery(query)), cache_(cache) {
  for (const std::wstring& word : words_) foldedWords_.push_back(FoldForSearch(word));
  if (words_.empty() || root_.empty()) {
    done_ = true;
    return;
  }
  for (const WIN32_FIND_DATAA& entry : ListFolder(root_)) {
    if (IsPageEntry(entry)) pages_.push_back(entry.cFileName);
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && EqualsNoCase(entry.cFileName, kRootIniName)) {
      rootIni_ = entry;
      hasRootIni_ = true;
    }
  }
  std::sort(pages_.begin(), pages_.end(), [](const std::string& a, const std::string& b) {
    return ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) == CSTR_LESS_THAN;
  });
  pages_.emplace_back();  // common
}

void SearchWalk::NextFolder() {
  listed_ = false;
  entries_.clear();
  entryIndex_.clear();
  entry_ = 0;
  if (++page_ < pages_.size()) return;
  SearchBarMinis();
  done_ = true;
}

void SearchWalk::SearchBarMinis() {
  std::string path = PathJoin(root_, kRootIniName);
  if (!hasRootIni_ || path.empty()) return;
  SearchNoteTexts texts;
  texts.minis = &cache_->Get(path, rootIni_, &ReadMiniTextsForSearch);
  SearchResult result;
  // The bar has no name to be found by.
  if (MatchNote(std::wstring(), texts, words_, foldedWords_, &result)) results_.push_back(std::move(result));
}

bool SearchWalk::Step(const std::function<bool()>& more) {
  while (!done_) {
    if (!listed_) {
      const std::string& page = pages_[page_];
      entries_ = ListFolder(PathJoin(root_, page.empty() ? std::string(kCommonFolderName) : page));
      for (size_t i = 0; i < entries_.size(); ++i) entryIndex_[LowerAscii(entries_[i].cFileName)] = i;
      listed_ = true;
    }
    if (entry_ >= entries_.size()) {
      NextFolder();
      continue;
    }
    SearchEntry(entries_[entry_++]);
    if (!more()) break;
  }
  return done_;
}

void SearchWalk::SearchEntry(const WIN32_FIND_DATAA& entry) {
  NoteKind kind = NoteKindOfEntry(entry);
  if (kind == NoteKind::kNone) return;
  const std::string& page = pages_[page_];
  std::string folder = PathJoin(root_, page.empty() ? std::string(kCommonFolderName) : page);
  std::string path = PathJoin(folder, entry.cFileName);
  if (path.empty()) return;
  SearchNoteTexts texts;
  uint64_t size = (static_cast<uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
  if (kind == NoteKind::kText && size <= kMaxSearchedFileBytes) {
    texts.body = &cache_->Get(path, entry, &ReadTextNoteForSearch);
  } else if (kind == NoteKind::kBrowser) {
    texts.url = &cache_->Get(path, entry, &ReadUrlForSearch);
  }
  // A folder note is searched by its name only; the settings file beside
  // any other note may hold its mini notes.
  if (kind != NoteKind::kFolder) {
    auto settings = entryIndex_.find(LowerAscii(std::string(entry.cFileName) + ".ini"));
    if (settings != entryIndex_.end()) {
      std::string settingsPath = PathAppend(path, ".ini");
      if (!settingsPath.empty()) {
        texts.minis = &cache_->Get(settingsPath, entries_[settings->second], &ReadMiniTextsForSearch);
      }
    }
  }
  SearchResult result;
  if (!MatchNote(WideFromAnsi(entry.cFileName), texts, words_, foldedWords_, &result)) return;
  result.page = page;
  result.noteName = page.empty() ? Quote(entry.cFileName) : std::string(entry.cFileName);
  result.kind = kind;
  results_.push_back(std::move(result));
}

}  // namespace memo
