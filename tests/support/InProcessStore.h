// A note store for tests that run the program's window code inside the test
// process: a fresh root folder with common, published in RootPath2; OLE for
// the windows' drop targets; every window the test opened destroyed at the
// end, so that no window of the program outlives its test.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/AppDriver.h"
#include "tests/support/TestFiles.h"

namespace memo::test {

class InProcessStoreTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ::OleInitialize(nullptr); }
  static void TearDownTestSuite() { ::OleUninitialize(); }

  void SetUp() override {
    ASSERT_TRUE(::SetEnvironmentVariableA("RootPath2", root_.path().c_str()));
    ASSERT_TRUE(MakeFolder(root_ / "common"));
    IniSet(root_ / "root.ini", "Info", "Splash", "0");
  }

  void TearDown() override {
    for (HWND hwnd : opened_) {
      if (::IsWindow(hwnd)) ::DestroyWindow(hwnd);
    }
    ::SetEnvironmentVariableA("RootPath2", nullptr);
  }

  // Makes page the current page, with its folder.
  void UsePage(const std::string& page) {
    ASSERT_TRUE(MakeFolder(root_ / page));
    IniSet(root_ / "root.ini", "Info", "CurrentPage", page.c_str());
  }

  // A window to destroy when the test ends; returns it.
  HWND Track(HWND hwnd) {
    if (hwnd) opened_.push_back(hwnd);
    return hwnd;
  }

  // Opens a note of windowClass as the main bar does, but leaves it hidden:
  // Wine takes two seconds to hide a shown window when no window manager
  // runs. Tracked; null when the note refused to open.
  HWND OpenHiddenNote(const char* windowClass, const std::string& name) {
    HWND note = ::CreateWindowExA(WS_EX_TOOLWINDOW, windowClass, name.c_str(),
                                  WS_THICKFRAME | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 400, 200, nullptr, nullptr, ::GetModuleHandleA(nullptr),
                                  nullptr);
    Track(note);
    PumpFor(20);
    return note;
  }

  TempFolder root_{"memo-inproc"};

 private:
  std::vector<HWND> opened_;
};

}  // namespace memo::test
