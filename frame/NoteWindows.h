// The windows of notes: which class a note kind opens as, finding a note's
// open window by its name, and opening one with its stored style.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "store/Store.h"

namespace memo {

// The window class of a kind, or nullptr for kNone.
const char* NoteClassOf(NoteKind kind);

// The note path of a note window: the path of its window text.
std::string NotePathOfWindow(HWND hwnd);

// root.ini for a window with WS_POPUP (the main bar), else the note path of
// its title + ".ini"; "" for a window without a title.
std::string SettingsFileOfWindow(HWND hwnd);

// The open window of a note name, looked up among the five note classes.
HWND FindNoteWindow(const std::string& noteName);

// The names of the open note windows of this thread.
std::vector<std::string> OpenNoteNames();

// Styles of a new note window from its stored Style: always a tool window,
// topmost when kept on top or pinned; the note style bits plus a sizing frame.
DWORD NoteWindowExStyle(int storedStyle);
DWORD NoteWindowStyle(int storedStyle);

// Opens the window of a note (see the open rules: hidden notes only with
// force); returns the window, or nullptr when none was opened.
HWND OpenNoteWindow(const std::string& noteName, bool show, bool force);

}  // namespace memo
