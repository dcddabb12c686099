// Resource ids of memopane.rc; also the ids that code passes to the loaders.
#pragma once

#define IDI_APP 101          // class icon and tray icon
#define IDI_APP_CLASSIC 102  // tray icon before Windows XP

#define IDD_FIRST_RUN 109
#define IDC_FIRST_RUN_TEXT 1001

// Screen capture cursors: a rectangle's top-left and bottom-right corner.
#define IDC_CAPTURE_TOP_LEFT 107
#define IDC_CAPTURE_BOTTOM_RIGHT 108

// Property sheet pages and the captions of the sheet (one "%s" each).
#define IDD_PAGE_GENERAL 103
#define IDD_PAGE_LAYOUT 104
#define IDD_PAGE_COLOR 124
#define IDS_CAPTION_PAGE 1
#define IDS_CAPTION_COMMON_NOTE 2
#define IDS_CAPTION_NOTE 3

// General page.
#define IDC_GENERAL_NAME 1000
#define IDC_GENERAL_KIND 1001
#define IDC_GENERAL_PLACE 1003
#define IDC_GENERAL_COMMON 1006
// Layout page.
#define IDC_LAYOUT_TOPMOST 1000
#define IDC_LAYOUT_RESTORE 1001
#define IDC_LAYOUT_MINIMIZE 1004
#define IDC_LAYOUT_WITH_MAIN 1016
// Colour page.
#define IDC_COLOR_CHANGE 1000
#define IDC_COLOR_WHICH 1002
#define IDC_COLOR_SWATCH 1003
#define IDC_COLOR_ALPHA 1007
// Browser note's URL page.
#define IDD_PAGE_URL 101
#define IDC_URL_TEXT 1000
#define IDC_URL_BROWSE 1006
#define IDC_URL_CURRENT 1022

// Settings page of the main bar's sheet.
#define IDD_PAGE_SETTINGS 105
#define IDC_SETTINGS_ROOT 1003
#define IDC_SETTINGS_BROWSE 1004
#define IDC_SETTINGS_AUTORUN 1006
#define IDC_SETTINGS_MINANIM 1015
#define IDC_SETTINGS_SPLASH 1021

// The main bar's shortcut key page: a hotkey control and a state text per key.
#define IDD_PAGE_HOTKEYS 106
#define IDC_HOTKEY_NEW 1030
#define IDC_HOTKEY_SEARCH 1031
#define IDC_HOTKEY_FRONT 1032
#define IDC_HOTKEY_NEW_STATE 1040
#define IDC_HOTKEY_SEARCH_STATE 1041
#define IDC_HOTKEY_FRONT_STATE 1042

// The splash picture: 320 x 240, 256 colours.
#define IDB_SPLASH 105
