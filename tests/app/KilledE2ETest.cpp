// The program killed at random moments (a power cut, a crash, the task
// manager) while the user types and the notes save: every note file must
// afterwards hold a text the note really had, never an empty or cut one, and
// every settings file must still read.
//
// The notes are a few hundred KiB each so that a save takes long enough for
// a kill to land inside the write. The rounds and the seed come from the
// environment (MEMOPANE_KILL_ROUNDS, MEMOPANE_KILL_SEED); scripts/kill-soak.sh
// runs many more rounds than CI does.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
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
void WaitUntilSaveStarts(NoteSession& session, const std::vector<std::string>& names,
                         const std::vector<FileState>& before) {
  DWORD start = ::GetTickCount();
  int tempsBefore = TempFilesIn(session.PageFolder());
  for (unsigned spin = 0; ::GetTickCount() - start < 2000; ++spin) {
    for (size_t i = 0; i < names.size(); ++i) {
      if (!(StateOf(session.NotePath(names[i])) == before[i])) return;
    }
    if (spin % 8 == 0 && TempFilesIn(session.PageFolder()) != tempsBefore) return;
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

TEST(KilledTest, EveryNoteFileHoldsASavedTextAfterKillsDuringTypingAndSaves) {
  const unsigned rounds = EnvNumber("MEMOPANE_KILL_ROUNDS", 24);
  const unsigned seed = EnvNumber("MEMOPANE_KILL_SEED", 20261207);
  std::mt19937 random(seed);
  SCOPED_TRACE("seed " + std::to_string(seed));

  UnmanagedWindowsScope unmanaged;
  NoteSession session;
  std::vector<std::string> names;
  std::vector<std::string> onDisk;
  for (int i = 0; i < kNotes; ++i) {
    names.push_back("note" + std::to_string(i) + ".txt");
    onDisk.push_back(BaseText(i));
    ASSERT_TRUE(WriteBytes(session.NotePath(names[i]), onDisk[i]));
    // Kept up while no window of the program is in front.
    IniSet(session.NotePath(names[i]) + ".ini", "Window", "Style", "1");
  }

  unsigned killedInSaves = 0;
  for (unsigned round = 0; round < rounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    ASSERT_TRUE(session.Start());
    std::vector<HWND> bodies;
    for (const std::string& name : names) {
      HWND note = session.WaitNote(name, kTextClass, 30000);
      ASSERT_NE(note, nullptr) << name;
      HWND body = NoteSession::Body(note);
      // The whole file is shown before anything is typed.
      ASSERT_TRUE(WaitUntil([&] { return TextLength(body) > 0; }, 30000));
      bodies.push_back(body);
    }

    // Typing and saving, then the kill: while typing, a moment after the
    // saves were asked for, or at the first sign of a save on disk (a note
    // file changed or a temporary file made), which is the moment a save
    // that writes over the note file would leave it cut.
    std::vector<std::vector<std::string>> typed(kNotes);
    const int bursts = 1 + static_cast<int>(random() % 3);
    // Half of the kills at a save's first sign: that is where a cut file
    // would come from.
    const unsigned draw = random() % 6;
    const Kill kill = draw == 0 ? Kill::kWhileTyping : draw < 3 ? Kill::kAfterAWhile : Kill::kAtFirstWrite;
    for (int burst = 0; burst < bursts; ++burst) {
      for (int i = 0; i < kNotes; ++i) {
        std::string piece = "[" + std::to_string(round) + "." + std::to_string(burst) + "]\r\n";
        auto end = static_cast<WPARAM>(TextLength(bodies[i]));
        ::SendMessageA(bodies[i], EM_SETSEL, end, end);
        InsertText(bodies[i], piece);
        typed[i].push_back(piece);
      }
      bool last = burst == bursts - 1;
      if (last && kill == Kill::kWhileTyping) break;
      std::vector<FileState> before;
      for (const std::string& name : names) before.push_back(StateOf(session.NotePath(name)));
      // The save the note's own timer makes ten seconds after typing.
      for (HWND body : bodies) ::PostMessageA(::GetParent(body), WM_TIMER, kTimerSave, 0);
      if (last && kill == Kill::kAtFirstWrite) {
        WaitUntilSaveStarts(session, names, before);
        ++killedInSaves;
      } else if (last) {
        ::Sleep(random() % 60);
      } else {
        ::Sleep(random() % 400);
      }
    }
    session.app().Kill();

    for (int i = 0; i < kNotes; ++i) {
      std::optional<std::string> text = ReadBytes(session.NotePath(names[i]));
      ASSERT_TRUE(text) << names[i] << " is gone; the page holds " << Listing(session.PageFolder());
      ASSERT_TRUE(IsSavedState(*text, onDisk[i], typed[i]))
          << names[i] << " holds " << text->size() << " bytes, a text it never had (" << onDisk[i].size()
          << " before this round)";
      onDisk[i] = *text;
    }
    for (const std::string& name : names) {
      EXPECT_TRUE(SettingsFileReads(session.NotePath(name) + ".ini")) << name;
    }
    EXPECT_TRUE(SettingsFileReads(Join(session.root(), "root.ini")));
  }
  std::printf("%u rounds, %u killed at the first sign of a save\n", rounds, killedInSaves);
}

}  // namespace
}  // namespace memo::test
