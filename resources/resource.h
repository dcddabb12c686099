// Resource ids of memopane.rc; also the ids that code passes to the loaders.
#pragma once

#define IDI_APP 101          // class icon and tray icon
#define IDI_APP_CLASSIC 102  // tray icon before Windows XP

#define IDD_FIRST_RUN 109
#define IDC_FIRST_RUN_TEXT 1001

// Screen capture cursors: a rectangle's top-left and bottom-right corner.
#define IDC_CAPTURE_TOP_LEFT 107
#define IDC_CAPTURE_BOTTOM_RIGHT 108
