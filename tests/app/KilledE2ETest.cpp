// The program killed at random moments (a power cut, a crash, the task
// manager) while the user types into text notes and mini notes and they
// save: every note file, and every mini note's text in its owner's settings
// file, must afterwards hold a text the note really had, never an empty or
// cut one, and every settings file must still read.
//
// The notes are a few hundred KiB each so that a save takes long enough for
// a kill to land inside the write. The rounds and the seed come from the
// environment (MEMOPANE_KILL_ROUNDS, MEMOPANE_KILL_SEED); scripts/kill-soak.sh
// runs many more rounds than CI does.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "frame/Messages.h"
#include "tests/support/AppDriver.h"
#include "tests/support/Keys.h"
#include "tests/support/NoteSession.h"
#include "tests/support/TestFiles.h"

namespace memo::test {
namespace {

constexpr int kNotes = 3;
constexpr size_t kNoteBytes = 300 * 1024;

unsigned EnvNumber(const char* name, unsigned fallback) {
  const char* value = std::getenv(name);
  return value && *value ? static_cast<unsigned>(std::strtoul(value, nullptr, 10)) : fallback;
}

// Lines of text, different for every note, as a user's long note might be.
std::string BaseText(int note) {
  std::string text;
  for (int line = 0; text.size() < kNoteBytes; ++line) {
    text += "note " + std::to_string(note) + " line " + std::to_string(line) +
            " the quick brown fox jumps over the lazy dog\r\n";
  }
  return text;
}

// The length of a control's text in another process (GetWindowTextLength
// does not ask a window of another process).
size_t TextLength(HWND hwnd) {
  DWORD_PTR length = 0;
  ::SendMessageTimeoutA(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length);
  return length;
}

std::string Listing(const std::string& folder) {
  std::string names;
  WIN32_FIND_DATAA found;
  HANDLE find = ::FindFirstFileA(Join(folder, "*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    names += std::string(found.cFileName) + " (" + std::to_string(found.nFileSizeLow) + ") ";
  } while (::FindNextFileA(find, &found));
  ::FindClose(find);
  return names;
}

enum class Kill { kWhileTyping, kAfterAWhile, kAtFirstWrite };

struct FileState {
  ULONGLONG size = 0;
  FILETIME written{};
  bool operator==(const FileState& other) const {
    return size == other.size && ::CompareFileTime(&written, &other.written) == 0;
  }
};

FileState StateOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  FileState state;
  if (::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
    state.size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    state.written = data.ftLastWriteTime;
  }
  return state;
}

// Temporary files that saves make beside the notes (earlier kills may have
// left some).
int TempFilesIn(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE find = ::FindFirstFileA(Join(folder, ".~m*.tmp").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return 0;
  int count = 0;
  do {
    ++count;
  } while (::FindNextFileA(find, &found));
  ::FindClose(find);
  return count;
}

// Spins (no sleep: a write lasts microseconds) until a note file differs
// from before or a temporary file appears, for at most two seconds.
void WaitUntilSaveStarts(const std::string& folder, const std::vector<std::string>& files,
                         const std::vector<FileState>& before) {
  DWORD start = ::GetTickCount();
  int tempsBefore = TempFilesIn(folder);
  for (unsigned spin = 0; ::GetTickCount() - start < 2000; ++spin) {
    for (size_t i = 0; i < files.size(); ++i) {
      if (!(StateOf(files[i]) == before[i])) return;
    }
    if (spin % 8 == 0 && TempFilesIn(folder) != tempsBefore) return;
  }
}

// True when text is before followed by the first n pieces, for some n: a
// text the note held at the moment of one of its saves.
bool IsSavedState(const std::string& text, const std::string& before, const std::vector<std::string>& pieces) {
  if (text.compare(0, before.size(), before) != 0 || text.size() < before.size()) return false;
  size_t at = before.size();
  for (const std::string& piece : pieces) {
    if (at == text.size()) return true;
    if (text.compare(at, piece.size(), piece) != 0) return false;
    at += piece.size();
  }
  return at == text.size();
}

// A settings file reads when every line is blank, a comment, a section
// header or a key with a value, and it names at least one section.
bool SettingsFileReads(const std::string& path) {
  std::optional<std::string> bytes = ReadBytes(path);
  if (!bytes) return false;
  bool section = false;
  size_t start = 0;
  while (start < bytes->size()) {
    size_t end = bytes->find('\n', start);
    if (end == std::string::npos) end = bytes->size();
    std::string line = bytes->substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    start = end + 1;
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[' && line.back() == ']') {
      section = true;
      continue;
    }
    if (line.find('=') == std::string::npos || line[0] == '=') return false;
  }
  return section;
}

// The text of a mini note as its owner's settings file holds it: "%02X"
// pairs ended by "."; nullopt when the key is missing or not such pairs.
std::optional<std::string> MiniText(const std::string& ini) {
  std::vector<char> buffer(1 << 20);
  ::GetPrivateProfileStringA("Mini1", "Text", "", buffer.data(), static_cast<DWORD>(buffer.size()), ini.c_str());
  std::string hex = buffer.data();
  if (hex.empty() || hex.back() != '.' || hex.size() % 2 != 1) return std::nullopt;
  std::string text;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    text.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return text;
}

std::string Hex(const std::string& text) {
  std::string hex;
  char pair[3];
  for (unsigned char c : text) {
    std::snprintf(pair, sizeof(pair), "%02X", c);
    hex += pair;
  }
  return hex + ".";
}

// Something the user types into: a text note (its file) or the mini note
// of that text note (the Text key in the note's settings file).
struct Holder {
  std::string label;
  std::string file;  // watched for the first sign of a save
  bool mini = false;
  std::string onDisk;
  HWND body = nullptr;
  std::vector<std::string> typed;

  std::optional<std::string> Read() const { return mini ? MiniText(file) : ReadBytes(file); }
};

TEST(KilledTest, EveryNoteHoldsASavedTextAfterKillsDuringTypingAndSaves) {
  const unsigned rounds = EnvNumber("MEMOPANE_KILL_ROUNDS", 24);
  const unsigned seed = EnvNumber("MEMOPANE_KILL_SEED", 20261207);
  std::mt19937 random(seed);
  SCOPED_TRACE("seed " + std::to_string(seed));

  UnmanagedWindowsScope unmanaged;
  NoteSession session;
  std::vector<std::string> names;
  std::vector<Holder> holders;
  for (int i = 0; i < kNotes; ++i) {
    names.push_back("note" + std::to_string(i) + ".txt");
    std::string path = session.NotePath(names[i]);
    ASSERT_TRUE(WriteBytes(path, BaseText(i)));
    // Kept up while no window of the program is in front.
    IniSet(path + ".ini", "Window", "Style", "1");
    std::string label = "label of note " + std::to_string(i) + "\r\n";
    IniSet(path + ".ini", "Mini1", "X", std::to_string(700 + 10 * i).c_str());
    IniSet(path + ".ini", "Mini1", "Y", std::to_string(500 + 30 * i).c_str());
    IniSet(path + ".ini", "Mini1", "Text", Hex(label).c_str());
    holders.push_back({names[i], path, false, BaseText(i), nullptr, {}});
    holders.push_back({names[i] + " Mini1", path + ".ini", true, label, nullptr, {}});
  }

  unsigned killedInSaves = 0;
  for (unsigned round = 0; round < rounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    // The bar shows once every note is made, each with 300 KiB of text: on a
    // busy machine that takes longer than the usual wait.
    ASSERT_TRUE(session.app().StartWithRoot(session.root()));
    ASSERT_TRUE(session.app().WaitMainBarVisible(60000));
    for (size_t h = 0; h < holders.size(); h += 2) {
      HWND note = session.WaitNote(holders[h].label, kTextClass, 30000);
      ASSERT_NE(note, nullptr) << holders[h].label;
      holders[h].body = NoteSession::Body(note);
      // The whole file is shown before anything is typed.
      ASSERT_TRUE(WaitUntil([&] { return TextLength(holders[h].body) > 0; }, 30000));
      HWND mini = nullptr;
      ASSERT_TRUE(WaitUntil([&] {
        for (HWND w : session.app().Windows("Memopane-Mini", "Mini1")) {
          if (::GetWindow(w, GW_OWNER) == note) mini = w;
        }
        return mini != nullptr;
      }));
      holders[h + 1].body = NoteSession::Body(mini);
      ASSERT_TRUE(WaitUntil([&] { return TextLength(holders[h + 1].body) > 0; }));
    }

    // Typing and saving, then the kill: while typing, a moment after the
    // saves were asked for, or at the first sign of a save on disk (a file
    // changed or a temporary file made), which is the moment a save that
    // writes over its file would leave it cut.
    for (Holder& holder : holders) holder.typed.clear();
    const int bursts = 1 + static_cast<int>(random() % 3);
    // Half of the kills at a save's first sign: that is where a cut file
    // would come from.
    const unsigned draw = random() % 6;
    const Kill kill = draw == 0 ? Kill::kWhileTyping : draw < 3 ? Kill::kAfterAWhile : Kill::kAtFirstWrite;
    for (int burst = 0; burst < bursts; ++burst) {
      for (Holder& holder : holders) {
        std::string piece = "[" + std::to_string(round) + "." + std::to_string(burst) + "]\r\n";
        auto end = static_cast<WPARAM>(TextLength(holder.body));
        ::SendMessageA(holder.body, EM_SETSEL, end, end);
        InsertText(holder.body, piece);
        holder.typed.push_back(piece);
      }
      bool last = burst == bursts - 1;
      if (last && kill == Kill::kWhileTyping) break;
      std::vector<std::string> watched;
      std::vector<FileState> before;
      for (const Holder& holder : holders) {
        watched.push_back(holder.file);
        before.push_back(StateOf(holder.file));
      }
      // The saves that the notes' own timers make ten seconds after typing.
      for (const Holder& holder : holders) ::PostMessageA(::GetParent(holder.body), WM_TIMER, kTimerSave, 0);
      if (last && kill == Kill::kAtFirstWrite) {
        WaitUntilSaveStarts(session.PageFolder(), watched, before);
        ++killedInSaves;
      } else if (last) {
        ::Sleep(random() % 60);
      } else {
        ::Sleep(random() % 400);
      }
    }
    session.app().Kill();

    for (Holder& holder : holders) {
      ASSERT_TRUE(SettingsFileReads(holder.mini ? holder.file : holder.file + ".ini")) << holder.label;
      std::optional<std::string> text = holder.Read();
      ASSERT_TRUE(text) << holder.label << " is gone; the page holds " << Listing(session.PageFolder());
      ASSERT_TRUE(IsSavedState(*text, holder.onDisk, holder.typed))
          << holder.label << " holds " << text->size() << " bytes, a text it never had (" << holder.onDisk.size()
          << " before this round)";
      holder.onDisk = *text;
    }
    EXPECT_TRUE(SettingsFileReads(Join(session.root(), "root.ini")));
  }
  std::printf("%u rounds, %u killed at the first sign of a save\n", rounds, killedInSaves);
}

}  // namespace
}  // namespace memo::test
