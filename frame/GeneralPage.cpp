// The General page of the property sheet: the name (renaming the note or
// the page through its window text), the kind, the place, and whether the
// note lives in common.
#include <windows.h>
#include <prsht.h>

#include <string>

#include "frame/ClassNames.h"
#include "frame/NoteWindows.h"
#include "frame/PropertySheet.h"
#include "frame/SheetPages.h"
#include "frame/SheetRules.h"
#include "resources/resource.h"
#include "store/Paths.h"
#include "store/Store.h"
#include "store/WinText.h"

namespace memo {
namespace {

constexpr char kBadCharMessage[] = "ファイル名に \\ / : , ; * ? \" < > | を使用することはできません";
constexpr char kTrailingDotMessage[] = "ファイル名の最後に.は使用できません";
constexpr char kEmptyNameMessage[] = "名前を入力してください";
constexpr char kExistsMessage[] = "同一名のファイルが存在するため移動できません。";

bool IsFolderNote(HWND window) { return HwndGetClass(window) == kClassFolder; }

std::string ControlText(HWND page, int id) {
  char text[kMaxPathBytes] = "";
  ::GetDlgItemTextA(page, id, text, sizeof(text));
  return text;
}

// Where a mini note's owner lives: the file or folder of a note, the root
// folder for the main bar (its title is a page, not a note name).
std::string MiniNotePlace(HWND mini) {
  HWND owner = ::GetWindow(mini, GW_OWNER);
  if (!owner) return std::string();
  if (IsMainBar(owner)) return RootFolder();
  return NotePathOfWindow(owner);
}

void OnInitDialog(HWND page) {
  HWND window = PageTarget(page);
  RememberOpenSheet(::GetParent(page));
  LimitPageControls(page);
  ::SetDlgItemTextA(page, IDC_GENERAL_KIND, HwndGetClass(window).c_str());
  std::string title = HwndGetText(window);
  HWND common = ::GetDlgItem(page, IDC_GENERAL_COMMON);
  if (IsMiniNote(window)) {
    ::SetDlgItemTextA(page, IDC_GENERAL_NAME, title.c_str());
    ::EnableWindow(::GetDlgItem(page, IDC_GENERAL_NAME), FALSE);
    ::SetDlgItemTextA(page, IDC_GENERAL_PLACE, MiniNotePlace(window).c_str());
    ::EnableWindow(common, FALSE);
  } else if (IsMainBar(window)) {
    ::SetDlgItemTextA(page, IDC_GENERAL_NAME, title.c_str());
    ::EnableWindow(::GetDlgItem(page, IDC_GENERAL_NAME), !title.empty());
    ::SetDlgItemTextA(page, IDC_GENERAL_PLACE, RootFolder().c_str());
    ::SendMessageA(common, BM_SETCHECK, BST_CHECKED, 0);
    ::EnableWindow(common, FALSE);
  } else {
    bool inCommon = IsQuotedName(title);
    ::SetDlgItemTextA(page, IDC_GENERAL_NAME, NameShownForNote(title, IsFolderNote(window)).c_str());
    ::SetDlgItemTextA(page, IDC_GENERAL_PLACE, (inCommon ? CommonFolder() : CurrentPageFolder()).c_str());
    ::SendMessageA(common, BM_SETCHECK, inCommon ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

// Renames the note or the page. A refusal only skips the rename: the sheet
// still closes and its other pages still apply.
void Apply(HWND page) {
  HWND window = PageTarget(page);
  if (!::IsWindow(window) || !::IsWindowEnabled(::GetDlgItem(page, IDC_GENERAL_NAME))) return;
  std::string name = ControlText(page, IDC_GENERAL_NAME);
  switch (CheckNewName(name)) {
    case NameFault::kNone:
      break;
    case NameFault::kEmpty:
      ShowError(page, kEmptyNameMessage);
      return;
    case NameFault::kBadChar:
      ShowError(page, kBadCharMessage);
      return;
    case NameFault::kTrailingDot:
      ShowError(page, kTrailingDotMessage);
      return;
  }
  if (IsMainBar(window)) {
    ::SetWindowTextA(window, name.c_str());
    return;
  }
  std::string title = HwndGetText(window);
  bool folder = IsFolderNote(window);
  bool toCommon = ::IsDlgButtonChecked(page, IDC_GENERAL_COMMON) == BST_CHECKED;
  std::string newTitle = NewNoteTitle(name, title, folder, toCommon);
  std::string current = NotePath(title);
  std::string target = NotePath(newTitle);
  if (target.empty() || lstrcmpiA(target.c_str(), current.c_str()) == 0) return;
  if (::GetFileAttributesA(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
    ShowError(page, kExistsMessage);
    return;
  }
  if (IsQuotedName(title) && !toCommon) {
    std::string question = "\"" + newTitle + "\"を現在のページに移動してよろしいですか？";
    if (::MessageBoxA(page, question.c_str(), kProductName, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  }
  ::SetWindowTextA(window, newTitle.c_str());
}

}  // namespace

INT_PTR CALLBACK GeneralPageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
  return FillAndApplyPageProc(page, message, lParam, OnInitDialog, Apply);
}

}  // namespace memo
