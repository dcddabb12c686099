// Windows whose creation fails: their objects are released exactly once,
// they leave no settings file behind, and a main bar that could not be made
// leaves no tray icon. A window closed while a drag holds its drop target
// leaves the object to the drag.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <string>

#include "frame/ClassNames.h"
#include "frame/Colors.h"
#include "frame/TopLevelWindow.h"
#include "frame/WindowObject.h"
#include "tests/support/AppDriver.h"
#include "tests/support/InProcessStore.h"
#include "tests/support/TestFiles.h"

namespace memo {
namespace {

// A note-like window that goes through the whole shared creation (drop
// target, settings, mini notes) and then refuses or accepts it.
class RefusingWindow : public TopLevelWindow {
 public:
  static inline int released = 0;
  static inline bool refuse = true;

  ~RefusingWindow() override { ++released; }

  LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_CREATE) {
      SetColorProp(hwnd, kPropColorBG, 0xFFFFFF);
      SetColorProp(hwnd, kPropColorText, 0);
      LRESULT result = TopLevelWindow::WindowProc(hwnd, message, wParam, lParam);
      return refuse ? -1 : result;
    }
    return TopLevelWindow::WindowProc(hwnd, message, wParam, lParam);
  }
};

constexpr char kRefusingClass[] = "MemopaneTest-Refusing";
const ClassRegistrar kRefusingRegistrar(kRefusingClass, 0, 0, &Dispatch<RefusingWindow>);

class WindowLifetimeTest : public test::InProcessStoreTest {
 protected:
  void SetUp() override {
    InProcessStoreTest::SetUp();
    UsePage("page");
    ASSERT_TRUE(test::WriteBytes(root_ / "page\\memo.txt", "memo"));
    RefusingWindow::released = 0;
  }

  HWND Create() {
    return ::CreateWindowExA(WS_EX_TOOLWINDOW, kRefusingClass, "memo.txt", WS_OVERLAPPED, 10, 10, 100, 100,
                             nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
  }

  std::string SettingsFile() { return root_ / "page\\memo.txt.ini"; }
};

TEST_F(WindowLifetimeTest, ARefusedWindowIsReleasedOnceAndWritesNoSettings) {
  RefusingWindow::refuse = true;
  EXPECT_EQ(Create(), nullptr);
  EXPECT_EQ(RefusingWindow::released, 1) << "the object of a refused window";
  EXPECT_FALSE(test::FileExists(SettingsFile())) << "settings written for a window that never opened";

  // The class still serves windows afterwards, each with its own object,
  // and a window that did open records its settings as it goes.
  RefusingWindow::refuse = false;
  HWND first = Create();
  HWND second = Create();
  ASSERT_TRUE(first && second);
  EXPECT_TRUE(::GetPropA(first, "this") && ::GetPropA(first, "this") != ::GetPropA(second, "this"));
  ::DestroyWindow(first);
  EXPECT_EQ(RefusingWindow::released, 2);
  EXPECT_TRUE(test::FileExists(SettingsFile()));
  ::DestroyWindow(second);
  EXPECT_EQ(RefusingWindow::released, 3);
}

TEST_F(WindowLifetimeTest, AWindowClosedDuringADragLeavesItsObjectToTheDrag) {
  RefusingWindow::refuse = false;
  HWND window = Create();
  ASSERT_TRUE(window);
  // What a drag over the window holds, as DoDragDrop does (an edge bar is
  // closed by the drag's own restore).
  IDropTarget* held = nullptr;
  auto* object = static_cast<RefusingWindow*>(::GetPropA(window, "this"));
  ASSERT_EQ(object->QueryInterface(IID_IDropTarget, reinterpret_cast<void**>(&held)), S_OK);
  ::DestroyWindow(window);
  ASSERT_EQ(RefusingWindow::released, 0) << "deleted while the drag still holds it";
  // The drag goes on over a window that is gone: no drop, no crash.
  DWORD effect = DROPEFFECT_COPY;
  EXPECT_EQ(held->DragEnter(nullptr, 0, POINTL{}, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(held->DragLeave(), S_OK);
  effect = DROPEFFECT_COPY;
  EXPECT_EQ(held->Drop(nullptr, 0, POINTL{}, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  held->Release();
  EXPECT_EQ(RefusingWindow::released, 1) << "the drag's release is the last";
}

TEST_F(WindowLifetimeTest, AMainBarThatCannotBeMadeLeavesNoTrayIcon) {
  test::IniSet(root_ / "root.ini", "Info", "AutoRun", "0");
  int before = test::TrayIconCount();
  // Without OLE the bar cannot register its drop target: it reports that
  // and refuses its creation.
  ::OleUninitialize();
  HWND bar = nullptr;
  std::optional<test::DialogInfo> box = test::AnswerOwnDialog(IDOK, [&] {
    bar = ::CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClassMain, nullptr, 0x86000005, 0, 0, 320, 24,
                            nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
  });
  ::OleInitialize(nullptr);
  if (bar) ::DestroyWindow(bar);
  // The bar ends the message loop as it goes; no later loop may see that.
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  EXPECT_EQ(bar, nullptr);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->text, "RegisterDragDrop failed");
  test::PumpFor(500);
  EXPECT_EQ(test::TrayIconCount(), before) << "a tray icon without its bar";
}

}  // namespace
}  // namespace memo
