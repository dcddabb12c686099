// The text note and the other programs that change its file while it is
// open (a sync tool, a second computer on a share, an editor): it shows
// their text when it has no edit of its own, keeps the user's text in a
// conflict copy when both changed, and tells the user in a strip over the
// text instead of a box that would hold up every note.
#include <algorithm>
#include <vector>

#include "frame/ClassNames.h"
#include "frame/Messages.h"
#include "frame/NoteWindows.h"
#include "notes/ItemText.h"
#include "store/FileSystem.h"
#include "store/Handles.h"
#include "store/Paths.h"
#include "store/Settings.h"
#include "store/Store.h"
#include "store/TextCodec.h"
#include "store/TextFile.h"
#include "store/WinText.h"

namespace memo {
namespace {

constexpr UINT kSaveDelayMs = 10000;
constexpr int kMaxConflictCopies = 99;
constexpr char kGoneNotice[] =
    "このメモのファイルは外部で削除または移動されました。"
    "編集すると、表示中の内容を同じ名前で保存し直します。";
constexpr char kConflictNoticeHead[] =
    "このメモのファイルが外部で変更されたため、外部の内容を表示しています。あなたの編集は「";
constexpr char kConflictNoticeTail[] = "」に保存しました。";
constexpr char kConflictAtCloseHead[] =
    "このメモのファイルが外部で変更されていたため、閉じる前のあなたの編集は次のファイルに保存しました:\r\n\r\n";
constexpr char kReadOnlyNotice[] =
    "このファイルは内容をそのまま表示できないため、読み取り専用で開いています"
    "（NUL 文字、文字コードとして正しくないバイト列、または読み込めないファイル）。"
    "元のファイルは変更しません。表示中の内容は「名前を付けて保存」で別のファイルに保存できます。";
constexpr char kCopyNoticeHead[] = "このメモは「";
constexpr char kCopyNoticeTail[] =
    "」の競合コピーです。両方で同時に変更された内容を残しています。見比べて、不要になったら削除してください。";
constexpr char kUtf8Notice[] =
    "このメモにはシステムの文字コードで表せない文字があるため、UTF-8 (BOM 付き) で保存しました。";
constexpr char kDismissHint[] = "（クリックで閉じる）";

}  // namespace

void ItemText::ShowBytes(HWND hwnd, const std::string& path, const std::string& bytes, bool readOk,
                         bool keepCaret) {
  HWND body = BodyWindow(hwnd);
  if (!body) return;
  DWORD selStart = 0, selEnd = 0;
  LRESULT firstLine = 0;
  if (keepCaret) {
    ::SendMessageW(body, EM_GETSEL, reinterpret_cast<WPARAM>(&selStart), reinterpret_cast<LPARAM>(&selEnd));
    firstLine = ::SendMessageW(body, EM_GETFIRSTVISIBLELINE, 0, 0);
  }
  DecodedText decoded = DecodeNoteText(bytes);
  bool wasBusy = busy_;
  busy_ = true;
  ::SendMessageW(body, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(decoded.text.c_str()));
  // Wine's edit control counts a text set by the program as a change; only
  // the user's edits may count.
  ::SendMessageW(body, EM_SETMODIFY, FALSE, 0);
  busy_ = wasBusy;
  if (Created()) ::KillTimer(hwnd, kTimerSave);  // none before the note is up
  auto length = static_cast<DWORD>(::GetWindowTextLengthW(body));
  if (keepCaret) {
    ::SendMessageW(body, EM_SETSEL, std::min(selStart, length), std::min(selEnd, length));
    ::SendMessageW(body, EM_LINESCROLL, 0, firstLine);
  }
  stamp_ = readOk ? StampOf(path, bytes) : FileStamp{};
  form_ = decoded.form;
  if (!readOk || !decoded.exact || length != decoded.text.size()) {
    readOnly_ = true;
    ::SendMessageW(body, EM_SETREADONLY, TRUE, 0);
    ShowNotice(hwnd, kReadOnlyNotice);
  }
}

void ItemText::TakeForm(HWND hwnd, const TextForm& form) {
  bool leftCodePage = form_.encoding == TextEncoding::kCodePage && form.encoding != TextEncoding::kCodePage;
  form_ = form;
  if (leftCodePage) ShowNotice(hwnd, std::string(kUtf8Notice) + kDismissHint);
}

ItemText::SaveStep ItemText::CheckOutside(HWND hwnd, const std::string& path, bool closing) {
  std::string bytes;
  FileStamp now;
  switch (CompareWithDisk(path, stamp_, &bytes, &now)) {
    case DiskState::kSame: {
      // Nothing to write: the file holds what the note shows. A close does
      // not rewrite a note that was only looked at.
      if (!stamp_.known || Modified()) return SaveStep::kSave;
      TextForm form;
      std::string bytes = BodyBytes(hwnd, &form);
      return bytes.size() == stamp_.size && HashBytes(bytes) == stamp_.hash ? SaveStep::kSkip : SaveStep::kSave;
    }
    case DiskState::kUnreadable:  // the save itself tells whether it can write
      return SaveStep::kSave;
    case DiskState::kChanged:
      if (Modified() && !KeepConflictCopy(hwnd, path, closing)) return SaveStep::kAskElsewhere;
      ShowBytes(hwnd, path, bytes, true, true);
      return SaveStep::kSkip;
    case DiskState::kGone:
      break;
  }
  // Gone: a deletion made elsewhere is not undone behind the user's back.
  // An unedited note leaves it be; edits are saved back once the user has
  // been told, or when the note closes and they would be lost otherwise.
  if (Modified() && (goneNoticed_ || closing)) return SaveStep::kSave;
  if (!goneNoticed_) {
    goneNoticed_ = true;
    ShowNotice(hwnd, std::string(kGoneNotice) + kDismissHint);
    if (Modified()) ::SetTimer(hwnd, kTimerSave, kSaveDelayMs, nullptr);
  }
  return SaveStep::kSkip;
}

std::string ItemText::FreeConflictCopyName(HWND hwnd, const std::string& path) const {
  std::string noteName = HwndGetText(hwnd);
  // A name shows once among the notes of the page and of common.
  std::vector<std::string> folders{ParentForCreate(path),
                                   IsQuotedName(noteName) ? CurrentPageFolder() : CommonFolder()};
  SYSTEMTIME when;
  ::GetLocalTime(&when);
  for (int number = 1; number <= kMaxConflictCopies; ++number) {
    std::string name = ConflictCopyName(noteName, when, number);
    if (PathJoin(folders[0], Unquote(name)).empty()) return std::string();
    if (IsFreeCopyName(folders, Unquote(name))) return name;
  }
  return std::string();
}

bool ItemText::KeepConflictCopy(HWND hwnd, const std::string& path, bool closing) {
  std::string folder = ParentForCreate(path);
  std::string name, copyPath;
  for (;;) {
    name = FreeConflictCopyName(hwnd, path);
    if (name.empty()) return false;
    copyPath = PathJoin(folder, Unquote(name));
    // The copy keeps the note's encoding, as far as its text allows.
    TextForm form;
    if (SaveFileNew(copyPath, BodyBytes(hwnd, &form))) break;
    // Taken by a file made since the check: the next free name.
    if (!PathExists(copyPath)) return false;
  }
  if (closing) {
    // The note's window goes away with this close (a page switch, the end
    // of the program): a notice in it would never be read.
    ::MessageBoxA(hwnd, (kConflictAtCloseHead + copyPath).c_str(), "Memopane", MB_ICONINFORMATION | MB_OK);
    return true;
  }
  ShowNotice(hwnd, kConflictNoticeHead + Unquote(name) + kConflictNoticeTail + kDismissHint);
  conflictToOpen_ = name;
  ::PostMessageA(hwnd, kMsgOpenConflict, 0, 0);
  return true;
}

void ItemText::OpenConflictCopy() {
  std::string name;
  name.swap(conflictToOpen_);
  HWND bar = ::FindWindowA(kClassMain, nullptr);
  if (bar && !name.empty()) ::SendMessageA(bar, kMsgOpenNote, 1, reinterpret_cast<LPARAM>(name.c_str()));
}

void ItemText::OnActivateApp(HWND hwnd, bool active) {
  // The program comes back to the front: the user may have changed the
  // note elsewhere meanwhile. Nothing is saved here.
  if (active) CheckDisk(hwnd, true);
}

LRESULT ItemText::OnFileChanged(HWND hwnd, bool exists) {
  // A file that went away takes its note with it, unless the note holds
  // edits: those stay, with the notice, until the user decides.
  if (!exists && (!Modified() || readOnly_) && !busy_) return 0;
  // Edits meet the outside text at their save, as the user expects of a
  // note that has not been left.
  CheckDisk(hwnd, false);
  return 1;
}

void ItemText::CheckDisk(HWND hwnd, bool copyEdits) {
  if (readOnly_ || busy_) return;
  std::string path = OwnPath(hwnd);
  if (path.empty()) return;
  busy_ = true;
  std::string bytes;
  FileStamp now;
  switch (CompareWithDisk(path, stamp_, &bytes, &now)) {
    case DiskState::kChanged:
      // Without a copy the user's text stays in the note; the next save
      // looks again and asks.
      if (!Modified() || (copyEdits && KeepConflictCopy(hwnd, path, false))) ShowBytes(hwnd, path, bytes, true, true);
      break;
    case DiskState::kGone:
      if (!goneNoticed_) {
        goneNoticed_ = true;
        ShowNotice(hwnd, std::string(kGoneNotice) + kDismissHint);
      }
      break;
    case DiskState::kSame:
    case DiskState::kUnreadable:
      break;
  }
  EndBusy(hwnd);
}

std::string ItemText::NoticeConflictCopy(HWND hwnd, const std::string& path) {
  std::string name = Unquote(HwndGetText(hwnd));
  std::string original = ConflictCopyOriginalIn(ParentForCreate(path), name);
  if (!original.empty()) ShowNotice(hwnd, kCopyNoticeHead + original + kCopyNoticeTail + kDismissHint);
  return original;
}

void ItemText::PlaceBeside(HWND hwnd, const std::string& path, const std::string& original) {
  // Where its note is, or will be once it opens: its settings' place, or
  // the place of a note without settings, where this one is now.
  RECT r;
  ::GetWindowRect(hwnd, &r);
  if (HWND note = FindNoteWindow(IsQuotedName(HwndGetText(hwnd)) ? Quote(original) : original)) {
    ::GetWindowRect(note, &r);
  } else {
    std::string settings = PathAppend(PathJoin(ParentForCreate(path), original), ".ini");
    r.left = IniReadInt(settings, kSectionWindow, kKeyX, r.left);
    r.top = IniReadInt(settings, kSectionWindow, kKeyY, r.top);
  }
  constexpr int kStep = 32;
  ::SetWindowPos(hwnd, nullptr, r.left + kStep, r.top + kStep, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ItemText::ShowNotice(HWND hwnd, const std::string& text) {
  if (!notice_) {
    notice_ = ::CreateWindowExA(0, "STATIC", "", WS_CHILD | SS_LEFT | SS_NOTIFY, 0, 0, 0, 0, hwnd,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdNotice)),
                                ::GetModuleHandleA(nullptr), nullptr);
    if (!notice_) return;
  }
  HWND body = BodyWindow(hwnd);
  if (body) ::SendMessageA(notice_, WM_SETFONT, ::SendMessageW(body, WM_GETFONT, 0, 0), FALSE);
  ::SetWindowTextA(notice_, text.c_str());
  PlaceNotice(hwnd);
  ::ShowWindow(notice_, SW_SHOWNA);
}

void ItemText::HideNotice(HWND hwnd) {
  // What a read-only note could not show stays explained.
  if (!notice_ || readOnly_) return;
  ::ShowWindow(notice_, SW_HIDE);
  PlaceNotice(hwnd);
}

void ItemText::PlaceNotice(HWND hwnd) {
  HWND body = BodyWindow(hwnd);
  // Notes that never showed a notice keep the control's own format.
  if (!body || !notice_) return;
  RECT area{};
  ::GetClientRect(body, &area);
  int height = 0;
  if (notice_ && ::IsWindowVisible(notice_)) {
    // As high as its text needs at the body's width, and never more than
    // half the body.
    RECT text{0, 0, std::max<LONG>(area.right - 4, 20), 0};
    std::string shown = HwndGetText(notice_);
    WindowDC dc(notice_);
    if (dc.get()) {
      SelectScope font(dc.get(), reinterpret_cast<HFONT>(::SendMessageA(notice_, WM_GETFONT, 0, 0)));
      ::DrawTextA(dc.get(), shown.c_str(), static_cast<int>(shown.size()), &text, DT_CALCRECT | DT_WORDBREAK);
    }
    height = std::min<LONG>(text.bottom + 4, area.bottom / 2);
    POINT origin{0, 0};
    ::MapWindowPoints(body, hwnd, &origin, 1);
    ::SetWindowPos(notice_, HWND_TOP, origin.x, origin.y, area.right, height, SWP_NOACTIVATE);
  }
  // The text starts below the strip; the body clips its sibling out.
  RECT format = area;
  format.top += height;
  ::SendMessageW(body, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&format));
}

}  // namespace memo
