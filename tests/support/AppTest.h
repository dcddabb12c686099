// End-to-end tests of the real program on a root folder of its own: the
// registry value is put back, Wine hides windows without waiting for a
// window manager, and the program is ended when the test ends.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/AppDriver.h"
#include "tests/support/TestFiles.h"

namespace memo::test {

class AppTest : public ::testing::Test {
 protected:
  // Starts the program with this current page; the bar once it shows it.
  HWND Start(const std::string& page) {
    IniSet(root_ / "root.ini", "Info", "CurrentPage", page.c_str());
    if (!app_.StartWithRoot(root_.path())) return nullptr;
    HWND bar = app_.WaitMainBarVisible();
    if (bar && !WaitUntil([&] { return WindowText(bar) == page; })) return nullptr;
    return bar;
  }

  // True once the open notes have exactly these titles.
  bool WaitNotes(const std::vector<std::string>& titles) {
    return WaitUntil([&] { return app_.NoteTitles() == titles; });
  }

  RegValueGuard rootGuard_{"Software\\Quendra\\Memopane", "RootPath2"};
  UnmanagedWindowsScope unmanaged_;
  TempFolder root_{"memo-app"};
  AppDriver app_;
};

}  // namespace memo::test
