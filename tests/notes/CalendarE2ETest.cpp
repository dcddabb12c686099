// Calendar notes in the real program: the month calendar body, its colours
// from the note's colours, and its context menu.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/AppDriver.h"
#include "tests/support/Menus.h"
#include "tests/support/NoteSession.h"
#include "tests/support/TestFiles.h"

namespace memo::test {
namespace {

constexpr char kCalendarClass[] = "Memopane-Calender";
constexpr UINT kMsgSettingsChanged = 0x8108;

COLORREF CalendarColor(HWND calendar, int part) {
  return static_cast<COLORREF>(::SendMessageA(calendar, MCM_GETCOLOR, static_cast<WPARAM>(part), 0));
}

TEST(CalendarNoteTest, MonthCalendarTakesItsSixColoursFromTheNote) {
  UnmanagedWindowsScope unmanaged;
  NoteSession session;
  ASSERT_TRUE(WriteBytes(session.NotePath("cal.calender"), ""));
  ASSERT_TRUE(session.Start());
  HWND note = session.WaitNote("cal.calender", kCalendarClass);
  ASSERT_TRUE(note);
  HWND calendar = NoteSession::Body(note);
  ASSERT_TRUE(calendar);
  EXPECT_EQ(ClassOf(calendar), "SysMonthCal32");
  EXPECT_TRUE(::GetWindowLongA(calendar, GWL_STYLE) & MCS_MULTISELECT);
  EXPECT_EQ(::SendMessageA(calendar, MCM_GETMAXSELCOUNT, 0, 0), 400);

  // Black on white, the defaults of a new calendar note.
  EXPECT_EQ(CalendarColor(calendar, MCSC_TEXT), 0x000000u);
  EXPECT_EQ(CalendarColor(calendar, MCSC_BACKGROUND), 0xFFFFFFu);
  EXPECT_EQ(CalendarColor(calendar, MCSC_MONTHBK), 0xFFFFFFu);
  EXPECT_EQ(CalendarColor(calendar, MCSC_TITLEBK), 0x1F1F1Fu);
  EXPECT_EQ(CalendarColor(calendar, MCSC_TITLETEXT), 0xFFFFFFu);
  EXPECT_EQ(CalendarColor(calendar, MCSC_TRAILINGTEXT), 0xAAAAAAu);

  // Red text on white, as the property sheet stores it.
  std::string ini = session.NotePath("cal.calender") + ".ini";
  IniSet(ini, "Window", "ColorText", "0000FF");
  IniSet(ini, "Window", "ColorBG", "FFFFFF");
  ::SendMessageA(note, kMsgSettingsChanged, 0, 0);
  EXPECT_EQ(CalendarColor(calendar, MCSC_TEXT), 0x0000FFu);
  EXPECT_EQ(CalendarColor(calendar, MCSC_TITLEBK), 0x1F1FFFu);
  EXPECT_EQ(CalendarColor(calendar, MCSC_TRAILINGTEXT), 0xAAAAFFu);
  EXPECT_EQ(CalendarColor(calendar, MCSC_TITLETEXT), 0xFFFFFFu);

  // Channels are mixed one by one, each rounded down.
  IniSet(ini, "Window", "ColorText", "0A0B0C");
  IniSet(ini, "Window", "ColorBG", "102030");
  ::SendMessageA(note, kMsgSettingsChanged, 0, 0);
  EXPECT_EQ(CalendarColor(calendar, MCSC_TITLEBK), 0x0A0D10u);      // (B + 7T) / 8
  EXPECT_EQ(CalendarColor(calendar, MCSC_TRAILINGTEXT), 0x0E1924u);  // (T + 2B) / 3
}

TEST(CalendarNoteTest, ContextMenuDuplicatesTheNote) {
  UnmanagedWindowsScope unmanaged;
  NoteSession session;
  ASSERT_TRUE(WriteBytes(session.NotePath("cal.calender"), ""));
  ASSERT_TRUE(session.Start());
  HWND note = session.WaitNote("cal.calender", kCalendarClass);
  ASSERT_TRUE(note);
  RECT r = WindowRect(note);
  ::PostMessageA(note, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(note), MAKELPARAM(r.left + 20, r.top + 40));
  HWND menu = WaitPopupMenu(session.app().pid());
  ASSERT_TRUE(menu);
  MenuPostChar(menu, 'd');
  EXPECT_TRUE(WaitNoPopupMenu(session.app().pid()));
  EXPECT_TRUE(WaitUntil([&] { return session.app().Windows(kCalendarClass).size() == 2; }));
  EXPECT_EQ(ListNames(session.PageFolder()).size(), 4u);  // two notes, two settings files
}

}  // namespace
}  // namespace memo::test
