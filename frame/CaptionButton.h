// The small owner-drawn buttons of the note caption and the main bar: the
// hover procedure that makes them light up, and their painting.
#pragma once

#include <windows.h>

namespace memo {

// Creates an owner-drawn button at place (zero-sized by default) with its
// hover procedure and its tooltip (none for null), hidden unless visible.
// The BUTTON class's background brush becomes the null brush for the whole
// process, so buttons never flash a default background.
HWND CreateCaptionButton(HWND parent, int id, const char* text, const char* tooltip,
                         const RECT& place = RECT{}, bool visible = false);

// Checked state, kept in bit 0 of the button's GWLP_USERDATA.
bool IsButtonChecked(HWND button);
void SetButtonChecked(HWND button, bool checked);

// Paints an owner-drawn button in the colours derived from background.
void DrawCaptionButton(const DRAWITEMSTRUCT& item, COLORREF background);

}  // namespace memo
