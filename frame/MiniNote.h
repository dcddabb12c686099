// A mini note: a one-line (or few-line) label owned by a note or the main
// bar, kept in a "Mini%d" section of its owner's settings file, with an
// optional link to a shell item whose icon it shows at its left end.
//
// Its window text is its section name. Setting the text to "" deletes it
// (the section goes with it); any other new text is refused.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "frame/MiniNoteGeometry.h"
#include "frame/WindowObject.h"
#include "store/Handles.h"
#include "store/Settings.h"

namespace memo {

class MiniNote : public WindowObject, public virtual DropTarget {
 public:
  MiniNote();
  LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  LRESULT OnCreate(HWND hwnd, const CREATESTRUCTA& create);
  void OnDestroy(HWND hwnd);
  LRESULT OnSetText(HWND hwnd, const char* text, WPARAM wParam, LPARAM lParam);
  void OnSize(HWND hwnd);
  bool OnSetCursor(HWND hwnd);
  void OnMoving(HWND hwnd, RECT* proposed);
  void OnEnterSizeMove(HWND hwnd);
  void OnLButtonDblClk(HWND hwnd, POINT client);
  void OnMouseMove(HWND hwnd, WPARAM keys, POINT client);
  void OnContextMenu(HWND hwnd, POINT screen);
  void OnCommand(HWND hwnd, int id, int code);
  void OnSettingsChanged(HWND hwnd);
  void Paint(HWND hwnd, HDC dc);

  // MiniNoteCommands.cpp
  LRESULT OnDropQuery(IDataObject* data);
  void OnDrop(HWND hwnd, DWORD* effect, IDataObject* data);
  void OpenLink(HWND hwnd);
  void ShowLinkProperties(HWND hwnd);
  void Attach(HWND hwnd);
  // Writes everything the mini note holds into its section.
  void SaveAll(HWND hwnd);
  void MoveToOwner(HWND hwnd, int id);
  void Duplicate(HWND hwnd);

  bool OverIcon(POINT client) const;

  MiniMetrics metrics_;
  CoTaskMem<ITEMIDLIST> link_;
  RECT iconRect_{};  // empty while no icon is drawn
  UniqueBrush background_;
  // Where the left button went down (client coordinates) and the sibling
  // rectangles, for the move snapping.
  bool pressed_ = false;
  POINT press_{};
  std::vector<RECT> siblings_;
  // Where the right button went down, for the drag of the link.
  bool rightDown_ = false;
  POINT rightPress_{};
};

// The settings file and section of a mini note window ("" when it has no
// owner or no title).
std::string MiniNoteSettingsFile(HWND mini);
// Text and IDL of a section, as a mini note stores them: an empty text or no
// link removes the key. The text is read back by ReadMiniText
// (store/Settings.h), which the search shares.
void WriteMiniText(const std::string& file, const std::string& section, const std::string& text);
// Stages the mini note's place and link, and its text while its body holds
// it, where they differ from what its section in the file holds: a mini note
// that did not change writes nothing.
void StageMiniState(IniBatch* batch, const std::string& file, const std::string& section, HWND mini,
                    PCIDLIST_ABSOLUTE link);
// Whether a mini note's body holds the stored text, so that writing the
// body's text back keeps it. A mini note without a body (its creation
// failed, or it is gone) must leave the stored text alone.
bool MiniBodyHoldsText(HWND mini);

}  // namespace memo
