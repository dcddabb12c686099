// The small owner-drawn buttons of the note caption and the main bar: the
// hover procedure that makes them light up, and their painting.
#pragma once

#include <windows.h>

namespace memo {

// Creates a hidden, zero-sized owner-drawn button with its hover procedure
// and tooltip. The BUTTON class's background brush becomes the null brush
// for the whole process, so buttons never flash a default background.
HWND CreateCaptionButton(HWND parent, int id, const char* text, const char* tooltip);

// Replaces the button's window procedure by the hover procedure.
void SubclassCaptionButton(HWND button);

// Checked state, kept in bit 0 of the button's GWLP_USERDATA.
bool IsButtonChecked(HWND button);
void SetButtonChecked(HWND button, bool checked);

// Paints an owner-drawn button in the colours derived from background.
void DrawCaptionButton(const DRAWITEMSTRUCT& item, COLORREF background);

}  // namespace memo
