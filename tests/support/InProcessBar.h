// The main bar run inside the test process, and what such tests measure:
// how many GDI and USER objects can still be made (GetGuiResources returns 0
// under Wine), and the process's working set.
//
// How to use:
//   if (RunInUnmanagedCopy("MyTest.*")) return;  // under Wine: again, in a copy
//   InProcessBar bar(root.path());
//   ::SendMessageA(bar.get(), WM_SETTEXT, 0, (LPARAM) "page");
//   Drain();
//   long gdi = FreeGdiObjects();
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace memo::test {

// How many regions (GDI) or menus (USER) can still be made: made until that
// fails, then freed. USER handles live in wineserver's table, which every
// process of the session shares, so other programs move that count a little.
long FreeGdiObjects();
long FreeUserObjects();

// The working set of this process, in bytes.
size_t WorkingSetBytes();

// The blocks in use in this process's heaps. A few bytes left behind by
// every window closed show here at once, while the working set hides them
// until the heap has grown by whole pages (see the soak test).
long HeapBlocksInUse();

// Drains this thread's queue: the bar and the notes post messages to
// themselves (show-buttons, closing). WM_QUIT is dropped.
void Drain();

// The note windows of this thread.
std::vector<HWND> NoteWindowsOfThisThread();

// Wine reads its X11 options when a program starts, so under Wine the test
// runs again in a fresh copy of this program whose windows are unmanaged
// (see UnmanagedWindowsScope: else each closed note costs two seconds). The
// copy runs the tests that filter names, its output joins this one's, and a
// copy still running after waitMs fails. False when this is the copy (or
// Windows): the caller runs the test itself.
bool RunInUnmanagedCopy(const char* filter, DWORD waitMs = 280000);

// The program's state for the main bar inside this process: root folder in
// RootPath2, OLE for the drop targets; and a bar that is destroyed at the end
// whatever happens, since a live Memopane-Main window here would make a later
// memopane.exe think that another copy runs.
class InProcessBar {
 public:
  explicit InProcessBar(const std::string& root);
  ~InProcessBar();
  InProcessBar(const InProcessBar&) = delete;
  InProcessBar& operator=(const InProcessBar&) = delete;

  HWND get() const { return bar_; }

 private:
  bool ole_ = false;
  HWND bar_ = nullptr;
};

}  // namespace memo::test
