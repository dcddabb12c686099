// The image note.
#include "notes/ItemImage.h"

#include <commdlg.h>
#include <shlobj.h>

#include <cstdio>

#include "frame/ClassNames.h"
#include "frame/Colors.h"
#include "frame/Messages.h"
#include "frame/NoteMenu.h"
#include "frame/NoteWindows.h"
#include "frame/PostedBox.h"
#include "notes/BitmapFile.h"
#include "notes/ImageView.h"
#include "notes/PictureCodec.h"
#include "resources/resource.h"
#include "store/DataTransfer.h"
#include "store/Handles.h"
#include "store/LateLibrary.h"
#include "store/Paths.h"
#include "store/Store.h"
#include "store/TextFile.h"
#include "store/WinText.h"

namespace memo {
namespace {

const ClassRegistrar kRegistrar(kClassImage, CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS, IDI_APP, &Dispatch<ItemImage>);

constexpr COLORREF kDefaultBackground = 0xF0F0F0;
constexpr char kOpenFilter[] =
    "Image files(*.bmp;*.jpg;*.jpeg;*.gif;*.png;*.tif;*.tiff;*.emf;*.wmf)\0"
    "*.bmp;*.jpg;*.jpeg;*.gif;*.png;*.tif;*.tiff;*.emf;*.wmf\0";
constexpr DWORD kOpenFlags = OFN_EXPLORER | OFN_NOREADONLYRETURN | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST |
                             OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
constexpr DWORD kSaveFlags =
    OFN_EXPLORER | OFN_NOREADONLYRETURN | OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
constexpr char kIdenticalImage[] = "同一のイメージ付箋が存在するため画像を複製できません";

// A file in the temporary folder named by the tick count, deleted with the
// object whatever path the work took.
class TempPicture {
 public:
  explicit TempPicture(const char* extension) {
    char folder[MAX_PATH] = {};
    DWORD n = ::GetTempPathA(MAX_PATH, folder);
    if (n == 0 || n >= MAX_PATH) return;
    char name[32];
    std::snprintf(name, sizeof(name), "%d%s", static_cast<int>(::GetTickCount()), extension);
    path_ = PathJoin(folder, name);
  }
  ~TempPicture() {
    if (!path_.empty()) ::DeleteFileA(path_.c_str());
  }
  TempPicture(const TempPicture&) = delete;
  TempPicture& operator=(const TempPicture&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

bool OffersFileList(IDataObject* data, std::vector<std::string>* files) {
  FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  if (!data || FAILED(data->GetData(&format, &medium))) return false;
  bool ok = medium.tymed == TYMED_HGLOBAL && medium.hGlobal;
  if (ok) {
    SIZE_T size = ::GlobalSize(medium.hGlobal);
    if (const auto* bytes = static_cast<const unsigned char*>(::GlobalLock(medium.hGlobal))) {
      *files = FilesFromDropFiles(bytes, size);
      ::GlobalUnlock(medium.hGlobal);
    }
  }
  ::ReleaseStgMedium(&medium);
  return ok;
}

// Everything below that can run a message loop (a box, a file dialog, a
// menu, a rename of the note's files) may see the note close, and its object
// deleted, before it returns: what follows such a call goes by the note's
// window handle alone, through these functions that touch no object.

// The note's image view; nullptr once the note is gone.
HWND ViewOf(HWND note) { return ::GetDlgItem(note, kIdBody); }

void FitNoteToPicture(HWND note) {
  if (HWND view = ViewOf(note)) ::SendMessageA(view, kMsgImageNaturalSize, 0, 0);
}

// All bytes of a picture file that the note could show: no more than the
// limit on a picture's file.
bool ReadPictureFile(const std::string& path, std::string* bytes) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || data.nFileSizeHigh != 0 ||
      data.nFileSizeLow > kMaxPictureFileBytes) {
    return false;
  }
  return ReadWholeFile(path, bytes) && bytes->size() <= kMaxPictureFileBytes;
}

// The "PNG" clipboard format, in which browsers and image editors put a
// picture with its transparency.
UINT PngClipboardFormat() {
  static const UINT format = ::RegisterClipboardFormatA("PNG");
  return format;
}

// The bytes of a clipboard block, no more than a picture file may hold.
std::optional<std::string> ClipboardBytes(UINT format) {
  auto block = static_cast<HGLOBAL>(::GetClipboardData(format));
  if (!block) return std::nullopt;
  SIZE_T size = ::GlobalSize(block);
  if (size == 0 || size > kMaxPictureFileBytes) return std::nullopt;
  const void* data = ::GlobalLock(block);
  if (!data) return std::nullopt;
  std::string bytes(static_cast<const char*>(data), size);
  ::GlobalUnlock(block);
  return bytes;
}

// The clipboard's picture as a PNG file, with its transparency where it has
// one: a PNG as it was put there (once it is known to decode), a 32-bit
// bitmap with alpha, or else the plain bitmap. The clipboard is open.
bool IsDecodablePng(const std::string& png) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(png.data());
  return IsPngBytes(bytes, png.size()) && DecodePicture(bytes, png.size());
}

std::optional<Pixels> TranslucentPixelsOf(const std::string& dib) {
  return TranslucentPixelsOfPackedDib(reinterpret_cast<const unsigned char*>(dib.data()), dib.size());
}

std::optional<std::string> ClipboardAsPng() {
  if (::IsClipboardFormatAvailable(PngClipboardFormat())) {
    std::optional<std::string> png = ClipboardBytes(PngClipboardFormat());
    if (png && IsDecodablePng(*png)) return png;
  }
  if (::IsClipboardFormatAvailable(CF_DIBV5)) {
    std::optional<std::string> dib = ClipboardBytes(CF_DIBV5);
    std::optional<Pixels> pixels = dib ? TranslucentPixelsOf(*dib) : std::nullopt;
    if (pixels) return EncodePng(*pixels, true);
  }
  if (!::IsClipboardFormatAvailable(CF_BITMAP)) return std::nullopt;
  std::optional<Pixels> pixels = PixelsOfBitmap(static_cast<HBITMAP>(::GetClipboardData(CF_BITMAP)));
  return pixels ? EncodePng(*pixels, false) : std::nullopt;
}

bool CanPaste(HWND hwnd) {
  return ::IsClipboardFormatAvailable(CF_BITMAP) || ::IsClipboardFormatAvailable(CF_METAFILEPICT) ||
         (WritesPng(HwndGetText(hwnd)) && ::IsClipboardFormatAvailable(PngClipboardFormat()));
}

// Inside a drop the box must wait for the drop to return (see PostedBox.h).
enum class ClashBox { kNow, kPosted };

// Copies the picture at path over the note's file, renaming the note to the
// picture's extension first; 0 when the picture was put in.
LRESULT PutPicture(HWND hwnd, const std::string& path, ClashBox clashBox) {
  if (path.empty()) return 1;
  std::string name = NameForPicture(HwndGetText(hwnd), path);
  ::SetWindowTextA(hwnd, name.c_str());
  if (!::IsWindow(hwnd)) return 1;
  std::string wanted = NotePath(name);
  std::string current = NotePathOfWindow(hwnd);
  // A name that differs only in case is the same file on this file system:
  // the note's own file, not another note's.
  if (wanted.empty() || current.empty() || ::lstrcmpiA(wanted.c_str(), current.c_str()) != 0) {
    if (clashBox == ClashBox::kPosted) {
      PostErrorBox(hwnd, kIdenticalImage, wanted);
    } else {
      ShowError(hwnd, kIdenticalImage, wanted);
    }
    return 1;
  }
  // The note's file is replaced whole, never cut: a kill part way leaves
  // the old picture.
  std::string bytes;
  if (!ReadPictureFile(path, &bytes) || !SaveFileReplacing(current, bytes)) return 1;
  if (HWND view = ViewOf(hwnd)) ::SetWindowTextA(view, current.c_str());
  return 0;
}

void CopyFromFile(HWND hwnd) {
  char chosen[kMaxPathBytes] = {};
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = hwnd;
  ofn.lpstrFilter = kOpenFilter;
  ofn.lpstrFile = chosen;
  ofn.nMaxFile = kMaxPathBytes;
  ofn.Flags = kOpenFlags;
  if (!late::GetOpenFileNameA(&ofn) || !::IsWindow(hwnd)) return;
  ::SendMessageA(hwnd, kMsgImagePut, 0, reinterpret_cast<LPARAM>(chosen));
  FitNoteToPicture(hwnd);
}

void PasteFromClipboard(HWND hwnd) {
  std::optional<TempPicture> temp;
  {
    ClipboardScope clipboard(hwnd);
    if (!clipboard.IsOpen()) return;
    std::optional<std::string> png;
    if (WritesPng(HwndGetText(hwnd))) png = ClipboardAsPng();
    if (png) {
      temp.emplace(".png");
      if (temp->path().empty() || !WriteWholeFile(temp->path(), *png)) return;
    } else if (::IsClipboardFormatAvailable(CF_BITMAP)) {
      temp.emplace(".bmp");
      auto bitmap = static_cast<HBITMAP>(::GetClipboardData(CF_BITMAP));
      if (temp->path().empty() || !WriteBitmapFile(bitmap, temp->path())) return;
    } else if (::IsClipboardFormatAvailable(CF_METAFILEPICT)) {
      temp.emplace(".emf");
      auto metafile = static_cast<HENHMETAFILE>(::GetClipboardData(CF_ENHMETAFILE));
      if (temp->path().empty() || !metafile) return;
      HENHMETAFILE copy = ::CopyEnhMetaFileA(metafile, temp->path().c_str());
      if (!copy) return;
      ::DeleteEnhMetaFile(copy);
    } else {
      return;
    }
  }
  ::SendMessageA(hwnd, kMsgImagePut, 0, reinterpret_cast<LPARAM>(temp->path().c_str()));
  FitNoteToPicture(hwnd);
}

void SaveAs(HWND hwnd) {
  std::string name = Unquote(HwndGetText(hwnd));
  std::string ext = ExtensionOf(name);
  if (ext.size() < 2) return;
  ext.erase(0, 1);
  std::string filter = SaveFilterFor(ext);
  char chosen[kMaxPathBytes] = {};
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = hwnd;
  ofn.lpstrFilter = filter.c_str();
  ofn.lpstrFile = chosen;
  ofn.nMaxFile = kMaxPathBytes;
  ofn.lpstrDefExt = ext.c_str();
  ofn.Flags = kSaveFlags;
  if (!late::GetSaveFileNameA(&ofn) || !::IsWindow(hwnd)) return;
  std::string path = NotePathOfWindow(hwnd);
  if (!path.empty()) ::CopyFileA(path.c_str(), chosen, FALSE);
}

void ShowContextMenu(HWND hwnd, LPARAM point) {
  UniqueMenu menu(::CreatePopupMenu());
  if (!menu) return;
  bool canPaste = CanPaste(hwnd);
  ::AppendMenuA(menu.get(), MF_STRING, kCmdImageCopyFromFile, "ファイルから複製(&F)");
  ::AppendMenuA(menu.get(), MF_STRING, kCmdImageCapture, "画面をキャプチャ(&C)");
  ::AppendMenuA(menu.get(), MF_STRING | (canPaste ? 0 : MF_GRAYED), kCmdImagePaste, "クリップボードから貼り付け(&P)");
  ::AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
  ::AppendMenuA(menu.get(), MF_STRING, kCmdSaveAs, "名前を付けて保存(&S)");
  ::AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
  ::AppendMenuA(menu.get(), MF_STRING, kCmdImageNaturalSize, "元のサイズ(&O)");
  ::AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
  MenuAppendNoteCommands(menu.get());
  POINT at = ContextMenuPoint(point);
  int chosen = static_cast<int>(
      ::TrackPopupMenuEx(menu.get(), TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y, hwnd, nullptr));
  if (chosen == 0 || !::IsWindow(hwnd)) return;
  switch (chosen) {
    case kCmdImageNaturalSize:
      FitNoteToPicture(hwnd);
      return;
    case kCmdImageCapture:
      if (HWND view = ViewOf(hwnd)) ::SendMessageA(view, kMsgImageCapture, 0, 0);
      return;
    case kCmdImagePaste:
      PasteFromClipboard(hwnd);
      return;
    default:
      ::SendMessageA(hwnd, WM_COMMAND, static_cast<WPARAM>(chosen), 0);
  }
}

}  // namespace

bool IsPictureFile(const std::string& path) {
  std::string ext = ExtensionOf(path);
  if (ContainsAnyChar(ext, "\\/")) return false;  // the dot is in a folder's name
  return IsImageExtension(ext);
}

bool WritesPng(const std::string& noteName) { return EqualsNoCase(ExtensionOf(Unquote(noteName)), ".png"); }

std::optional<std::string> FirstPictureFile(const std::vector<std::string>& files) {
  for (const std::string& file : files) {
    if (IsPictureFile(file)) return file;
  }
  return std::nullopt;
}

std::string NameForPicture(const std::string& noteName, const std::string& picturePath) {
  std::string ext = ExtensionOf(picturePath);
  if (ContainsAnyChar(ext, "\\/")) ext.clear();
  std::string name = BaseNameOf(Unquote(noteName)) + ext;
  return IsQuotedName(noteName) ? Quote(name) : name;
}

std::string SaveFilterFor(const std::string& ext) {
  std::string filter = "Image file(*." + ext + ")";
  filter.push_back('\0');
  filter += "*." + ext;
  filter.push_back('\0');
  filter.push_back('\0');
  return filter;
}

LRESULT ItemImage::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate(hwnd, message, wParam, lParam);
    case WM_CONTEXTMENU:
      ShowContextMenu(hwnd, lParam);
      return 0;
    case WM_SETTEXT: {
      LRESULT result = NoteFrame::WindowProc(hwnd, message, wParam, lParam);
      // The frame has moved the file: the picture follows it.
      std::string path = NotePathOfWindow(hwnd);
      if (HWND view = ViewOf(hwnd); view && !path.empty() && HwndGetText(view) != path) ::SetWindowTextA(view, path.c_str());
      return result;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kCmdImageCopyFromFile:
          CopyFromFile(hwnd);
          return 0;
        case kCmdSaveAs:
          SaveAs(hwnd);
          return 0;
      }
      break;
    case kMsgImagePut:
      return PutPicture(hwnd, lParam ? reinterpret_cast<const char*>(lParam) : "", ClashBox::kNow);
    case kMsgExtraPages:
      return 0;
    case kMsgDropQuery:
      return OnDropQuery(reinterpret_cast<IDataObject*>(lParam));
    case kMsgDropEffect:
      if (lParam && dragAccepted_) *reinterpret_cast<DWORD*>(lParam) = DROPEFFECT_COPY;
      return 0;
    case kMsgDrop:
      OnDrop(hwnd, reinterpret_cast<DWORD*>(wParam), reinterpret_cast<IDataObject*>(lParam));
      return 0;
    case kMsgDragLeave:
      dragAccepted_ = false;
      break;
  }
  return NoteFrame::WindowProc(hwnd, message, wParam, lParam);
}

LRESULT ItemImage::OnCreate(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  SetColorProp(hwnd, kPropColorBG, kDefaultBackground);
  SetColorProp(hwnd, kPropColorText, 0);
  std::string path = NotePathOfWindow(hwnd);
  HWND view = ::CreateWindowExA(0, kClassImageView, path.c_str(), WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdBody)), ::GetModuleHandleA(nullptr),
                                nullptr);
  if (!view) {
    ShowError(hwnd, "Create WC_STATIC failed");
    return -1;
  }
  return NoteFrame::WindowProc(hwnd, message, wParam, lParam);
}

LRESULT ItemImage::OnDropQuery(IDataObject* data) {
  std::vector<std::string> files;
  dragAccepted_ = OffersFileList(data, &files) && FirstPictureFile(files).has_value();
  return dragAccepted_ ? 1 : 0;
}

void ItemImage::OnDrop(HWND hwnd, DWORD* effect, IDataObject* data) {
  dragAccepted_ = false;
  std::vector<std::string> files;
  std::optional<std::string> picture;
  if (OffersFileList(data, &files)) picture = FirstPictureFile(files);
  if (!picture) {
    if (effect) *effect = DROPEFFECT_NONE;
    return;
  }
  // The source is told a copy only when the picture went in.
  bool put = PutPicture(hwnd, *picture, ClashBox::kPosted) == 0;
  if (effect) *effect = put ? DROPEFFECT_COPY : DROPEFFECT_NONE;
  if (!put || !::IsWindow(hwnd)) return;
  ::SetForegroundWindow(hwnd);
  FitNoteToPicture(hwnd);
}

}  // namespace memo
