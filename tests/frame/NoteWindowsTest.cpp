// The windows of notes: their styles from the stored Style, opening a note's
// window once, by its kind's class, hidden ones only when forced, and the
// settings file of a window.
#include "frame/NoteWindows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "frame/ClassNames.h"
#include "store/WinText.h"
#include "tests/store/StoreFixture.h"

namespace memo {
namespace {

using test::StoreTest;

// Puts a plain DefWindowProcA class in the place of one of the program's
// window classes for its scope, so that a test can make windows of that class
// without running the real window code; the real class comes back at the end.
class StandInClass {
 public:
  explicit StandInClass(const char* name) : name_(name) {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    saved_.cbSize = sizeof(saved_);
    hadReal_ = ::GetClassInfoExA(instance, name, &saved_) != FALSE;
    if (hadReal_ && !::UnregisterClassA(name, instance)) return;  // windows of it exist
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = instance;
    wc.lpszClassName = name;
    ok_ = ::RegisterClassExA(&wc) != 0;
  }
  ~StandInClass() {
    if (ok_) ::UnregisterClassA(name_, ::GetModuleHandleA(nullptr));
    if (hadReal_) {
      saved_.lpszClassName = name_;
      ::RegisterClassExA(&saved_);
    }
  }
  StandInClass(const StandInClass&) = delete;
  StandInClass& operator=(const StandInClass&) = delete;
  bool ok() const { return ok_; }

 private:
  const char* name_;
  WNDCLASSEXA saved_{};
  bool hadReal_ = false;
  bool ok_ = false;
};


TEST(NoteWindowStyles, FromStoredStyle) {
  struct Case {
    int stored;
    DWORD exStyle;
    DWORD style;
  } cases[] = {
      {2, WS_EX_TOOLWINDOW, 0x06040002},
      {0x08, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, 0x06040008},
      {0x20, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, 0x06040020},
      {0x7012, WS_EX_TOOLWINDOW, 0x06040012},  // only the low twelve bits
      {-1, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, 0x06040FFF},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NoteWindowExStyle(c.stored), c.exStyle) << c.stored;
    EXPECT_EQ(NoteWindowStyle(c.stored), c.style) << c.stored;
  }
}

class NoteWindowTest : public StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    for (const char* name : kNoteClasses) {
      standIns_.push_back(std::make_unique<StandInClass>(name));
      ASSERT_TRUE(standIns_.back()->ok()) << name;
    }
    UsePage("p");
  }
  void TearDown() override {
    for (HWND hwnd : windows_) ::DestroyWindow(hwnd);
    standIns_.clear();
    StoreTest::TearDown();
  }
  HWND Open(const std::string& name, bool show, bool force) {
    HWND hwnd = OpenNoteWindow(name, show, force);
    if (hwnd && std::find(windows_.begin(), windows_.end(), hwnd) == windows_.end()) {
      windows_.push_back(hwnd);
    }
    return hwnd;
  }
  std::vector<std::unique_ptr<StandInClass>> standIns_;
  std::vector<HWND> windows_;
};

TEST_F(NoteWindowTest, OpensOnceWithTheStoredStyle) {
  MakeFile("common\\m.txt");
  test::IniSet(At("common\\m.txt.ini"), "Window", "Style", "34");
  HWND hwnd = Open("\"m.txt\"", false, false);
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(HwndGetClass(hwnd), kClassText);
  DWORD style = static_cast<DWORD>(::GetWindowLongA(hwnd, GWL_STYLE));
  EXPECT_EQ(style & 0xFFF, 0x22u);
  EXPECT_TRUE(::IsWindowVisible(hwnd));
  EXPECT_TRUE(::GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
  RECT rect;
  ::GetWindowRect(hwnd, &rect);
  EXPECT_EQ(rect.right - rect.left, 400);
  EXPECT_EQ(rect.bottom - rect.top, 200);
  EXPECT_EQ(Open("\"m.txt\"", true, true), hwnd);
  EXPECT_EQ(FindNoteWindow("\"m.txt\""), hwnd);
  EXPECT_EQ(FindNoteWindow("m.txt"), nullptr);
}

TEST_F(NoteWindowTest, HiddenNotesOpenOnlyWhenForcedAndNoNotesNever) {
  MakeFolder("p\\f.txt");
  test::IniSet(At("p\\f.txt.ini"), "Window", "Style", "18");
  EXPECT_EQ(Open("f.txt", true, false), nullptr);
  HWND hwnd = Open("f.txt", true, true);
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(HwndGetClass(hwnd), kClassFolder);
  MakeFile("p\\b.doc");
  EXPECT_EQ(Open("b.doc", true, true), nullptr);
  EXPECT_EQ(Open("", true, true), nullptr);
}

TEST_F(NoteWindowTest, SettingsFileOfWindow) {
  UsePage("p");
  struct Case {
    DWORD style;
    const char* title;
    std::string file;
  } cases[] = {
      {WS_POPUP, "p", At("root.ini")},
      {WS_OVERLAPPED, "a.txt", At("p\\a.txt.ini")},
      {WS_OVERLAPPED, "\"f\"", At("common\\f.ini")},
      {WS_OVERLAPPED, "", ""},
  };
  for (const Case& c : cases) {
    HWND hwnd = ::CreateWindowExA(0, "STATIC", c.title, c.style, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(SettingsFileOfWindow(hwnd), c.file) << c.title;
    ::DestroyWindow(hwnd);
  }
}

}  // namespace
}  // namespace memo
