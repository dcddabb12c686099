// The text note: a ".txt" file edited in place in a multi-line edit control
// and saved 10 seconds after the last change and when the note closes.
#pragma once

#include <deque>
#include <string>

#include "frame/NoteFrame.h"
#include "store/Handles.h"

namespace memo {

class ItemText : public NoteFrame {
 public:
  LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  LRESULT OnCreate(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void OnContextMenu(HWND hwnd, LPARAM point);
  // Saves to the note's own file, offering "save as" while that fails.
  void SaveWithFallback(HWND hwnd);
  bool SaveTo(HWND hwnd, const std::string& path);
  LRESULT SaveAs(HWND hwnd);
  void CreateMail(HWND hwnd);
  void DeletePendingMail();
  std::string BodyText(HWND hwnd) const;

  UniqueBrush background_;
  std::deque<std::string> pendingMail_;
  // The file's bytes did not survive the trip into the edit control (a NUL
  // byte, or text the code page cannot show): saving the control's text
  // would change the file although the user changed nothing.
  bool shownAltered_ = false;
};

}  // namespace memo
