// Mini notes in the real program: files dropped on a note, their text kept
// across a restart, section names, sizing, moving to other owners and the
// refused rename.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "frame/Messages.h"
#include "tests/support/AppDriver.h"
#include "tests/support/DragFiles.h"
#include "tests/support/NoteSession.h"
#include "tests/support/TestFiles.h"

namespace memo::test {
namespace {

constexpr char kMiniClass[] = "Memopane-Mini";

class MiniNoteTest : public ::testing::Test {
 protected:
  // A text note that stays up (no minimizing while no window is in front).
  void MakeNote(const std::string& name, const char* style = "1") {
    ASSERT_TRUE(WriteBytes(session_.NotePath(name), name));
    IniSet(Ini(name), "Window", "Style", style);
  }
  // A stored mini note of a note.
  void MakeMini(const std::string& note, const char* section, int x, int y) {
    IniSet(Ini(note), section, "X", std::to_string(x).c_str());
    IniSet(Ini(note), section, "Y", std::to_string(y).c_str());
    IniSet(Ini(note), section, "CX", "121");
    IniSet(Ini(note), section, "CY", "20");
  }
  std::string Ini(const std::string& note) const { return session_.NotePath(note) + ".ini"; }

  // The visible mini notes of an owner, in the order the system lists them.
  std::vector<HWND> MinisOf(HWND owner) {
    std::vector<HWND> minis;
    for (HWND mini : session_.app().Windows(kMiniClass, nullptr, true)) {
      if (::GetWindow(mini, GW_OWNER) == owner) minis.push_back(mini);
    }
    return minis;
  }
  std::vector<HWND> WaitMinis(HWND owner, size_t count) {
    std::vector<HWND> minis;
    WaitUntil([&] { return (minis = MinisOf(owner)).size() == count; });
    return minis;
  }
  HWND WaitMini(HWND owner, const std::string& title) {
    HWND found = nullptr;
    WaitUntil([&] {
      for (HWND mini : MinisOf(owner)) {
        if (WindowText(mini) == title) found = mini;
      }
      return found != nullptr;
    });
    return found;
  }

  UnmanagedWindowsScope unmanaged_;
  NoteSession session_;
};

// True when a lies above b in the z-order.
bool IsAbove(HWND a, HWND b) {
  for (HWND h = ::GetWindow(a, GW_HWNDNEXT); h; h = ::GetWindow(h, GW_HWNDNEXT)) {
    if (h == b) return true;
  }
  return false;
}

std::string Hex(const std::string& text) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (unsigned char c : text) {
    hex += kDigits[c >> 4];
    hex += kDigits[c & 15];
  }
  return hex + ".";
}

TEST_F(MiniNoteTest, DroppedFilesBecomeLinkedMiniNotesTenPixelsApart) {
  ASSERT_EQ(::OleInitialize(nullptr), S_OK);
  TempFolder dropped("memo-drop");
  const std::vector<std::string> files{"one.txt", "two.txt", "three.txt"};
  for (const std::string& file : files) ASSERT_TRUE(WriteBytes(dropped / file, file));
  MakeNote("a.txt");
  MakeMini("a.txt", "Mini9", 700, 600);
  ASSERT_TRUE(session_.Start());
  HWND note = session_.WaitNote("a.txt");
  ASSERT_TRUE(note);
  HWND target = WaitMini(note, "Mini9");
  ASSERT_TRUE(target);

  // Dropped on a mini note, a file becomes its link.
  EXPECT_EQ(DragFilesOnto(target, dropped.path(), {"two.txt"}), static_cast<DWORD>(DROPEFFECT_LINK));
  DragFilesOnto(note, dropped.path(), files);
  std::vector<HWND> minis = WaitMinis(note, 4);
  ASSERT_EQ(minis.size(), 4u);
  std::sort(minis.begin(), minis.end(), [](HWND a, HWND b) { return WindowText(a) < WindowText(b); });
  for (size_t i = 0; i < files.size(); ++i) {
    SCOPED_TRACE(files[i]);
    EXPECT_EQ(WindowText(minis[i]), "Mini" + std::to_string(i + 1));
    SHFILEINFOA info{};
    ::SHGetFileInfoA((dropped / files[i]).c_str(), 0, &info, sizeof(info), SHGFI_DISPLAYNAME);
    EXPECT_EQ(WindowText(::GetDlgItem(minis[i], kBodyId)), info.szDisplayName);
    if (i > 0) {
      RECT before = WindowRect(minis[i - 1]), r = WindowRect(minis[i]);
      EXPECT_EQ(r.left - before.left, 10);
      EXPECT_EQ(r.top - before.top, 10);
    }
  }
  EXPECT_EQ(session_.app().Quit(), 0u);
  for (const char* section : {"Mini1", "Mini2", "Mini3", "Mini9"}) {
    EXPECT_NE(IniGet(Ini("a.txt"), section, "IDL"), "") << section << " has no link";
  }
  EXPECT_EQ(IniGet(Ini("a.txt"), "Mini2", "IDL"), IniGet(Ini("a.txt"), "Mini9", "IDL"));
  ::OleUninitialize();
}

TEST_F(MiniNoteTest, AHugeDropMakesAHundredMiniNotesSaysSoAfterwardsAndNeverStopsTheProgram) {
  constexpr size_t kFiles = 2000, kMade = 100;  // the most mini notes one drop makes
  ASSERT_EQ(::OleInitialize(nullptr), S_OK);
  TempFolder dropped("memo-drop");
  std::vector<std::string> files;
  for (size_t i = 0; i < kFiles; ++i) {
    files.push_back("f" + std::to_string(i) + ".txt");
    ASSERT_TRUE(WriteBytes(dropped / files.back(), "x"));
  }
  MakeNote("a.txt");
  MakeMini("a.txt", "Mini2", 700, 600);
  ASSERT_TRUE(session_.Start());
  HWND note = session_.WaitNote("a.txt");
  ASSERT_TRUE(note && WaitMini(note, "Mini2"));

  // The bar is asked every 100 ms, through the drop and the making of the
  // mini notes.
  std::atomic<bool> stop{false};
  std::atomic<DWORD> slowest{0};
  std::thread asker([&] {
    while (!stop) {
      DWORD start = ::GetTickCount();
      DWORD_PTR result = 0;
      if (!::SendMessageTimeoutA(session_.bar(), WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result) &&
          !::IsWindow(session_.bar())) {
        break;
      }
      slowest = std::max<DWORD>(slowest, ::GetTickCount() - start);
      ::Sleep(100);
    }
  });
  DragFilesOnto(note, dropped.path(), files);
  // The drag source is free again before the box is answered, and the
  // program made the mini notes while it went on answering.
  auto box = session_.app().WaitDialog(30000);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->text, "一度にミニ付箋にできるのは 100 個までです。\r\n残りの 1900 個は作成していません。");
  session_.app().Answer(*box, IDOK);
  EXPECT_EQ(MinisOf(note).size(), kMade + 1);
  stop = true;
  asker.join();
  EXPECT_LT(slowest.load(), 500u) << "the program stopped answering";
  EXPECT_EQ(session_.app().Quit(10000), 0u);

  std::vector<std::string> names;
  char block[1 << 16] = {};
  ::GetPrivateProfileSectionNamesA(block, sizeof(block), Ini("a.txt").c_str());
  for (const char* name = block; *name; name += std::strlen(name) + 1) names.push_back(name);
  EXPECT_EQ(names.size(), kMade + 2) << "Window, Mini2 and one section each";
  for (const char* name : {"Mini1", "Mini3", "Mini101"}) {
    EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
  }
  ::OleUninitialize();
}

TEST_F(MiniNoteTest, MovedOrDuplicatedWithoutItsBodyItKeepsItsStoredText) {
  MakeNote("a.txt");
  MakeMini("a.txt", "Mini1", 300, 300);
  IniSet(Ini("a.txt"), "Mini1", "Text", "6D6F766564.");  // "moved"
  ASSERT_TRUE(session_.Start());
  HWND note = session_.WaitNote("a.txt");
  HWND mini = WaitMini(note, "Mini1");
  ASSERT_TRUE(mini);
  HWND body = ::GetDlgItem(mini, kBodyId);
  ASSERT_TRUE(body);
  DWORD_PTR result = 0;
  ::SendMessageTimeoutA(body, WM_CLOSE, 0, 0, SMTO_NORMAL, 5000, &result);
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(body); }));

  ::PostMessageA(mini, WM_COMMAND, kCmdDuplicate, 0);
  ASSERT_TRUE(WaitMini(note, "Mini2"));
  EXPECT_EQ(IniGet(Ini("a.txt"), "Mini2", "Text"), "6D6F766564.");
  ::PostMessageA(mini, WM_COMMAND, kCmdMoveToMain, 0);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(mini); }));
  std::vector<HWND> moved = WaitMinis(session_.bar(), 1);
  ASSERT_EQ(moved.size(), 1u);
  EXPECT_EQ(IniGet(session_.root() + "\\root.ini", WindowText(moved[0]).c_str(), "Text"), "6D6F766564.");
  EXPECT_EQ(session_.app().Quit(), 0u);
}

TEST_F(MiniNoteTest, TextWithLineBreaksTabsEqualsAndSemicolonsSurvivesARestart) {
  MakeNote("a.txt");
  MakeMini("a.txt", "Mini1", 300, 300);
  MakeMini("a.txt", "Mini2", 300, 340);
  IniSet(Ini("a.txt"), "Mini2", "Text", "6869.");
  const std::string text = "x = 1;\r\n\ty=2 ; z\r\n[Window]\r\n";
  ASSERT_TRUE(session_.Start());
  HWND note = session_.WaitNote("a.txt");
  HWND mini = WaitMini(note, "Mini1");
  ASSERT_TRUE(mini);
  HWND emptied = WaitMini(note, "Mini2");
  ASSERT_TRUE(emptied);
  EXPECT_TRUE(IsAbove(mini, note) && IsAbove(emptied, note)) << "mini notes opened with the page show over their note";
  EXPECT_EQ(WindowText(::GetDlgItem(emptied, kBodyId)), "hi");
  ASSERT_TRUE(SetText(::GetDlgItem(mini, kBodyId), text));
  ASSERT_TRUE(SetText(::GetDlgItem(emptied, kBodyId), ""));
  EXPECT_EQ(session_.app().Quit(), 0u);
  EXPECT_EQ(IniGet(Ini("a.txt"), "Mini1", "Text"), Hex(text));
  EXPECT_EQ(IniGet(Ini("a.txt"), "Mini2", "Text", "gone"), "gone") << "an empty text removes the key";
  EXPECT_EQ(IniGet(Ini("a.txt"), "Mini1", "IDL", "none"), "none") << "no link, no key";

  ASSERT_TRUE(session_.Start());
  note = session_.WaitNote("a.txt");
  mini = WaitMini(note, "Mini1");
  ASSERT_TRUE(mini);
  EXPECT_EQ(WaitBodyText(::GetDlgItem(mini, kBodyId), text), text);
  RECT r = WindowRect(mini);
  EXPECT_EQ(r.left, 300);
  EXPECT_EQ(r.top, 300);
  EXPECT_EQ(r.right - r.left, 121);
  EXPECT_EQ(session_.app().Quit(), 0u);
}

TEST_F(MiniNoteTest, RenameIsRefusedAndADeletedNameIsTakenAgain) {
  MakeNote("a.txt");
  MakeMini("a.txt", "Mini1", 300, 300);
  MakeMini("a.txt", "Mini2", 300, 340);
  ASSERT_TRUE(session_.Start());
  HWND note = session_.WaitNote("a.txt");
  HWND first = WaitMini(note, "Mini1");
  HWND second = WaitMini(note, "Mini2");
  ASSERT_TRUE(first && second);

  {
    AsyncSetText rename(second, "Other");
    auto box = session_.app().WaitDialog();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->title, "Memopane");
    EXPECT_EQ(box->text, "WC_MINI invalid title");
    EXPECT_TRUE(box->errorIcon);
    session_.app().Answer(*box, IDOK);
    EXPECT_EQ(rename.Wait().value_or(-1), FALSE);
  }
  EXPECT_EQ(WindowText(second), "Mini2");

  ASSERT_TRUE(SetText(first, ""));
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(first); }));
  EXPECT_EQ(IniGet(Ini("a.txt"), "Mini1", "X", "gone"), "gone");

  ::PostMessageA(note, WM_COMMAND, kCmdNewMini, 0);
  HWND again = WaitMini(note, "Mini1");
  ASSERT_TRUE(again) << "the first free name is Mini1 again";
  EXPECT_EQ(MinisOf(note).size(), 2u);

  // A duplicate takes the next free name and stands 10 pixels off.
  ::PostMessageA(second, WM_COMMAND, kCmdDuplicate, 0);
  HWND copy = WaitMini(note, "Mini3");
  ASSERT_TRUE(copy);
  RECT r = WindowRect(copy);
  EXPECT_EQ(r.left, 310);
  EXPECT_EQ(r.top, 350);
  EXPECT_EQ(session_.app().Quit(), 0u);
}

TEST_F(MiniNoteTest, ResizedWidthsSnapToWholeCells) {
  MakeNote("a.txt");
  MakeMini("a.txt", "Mini1", 300, 300);
  ASSERT_TRUE(session_.Start());
  HWND note = session_.WaitNote("a.txt");
  HWND mini = WaitMini(note, "Mini1");
  ASSERT_TRUE(mini);
  struct Case {
    int dragTo, width;
  } cases[] = {{60, 49}, {80, 73}, {30, 25}, {105, 97}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dragTo);
    RECT r = WindowRect(mini);
    const int y = (r.top + r.bottom) / 2;
    MouseMoveTo(r.right - 2, y);
    PumpFor(100);
    MouseLeft(true);
    PumpFor(100);
    MouseMoveTo(r.left + c.dragTo - 10, y);
    PumpFor(100);
    MouseMoveTo(r.left + c.dragTo, y);
    PumpFor(200);
    MouseLeft(false);
    EXPECT_TRUE(WaitUntil([&] { return WindowRect(mini).right - WindowRect(mini).left == c.width; }, 3000))
        << WindowRect(mini).right - WindowRect(mini).left;
    EXPECT_EQ(WindowRect(mini).left, r.left);
  }
  EXPECT_EQ(session_.app().Quit(), 0u);
}

TEST_F(MiniNoteTest, MovedToAClosedNoteItWaitsInThatNotesSettingsUntilItOpens) {
  MakeNote("a.txt");
  MakeNote("b.txt", "17");  // hidden: not opened with the page
  MakeNote("c.txt", "17");
  MakeMini("a.txt", "Mini1", 300, 300);
  MakeMini("a.txt", "Mini2", 300, 340);
  IniSet(Ini("a.txt"), "Mini1", "Text", "6D6F766564.");  // "moved"
  IniSet(Ini("b.txt"), "Mini3", "X", "0");  // names taken there and by open mini notes are skipped
  ASSERT_TRUE(session_.Start());
  HWND note = session_.WaitNote("a.txt");
  HWND mini = WaitMini(note, "Mini1");
  HWND toBar = WaitMini(note, "Mini2");
  ASSERT_TRUE(mini && toBar);

  // A target that cannot be written (another program holds it) keeps the
  // mini note where it is.
  HANDLE held = ::CreateFileA(Ini("c.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  ::PostMessageA(mini, WM_COMMAND, kCmdMoveToNoteFirst + 2, 0);  // the page lists a.txt, b.txt, c.txt
  EXPECT_FALSE(WaitUntil([&] { return !::IsWindow(mini); }, 1500));
  ::CloseHandle(held);
  EXPECT_EQ(IniGet(Ini("a.txt"), "Mini1", "Text"), "6D6F766564.");
  EXPECT_EQ(IniGet(Ini("c.txt"), "Mini3", "X", "none"), "none");

  ::PostMessageA(mini, WM_COMMAND, kCmdMoveToNoteFirst + 1, 0);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(mini); }));
  EXPECT_EQ(IniGet(Ini("a.txt"), "Mini1", "X", "gone"), "gone");
  EXPECT_EQ(IniGet(Ini("b.txt"), "Mini4", "Text"), "6D6F766564.");
  EXPECT_EQ(IniGet(Ini("b.txt"), "Mini4", "X"), "300");

  // To the main bar: at once a mini note of the bar, kept in root.ini.
  ::PostMessageA(toBar, WM_COMMAND, kCmdMoveToMain, 0);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(toBar); }));
  EXPECT_TRUE(WaitMini(session_.bar(), "Mini1"));
  EXPECT_EQ(IniGet(session_.root() + "\\root.ini", "Mini1", "Y"), "340");
  EXPECT_EQ(session_.app().Quit(), 0u);

  IniSet(Ini("b.txt"), "Window", "Style", "1");
  ASSERT_TRUE(session_.Start());
  HWND b = session_.WaitNote("b.txt");
  ASSERT_TRUE(b);
  HWND moved = WaitMini(b, "Mini4");
  ASSERT_TRUE(moved);
  EXPECT_EQ(WindowText(::GetDlgItem(moved, kBodyId)), "moved");
  EXPECT_EQ(session_.app().Quit(), 0u);
}

TEST_F(MiniNoteTest, ColoursComeFromItsSectionAndItsSheetHasNoLayoutPage) {
  constexpr int kNameField = 1000, kAlphaCombo = 1007;
  MakeNote("a.txt");
  MakeMini("a.txt", "Mini1", 300, 300);
  IniSet(Ini("a.txt"), "Mini1", "ColorBG", "77FFFF");
  IniSet(Ini("a.txt"), "Mini1", "ColorText", "80");
  ASSERT_TRUE(session_.Start());
  HWND note = session_.WaitNote("a.txt");
  HWND mini = WaitMini(note, "Mini1");
  ASSERT_TRUE(mini);
  EXPECT_EQ(reinterpret_cast<UINT_PTR>(::GetPropA(mini, "ColorBG")), 0x77FFFFu);
  EXPECT_EQ(reinterpret_cast<UINT_PTR>(::GetPropA(mini, "ColorText")), 0x80u);

  ::PostMessageA(mini, WM_COMMAND, kCmdProperties, 0);
  HWND sheet = session_.app().WaitWindow("#32770", "\"Mini1\"ページのプロパティ");
  ASSERT_TRUE(sheet);
  WaitUntil([&] { return ::IsWindowVisible(sheet) != FALSE; });
  HWND tabs = reinterpret_cast<HWND>(::SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
  EXPECT_EQ(::SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 2) << "General and Colour only";
  HWND general = reinterpret_cast<HWND>(::SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
  EXPECT_EQ(WindowText(::GetDlgItem(general, kNameField)), "Mini1");
  EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(general, kNameField)));
  ::SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
  HWND colour = reinterpret_cast<HWND>(::SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
  ::SendDlgItemMessageA(colour, kAlphaCombo, CB_SETCURSEL, 3, 0);  // 30%
  session_.app().Answer(ReadDialog(sheet), IDOK);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(sheet); }));
  EXPECT_EQ(IniGet(Ini("a.txt"), "Mini1", "Alpha"), "30");
  EXPECT_EQ(IniGet(Ini("a.txt"), "Mini1", "ColorBG"), "77FFFF");
  EXPECT_EQ(IniGet(Ini("a.txt"), "Window", "Alpha", "none"), "none") << "the note's own section is left alone";
  EXPECT_TRUE(::GetWindowLongA(mini, GWL_EXSTYLE) & WS_EX_LAYERED);
  EXPECT_EQ(session_.app().Quit(), 0u);
}

}  // namespace
}  // namespace memo::test
