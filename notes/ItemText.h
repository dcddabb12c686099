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
#include "store/TextCodec.h"

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
  // Posted to the note itself: a close that came while one of its prompts
  // was up runs once the prompt has ended.
  static constexpr UINT kMsgFinishClose = WM_USER + 0x102;
  static constexpr int kIdNotice = 290;

  // What a save of the note's own file does after looking at the disk.
  enum class SaveStep { kSave, kSkip, kAskElsewhere };

  LRESULT OnCreate(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // False when the close waits for a prompt of the note (nothing to pass on).
  bool OnClose(HWND hwnd);
  void DeferClose(HWND hwnd);
  // Ends what busy_ guarded; runs a close that came meanwhile.
  void EndBusy(HWND hwnd);
  // The note's file: the one of its page, also after a page switch that
  // came while its close waited.
  std::string OwnPath(HWND hwnd) const;
  void OnContextMenu(HWND hwnd, LPARAM point);
  // Saves to the note's own file, offering "save as" while that fails.
  void SaveWithFallback(HWND hwnd, bool closing);
  // Saves a copy under chosen; when that is the note's own file the note
  // counts it as its own save.
  bool SaveTo(HWND hwnd, const std::string& path, const std::string& chosen);
  LRESULT SaveAs(HWND hwnd);
  void CreateMail(HWND hwnd);
  void DeletePendingMail();
  // The body is a Unicode edit control: the note's text goes in and out
  // wide, so that it holds any character its file can.
  HWND BodyWindow(HWND hwnd) const;
  std::wstring BodyText(HWND hwnd) const;
  // The bytes of the body's text in the note's encoding. A code-page note
  // given a character the code page lacks is written as UTF-8 with its
  // mark instead: *form tells the one used.
  std::string BodyBytes(HWND hwnd, TextForm* form) const;
  // The note's file now has form: a note that left the code page says so.
  void TakeForm(HWND hwnd, const TextForm& form);
  bool Modified() const;

  // ItemTextSync.cpp: the file as others change it while the note is open.
  // Shows bytes in the control (the caret kept where it can be); a file it
  // cannot show whole makes the note read-only.
  void ShowBytes(HWND hwnd, const std::string& path, const std::string& bytes, bool readOk, bool keepCaret);
  SaveStep CheckOutside(HWND hwnd, const std::string& path, bool closing);
  bool KeepConflictCopy(HWND hwnd, const std::string& path, bool closing);
  // The first free conflict copy name for the note (quoted for a note of
  // common), or "".
  std::string FreeConflictCopyName(HWND hwnd, const std::string& path) const;
  void OnActivateApp(HWND hwnd, bool active);
  // Compares the file with what the note last read or wrote and shows an
  // outside change; edits meet it as a conflict copy now (copyEdits) or at
  // the next save.
  void CheckDisk(HWND hwnd, bool copyEdits);
  LRESULT OnFileChanged(HWND hwnd, bool exists);
  // A note that is a conflict copy of another note of its folder says
  // whose; the bare name of that note, or "".
  std::string NoticeConflictCopy(HWND hwnd, const std::string& path);
  void PlaceBeside(HWND hwnd, const std::string& path, const std::string& original);
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
  // What the file held when the note last read or wrote it, and how it
  // spells its text.
  FileStamp stamp_;
  TextForm form_;
  // The user has been told that the file vanished outside.
  bool goneNoticed_ = false;
  // Set while the note itself changes the control's text or saves, so that
  // neither counts as the user's edit nor is re-entered from a prompt.
  bool busy_ = false;
  HWND notice_ = nullptr;
  // A close came while a prompt of the note was up.
  bool closePending_ = false;
  // The note's file when that close came; empty until then.
  std::string closePath_;
  // The program was told to end meanwhile: it ends once the note has closed.
  bool quitPending_ = false;
  int quitCode_ = 0;
  std::string conflictToOpen_;
};

}  // namespace memo
