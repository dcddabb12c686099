// Private window messages and shared command ids by which the program's
// windows talk to each other.
#pragma once

#include <windows.h>

namespace memo {

// Private messages (WM_APP range).
constexpr UINT kMsgTray = 0x8101;             // tray icon callback; lParam = mouse message
constexpr UINT kMsgRestore = 0x8102;          // to an edge bar; lParam 1 = animate
constexpr UINT kMsgRefresh = 0x8103;          // wParam 1 before a page folder renames, 0 after
constexpr UINT kMsgExtraPages = 0x8104;       // lParam = address receiving the page array; returns count
constexpr UINT kMsgBrowserLoad = 0x8105;      // browser note internal
constexpr UINT kMsgShowButtons = 0x8106;      // posted after creation
constexpr UINT kMsgOpenNote = 0x8107;         // to the main bar; wParam show, lParam name; returns HWND
constexpr UINT kMsgSettingsChanged = 0x8108;  // reread colours and transparency
constexpr UINT kMsgRedraw = 0x8109;           // full redraw
constexpr UINT kMsgSetLink = 0x810A;          // to a mini note; lParam = item id list taken over, or 0
constexpr UINT kMsgOpenStartPage = 0x810B;    // posted to the main bar as it first shows
constexpr UINT kMsgFinishStart = 0x810C;      // posted to the main bar at its creation: tooltips, tray icon
// From the main bar to a note whose file another program changed (wParam 1)
// or removed (wParam 0); returns non-zero when the note stays open.
constexpr UINT kMsgNoteFileChanged = 0x8120;
constexpr UINT kMsgDropQuery = 0x8201;        // lParam = IDataObject*; non-zero = accept
constexpr UINT kMsgDropEffect = 0x8202;       // lParam = DWORD* effect
constexpr UINT kMsgDrop = 0x8203;             // wParam = DWORD* effect, lParam = IDataObject*
constexpr UINT kMsgDragLeave = 0x8204;

// Shared WM_COMMAND ids.
constexpr int kCmdClose = 8;
constexpr int kCmdManual = 9;
constexpr int kCmdBringToFront = 257;
constexpr int kCmdDownload = 258;
constexpr int kCmdNewPage = 259;
constexpr int kCmdNewText = 260;
constexpr int kCmdNewFolder = 261;
constexpr int kCmdNewBrowser = 262;
constexpr int kCmdNewImage = 263;
constexpr int kCmdNewCalendar = 264;
constexpr int kCmdDelete = 265;
constexpr int kCmdProperties = 266;
constexpr int kIdBody = 267;  // the body control of a note, and the main bar's page list
constexpr int kCmdMenuButton = 268;
constexpr int kCmdMinimize = 269;
constexpr int kCmdRestoreByDblClick = 270;
constexpr int kCmdPin = 271;
constexpr int kCmdPageList = 272;
constexpr int kCmdNewMini = 273;
constexpr int kCmdPropertiesOfLink = 275;
constexpr int kCmdCreateMail = 278;
constexpr int kCmdDuplicate = 279;
constexpr int kCmdAttach = 280;
constexpr int kCmdDetach = 281;
constexpr int kCmdSearch = 290;  // to the main bar: opens the search window, or brings it to the front
constexpr int kCmdSplash = 1021;
constexpr int kCmdNewSubFolder = 57600;
constexpr int kCmdOpen = 57601;
constexpr int kCmdSaveAs = 57604;

// Folder note file commands.
constexpr int kCmdNewShortcut = 274;
constexpr int kCmdItemProperties = 275;  // the folder note's id for what mini notes call kCmdPropertiesOfLink
constexpr int kCmdCopyPath = 276;
constexpr int kCmdDeleteItem = 277;
constexpr int kCmdSpecialFolderFirst = 0x5000;  // background menu results only, never posted

// Note style bits: the low twelve bits of a note window's style.
constexpr DWORD kStyleNoAutoMinimize = 0x001;
constexpr DWORD kStyleFarEdge = 0x002;
constexpr DWORD kStyleHorizontalEdge = 0x004;
constexpr DWORD kStyleTopmost = 0x008;
constexpr DWORD kStyleHidden = 0x010;
constexpr DWORD kStylePinned = 0x020;
constexpr DWORD kStyleRestoreByDblClick = 0x100;
constexpr DWORD kStyleNotWithMain = 0x200;
constexpr DWORD kNoteStyleMask = 0xFFF;
constexpr DWORD kDefaultNoteStyle = 0x002;

// A window's style with bits set, cleared or flipped: the style is a DWORD
// of bits, which GetWindowLong hands out and takes as a LONG.
inline DWORD HwndStyle(HWND hwnd) { return static_cast<DWORD>(::GetWindowLongA(hwnd, GWL_STYLE)); }
inline void HwndSetStyle(HWND hwnd, DWORD style) { ::SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>(style)); }

// Timers.
constexpr UINT_PTR kTimerMinimize = 10;
constexpr UINT_PTR kTimerSave = 11;
constexpr UINT_PTR kTimerMail = 12;
constexpr UINT_PTR kTimerFolderPoll = 13;
constexpr UINT_PTR kTimerDropMinis = 14;  // makes the mini notes of a drop a few at a time
constexpr UINT_PTR kTimerSearch = 15;     // the search window searches a slice of the store
constexpr UINT_PTR kTimerDropTarget = 16; // a note takes drops once its page is up
constexpr UINT_PTR kTimerPageWatch = 20;  // the main bar looks at what changed in the open page
constexpr UINT_PTR kTimerSplashHold = 100;
constexpr UINT_PTR kTimerSplashFade = 101;

// Image notes: messages to the image view and the note, and menu commands.
constexpr UINT kMsgImageNaturalSize = 0x151;  // to the image view: size the note to the picture
constexpr UINT kMsgImageCapture = 0x152;      // to the image view: open the screen capture
constexpr UINT kMsgImagePut = 0x153;          // to the note; lParam = picture path; 0 when put in
constexpr int kCmdImageNaturalSize = 100;
constexpr int kCmdImageCapture = 101;
constexpr int kCmdImagePaste = 102;
constexpr int kCmdImageCopyFromFile = 0xE101;  // the same id as kCmdOpen

// Inside the browser note: to its browser host; lParam = URL text.
// Returns the browser's result, or 1 when the host has no control.
constexpr UINT kMsgNavigate = 0x154;
// The command ids of the browser note's favourites start here.
constexpr int kCmdFirstFavorite = 0x5000;

// A mini note's move menu: to the main bar, or to note i of the note list
// (ids kCmdMoveToNoteFirst + i).
constexpr int kCmdMoveToMain = 0x4000;
constexpr int kCmdMoveToNoteFirst = 0x5000;

}  // namespace memo
