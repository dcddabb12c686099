// Minimizing a note to an edge of the work area, and the animation that
// goes with minimizing and restoring.
#pragma once

#include <windows.h>

namespace memo {

// Hides a visible note behind a new edge bar; nothing when no bar is made.
void MinimizeToEdge(HWND note);

// A caption rectangle flying from one place to another, unless Info/MinAnim
// in root.ini is 0 (read each time).
void Animate(HWND window, const RECT& from, const RECT& to);

// The automatic minimize counter of a note.
constexpr char kPropMinimizeCounter[] = "MinimizeCounter";
constexpr int kMinimizeCounterStart = 1000;
constexpr int kMinimizeCounterStep = 100;

}  // namespace memo
