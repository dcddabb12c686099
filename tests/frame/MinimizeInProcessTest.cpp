// Minimizing and restoring inside the test process, where the calls to
// DrawAnimatedRects can be counted: the product's object files are linked
// into this program, so their import of it goes through this program's own
// import table, which the test points at a counter.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "frame/ClassNames.h"
#include "frame/Messages.h"
#include "frame/NoteWindows.h"
#include "frame/ThreadWindows.h"
#include "store/Store.h"
#include "tests/support/AppDriver.h"
#include "tests/support/InProcessStore.h"
#include "tests/support/TestFiles.h"

namespace memo {
namespace {

using DrawAnimatedRectsFn = BOOL(WINAPI*)(HWND, int, const RECT*, const RECT*);

int gAnimations = 0;

BOOL WINAPI CountingDrawAnimatedRects(HWND, int, const RECT*, const RECT*) {
  ++gAnimations;
  return TRUE;
}

// Points this program's import of user32!DrawAnimatedRects at replacement;
// returns the slot's previous value (nullptr when there is no such import).
DrawAnimatedRectsFn PatchImport(DrawAnimatedRectsFn replacement) {
  auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleA(nullptr));
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  FARPROC real = ::GetProcAddress(::GetModuleHandleA("user32.dll"), "DrawAnimatedRects");
  for (auto* desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); desc->Name; ++desc) {
    for (auto* thunk = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->FirstThunk); thunk->u1.Function;
         ++thunk) {
      auto* slot = reinterpret_cast<ULONG_PTR*>(&thunk->u1.Function);
      if (*slot != reinterpret_cast<ULONG_PTR>(real) &&
          *slot != reinterpret_cast<ULONG_PTR>(&CountingDrawAnimatedRects)) {
        continue;
      }
      DWORD old = 0;
      ::VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &old);
      auto previous = reinterpret_cast<DrawAnimatedRectsFn>(*slot);
      *slot = reinterpret_cast<ULONG_PTR>(replacement);
      ::VirtualProtect(slot, sizeof(*slot), old, &old);
      return previous;
    }
  }
  return nullptr;
}

// Data that offers files, which every note accepts as mini notes.
class FilesOnOffer : public IDataObject {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    *object = (riid == IID_IUnknown || riid == IID_IDataObject) ? this : nullptr;
    return *object ? S_OK : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP QueryGetData(FORMATETC* format) override {
    return format && format->cfFormat == CF_HDROP ? S_OK : DV_E_FORMATETC;
  }
  STDMETHODIMP GetData(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
  STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP DUnadvise(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
};

class MinimizeInProcessTest : public test::InProcessStoreTest {
 protected:
  void SetUp() override {
    InProcessStoreTest::SetUp();
    real_ = PatchImport(&CountingDrawAnimatedRects);
    ASSERT_TRUE(real_) << "no import of DrawAnimatedRects to count";
    gAnimations = 0;
    UsePage("page");
  }
  void TearDown() override {
    if (real_) PatchImport(real_);
    InProcessStoreTest::TearDown();
  }

  // A shown note of the current page, away from every edge.
  HWND OpenNote(const char* name, const char* style) {
    std::string path = test::Join(root_ / "page", name);
    test::WriteBytes(path, "x");
    test::IniSet(path + ".ini", "Window", "Style", style);
    test::IniSet(path + ".ini", "Window", "X", "300");
    test::IniSet(path + ".ini", "Window", "Y", "300");
    return Track(OpenNoteWindow(name, true, false));
  }

  static HWND BarOf(HWND note) {
    for (HWND hwnd : ThreadWindows()) {
      if (test::ClassOf(hwnd) == kClassEdgeBar && test::WindowText(hwnd) == test::WindowText(note)) return hwnd;
    }
    return nullptr;
  }

  HWND Minimize(HWND note) {
    ::SendMessageA(note, WM_COMMAND, kCmdMinimize, 0);
    return Track(BarOf(note));
  }

  DrawAnimatedRectsFn real_ = nullptr;
};

TEST_F(MinimizeInProcessTest, AnimatesMinimizeAndRestoreUnlessMinAnimIsZero) {
  HWND note = OpenNote("memo.txt", "2");
  ASSERT_TRUE(note);
  HWND bar = Minimize(note);
  ASSERT_TRUE(bar);
  EXPECT_FALSE(::IsWindowVisible(note));
  EXPECT_EQ(gAnimations, 1);
  ::SendMessageA(bar, WM_LBUTTONDBLCLK, 0, 0);
  test::PumpFor(50);
  EXPECT_TRUE(::IsWindowVisible(note));
  EXPECT_FALSE(::IsWindow(bar)) << "the bar closes itself";
  EXPECT_EQ(gAnimations, 2);

  // Read each time: switched off while the program runs.
  test::IniSet(root_ / "root.ini", "Info", "MinAnim", "0");
  bar = Minimize(note);
  ASSERT_TRUE(bar);
  ::SendMessageA(bar, kMsgRestore, 0, 1);
  test::PumpFor(50);
  EXPECT_TRUE(::IsWindowVisible(note));
  EXPECT_EQ(gAnimations, 2);
}

TEST_F(MinimizeInProcessTest, BringToFrontRestoresWithoutAnimationAndLeavesNotesKeptApart) {
  HWND with = OpenNote("with.txt", "2");
  HWND apart = OpenNote("apart.txt", "514");  // 0x202: not restored with the main bar
  ASSERT_TRUE(with && apart);
  HWND withBar = Minimize(with);
  HWND apartBar = Minimize(apart);
  ASSERT_TRUE(withBar && apartBar);
  EXPECT_EQ(::GetWindowLongA(apartBar, GWL_STYLE) & 0xFFF, 0x202) << "the bar carries the note's bits";
  gAnimations = 0;
  BringAllToTop();
  test::PumpFor(50);
  EXPECT_TRUE(::IsWindowVisible(with));
  EXPECT_FALSE(::IsWindow(withBar));
  EXPECT_FALSE(::IsWindowVisible(apart));
  EXPECT_TRUE(::IsWindowVisible(apartBar));
  EXPECT_EQ(gAnimations, 0);
}

TEST_F(MinimizeInProcessTest, RestoredPinnedNoteStaysOnTop) {
  HWND note = OpenNote("pinned.txt", "34");  // pinned, right edge
  ASSERT_TRUE(note);
  ASSERT_TRUE(::GetWindowLongA(note, GWL_EXSTYLE) & WS_EX_TOPMOST);
  HWND bar = Minimize(note);
  ASSERT_TRUE(bar);
  ::SendMessageA(bar, kMsgRestore, 0, 1);
  test::PumpFor(50);
  EXPECT_TRUE(::IsWindowVisible(note));
  EXPECT_TRUE(::GetWindowLongA(note, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(MinimizeInProcessTest, HiddenNoteFollowsItsBarAndTheBarFollowsTheNotesEdge) {
  HWND note = OpenNote("memo.txt", "4");  // top edge
  ASSERT_TRUE(note);
  RECT before = test::WindowRect(note);
  HWND bar = Minimize(note);
  ASSERT_TRUE(bar);
  // Dragged along the edge, the bar takes the hidden note with it, centred.
  RECT r = test::WindowRect(bar);
  ::SetWindowPos(bar, nullptr, r.left + 100, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT moved = test::WindowRect(note);
  EXPECT_EQ(moved.left, before.left + 100);
  EXPECT_EQ(moved.top, before.top);
  // When the screen changes, the bar is placed again from the note.
  ::SetWindowPos(note, nullptr, 500, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::SendMessageA(bar, WM_DISPLAYCHANGE, 32, MAKELPARAM(1280, 1024));
  r = test::WindowRect(bar);
  EXPECT_EQ((r.left + r.right) / 2, 500 + (moved.right - moved.left) / 2);

  // Something the note accepts, dragged onto the bar, brings the note back.
  FilesOnOffer files;
  EXPECT_EQ(::SendMessageA(bar, kMsgDropQuery, 0, reinterpret_cast<LPARAM>(&files)), 0) << "the bar takes nothing";
  EXPECT_TRUE(::IsWindowVisible(note));
}

}  // namespace
}  // namespace memo
