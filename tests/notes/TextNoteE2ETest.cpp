// Text notes in the real program: created from the main menu, typed into
// with key messages, saved 10 seconds after the last key and on closing,
// the save-failure prompt, mail drafts, and hiding and deleting through the
// delete button's menu.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/AppDriver.h"
#include "tests/support/Keys.h"
#include "tests/support/Menus.h"
#include "tests/support/NoteSession.h"
#include "tests/support/ReadOnly.h"
#include "tests/support/TestFiles.h"

namespace memo::test {
namespace {

using namespace std::string_literals;

// Started as the system's mail program (see MailProgram below), this test
// program copies the draft it was handed and ends before any test runs.
const bool kStartedAsMailProgram = [] {
  int argc = 0;
  LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  if (argv && argc == 4 && lstrcmpW(argv[1], L"--catch-mail") == 0) {
    ::CopyFileW(argv[3], argv[2], FALSE);
    ::ExitProcess(0);
  }
  ::LocalFree(argv);
  return false;
}();

// Started with --hold-file, this test program is another program that
// holds a note's file open without sharing it, until the test ends it.
const bool kStartedAsHolder = [] {
  int argc = 0;
  LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  if (argv && argc == 3 && lstrcmpW(argv[1], L"--hold-file") == 0) {
    HANDLE file = ::CreateFileW(argv[2], GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) ::ExitProcess(1);
    ::Sleep(INFINITE);
  }
  ::LocalFree(argv);
  return false;
}();

// A second process holding a file, started as above; Release ends it.
class FileHolder {
 public:
  explicit FileHolder(const std::string& path) : path_(path) {
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command = "\""s + self + "\" --hold-file \"" + path + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
      ::CloseHandle(process.hThread);
      process_ = process.hProcess;
    }
  }
  ~FileHolder() { Release(); }
  FileHolder(const FileHolder&) = delete;
  FileHolder& operator=(const FileHolder&) = delete;

  // True once the file cannot be opened for writing.
  bool Holding() const {
    return process_ && WaitUntil([&] {
             HANDLE file = ::CreateFileA(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
             if (file == INVALID_HANDLE_VALUE) return ::GetLastError() == ERROR_SHARING_VIOLATION;
             ::CloseHandle(file);
             return false;
           });
  }
  void Release() {
    if (!process_) return;
    ::TerminateProcess(process_, 0);
    ::WaitForSingleObject(process_, 10000);
    ::CloseHandle(process_);
    process_ = nullptr;
  }

 private:
  std::string path_;
  HANDLE process_ = nullptr;
};

// Another program writes the file: cmd's echo, with its line end.
bool WriteFromCmd(const std::string& path, const std::string& word) {
  std::string command = "cmd.exe /c echo " + word + ">\"" + path + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &process)) {
    return false;
  }
  ::WaitForSingleObject(process.hProcess, 10000);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return ReadBytes(path) == word + "\r\n";
}

constexpr char kNewTextName[] = "新しいテキスト1.txt";
constexpr char kSavePrompt[] = "保存に失敗しました\r\n\r\n名前を付けて保存しますか？";

// "日本語" in CP932, spelled out so that the check does not depend on how
// this file's literals are compiled.
const std::string kNihongo = "\x93\xFA\x96\x7B\x8C\xEA";

// A file time far in the past, to see whether a save touched the file.
void MakeOld(const std::string& path) {
  HANDLE file = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  SYSTEMTIME st{2001, 1, 0, 1, 0, 0, 0, 0};
  FILETIME ft;
  ::SystemTimeToFileTime(&st, &ft);
  ::SetFileTime(file, nullptr, nullptr, &ft);
  ::CloseHandle(file);
}

bool IsOld(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
  SYSTEMTIME st;
  ::FileTimeToSystemTime(&data.ftLastWriteTime, &st);
  return st.wYear == 2001;
}

// Puts the caret at the end of the text, as a click there would.
void CaretToEnd(HWND body) {
  auto end = static_cast<WPARAM>(WindowText(body).size());
  ::SendMessageA(body, EM_SETSEL, end, end);
}

// The visible dialogs of the program with this title.
size_t DialogsTitled(AppDriver& app, const std::string& title) {
  return app.Windows("#32770", title.c_str(), true).size();
}

TEST(TextNoteTest, NewNoteFromTheMenuSavesWhatWasTypedWhenItCloses) {
  NoteSession session;
  ASSERT_TRUE(session.Start());
  HWND menu = session.OpenMainMenu();
  ASSERT_TRUE(menu);
  MenuPostChar(menu, 'n');  // 新規作成(&N)
  menu = WaitPopupMenu(session.app().pid(), 2);
  ASSERT_TRUE(menu);
  MenuPostChar(menu, 't');  // テキスト付箋(&T)
  HWND note = session.WaitNote(kNewTextName);
  ASSERT_TRUE(note);
  EXPECT_EQ(ReadBytes(session.NotePath(kNewTextName)), "") << "created empty";
  HWND body = NoteSession::Body(note);
  ASSERT_TRUE(body);

  ASSERT_TRUE(PostTyping(body, "memo 1\n"));
  ASSERT_EQ(WaitBodyText(body, "memo 1\r\n"), "memo 1\r\n");
  InsertText(body, kNihongo);
  ASSERT_TRUE(PostTyping(body, "\n\tEnd."));
  const std::string expected = "memo 1\r\n" + kNihongo + "\r\n\tEnd.";
  ASSERT_EQ(WaitBodyText(body, expected), expected);

  // Well within the 10 seconds: only the close can have saved it.
  ASSERT_TRUE(NoteSession::CloseNote(note));
  EXPECT_EQ(ReadBytes(session.NotePath(kNewTextName)), expected);
  EXPECT_EQ(session.app().Quit(), 0u);
}

TEST(TextNoteTest, SavedTenSecondsAfterTheLastKeyAndPromptedWhenSavingFails) {
  NoteSession session;
  ASSERT_TRUE(WriteBytes(session.NotePath("a.txt"), "old"));
  ASSERT_TRUE(WriteBytes(session.NotePath("b.txt"), "keep"));
  ASSERT_TRUE(MakeReadOnly(session.NotePath("b.txt")));
  ASSERT_TRUE(session.Start());
  HWND a = session.WaitNote("a.txt");
  HWND b = session.WaitNote("b.txt");
  ASSERT_TRUE(a && b);
  HWND aBody = NoteSession::Body(a);
  HWND bBody = NoteSession::Body(b);

  CaretToEnd(aBody);
  ASSERT_TRUE(PostTyping(aBody, " one"));
  ASSERT_EQ(WaitBodyText(aBody, "old one"), "old one");
  PumpFor(5000);
  // The second burst restarts the countdown.
  ASSERT_TRUE(PostTyping(aBody, " two"));
  ASSERT_EQ(WaitBodyText(aBody, "old one two"), "old one two");
  DWORD lastKey = ::GetTickCount();

  // The read-only note: typed, then closed at once.
  CaretToEnd(bBody);
  ASSERT_TRUE(PostTyping(bBody, "!"));
  ASSERT_EQ(WaitBodyText(bBody, "keep!"), "keep!");
  ::PostMessageA(b, WM_CLOSE, 0, 0);
  const std::string bPath = session.NotePath("b.txt");
  auto prompt = session.app().WaitDialog(kDefaultWaitMs, bPath.c_str());
  ASSERT_TRUE(prompt) << "no save-failure prompt titled with the note path";
  EXPECT_EQ(prompt->text, kSavePrompt);
  EXPECT_TRUE(prompt->errorIcon);
  EXPECT_EQ(prompt->owner, b);
  std::vector<int> ids;
  for (const auto& button : prompt->buttons) ids.push_back(button.first);
  EXPECT_EQ(ids, (std::vector<int>{IDYES, IDNO}));

  // Ten seconds after the first burst the file is still untouched.
  PumpFor(6000 - (::GetTickCount() - lastKey));
  EXPECT_EQ(ReadBytes(session.NotePath("a.txt")), "old");
  ASSERT_TRUE(WaitUntil([&] { return ReadBytes(session.NotePath("a.txt")) == "old one two"; }, 8000));
  DWORD delay = ::GetTickCount() - lastKey;
  EXPECT_GE(delay, 9500u);
  EXPECT_LE(delay, 12000u);

  // b's own countdown ran out while its prompt was up: still one prompt.
  PumpFor(500);
  EXPECT_EQ(DialogsTitled(session.app(), bPath), 1u);
  ASSERT_TRUE(session.app().Answer(*prompt, IDNO));
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(b); }));
  EXPECT_EQ(ReadBytes(bPath), "keep");
  EXPECT_TRUE(IsReadOnly(bPath));
  EXPECT_EQ(DialogsTitled(session.app(), bPath), 0u);
  ClearReadOnly(bPath);
  EXPECT_EQ(session.app().Quit(), 0u);
}

TEST(TextNoteTest, LeavingThePageRewritesEditedTextAndSparesWhatWasOnlyShown) {
  NoteSession session;
  // CR LF, a tab, and "表" whose trail byte is a backslash.
  const std::string plain = "行1\r\n\tタブ\r\n表";
  const std::string withNul = "abc\0def"s;
  ASSERT_TRUE(WriteBytes(session.NotePath("plain.txt"), plain));
  ASSERT_TRUE(WriteBytes(session.NotePath("looked.txt"), plain));
  ASSERT_TRUE(WriteBytes(session.NotePath("zero.txt"), withNul));
  for (const char* name : {"plain.txt", "looked.txt", "zero.txt"}) MakeOld(session.NotePath(name));
  ASSERT_TRUE(session.Start());
  HWND plainNote = session.WaitNote("plain.txt");
  HWND lookedNote = session.WaitNote("looked.txt");
  HWND zeroNote = session.WaitNote("zero.txt");
  ASSERT_TRUE(plainNote && lookedNote && zeroNote);
  EXPECT_EQ(WindowText(NoteSession::Body(plainNote)), plain);
  EXPECT_EQ(WindowText(NoteSession::Body(lookedNote)), plain);
  EXPECT_EQ(WindowText(NoteSession::Body(zeroNote)), "abc");
  // An edit that ends in the same text still counts as an edit.
  HWND plainBody = NoteSession::Body(plainNote);
  CaretToEnd(plainBody);
  ASSERT_TRUE(PostTyping(plainBody, "x"));
  PostKey(plainBody, VK_BACK);
  ASSERT_TRUE(WaitUntil([&] { return ::SendMessageA(plainBody, EM_GETMODIFY, 0, 0) && WindowText(plainBody) == plain; }));

  ASSERT_TRUE(session.SwitchPage("other"));
  EXPECT_FALSE(::IsWindow(plainNote));
  EXPECT_FALSE(::IsWindow(zeroNote));
  EXPECT_EQ(ReadBytes(Join(session.PageFolder("page"), "plain.txt")), plain);
  EXPECT_FALSE(IsOld(Join(session.PageFolder("page"), "plain.txt"))) << "closing rewrites an edited note";
  EXPECT_EQ(ReadBytes(Join(session.PageFolder("page"), "looked.txt")), plain);
  EXPECT_TRUE(IsOld(Join(session.PageFolder("page"), "looked.txt"))) << "a note only looked at is not rewritten";
  EXPECT_EQ(ReadBytes(Join(session.PageFolder("page"), "zero.txt")), withNul);
  EXPECT_TRUE(IsOld(Join(session.PageFolder("page"), "zero.txt"))) << "not even rewritten";
  EXPECT_EQ(session.app().Quit(), 0u);
}

// Answers the program's save dialog with a bare file name and saves.
bool SaveUnderName(AppDriver& app, const std::string& name) {
  HWND dialog = nullptr, box = nullptr;
  WaitUntil([&] {
    for (HWND candidate : app.Windows("#32770", nullptr, true)) {
      box = ::GetDlgItem(candidate, 0x47C);  // the file name combo box
      if (!box) box = ::GetDlgItem(candidate, 0x480);  // or the plain edit box
      if (box) dialog = candidate;
      if (box) return true;
    }
    return false;
  });
  if (!box || !SetText(box, name)) return false;
  return ::PostMessageA(dialog, WM_COMMAND, IDOK, 0) != FALSE;
}

TEST(TextNoteTest, AClosePromptedAgainstAHeldFileWaitsForThePromptAndKeepsTheText) {
  NoteSession session;
  const std::string path = session.NotePath("a.txt");
  ASSERT_TRUE(WriteBytes(path, "old"));
  ASSERT_TRUE(session.Start());
  HWND note = session.WaitNote("a.txt");
  ASSERT_TRUE(note);
  CaretToEnd(NoteSession::Body(note));
  ASSERT_TRUE(PostTyping(NoteSession::Body(note), " new"));
  ASSERT_EQ(WaitBodyText(NoteSession::Body(note), "old new"), "old new");
  std::optional<FileHolder> holder(path);
  ASSERT_TRUE(holder->Holding());
  ::PostMessageA(note, WM_TIMER, 11, 0);
  auto prompt = session.app().WaitDialog(kDefaultWaitMs, path.c_str());
  ASSERT_TRUE(prompt);

  // The page changes under the prompt: the note stays until it is answered,
  // then saves to its own page's file, and leaves nothing in the new page.
  ASSERT_TRUE(session.SwitchPage("other"));
  EXPECT_TRUE(::IsWindow(note)) << "closed under its prompt";
  EXPECT_TRUE(::IsWindow(prompt->hwnd));
  holder.reset();
  ASSERT_TRUE(session.app().Answer(*prompt, IDNO));
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(note); }));
  EXPECT_EQ(ReadBytes(path), "old new");
  EXPECT_EQ(ListNames(session.PageFolder()), std::vector<std::string>{});
  EXPECT_TRUE(session.app().NoDialogFor(300));

  // The end of the program under the prompt: the program ends once the
  // note has saved.
  ASSERT_TRUE(session.SwitchPage("page"));
  note = session.WaitNote("a.txt");
  ASSERT_TRUE(note);
  CaretToEnd(NoteSession::Body(note));
  ASSERT_TRUE(PostTyping(NoteSession::Body(note), " again"));
  ASSERT_EQ(WaitBodyText(NoteSession::Body(note), "old new again"), "old new again");
  holder.emplace(path);
  ASSERT_TRUE(holder->Holding());
  ::PostMessageA(note, WM_TIMER, 11, 0);
  ASSERT_TRUE(session.app().WaitDialog(kDefaultWaitMs, path.c_str()));
  holder.reset();
  ::PostMessageA(session.bar(), WM_CLOSE, 0, 0);
  EXPECT_EQ(session.app().WaitExit(), 0u);
  EXPECT_EQ(ReadBytes(path), "old new again");
}

TEST(TextNoteTest, ConflictsKeepTheOutsideTextAndTellWhereTheEditsWent) {
  NoteSession session;
  const std::string path = session.NotePath("b.txt");
  ASSERT_TRUE(WriteBytes(path, "base"));
  // Names of first copies this minute and the next are taken: a settings
  // file without its note in the page, a note of common.
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  FILETIME time;
  ::SystemTimeToFileTime(&now, &time);
  ASSERT_TRUE(MakeFolder(Join(session.root(), "common")));
  for (int minute = 0; minute < 2; ++minute) {
    ULARGE_INTEGER ticks{{time.dwLowDateTime, time.dwHighDateTime}};
    ticks.QuadPart += minute * 60ULL * 10000000;
    FILETIME later{ticks.LowPart, ticks.HighPart};
    SYSTEMTIME when;
    ::FileTimeToSystemTime(&later, &when);
    char stamp[32];
    std::snprintf(stamp, sizeof(stamp), "%04u-%02u-%02u %02u%02u", when.wYear, when.wMonth, when.wDay, when.wHour,
                  when.wMinute);
    std::string first = "b (競合 "s + stamp + ").txt";
    std::string second = "b (競合 "s + stamp + " 2).txt";
    IniSet(session.NotePath(first) + ".ini", "Window", "Style", "512");
    ASSERT_TRUE(WriteBytes(Join(Join(session.root(), "common"), second), "common note"));
  }
  ASSERT_TRUE(session.Start());
  HWND note = session.WaitNote("b.txt");
  ASSERT_TRUE(note);
  HWND body = NoteSession::Body(note);

  // Saved under its own name through Save As, the note takes the write for
  // its own: the next save makes no conflict copy.
  CaretToEnd(body);
  ASSERT_TRUE(PostTyping(body, " mine"));
  ::PostMessageA(note, WM_COMMAND, 57604, 0);
  ASSERT_TRUE(SaveUnderName(session.app(), "b.txt"));
  // The dialog asks before it replaces the file.
  std::optional<DialogInfo> overwrite;
  ASSERT_TRUE(WaitUntil([&] {
    for (HWND dialog : session.app().Windows("#32770", nullptr, true)) {
      DialogInfo info = ReadDialog(dialog);
      for (const auto& button : info.buttons) {
        if (button.first == IDYES) overwrite = info;
      }
    }
    return overwrite.has_value();
  }));
  ASSERT_TRUE(session.app().Answer(*overwrite, IDYES));
  ASSERT_TRUE(WaitUntil([&] { return ReadBytes(path) == "base mine"; }));
  ASSERT_TRUE(PostTyping(body, " more"));
  ASSERT_EQ(WaitBodyText(body, "base mine more"), "base mine more");
  ::PostMessageA(note, WM_TIMER, 11, 0);
  ASSERT_TRUE(WaitUntil([&] { return ReadBytes(path) == "base mine more"; }));
  for (const std::string& name : ListNames(session.PageFolder())) {
    EXPECT_NE(name.substr(name.size() - 5), ").txt") << "a conflict copy of the note's own save: " << name;
  }

  // Another program writes the file, and the page changes before the note
  // saw it: the edits go to a copy with a free name, told in a box.
  ASSERT_TRUE(PostTyping(body, "!"));
  ASSERT_EQ(WaitBodyText(body, "base mine more!"), "base mine more!");
  ASSERT_TRUE(WriteFromCmd(path, "theirs"));
  ASSERT_TRUE(MakeFolder(Join(session.root(), "other")));
  AsyncSetText switchPage(session.bar(), "other");
  auto told = session.app().WaitDialog(kDefaultWaitMs, "Memopane");
  ASSERT_TRUE(told) << "the copy is announced where it stays visible";
  std::string copyName;
  for (const std::string& name : ListNames(session.PageFolder())) {
    if (name.find(" 3).txt") != std::string::npos && name.find(".ini") == std::string::npos) copyName = name;
  }
  ASSERT_FALSE(copyName.empty()) << "the copy took a taken name";
  EXPECT_NE(told->text.find(copyName), std::string::npos) << told->text;
  ASSERT_TRUE(session.app().Answer(*told, IDOK));
  EXPECT_TRUE(switchPage.Wait());
  EXPECT_EQ(ReadBytes(path), "theirs\r\n");
  EXPECT_EQ(ReadBytes(session.NotePath(copyName)), "base mine more!");
  for (const std::string& name : ListNames(session.PageFolder())) {
    EXPECT_NE(name.compare(0, 3, ".~m"), 0) << "a temporary file left: " << name;
  }
  EXPECT_EQ(session.app().Quit(), 0u);
}

TEST(TextNoteTest, TheSaveDialogAfterAConflictDoesNotOfferTheChangedFile) {
  NoteSession session;
  // A name so long that no conflict copy fits beside it: the note asks
  // where its edits should go.
  std::string name(245 - session.PageFolder().size() - 1 - 4, 'n');
  name += ".txt";
  const std::string path = session.NotePath(name);
  ASSERT_TRUE(MakeFolder(session.PageFolder()));
  ASSERT_TRUE(WriteBytes(path, "base"));
  ASSERT_TRUE(session.Start());
  HWND note = session.WaitNote(name);
  ASSERT_TRUE(note);
  CaretToEnd(NoteSession::Body(note));
  ASSERT_TRUE(PostTyping(NoteSession::Body(note), " mine"));
  ASSERT_EQ(WaitBodyText(NoteSession::Body(note), "base mine"), "base mine");
  ASSERT_TRUE(WriteFromCmd(path, "theirs"));
  ::PostMessageA(note, WM_TIMER, 11, 0);
  auto prompt = session.app().WaitDialog(kDefaultWaitMs, path.c_str());
  ASSERT_TRUE(prompt);
  ASSERT_TRUE(session.app().Answer(*prompt, IDYES));

  // Enter, and Yes to whatever the dialog asks: the outside text stays.
  HWND dialog = nullptr, box = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    for (HWND candidate : session.app().Windows("#32770", nullptr, true)) {
      box = ::GetDlgItem(candidate, 0x47C);
      if (!box) box = ::GetDlgItem(candidate, 0x480);
      if (box) dialog = candidate;
      if (box) return true;
    }
    return false;
  }));
  EXPECT_EQ(WindowText(box).find(name), std::string::npos) << WindowText(box);
  ::PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  PumpFor(1000);
  for (HWND candidate : session.app().Windows("#32770", nullptr, true)) {
    DialogInfo info = ReadDialog(candidate);
    for (const auto& button : info.buttons) {
      if (button.first == IDYES) session.app().Answer(info, IDYES);
    }
  }
  PumpFor(1000);
  EXPECT_EQ(ReadBytes(path), "theirs\r\n");
  if (::IsWindow(dialog)) ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  session.app().Kill();
}

TEST(TextNoteTest, ANoteThatIsALinkStaysALinkAndEveryNameSeesTheEdit) {
  NoteSession session;
  // A note linked from a file kept elsewhere, and a note with a second name.
  ASSERT_TRUE(WriteBytes(Join(session.root(), "kept.txt"), "linked"));
  ASSERT_TRUE(MakeFolder(session.PageFolder()));
  if (!MakeSymbolicLink(session.PageFolder(), "link.txt", "..\\kept.txt")) GTEST_SKIP() << "no symbolic links here";
  ASSERT_TRUE(WriteBytes(session.NotePath("hard.txt"), "hard"));
  const std::string otherName = Join(session.root(), "other name.txt");
  ASSERT_TRUE(::CreateHardLinkA(otherName.c_str(), session.NotePath("hard.txt").c_str(), nullptr));
  ASSERT_TRUE(session.Start());
  for (const char* name : {"link.txt", "hard.txt"}) {
    HWND note = session.WaitNote(name);
    ASSERT_TRUE(note) << name;
    CaretToEnd(NoteSession::Body(note));
    ASSERT_TRUE(PostTyping(NoteSession::Body(note), " edited"));
    ASSERT_TRUE(WaitUntil([&] { return WindowText(NoteSession::Body(note)).find(" edited") != std::string::npos; }));
  }
  ASSERT_TRUE(session.SwitchPage("other"));
  EXPECT_EQ(ReadBytes(Join(session.root(), "kept.txt")), "linked edited");
  EXPECT_EQ(FinalName(Join(session.PageFolder("page"), "link.txt")), "kept.txt") << "the link became a file";
  EXPECT_EQ(ReadBytes(otherName), "hard edited");
  EXPECT_EQ(ReadBytes(Join(session.PageFolder("page"), "hard.txt")), "hard edited");
  EXPECT_EQ(session.app().Quit(), 0u);
}

// Lines of printable text, as long as asked, padded with single bytes so
// that no double-byte character is cut.
std::string Lines(size_t size) {
  std::string text;
  for (int i = 0;; ++i) {
    std::string line = "line " + std::to_string(i) + " 日本語のメモ\r\n";
    if (text.size() + line.size() > size) break;
    text += line;
  }
  text.resize(size, 'x');
  return text;
}

TEST(TextNoteTest, LargeNotesOpenWholeWithoutABoxAndAnEditKeepsEveryByte) {
  NoteSession session;
  // Inside the range that the edit control's default limit refused, past
  // 64 KiB where lengths wrapped, and, on a page of its own since Wine's
  // edit control takes seconds for it, several megabytes.
  const std::vector<std::pair<std::string, size_t>> notes = {
      {"mid.txt", 40000}, {"big.txt", 140001}, {"huge.txt", 3 * 1024 * 1024}};
  const std::string pages[] = {"page", "page", "huge"};
  ASSERT_TRUE(MakeFolder(session.PageFolder("huge")));
  for (size_t i = 0; i < notes.size(); ++i) {
    ASSERT_TRUE(WriteBytes(Join(session.PageFolder(pages[i]), notes[i].first), Lines(notes[i].second)));
  }
  ASSERT_TRUE(session.Start());
  EXPECT_TRUE(session.app().NoDialogFor(500)) << "a box holds up the page";
  for (size_t i = 0; i < notes.size(); ++i) {
    SCOPED_TRACE(notes[i].first);
    if (pages[i] != pages[i > 0 ? i - 1 : 0]) {
      SetText(session.bar(), pages[i], 60000);
      ASSERT_TRUE(WaitUntil([&] { return WindowText(session.bar()) == pages[i]; }, 60000));
    }
    HWND window = session.WaitNote(notes[i].first, kTextClass, 60000);
    ASSERT_TRUE(window);
    HWND body = NoteSession::Body(window);
    EXPECT_EQ(WindowText(body), Lines(notes[i].second)) << "shown whole";
    CaretToEnd(body);
    ASSERT_TRUE(PostTyping(body, "!"));
    EXPECT_FALSE(::GetWindowLongA(body, GWL_STYLE) & ES_READONLY);
  }
  ASSERT_TRUE(session.SwitchPage("other"));
  for (size_t i = 0; i < notes.size(); ++i) {
    EXPECT_EQ(ReadBytes(Join(session.PageFolder(pages[i]), notes[i].first)), Lines(notes[i].second) + "!")
        << notes[i].first;
  }
  EXPECT_EQ(session.app().Quit(30000), 0u);
}

TEST(TextNoteTest, UnshowableNoteIsReadOnlyWithANoticeAndExportsOnlyUnderAnotherName) {
  NoteSession session;
  const std::string withNul = "abc\0def"s;
  ASSERT_TRUE(WriteBytes(session.NotePath("zero.txt"), withNul));
  ASSERT_TRUE(session.Start());
  HWND note = session.WaitNote("zero.txt");
  ASSERT_TRUE(note);
  EXPECT_TRUE(session.app().NoDialogFor(500)) << "the notice holds up nothing";
  HWND body = NoteSession::Body(note);
  EXPECT_TRUE(::GetWindowLongA(body, GWL_STYLE) & ES_READONLY);
  EXPECT_NE(NoteSession::NoticeText(note).find("読み取り専用"), std::string::npos) << NoteSession::NoticeText(note);

  // Typed keys do not change it; a save on the timer does not touch the file.
  CaretToEnd(body);
  PostKey(body, 'X');
  PumpFor(300);
  EXPECT_EQ(WindowText(body), "abc");
  ::PostMessageA(note, WM_TIMER, 11, 0);

  // Save As starts in the note's folder: a bare name lands beside the note.
  ::PostMessageA(note, WM_COMMAND, 57604, 0);
  ASSERT_TRUE(SaveUnderName(session.app(), "export"));
  EXPECT_TRUE(WaitUntil([&] { return ReadBytes(session.NotePath("export.txt")) == "abc"; }));

  ASSERT_TRUE(NoteSession::CloseNote(note));
  EXPECT_EQ(ReadBytes(session.NotePath("zero.txt")), withNul);
  EXPECT_EQ(ListNames(session.PageFolder()), (std::vector<std::string>{"export.txt", "zero.txt", "zero.txt.ini"}))
      << "no temporary file left";
  EXPECT_EQ(session.app().Quit(), 0u);
}

TEST(TextNoteTest, DuplicateCopiesWhatWasTypedBeforeItWasSaved) {
  NoteSession session;
  ASSERT_TRUE(WriteBytes(session.NotePath("a.txt"), "old"));
  ASSERT_TRUE(session.Start());
  HWND note = session.WaitNote("a.txt");
  ASSERT_TRUE(note);
  HWND body = NoteSession::Body(note);
  CaretToEnd(body);
  ASSERT_TRUE(PostTyping(body, " new"));
  ::PostMessageA(note, WM_COMMAND, 279, 0);  // well within the 10 seconds
  HWND copy = session.WaitNote("a1.txt");
  ASSERT_TRUE(copy);
  EXPECT_EQ(WindowText(NoteSession::Body(copy)), "old new");
  EXPECT_EQ(ReadBytes(session.NotePath("a1.txt")), "old new");
  EXPECT_EQ(ReadBytes(session.NotePath("a.txt")), "old new");
  EXPECT_EQ(session.app().Quit(), 0u);
}

// Makes this test program the mail program for ".eml" files, for its scope;
// the drafts it is handed are copied to caught().
class MailProgram {
 public:
  // The classes root, as the shell reads it: Wine does not merge the user's
  // own classes into it.
  MailProgram() {
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command = "\""s + self + "\" --catch-mail \"" + caught() + "\" \"%1\"";
    SetDefault(".eml", "MemopaneTest.Mail");
    SetDefault("MemopaneTest.Mail\\shell\\open\\command", command);
  }
  ~MailProgram() {
    ::RegDeleteTreeA(HKEY_CLASSES_ROOT, ".eml");
    ::RegDeleteTreeA(HKEY_CLASSES_ROOT, "MemopaneTest.Mail");
  }
  MailProgram(const MailProgram&) = delete;
  MailProgram& operator=(const MailProgram&) = delete;

  std::string caught() const { return folder_ / "caught.eml"; }

  // The draft handed to the mail program, once it arrives.
  std::optional<std::string> WaitCaught() {
    WaitUntil([&] { return FileExists(caught()); }, 15000);
    PumpFor(200);
    auto bytes = ReadBytes(caught());
    ::DeleteFileA(caught().c_str());
    return bytes;
  }

 private:
  static void SetDefault(const std::string& key, const std::string& value) {
    HKEY hkey;
    if (::RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &hkey,
                          nullptr) != ERROR_SUCCESS) {
      return;
    }
    ::RegSetValueExA(hkey, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>(value.size() + 1));
    ::RegCloseKey(hkey);
  }

  TempFolder folder_{"memo-mail"};
};

TEST(TextNoteTest, MailDraftHoldsTheThreeHeaderLinesAndTheText) {
  MailProgram mailProgram;
  NoteSession session;
  const std::string text = kNihongo + "\r\nline 2";
  ASSERT_TRUE(WriteBytes(session.NotePath("memo.txt"), text));
  ASSERT_TRUE(WriteBytes(session.NotePath("\"shared.txt\""), "in common"));
  ASSERT_TRUE(session.Start());
  HWND note = session.WaitNote("memo.txt");
  HWND shared = session.WaitNote("\"shared.txt\"");
  ASSERT_TRUE(note && shared);

  // The draft says that it is UTF-8, so that the mail program shows any
  // character the note holds.
  const std::string header =
      "\r\nX-Unsent: 1\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; charset=utf-8\r\n"
      "Content-Transfer-Encoding: 8bit\r\n\r\n";
  ::PostMessageA(note, WM_COMMAND, 278, 0);
  EXPECT_EQ(mailProgram.WaitCaught(), "Subject: memo.txt" + header + u8"日本語" + "\r\nline 2");
  const std::string draft = Join(TempDir(), "memo.txt.eml");
  EXPECT_TRUE(FileExists(draft)) << "kept until the mail program has had time to read it";

  // A note of common is named without its quotes.
  ::PostMessageA(shared, WM_COMMAND, 278, 0);
  EXPECT_EQ(mailProgram.WaitCaught(), "Subject: shared.txt" + header + "in common");

  // Closing the note removes the drafts it handed over.
  ASSERT_TRUE(NoteSession::CloseNote(note));
  EXPECT_FALSE(FileExists(draft));
  ASSERT_TRUE(NoteSession::CloseNote(shared));
  EXPECT_FALSE(FileExists(Join(TempDir(), "shared.txt.eml")));
  EXPECT_EQ(session.app().Quit(), 0u);
}

TEST(TextNoteTest, MailDraftWhoseNameWouldNotFitIsNotWritten) {
  MailProgram mailProgram;
  NoteSession session;
  ASSERT_TRUE(WriteBytes(session.NotePath("memo.txt"), "text"));
  // A temporary folder so deep that it cannot hold "memo.txt.eml".
  TempFolder deep("memo-deep");
  std::string tmp = deep.path();
  while (tmp.size() < 250) tmp += "\\d" + std::string(std::min<size_t>(40, 250 - tmp.size()), 'd');
  ASSERT_TRUE(MakeFolder(tmp));
  ASSERT_GT(tmp.size() + 1 + std::string("memo.txt.eml").size(), 259u);
  char saved[MAX_PATH] = {};
  ::GetEnvironmentVariableA("TMP", saved, MAX_PATH);
  ::SetEnvironmentVariableA("TMP", tmp.c_str());
  bool started = session.Start();
  ::SetEnvironmentVariableA("TMP", saved[0] ? saved : nullptr);
  ASSERT_TRUE(started);
  HWND note = session.WaitNote("memo.txt");
  ASSERT_TRUE(note);

  ::PostMessageA(note, WM_COMMAND, 278, 0);
  PumpFor(2000);
  EXPECT_EQ(ListNames(tmp), std::vector<std::string>{});
  EXPECT_FALSE(FileExists(mailProgram.caught())) << "nothing handed to the mail program";
  // Nor anywhere else: not beside the program's working folder.
  EXPECT_FALSE(FileExists(Join(TempDir(), ".eml")));
  EXPECT_FALSE(FileExists(Join(TempDir(), "memo.txt.eml")));
  EXPECT_EQ(session.app().Quit(), 0u);
}

TEST(TextNoteTest, HiddenNoteStaysClosedAcrossPagesUntilShownFromTheMenu) {
  NoteSession session;
  ASSERT_TRUE(WriteBytes(session.NotePath("hide.txt"), "h"));
  ASSERT_TRUE(session.Start());
  HWND note = session.WaitNote("hide.txt");
  ASSERT_TRUE(note);

  ::PostMessageA(note, WM_COMMAND, 265, 0);  // the "X" caption button
  HWND menu = WaitPopupMenu(session.app().pid());
  ASSERT_TRUE(menu);
  MenuPostChar(menu, 'h');  // 非表示(&H)
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(note); }));
  const std::string ini = session.NotePath("hide.txt") + ".ini";
  EXPECT_EQ(std::stoi(IniGet(ini, "Window", "Style", "0")) & 0x10, 0x10);

  ASSERT_TRUE(session.SwitchPage("other"));
  ASSERT_TRUE(session.SwitchPage("page"));
  PumpFor(500);
  EXPECT_FALSE(session.app().FindWindowOf(kTextClass, "hide.txt")) << "a hidden note opened with its page";

  menu = session.OpenMainMenu();
  ASSERT_TRUE(menu);
  MenuPostChar(menu, 'h');  // 表示する付箋(&H): its first item is selected
  ASSERT_TRUE(WaitPopupMenu(session.app().pid(), 2));
  MenuPostKey(menu, VK_RETURN);
  note = session.WaitNote("hide.txt");
  ASSERT_TRUE(note) << "not shown from the menu";
  EXPECT_EQ(::GetWindowLongA(note, GWL_STYLE) & 0x10, 0);

  // From now on it opens with its page again.
  ASSERT_TRUE(session.SwitchPage("other"));
  EXPECT_EQ(std::stoi(IniGet(ini, "Window", "Style", "16")) & 0x10, 0);
  ASSERT_TRUE(session.SwitchPage("page"));
  EXPECT_TRUE(session.WaitNote("hide.txt"));
  EXPECT_EQ(session.app().Quit(), 0u);
}

// The copy of a deleted file in the host's trash, found through the record
// that names its original place; the record and the copy are removed.
std::optional<std::string> TakeFromTrash(const std::string& rootFolder) {
  char home[MAX_PATH] = {};
  ::GetEnvironmentVariableA("WINEHOMEDIR", home, MAX_PATH);  // "\??\Z:\root"
  std::string trash = home;
  if (trash.compare(0, 4, "\\??\\") == 0) trash = trash.substr(4);
  if (trash.empty()) return std::nullopt;
  trash += "\\.local\\share\\Trash";
  std::string rootName = rootFolder.substr(rootFolder.find_last_of('\\') + 1);
  for (const std::string& record : ListNames(Join(trash, "info"))) {
    std::string infoPath = Join(Join(trash, "info"), record);
    auto info = ReadBytes(infoPath);
    if (!info || info->find("/" + rootName + "/") == std::string::npos) continue;
    std::string stored = Join(Join(trash, "files"), record.substr(0, record.size() - strlen(".trashinfo")));
    auto bytes = ReadBytes(stored);
    ::DeleteFileA(stored.c_str());
    ::DeleteFileA(infoPath.c_str());
    return bytes;
  }
  return std::nullopt;
}

TEST(TextNoteTest, DeleteSendsTheFileToTheTrashAndRemovesItsSettings) {
  NoteSession session;
  const std::string path = session.NotePath("gone.txt");
  ASSERT_TRUE(WriteBytes(path, "to the trash"));
  IniSet(path + ".ini", "Window", "Style", "2");
  ASSERT_TRUE(session.Start());
  HWND note = session.WaitNote("gone.txt");
  ASSERT_TRUE(note);
  // An edit whose save is still pending must not bring the file back.
  ASSERT_TRUE(PostTyping(NoteSession::Body(note), "x"));
  ASSERT_EQ(WaitBodyText(NoteSession::Body(note), "xto the trash"), "xto the trash");

  ::PostMessageA(note, WM_COMMAND, 265, 0);
  HWND menu = WaitPopupMenu(session.app().pid());
  ASSERT_TRUE(menu);
  MenuPostChar(menu, 'd');  // 削除(&D)
  auto confirm = session.app().WaitDialog();
  ASSERT_TRUE(confirm) << "the shell asks before it moves a file to the trash";
  ASSERT_TRUE(session.app().Answer(*confirm, IDYES));
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(note); }));
  PumpFor(500);
  EXPECT_FALSE(FileExists(path));
  EXPECT_FALSE(FileExists(path + ".ini")) << "the settings file is deleted for good";
  EXPECT_EQ(TakeFromTrash(session.root()), "to the trash");
  EXPECT_EQ(session.app().Quit(), 0u);
  EXPECT_FALSE(FileExists(path)) << "recreated by a late save";
}

}  // namespace
}  // namespace memo::test
