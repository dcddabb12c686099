// Mini notes as their owners see them: creating the windows that stand for
// the "Mini" sections of an owner's settings file.
#pragma once

#include <windows.h>

#include <string>

#include "store/Settings.h"

namespace memo {

constexpr DWORD kMiniNoteStyle = 0xC6000000;  // popup and child (owned), clip siblings and children

// kQuiet: a failure shows no box, the caller reports it. A box shown while
// a drop is being handled would hold the drag source until it is dismissed.
enum class MiniCreation { kReported, kQuiet };

// Creates the mini note window of a section, owned by owner (not shown).
HWND CreateMiniNoteWindow(HWND owner, const std::string& section,
                          MiniCreation creation = MiniCreation::kReported);

// One mini note per section of the file whose name starts with "Mini".
void CreateMiniNotesFromSettings(HWND owner, const std::string& settingsFile);

// The next free section name for a new mini note in a settings file: not a
// section of the file, nor the title of any open mini note window.
std::string NewMiniSection(const std::string& settingsFile);
// The same names, one after another, for many new mini notes at once.
MiniSectionNamer NewMiniSections(const std::string& settingsFile);

// A new mini note of owner: next free section, top-left corner at the
// cursor, 12 pixels taller than loaded, shown without activation.
HWND NewMiniNoteAtCursor(HWND owner);

}  // namespace memo
