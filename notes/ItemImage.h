// The image note: a picture file shown stretched over the note, replaced from
// a file, the clipboard, a screen capture or a dropped file, saved under
// another name, and sized to the picture's natural size.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "frame/NoteFrame.h"

namespace memo {

// The picture kinds of image notes, by extension without regard to case.
bool IsPictureFile(const std::string& path);
// The first picture file of a dropped list.
std::optional<std::string> FirstPictureFile(const std::vector<std::string>& files);
// The note name that a picture gives the note: the note's name with its
// extension replaced by the picture's (dot included), quoted again when it
// was quoted.
std::string NameForPicture(const std::string& noteName, const std::string& picturePath);
// Whether a paste or a capture into the note is written as a PNG file (and
// keeps the note's name) rather than as a bitmap file: the note is a PNG.
bool WritesPng(const std::string& noteName);
// The save dialog's one filter entry for extension ext (without its dot):
// "Image file(*.ext)" and "*.ext", each ended by NUL, and the closing NUL.
std::string SaveFilterFor(const std::string& ext);

class ItemImage : public NoteFrame {
 public:
  LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  LRESULT OnCreate(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnDropQuery(IDataObject* data);
  void OnDrop(HWND hwnd, DWORD* effect, IDataObject* data);

  bool dragAccepted_ = false;
};

}  // namespace memo
