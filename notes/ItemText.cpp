// The text note.
#include "notes/ItemText.h"

#include <commdlg.h>
#include <shellapi.h>

#include "frame/ClassNames.h"
#include "frame/Colors.h"
#include "frame/EditTabs.h"
#include "frame/Messages.h"
#include "frame/NoteMenu.h"
#include "frame/NoteWindows.h"
#include "resources/resource.h"
#include "store/FileSystem.h"
#include "store/LateLibrary.h"
#include "store/Paths.h"
#include "store/Store.h"
#include "store/TextFile.h"
#include "store/WinText.h"

namespace memo {
namespace {

const ClassRegistrar kRegistrar(kClassText, CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS, IDI_APP,
                                &Dispatch<ItemText>);

constexpr DWORD kBodyStyle = 0x54200044;  // child, visible, clip siblings, v-scroll, multi-line, auto v-scroll
constexpr COLORREF kDefaultBackground = 0x77FFFF;
constexpr UINT kSaveDelayMs = 10000;
constexpr UINT kMailCleanupMs = 20000;
constexpr DWORD kSaveDialogFlags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                                   OFN_NOREADONLYRETURN | OFN_EXPLORER;
constexpr char kTextFilter[] = "Text(*.txt)\0*.txt\0";
constexpr COLORREF kNoticeBackground = 0xB0E0FF;  // light orange
constexpr COLORREF kNoticeText = 0x000000;

// Asks for a file name; false on cancel.
// The dialog starts in the note's folder, not in the program's working one.
bool AskSaveName(HWND owner, char (&buffer)[kMaxPathBytes], const char* defaultExtension,
                 const std::string& noteFolder) {
  OPENFILENAMEA ofn{};
  ofn.lpstrInitialDir = noteFolder.empty() ? nullptr : noteFolder.c_str();
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner;
  ofn.hInstance = ::GetModuleHandleA(nullptr);
  ofn.lpstrFilter = kTextFilter;
  ofn.lpstrFile = buffer;
  ofn.nMaxFile = kMaxPathBytes;
  ofn.lpstrDefExt = defaultExtension;
  ofn.Flags = kSaveDialogFlags;
  return late::GetSaveFileNameA(&ofn) != FALSE;
}

}  // namespace

LRESULT ItemText::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate(hwnd, message, wParam, lParam);
    case WM_CLOSE:
      if (!OnClose(hwnd)) return 0;
      if (quitPending_) {
        // The frame's close destroys the window and this object with it.
        int code = quitCode_;
        LRESULT result = NoteFrame::WindowProc(hwnd, message, wParam, lParam);
        ::PostQuitMessage(code);
        return result;
      }
      break;
    case kMsgFinishClose:
      ::SendMessageA(hwnd, WM_CLOSE, 0, 0);
      return 0;
    case WM_DESTROY:
      EditReleaseTabStops(Body());
      break;
    case WM_CONTEXTMENU:
      OnContextMenu(hwnd, lParam);
      return 0;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kIdBody:
          if (HIWORD(wParam) == EN_UPDATE && !busy_) ::SetTimer(hwnd, kTimerSave, kSaveDelayMs, nullptr);
          return 0;
        case kIdNotice:
          if (HIWORD(wParam) == STN_CLICKED) HideNotice(hwnd);
          return 0;
        case kCmdCreateMail:
          CreateMail(hwnd);
          return 0;
        case kCmdSaveAs:
          return SaveAs(hwnd);
      }
      break;
    case WM_TIMER:
      if (wParam == kTimerSave) {
        ::KillTimer(hwnd, kTimerSave);
        SaveWithFallback(hwnd, false);
        return 0;
      }
      if (wParam == kTimerMail) {
        DeletePendingMail();
        return 0;
      }
      break;
    case WM_CTLCOLOREDIT: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      ::SetTextColor(dc, GetColorProp(hwnd, kPropColorText));
      ::SetBkColor(dc, GetColorProp(hwnd, kPropColorBG));
      return reinterpret_cast<LRESULT>(background_.get());
    }
    case WM_CTLCOLORSTATIC:
      // A read-only edit control asks as a static control does.
      if (lParam && reinterpret_cast<HWND>(lParam) == Body()) {
        return ::SendMessageA(hwnd, WM_CTLCOLOREDIT, wParam, lParam);
      }
      if (lParam && reinterpret_cast<HWND>(lParam) == notice_) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        ::SetTextColor(dc, kNoticeText);
        ::SetBkColor(dc, kNoticeBackground);
        if (!noticeBrush_) noticeBrush_.reset(::CreateSolidBrush(kNoticeBackground));
        return reinterpret_cast<LRESULT>(noticeBrush_.get());
      }
      break;
    case WM_SIZE: {
      LRESULT result = NoteFrame::WindowProc(hwnd, message, wParam, lParam);
      PlaceNotice(hwnd);
      return result;
    }
    case WM_ACTIVATEAPP:
      OnActivateApp(hwnd, wParam != FALSE);
      break;
    case kMsgNoteFileChanged:
      return OnFileChanged(hwnd, wParam != 0);
    case kMsgOpenConflict:
      OpenConflictCopy();
      return 0;
    case kMsgRedraw:
      background_.reset(::CreateSolidBrush(GetColorProp(hwnd, kPropColorBG)));
      break;
  }
  return NoteFrame::WindowProc(hwnd, message, wParam, lParam);
}

LRESULT ItemText::OnCreate(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  SetColorProp(hwnd, kPropColorText, 0);
  SetColorProp(hwnd, kPropColorBG, kDefaultBackground);
  std::string path = NotePathOfWindow(hwnd);
  DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    ShowError(hwnd, "ItemText init failed", path);
    return -1;
  }
  // The text is set after creation, with the control's limit lifted: as
  // the window name of CreateWindowEx a long text is cut or refused.
  HWND body = ::CreateWindowExW(0, L"EDIT", L"", kBodyStyle, 0, 0, 0, 0, hwnd,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdBody)),
                                ::GetModuleHandleW(nullptr), nullptr);
  if (!body) {
    ShowError(hwnd, "ItemText init failed", path);
    return -1;
  }
  SetBody(body);  // each search of the children is a round trip
  ::SendMessageW(body, EM_SETLIMITTEXT, 0, 0);
  EditSetTabStop(body, kNoteTabStopUnits);
  // Set before the frame shows the note, so that a page of notes paints
  // each text once.
  std::string bytes;
  bool read = ReadWholeFile(path, &bytes);
  ShowBytes(hwnd, path, bytes, read, false);
  std::string original = readOnly_ ? std::string() : NoticeConflictCopy(hwnd, path);
  bool placed = PathExists(PathAppend(path, ".ini"));
  LRESULT result = NoteFrame::WindowProc(hwnd, message, wParam, lParam);
  // A copy that has no place of its own yet opens beside its note instead
  // of exactly over it, where it would hide it.
  if (result != -1 && !original.empty() && !placed) PlaceBeside(hwnd, path, original);
  return result;
}

HWND ItemText::BodyWindow(HWND hwnd) const {
  // Body() is known only once the frame's creation has run.
  return Body() ? Body() : ::GetDlgItem(hwnd, kIdBody);
}

std::wstring ItemText::BodyText(HWND hwnd) const {
  HWND body = BodyWindow(hwnd);
  return body ? HwndGetTextW(body) : std::wstring();
}

std::string ItemText::BodyBytes(HWND hwnd, TextForm* form) const {
  std::wstring text = BodyText(hwnd);
  std::string bytes;
  *form = form_;
  if (!EncodeNoteText(text, *form, &bytes)) {
    form->encoding = TextEncoding::kUtf8Bom;
    EncodeNoteText(text, *form, &bytes);
  }
  return bytes;
}

bool ItemText::OnClose(HWND hwnd) {
  // The close saves now; a pending timer would prompt a second time
  // while the save-failure prompt of this close is still up.
  ::KillTimer(hwnd, kTimerSave);
  if (busy_) {
    DeferClose(hwnd);
    return false;
  }
  closePending_ = false;
  SaveWithFallback(hwnd, true);
  ::SendMessageA(hwnd, WM_TIMER, kTimerMail, 0);
  if (!closePath_.empty() && closePath_ != NotePathOfWindow(hwnd)) {
    // The page changed while the close waited: the frame would write this
    // note's place into the settings of a note of the new page. It was
    // saved when the close came; the bare title change skips the frame's
    // handling, which would take an empty title for a deletion.
    ::DefWindowProcA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
  }
  return true;
}

void ItemText::DeferClose(HWND hwnd) {
  // A close from the bar (a page switch, the end of the program) while a
  // prompt of this note is up, brought by the prompt's own message loop:
  // destroying the window now would lose the text and return the prompt
  // into a freed note. The close waits for the prompt, then saves or asks
  // again.
  if (closePending_) return;
  closePending_ = true;
  if (closePath_.empty()) {
    // Taken while the page is still the note's page.
    closePath_ = NotePathOfWindow(hwnd);
    SaveWindowSettings(hwnd);
  }
}

void ItemText::EndBusy(HWND hwnd) {
  busy_ = false;
  if (!closePending_) return;
  // An end of the program that came meanwhile ended the prompt's loop
  // with it; held back, so that the close can still ask, and passed on
  // once the note has closed. A prompt may also have swallowed it: the bar
  // is gone then.
  MSG quit;
  if (::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    quitPending_ = true;
    quitCode_ = static_cast<int>(quit.wParam);
  } else if (!::FindWindowA(kClassMain, nullptr)) {
    quitPending_ = true;
  }
  ::PostMessageA(hwnd, kMsgFinishClose, 0, 0);
}

std::string ItemText::OwnPath(HWND hwnd) const { return closePath_.empty() ? NotePathOfWindow(hwnd) : closePath_; }

bool ItemText::Modified() const { return Body() && ::SendMessageW(Body(), EM_GETMODIFY, 0, 0); }

void ItemText::SaveBeforeCopy(HWND hwnd) {
  ::KillTimer(hwnd, kTimerSave);
  SaveWithFallback(hwnd, false);
}

void ItemText::OnContextMenu(HWND hwnd, LPARAM point) {
  UniqueMenu menu(::CreatePopupMenu());
  if (!menu) return;
  ::AppendMenuA(menu.get(), MF_STRING, kCmdSaveAs, "名前を付けて保存(&S)");
  ::AppendMenuA(menu.get(), MF_STRING, kCmdCreateMail, "メールを作成(&C)");
  ::AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
  MenuAppendNoteCommands(menu.get());
  POINT at = ContextMenuPoint(point);
  ::TrackPopupMenuEx(menu.get(), TPM_RIGHTBUTTON, at.x, at.y, hwnd, nullptr);
}

bool ItemText::SaveTo(HWND hwnd, const std::string& path, const std::string& chosen) {
  TextForm form;
  std::string bytes = BodyBytes(hwnd, &form);
  if (!SaveFileReplacing(chosen, bytes)) return false;
  // Written to the note's own file under any spelling of its name: what the
  // note remembers of its file must be these bytes, or its next save would
  // take its own write for a change made outside.
  if (!readOnly_ && IsSameFile(path, chosen)) {
    stamp_ = StampOf(path, bytes);
    goneNoticed_ = false;
    TakeForm(hwnd, form);
    if (Body()) ::SendMessageW(Body(), EM_SETMODIFY, FALSE, 0);
  }
  return true;
}

void ItemText::SaveWithFallback(HWND hwnd, bool closing) {
  std::string path = OwnPath(hwnd);
  if (path.empty() || readOnly_ || busy_) return;
  busy_ = true;
  SaveStep step = CheckOutside(hwnd, path, closing);
  if (step == SaveStep::kSkip) {
    EndBusy(hwnd);
    return;
  }
  if (step == SaveStep::kSave) {
    TextForm form;
    std::string bytes = BodyBytes(hwnd, &form);
    if (SaveFileReplacing(path, bytes)) {
      stamp_ = StampOf(path, bytes);
      goneNoticed_ = false;
      TakeForm(hwnd, form);
      if (Body()) ::SendMessageW(Body(), EM_SETMODIFY, FALSE, 0);
      EndBusy(hwnd);
      return;
    }
  }
  std::string folder = ParentForCreate(path);
  for (;;) {
    if (::MessageBoxA(hwnd, "保存に失敗しました\r\n\r\n名前を付けて保存しますか？", path.c_str(),
                      MB_ICONERROR | MB_YESNO) != IDYES) {
      break;
    }
    // After an outside change the note's own file holds the text that a
    // copy is to keep: the dialog offers a conflict copy's name instead, so
    // that Enter does not write over it.
    std::string offered = path;
    if (step == SaveStep::kAskElsewhere) {
      std::string copy = FreeConflictCopyName(hwnd, path);
      offered = copy.empty() ? std::string() : PathJoin(folder, Unquote(copy));
    }
    char chosen[kMaxPathBytes] = {};
    lstrcpynA(chosen, offered.c_str(), sizeof(chosen));
    if (!AskSaveName(hwnd, chosen, nullptr, folder)) break;
    if (SaveTo(hwnd, path, chosen)) break;
  }
  EndBusy(hwnd);
}

LRESULT ItemText::SaveAs(HWND hwnd) {
  if (busy_) return 0;
  // The dialog's loop may bring a close as a prompt's does.
  busy_ = true;
  std::string path = OwnPath(hwnd);
  char chosen[kMaxPathBytes] = {};
  LRESULT result = 0;
  if (AskSaveName(hwnd, chosen, "txt", ParentForCreate(path)) && !SaveTo(hwnd, path, chosen)) {
    ShowError(hwnd, "Save failed");
    result = 1;
  }
  EndBusy(hwnd);
  return result;
}

void ItemText::CreateMail(HWND hwnd) {
  std::string subject = Unquote(HwndGetText(hwnd));
  char temp[MAX_PATH] = {};
  DWORD n = ::GetTempPathA(MAX_PATH, temp);
  if (n == 0 || n >= MAX_PATH || subject.empty()) return;
  std::string mail = PathAppend(PathJoin(temp, subject), ".eml");
  if (mail.empty()) return;  // the name would not fit the temporary folder
  if (!WriteWholeFile(mail, MailDraft(Utf8FromWide(WideFromAnsi(subject)), Utf8FromWide(BodyText(hwnd))))) return;
  auto result = reinterpret_cast<INT_PTR>(::ShellExecuteA(hwnd, "open", mail.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  if (result > 32) {
    ::SetTimer(hwnd, kTimerMail, kMailCleanupMs, nullptr);
    pendingMail_.push_back(mail);
  } else {
    ::DeleteFileA(mail.c_str());
  }
}

void ItemText::DeletePendingMail() {
  while (!pendingMail_.empty()) {
    ::DeleteFileA(pendingMail_.front().c_str());
    pendingMail_.pop_front();
  }
}

}  // namespace memo
