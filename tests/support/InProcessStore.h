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

  TempFolder root_{"memo-inproc"};

 private:
  std::vector<HWND> opened_;
};

}  // namespace memo::test
