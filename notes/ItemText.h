// The text note: a ".txt" file edited in place in a multi-line edit control
// and saved 10 seconds after the last change and when the note closes.
// It never writes over a change made to its file outside the program, and
// never over a file that it could not show whole.
#pragma once

#include <deque>
#include <string>

#include "frame/NoteFrame.h"
#include "store/FileStamp.h"
#include "store/Handles.h"

namespace memo {

class ItemText : public NoteFrame {
 public:
  LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

 protected:
  void SaveBeforeCopy(HWND hwnd) override;

 private:
  // Posted to the note itself: opens the conflict copy once the check that
  // made it has finished (not from inside an activation).
  static constexpr UINT kMsgOpenConflict = WM_USER + 0x101;
  static constexpr int kIdNotice = 290;

  // What a save of the note's own file does after looking at the disk.
  enum class SaveStep { kSave, kSkip, kAskElsewhere };

  LRESULT OnCreate(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void OnContextMenu(HWND hwnd, LPARAM point);
  // Saves to the note's own file, offering "save as" while that fails.
  void SaveWithFallback(HWND hwnd, bool closing);
  bool SaveTo(HWND hwnd, const std::string& path);
  LRESULT SaveAs(HWND hwnd);
  void CreateMail(HWND hwnd);
  void DeletePendingMail();
  std::string BodyText(HWND hwnd) const;
  bool Modified() const;

  // ItemTextSync.cpp: the file as others change it while the note is open.
  // Shows bytes in the control (the caret kept where it can be); a file it
  // cannot show whole makes the note read-only.
  void ShowBytes(HWND hwnd, const std::string& path, const std::string& bytes, bool readOk, bool keepCaret);
  SaveStep CheckOutside(HWND hwnd, const std::string& path, bool closing);
  bool KeepConflictCopy(HWND hwnd, const std::string& path);
  void OnActivateApp(HWND hwnd, bool active);
  void OpenConflictCopy();
  void ShowNotice(HWND hwnd, const std::string& text);
  void HideNotice(HWND hwnd);
  void PlaceNotice(HWND hwnd);

  UniqueBrush background_;
  UniqueBrush noticeBrush_;
  std::deque<std::string> pendingMail_;
  // The file's bytes did not survive the trip into the edit control (a NUL
  // byte, text the code page cannot show, a failed read): the note is
  // read-only and never saved over its file; Save As still exports it.
  bool readOnly_ = false;
  // What the file held when the note last read or wrote it.
  FileStamp stamp_;
  // The user has been told that the file vanished outside.
  bool goneNoticed_ = false;
  // Set while the note itself changes the control's text or saves, so that
  // neither counts as the user's edit nor is re-entered from a prompt.
  bool busy_ = false;
  HWND notice_ = nullptr;
  std::string conflictToOpen_;
};

}  // namespace memo
