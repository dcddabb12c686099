// The property sheet's rules over plain values.
#include "frame/SheetRules.h"

#include "frame/Messages.h"
#include "store/Paths.h"

namespace memo {

SheetCaption SheetCaptionFor(DWORD style, const std::string& title) {
  if (style & 0x80000000u) return SheetCaption::kPage;
  if (!title.empty() && title[0] == '"') return SheetCaption::kCommonNote;
  return SheetCaption::kNote;
}

std::string NameShownForNote(const std::string& title, bool isFolder) {
  std::string name = Unquote(title);
  return isFolder ? name : BaseNameOf(name);
}

NameFault CheckNewName(const std::string& name) {
  if (name.empty()) return NameFault::kEmpty;
  if (ContainsAnyChar(name, "\\/:,;*?\"<>|")) return NameFault::kBadChar;
  // No trail byte of a double-byte character is a dot (0x2E).
  if (name.back() == '.') return NameFault::kTrailingDot;
  return NameFault::kNone;
}

std::string NewNoteTitle(const std::string& name, const std::string& currentTitle, bool isFolder,
                         bool common) {
  // The extension comes from the note's own name: taken from its full path,
  // a dot in a folder name above it would count for a note without one.
  std::string title = isFolder ? name : name + ExtensionOf(Unquote(currentTitle));
  return common ? Quote(title) : title;
}

int MinimizeIndexFromStyle(DWORD style) {
  if (style & kStyleNoAutoMinimize) return kMinimizeNone;
  int index = (style & kStyleHorizontalEdge) ? 0 : 2;
  if (style & kStyleFarEdge) index |= 1;
  return index;
}

DWORD ApplyLayout(DWORD style, const LayoutChoice& choice) {
  constexpr DWORD kLayoutBits = kStyleNoAutoMinimize | kStyleFarEdge | kStyleHorizontalEdge | kStyleTopmost |
                                kStyleRestoreByDblClick | kStyleNotWithMain;
  style &= ~kLayoutBits;
  if (choice.minimizeIndex == kMinimizeNone) {
    style |= kStyleNoAutoMinimize;
  } else {
    if (choice.minimizeIndex == 0 || choice.minimizeIndex == 1) style |= kStyleHorizontalEdge;
    if (choice.minimizeIndex == 1 || choice.minimizeIndex == 3) style |= kStyleFarEdge;
  }
  if (choice.topmost) style |= kStyleTopmost;
  if (choice.restoreByDblClick) style |= kStyleRestoreByDblClick;
  if (!choice.restoreWithMain) style |= kStyleNotWithMain;
  return style;
}

int AlphaEntryFor(int storedAlpha) {
  int low = storedAlpha & 0xFF;
  return low < 100 ? low / 10 * 10 : 0;
}

}  // namespace memo
