// The property sheet's rules over plain values: which caption, which name
// is shown, whether a new name is acceptable, how the Layout page's
// choices map to note style bits, and which transparency entry a stored
// Alpha selects.
#pragma once

#include <windows.h>

#include <string>

namespace memo {

// String table ids of the sheet's caption formats (one "%s").
enum class SheetCaption { kPage = 1, kCommonNote = 2, kNote = 3 };
// Pages for windows whose style has the top bit (main bar, mini notes),
// common notes for a quoted title, plain notes otherwise.
SheetCaption SheetCaptionFor(DWORD style, const std::string& title);

// The name a note's General page shows: quotes removed and, unless the
// note is a folder, the extension removed.
std::string NameShownForNote(const std::string& title, bool isFolder);

enum class NameFault { kNone, kEmpty, kBadChar, kTrailingDot };
// A new name is refused when empty, when it holds a character that no file
// name may hold (\ / : , ; * ? " < > |), or when it ends in a dot.
NameFault CheckNewName(const std::string& name);

// The note's new window text: the extension of its current name appended
// for a file, and quoted when it is to live in common.
std::string NewNoteTitle(const std::string& name, const std::string& currentTitle, bool isFolder,
                         bool common);

// Layout page: the minimize position combo (0 top, 1 bottom, 2 left,
// 3 right, 4 none) from and to note style bits.
constexpr int kMinimizeNone = 4;
int MinimizeIndexFromStyle(DWORD style);

struct LayoutChoice {
  int minimizeIndex = 0;        // combo 1004
  bool restoreByDblClick = false;  // combo 1001 at index 1
  bool topmost = false;         // box 1000
  bool restoreWithMain = true;  // box 1016
};
// The style with the Layout page's bits (0x001, 0x002, 0x004, 0x008, 0x100,
// 0x200) replaced by the choice. Every other bit, hidden and pinned among
// them, is kept: the page shows no control for them.
DWORD ApplyLayout(DWORD style, const LayoutChoice& choice);

// The transparency entry (0, 10, ... 90) that a stored Alpha selects: the
// entry i with i <= low byte < i + 10, or 0 when none does.
int AlphaEntryFor(int storedAlpha);

}  // namespace memo
