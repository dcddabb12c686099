// Image notes in the real program: natural size, pictures that cannot be shown or that another
// program holds open, pasting bitmaps and metafiles from the clipboard, name clashes of a paste, a
// capture and a drop, following a rename, drops of picture files, and the screen capture; PNG notes
// with their transparency, and pastes and captures that stay PNG.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "notes/ImageView.h"
#include "notes/PictureCodec.h"
#include "tests/support/AppDriver.h"
#include "tests/support/DragFiles.h"
#include "tests/support/Menus.h"
#include "tests/support/NoteSession.h"
#include "tests/support/TestFiles.h"

namespace memo::test {
namespace {

constexpr char kImageClass[] = "Memopane-Image";
constexpr char kNewImage[] = "新しいイメージ0.bmp";
constexpr char kNewImageEmf[] = "新しいイメージ0.emf";
constexpr UINT kMsgNaturalSize = 0x151;
constexpr char kIdenticalImage[] = "同一のイメージ付箋が存在するため画像を複製できません";

// A 24-bit bitmap file of the given size, top row red, the rest white.
std::string PlainBmp(int width, int height, uint32_t claimedWidth = 0) {
  const uint32_t stride = (width * 3 + 3) / 4 * 4;
  std::string b(54 + stride * height, '\0');
  auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); };
  b[0] = 'B';
  b[1] = 'M';
  put32(2, static_cast<uint32_t>(b.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, claimedWidth ? claimedWidth : static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(claimedWidth ? claimedWidth : height));
  b[26] = 1;
  b[28] = 24;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      char* p = &b[54 + y * stride + x * 3];
      bool top = y == height - 1;  // rows are stored bottom first
      p[0] = top ? 0 : '\xFF';
      p[1] = top ? 0 : '\xFF';
      p[2] = '\xFF';
    }
  }
  return b;
}

// An enhanced metafile 2540 x 1270 HIMETRIC units (one inch by half an inch).
HENHMETAFILE InchWideMetafile(const char* path = nullptr) {
  RECT frame{0, 0, 2540, 1270};
  HDC dc = ::CreateEnhMetaFileA(nullptr, path, &frame, nullptr);
  ::Rectangle(dc, 10, 10, 40, 30);
  return ::CloseEnhMetaFile(dc);
}

std::string MetafileBytes() {
  TempFolder temp("memo-emf");
  std::string path = temp / "m.emf";
  ::DeleteEnhMetaFile(InchWideMetafile(path.c_str()));
  return ReadBytes(path).value_or("");
}

// The imaging codecs are COM objects; tests that start OLE themselves need
// COM left as it was.
class ComScope {
 public:
  ComScope() { ::CoInitialize(nullptr); }
  ~ComScope() { ::CoUninitialize(); }
};

// A PNG file whose pixels (straight alpha) come from pixel(x, y).
template <typename Pixel>
std::string MakePng(int width, int height, Pixel pixel) {
  Pixels pixels;
  pixels.width = width;
  pixels.height = height;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) pixels.bgra.push_back(pixel(x, y));
  }
  ComScope com;
  return EncodePng(pixels, true).value_or("");
}

// The size that the program's own picture loader sees in a file.
std::optional<SIZE> PictureSize(const std::string& path) {
  ComScope com;
  std::optional<Picture> picture = LoadPicture(path);
  if (!picture) return std::nullopt;
  return picture->size;
}

// A 120 x 60 JPEG stored on its side: its Exif segment says to turn it a
// quarter clockwise (orientation 6), which makes it 60 x 120.
std::string JpegOnItsSide() {
  constexpr GUID kContainerJpeg = {0x19e4a5aa, 0x5662, 0x4fc5, {0xa0, 0xc0, 0x17, 0x58, 0x02, 0x8e, 0x10, 0x57}};
  Pixels pixels;
  pixels.width = 120;
  pixels.height = 60;
  pixels.bgra.assign(7200, 0xFF3060C0u);
  ComScope com;
  std::string jpeg = EncodePicture(kContainerJpeg, pixels, false).value_or("");
  if (jpeg.size() < 2) return "";
  const std::string exif("\xFF\xE1\x00\x22" "Exif\0\0" "II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0\x06\0\0\0\0\0\0\0",
                         36);
  return jpeg.substr(0, 2) + exif + jpeg.substr(2);
}

COLORREF ScreenPixel(POINT at) {
  HDC screen = ::GetDC(nullptr);
  COLORREF color = ::GetPixel(screen, at.x, at.y);
  ::ReleaseDC(nullptr, screen);
  return color;
}

bool PutOnClipboard(UINT format, HANDLE data) {
  if (!::OpenClipboard(nullptr)) return false;
  ::EmptyClipboard();
  bool ok = ::SetClipboardData(format, data) != nullptr;
  ::CloseClipboard();
  return ok;
}

bool PutBitmapOnClipboard(int width, int height) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, 0x0000FF00);
  return PutOnClipboard(CF_BITMAP, ::CreateBitmap(width, height, 1, 32, pixels.data()));
}

// True when the window's thread handles a message within three seconds.
bool Answers(HWND hwnd) {
  DWORD_PTR result = 0;
  return ::SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 3000, &result) != 0;
}

SIZE WindowSize(HWND hwnd) {
  RECT r = WindowRect(hwnd);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

bool WaitViewSize(HWND view, int width, int height) {
  return WaitUntil([&] {
    SIZE s = WindowSize(view);
    return s.cx == width && s.cy == height;
  });
}

// Chooses an item of the note's context menu by its mnemonic.
void ChooseFromMenu(AppDriver& app, HWND note, char letter) {
  RECT r = WindowRect(note);
  ::PostMessageA(note, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(note), MAKELPARAM(r.left + 10, r.top + 30));
  HWND menu = WaitPopupMenu(app.pid());
  ASSERT_TRUE(menu);
  MenuPostChar(menu, letter);
}

// Temporary pictures named by the tick count ("123456.bmp", "123456.emf").
std::vector<std::string> TickNamedFiles() {
  std::vector<std::string> found;
  for (const std::string& name : ListNames(TempDir())) {
    size_t dot = name.find('.');
    if (dot == 0 || dot == std::string::npos) continue;
    if (name.find_first_not_of("0123456789") != dot) continue;
    std::string ext = name.substr(dot);
    if (ext == ".bmp" || ext == ".emf" || ext == ".png") found.push_back(name);
  }
  return found;
}

class ImageNoteTest : public ::testing::Test {
 protected:
  HWND OpenNote(const std::string& name) {
    HWND note = session_.WaitNote(name, kImageClass);
    return note;
  }

  // Keeps the note from minimizing to the edge by itself: with no window in
  // front (a closed menu leaves none under Xvfb) it would hide its view.
  void StaysUp(const std::string& name) {
    IniSet(session_.NotePath(name) + ".ini", "Window", "Style", "1");
  }

  UnmanagedWindowsScope unmanaged_;
  NoteSession session_;
};

TEST_F(ImageNoteTest, NaturalSizeFitsTheViewToThePicture) {
  struct Case {
    const char* name;
    std::string bytes;
    int width, height;
  } cases[] = {
      {"plain.bmp", PlainBmp(80, 60), 80, 60},
      {"inch.emf", MetafileBytes(), 96, 48},  // 2540 HIMETRIC units are 96 pixels at 96 dpi
      {"shot.png", MakePng(70, 30, [](int, int) { return 0xFF00C000u; }), 70, 30},
      {"photo.JPEG", JpegOnItsSide(), 60, 120},  // shown as it is meant to be seen
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(WriteBytes(session_.NotePath(c.name), c.bytes));
    StaysUp(c.name);
  }
  ASSERT_TRUE(session_.Start());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HWND note = OpenNote(c.name);
    ASSERT_TRUE(note);
    HWND view = NoteSession::Body(note);
    ASSERT_TRUE(view);
    EXPECT_EQ(ClassOf(view), "WC_IMAGE");
    EXPECT_EQ(WindowText(view), session_.NotePath(c.name));
    ::SendMessageA(view, kMsgNaturalSize, 0, 0);
    EXPECT_TRUE(WaitViewSize(view, c.width, c.height))
        << WindowSize(view).cx << " x " << WindowSize(view).cy;
    EXPECT_TRUE(::IsWindowVisible(view));
  }
}

TEST_F(ImageNoteTest, PngShowsTheNoteBackgroundThroughItsClearPixels) {
  // Left half clear, right half red.
  ASSERT_TRUE(WriteBytes(session_.NotePath("clear.png"),
                         MakePng(80, 40, [](int x, int) { return x < 40 ? 0x00FFFFFFu : 0xFFFF0000u; })));
  const std::string ini = session_.NotePath("clear.png") + ".ini";
  IniSet(ini, "Window", "ColorBG", "FF0000");  // a COLORREF: blue
  IniSet(ini, "Window", "X", "500");
  IniSet(ini, "Window", "Y", "400");
  StaysUp("clear.png");
  ASSERT_TRUE(session_.Start());
  HWND note = OpenNote("clear.png");
  ASSERT_TRUE(note);
  HWND view = NoteSession::Body(note);
  ::SendMessageA(view, kMsgNaturalSize, 0, 0);
  ASSERT_TRUE(WaitViewSize(view, 80, 40));
  ::SetWindowPos(note, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  RECT r = WindowRect(view);
  POINT clear{r.left + 20, r.top + 20};
  POINT red{r.left + 60, r.top + 20};
  // Both at once: until the view has painted at its natural size, the
  // screen may still show it stretched to the size it opened with.
  EXPECT_TRUE(WaitUntil([&] { return ScreenPixel(clear) == RGB(0, 0, 255) && ScreenPixel(red) == RGB(255, 0, 0); }))
      << std::hex << ScreenPixel(clear) << " " << ScreenPixel(red);
}

TEST_F(ImageNoteTest, PicturesThatCannotBeShownHideTheViewAndKeepTheSize) {
  std::string cases[] = {kNewImage, "garbage.jpg", "huge.bmp", "wide.gif", "cut.png"};
  const std::string png = MakePng(64, 64, [](int x, int y) { return 0xFF000000u | static_cast<uint32_t>(x * 977 + y * 131); });
  const std::string cut = png.substr(0, png.size() / 2);
  ASSERT_TRUE(WriteBytes(session_.NotePath("cut.png"), cut));
  ASSERT_TRUE(WriteBytes(session_.NotePath(kNewImage), ""));
  ASSERT_TRUE(WriteBytes(session_.NotePath("garbage.jpg"), std::string(300, '\x5A')));
  // Headers that claim a picture far too large to hold.
  ASSERT_TRUE(WriteBytes(session_.NotePath("huge.bmp"), PlainBmp(4, 4, 100000)));
  std::string wide = "GIF89a\xFF\xFF\xFF\xFF" + std::string(40, '\0');
  ASSERT_TRUE(WriteBytes(session_.NotePath("wide.gif"), wide));
  ASSERT_TRUE(session_.Start());
  for (const std::string& name : cases) {
    SCOPED_TRACE(name);
    HWND note = OpenNote(name);
    ASSERT_TRUE(note);
    HWND view = NoteSession::Body(note);
    ASSERT_TRUE(view);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(view); }));
    SIZE before = WindowSize(note);
    ::SendMessageA(view, kMsgNaturalSize, 0, 0);
    SIZE after = WindowSize(note);
    EXPECT_EQ(after.cx, before.cx);
    EXPECT_EQ(after.cy, before.cy);
  }
  EXPECT_TRUE(session_.app().Running());
  EXPECT_EQ(ReadBytes(session_.NotePath("cut.png")), cut);
}

TEST_F(ImageNoteTest, PastedBitmapOverwritesTheFileAndKeepsTheName) {
  ASSERT_TRUE(WriteBytes(session_.NotePath(kNewImage), ""));
  StaysUp(kNewImage);
  auto tempBefore = TickNamedFiles();
  ASSERT_TRUE(session_.Start());
  HWND note = OpenNote(kNewImage);
  ASSERT_TRUE(note);
  HWND view = NoteSession::Body(note);
  ASSERT_TRUE(PutBitmapOnClipboard(70, 55));
  ChooseFromMenu(session_.app(), note, 'p');
  ASSERT_TRUE(WaitUntil([&] { return ReadBytes(session_.NotePath(kNewImage)).value_or("").size() > 54; }));
  std::string bytes = *ReadBytes(session_.NotePath(kNewImage));
  EXPECT_EQ(bytes.substr(0, 2), "BM");
  EXPECT_EQ(bytes[18], 70);
  EXPECT_EQ(bytes[22], 55);
  EXPECT_EQ(WindowText(note), kNewImage);
  EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(view); }));
  EXPECT_TRUE(WaitViewSize(view, 70, 55));
  EXPECT_EQ(TickNamedFiles(), tempBefore);
}

// A browser's copied picture carries its transparency in the "PNG" format,
// which a PNG note keeps as it is; a plain bitmap becomes a PNG.
TEST_F(ImageNoteTest, PasteIntoAPngNoteKeepsTransparencyAndTheName) {
  ASSERT_TRUE(WriteBytes(session_.NotePath("web.png"), MakePng(4, 4, [](int, int) { return 0xFF000000u; })));
  StaysUp("web.png");
  ASSERT_TRUE(session_.Start());
  HWND note = OpenNote("web.png");
  ASSERT_TRUE(note);
  const std::string path = session_.NotePath("web.png");

  const std::string clear = MakePng(50, 20, [](int x, int) { return x < 25 ? 0x00000000u : 0x80FF0000u; });
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, clear.size());
  std::memcpy(::GlobalLock(block), clear.data(), clear.size());
  ::GlobalUnlock(block);
  ASSERT_TRUE(PutOnClipboard(::RegisterClipboardFormatA("PNG"), block));
  ChooseFromMenu(session_.app(), note, 'p');
  EXPECT_TRUE(WaitUntil([&] { return ReadBytes(path) == clear; }));
  EXPECT_TRUE(WaitViewSize(NoteSession::Body(note), 50, 20));

  ASSERT_TRUE(PutBitmapOnClipboard(70, 55));
  ChooseFromMenu(session_.app(), note, 'p');
  EXPECT_TRUE(WaitUntil([&] {
    std::optional<SIZE> size = PictureSize(path);
    return size && size->cx == 70 && size->cy == 55;
  }));
  EXPECT_EQ(ReadBytes(path).value_or("").substr(0, 4), "\x89PNG");
  EXPECT_EQ(WindowText(note), "web.png");
  EXPECT_EQ(ListNames(session_.PageFolder()), (std::vector<std::string>{"web.png", "web.png.ini"}));
}

// The note's own name in other letters is its own file, not a clash.
TEST_F(ImageNoteTest, PastedBitmapFillsANoteWhoseExtensionIsInCapitals) {
  ASSERT_TRUE(WriteBytes(session_.NotePath("pic.BMP"), PlainBmp(4, 4)));
  ASSERT_TRUE(session_.Start());
  HWND note = OpenNote("pic.BMP");
  ASSERT_TRUE(note);
  ASSERT_TRUE(PutBitmapOnClipboard(70, 55));
  ChooseFromMenu(session_.app(), note, 'p');
  EXPECT_TRUE(WaitUntil([&] { return ReadBytes(session_.NotePath("pic.BMP")).value_or("")[18] == 70; }));
  EXPECT_TRUE(session_.app().NoDialogFor(500));
  EXPECT_EQ(ListNames(session_.PageFolder()), (std::vector<std::string>{"pic.BMP"}));
}

TEST_F(ImageNoteTest, PastedMetafileRenamesTheNoteAndItsSettings) {
  ASSERT_TRUE(WriteBytes(session_.NotePath(kNewImage), PlainBmp(4, 4)));
  IniSet(session_.NotePath(kNewImage) + ".ini", "Window", "ColorBG", "00FFFF");
  auto tempBefore = TickNamedFiles();
  ASSERT_TRUE(session_.Start());
  HWND note = OpenNote(kNewImage);
  ASSERT_TRUE(note);
  HWND view = NoteSession::Body(note);
  ASSERT_TRUE(PutOnClipboard(CF_ENHMETAFILE, InchWideMetafile()));
  ChooseFromMenu(session_.app(), note, 'p');
  ASSERT_TRUE(WaitUntil([&] { return WindowText(note) == kNewImageEmf; }));
  std::string emf = session_.NotePath(kNewImageEmf);
  EXPECT_TRUE(WaitUntil([&] { return WindowText(view) == emf; }));
  std::string bytes = ReadBytes(emf).value_or("");
  ASSERT_GT(bytes.size(), 44u);
  EXPECT_EQ(bytes.substr(40, 4), " EMF");
  EXPECT_FALSE(FileExists(session_.NotePath(kNewImage)));
  EXPECT_FALSE(FileExists(session_.NotePath(kNewImage) + ".ini"));
  EXPECT_EQ(IniGet(emf + ".ini", "Window", "ColorBG"), "00FFFF");
  EXPECT_TRUE(WaitViewSize(view, 96, 48));
  EXPECT_EQ(TickNamedFiles(), tempBefore);
}

TEST_F(ImageNoteTest, MetafileWhoseNameIsTakenShowsTheIdenticalImageMessage) {
  std::string bmp = PlainBmp(4, 4);
  std::string emf = MetafileBytes();
  ASSERT_TRUE(WriteBytes(session_.NotePath(kNewImage), bmp));
  ASSERT_TRUE(WriteBytes(session_.NotePath(kNewImageEmf), emf));
  auto tempBefore = TickNamedFiles();
  ASSERT_TRUE(session_.Start());
  HWND note = OpenNote(kNewImage);
  ASSERT_TRUE(note && OpenNote(kNewImageEmf));
  ASSERT_TRUE(PutOnClipboard(CF_ENHMETAFILE, InchWideMetafile()));
  ChooseFromMenu(session_.app(), note, 'p');
  auto box = session_.app().WaitDialog(kDefaultWaitMs, "Memopane");
  ASSERT_TRUE(box);
  EXPECT_EQ(box->text, std::string(kIdenticalImage) + "\r\n\r\n" + session_.NotePath(kNewImageEmf));
  EXPECT_TRUE(box->errorIcon);
  session_.app().Answer(*box, IDOK);
  EXPECT_TRUE(WaitUntil([&] { return TickNamedFiles() == tempBefore; }));
  EXPECT_EQ(WindowText(note), kNewImage);
  EXPECT_EQ(ReadBytes(session_.NotePath(kNewImage)), bmp);
  EXPECT_EQ(ReadBytes(session_.NotePath(kNewImageEmf)), emf);

  // The note closes while its box is up: the box goes with it, and the
  // program, which was still inside the paste, carries on.
  ChooseFromMenu(session_.app(), note, 'p');
  ASSERT_TRUE(session_.app().WaitDialog(kDefaultWaitMs, "Memopane"));
  EXPECT_TRUE(NoteSession::CloseNote(note));
  EXPECT_TRUE(session_.app().NoDialogFor(500));
  EXPECT_TRUE(WaitUntil([&] { return TickNamedFiles() == tempBefore; }));
  EXPECT_TRUE(Answers(session_.bar()));
  EXPECT_TRUE(session_.app().Running());
  EXPECT_EQ(ReadBytes(session_.NotePath(kNewImage)), bmp);
  EXPECT_EQ(ReadBytes(session_.NotePath(kNewImageEmf)), emf);
}

// A virus scanner or a sync client opens a picture right after it is
// written; the note shows it all the same.
TEST_F(ImageNoteTest, PictureShowsWhileAnotherProgramHasItsFileOpen) {
  ASSERT_TRUE(WriteBytes(session_.NotePath("held.bmp"), PlainBmp(80, 60)));
  StaysUp("held.bmp");
  ASSERT_TRUE(session_.Start());
  HWND note = OpenNote("held.bmp");
  ASSERT_TRUE(note);
  HWND view = NoteSession::Body(note);
  struct Holder {
    const char* who;
    DWORD access, share;
  } holders[] = {
      {"scanner", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE},
      {"sync client", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ},
  };
  for (const Holder& h : holders) {
    SCOPED_TRACE(h.who);
    HANDLE file = ::CreateFileA(session_.NotePath("held.bmp").c_str(), h.access, h.share, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ::RedrawWindow(view, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    ::SendMessageA(view, kMsgNaturalSize, 0, 0);
    PumpFor(300);
    EXPECT_TRUE(::IsWindowVisible(view));
    EXPECT_TRUE(WaitViewSize(view, 80, 60)) << WindowSize(view).cx << " x " << WindowSize(view).cy;
    ::CloseHandle(file);
  }
}

TEST_F(ImageNoteTest, PictureFollowsARename) {
  ASSERT_TRUE(WriteBytes(session_.NotePath("a.bmp"), PlainBmp(8, 8)));
  StaysUp("a.bmp");
  ASSERT_TRUE(session_.Start());
  HWND note = OpenNote("a.bmp");
  ASSERT_TRUE(note);
  HWND view = NoteSession::Body(note);
  EXPECT_TRUE(SetText(note, "b.bmp"));
  EXPECT_EQ(WindowText(view), session_.NotePath("b.bmp"));
  ::RedrawWindow(view, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  PumpFor(300);
  EXPECT_TRUE(::IsWindowVisible(view));
}

// Opens the note's screen capture from its menu and drags from one point to
// another with the real mouse; true once the capture window is gone.
bool CaptureByDrag(AppDriver& app, HWND note, POINT from, POINT to) {
  ChooseFromMenu(app, note, 'c');
  HWND capture = app.WaitWindow("WC_CAPTURE");
  if (!capture) return false;
  // Until it is active, a late activation of the note would cancel it.
  WaitUntil([&] { return ::GetForegroundWindow() == capture; }, 2000);
  PumpFor(200);
  if (!::IsWindow(capture)) ADD_FAILURE() << "the capture closed before the drag";
  MouseMoveTo(from.x, from.y);
  PumpFor(100);
  MouseLeft(true);
  PumpFor(100);
  MouseMoveTo((from.x + to.x) / 2, (from.y + to.y) / 2);
  PumpFor(100);
  MouseMoveTo(to.x, to.y);
  PumpFor(100);
  MouseLeft(false);
  return WaitUntil([&] { return !::IsWindow(capture); });
}

TEST_F(ImageNoteTest, CaptureTakesTheDraggedRectangleInEitherDirection) {
  const std::string placeholder = PlainBmp(60, 60);
  ASSERT_TRUE(WriteBytes(session_.NotePath(kNewImage), placeholder));
  IniSet(session_.NotePath(kNewImage) + ".ini", "Window", "X", "500");
  IniSet(session_.NotePath(kNewImage) + ".ini", "Window", "Y", "400");
  StaysUp(kNewImage);
  auto tempBefore = TickNamedFiles();
  ASSERT_TRUE(session_.Start());
  HWND note = OpenNote(kNewImage);
  ASSERT_TRUE(note);
  HWND view = NoteSession::Body(note);
  // A piece of the main bar with the page name in it: the same on both
  // captures, and not a single colour.
  RECT bar = WindowRect(session_.bar());
  POINT topLeft{bar.left + 8, bar.top + 3};
  POINT bottomRight{bar.left + 38, bar.top + 13};
  const std::string path = session_.NotePath(kNewImage);

  ASSERT_TRUE(CaptureByDrag(session_.app(), note, topLeft, bottomRight));
  ASSERT_TRUE(WaitUntil([&] { return ReadBytes(path) != placeholder; }));
  std::string forward = ReadBytes(path).value_or("");
  ASSERT_EQ(forward.size(), 54u + 92u * 10u);  // 30 x 10 at 24 bits, rows padded to 92 bytes
  EXPECT_EQ(forward[18], 30);
  EXPECT_EQ(forward[22], 10);
  EXPECT_NE(forward.find_first_not_of(forward[60], 54), std::string::npos) << "a single colour";
  EXPECT_TRUE(::IsWindowVisible(view));

  ASSERT_TRUE(WriteBytes(path, placeholder));
  ASSERT_TRUE(CaptureByDrag(session_.app(), note, bottomRight, topLeft));
  ASSERT_TRUE(WaitUntil([&] { return ReadBytes(path) != placeholder; }));
  EXPECT_TRUE(ReadBytes(path) == forward) << "the pictures differ";

  ASSERT_TRUE(CaptureByDrag(session_.app(), note, POINT{100, 100}, POINT{103, 102}));
  ASSERT_TRUE(WaitUntil([&] { return ReadBytes(path).value_or("").size() == 78u; }));
  EXPECT_EQ(WindowText(note), kNewImage);
  EXPECT_EQ(TickNamedFiles(), tempBefore);
}

TEST_F(ImageNoteTest, CaptureIntoAPngNoteWritesAPngAndKeepsTheName) {
  const std::string placeholder = MakePng(60, 60, [](int, int) { return 0xFF808080u; });
  ASSERT_TRUE(WriteBytes(session_.NotePath("shot.png"), placeholder));
  IniSet(session_.NotePath("shot.png") + ".ini", "Window", "X", "500");
  IniSet(session_.NotePath("shot.png") + ".ini", "Window", "Y", "400");
  StaysUp("shot.png");
  auto tempBefore = TickNamedFiles();
  ASSERT_TRUE(session_.Start());
  HWND note = OpenNote("shot.png");
  ASSERT_TRUE(note);
  const std::string path = session_.NotePath("shot.png");
  ASSERT_TRUE(CaptureByDrag(session_.app(), note, POINT{100, 100}, POINT{190, 160}));
  ASSERT_TRUE(WaitUntil([&] { return ReadBytes(path) != placeholder; }));
  std::string bytes = ReadBytes(path).value_or("");
  EXPECT_EQ(bytes.substr(0, 8), "\x89PNG\r\n\x1A\n");
  // Read back by a program we did not write.
  TempFolder out("memo-identify");
  ASSERT_TRUE(RunUnixShell("identify -format '%m %w %h' '" + UnixPath(path) + "' > '" + UnixPath(out / "id.txt") +
                           "' 2>&1"));
  EXPECT_EQ(ReadBytes(out / "id.txt"), "PNG 90 60");
  EXPECT_EQ(WindowText(note), "shot.png");
  EXPECT_EQ(ListNames(session_.PageFolder()), (std::vector<std::string>{"shot.png", "shot.png.ini"}));
  EXPECT_TRUE(WaitViewSize(NoteSession::Body(note), 90, 60));
  EXPECT_EQ(TickNamedFiles(), tempBefore);
}

// The clash box takes the activation from the capture, which closes itself
// while the program is still inside the put.
TEST_F(ImageNoteTest, CaptureWhoseNameIsTakenShowsTheBoxAndKeepsBothFiles) {
  const std::string emf = MetafileBytes();
  const std::string bmp = PlainBmp(60, 60);
  ASSERT_TRUE(WriteBytes(session_.NotePath(kNewImageEmf), emf));
  ASSERT_TRUE(WriteBytes(session_.NotePath(kNewImage), bmp));
  IniSet(session_.NotePath(kNewImageEmf) + ".ini", "Window", "X", "500");
  IniSet(session_.NotePath(kNewImageEmf) + ".ini", "Window", "Y", "400");
  StaysUp(kNewImageEmf);
  auto tempBefore = TickNamedFiles();
  ASSERT_TRUE(session_.Start());
  HWND note = OpenNote(kNewImageEmf);
  ASSERT_TRUE(note && OpenNote(kNewImage));
  CaptureByDrag(session_.app(), note, POINT{100, 100}, POINT{140, 130});
  auto box = session_.app().WaitDialog(kDefaultWaitMs, "Memopane");
  ASSERT_TRUE(box);
  EXPECT_EQ(box->text, std::string(kIdenticalImage) + "\r\n\r\n" + session_.NotePath(kNewImage));
  EXPECT_TRUE(WaitUntil([&] { return !session_.app().FindWindowOf("WC_CAPTURE"); })) << "closed under the box";
  session_.app().Answer(*box, IDOK);
  EXPECT_TRUE(WaitUntil([&] { return TickNamedFiles() == tempBefore; }));
  EXPECT_TRUE(Answers(session_.bar()));
  EXPECT_TRUE(::IsWindow(note));
  EXPECT_EQ(WindowText(note), kNewImageEmf);
  EXPECT_EQ(ReadBytes(session_.NotePath(kNewImageEmf)), emf);
  EXPECT_EQ(ReadBytes(session_.NotePath(kNewImage)), bmp);
}

TEST_F(ImageNoteTest, CaptureCancelledBeforeADragLeavesTheNoteAlone) {
  const std::string picture = PlainBmp(80, 60);
  ASSERT_TRUE(WriteBytes(session_.NotePath(kNewImage), picture));
  ASSERT_TRUE(session_.Start());
  HWND note = OpenNote(kNewImage);
  ASSERT_TRUE(note);
  SIZE before = WindowSize(note);
  ChooseFromMenu(session_.app(), note, 'c');
  HWND capture = session_.app().WaitWindow("WC_CAPTURE");
  ASSERT_TRUE(capture);
  RECT full = WindowRect(capture);
  EXPECT_EQ(full.right - full.left, ::GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(full.bottom - full.top, ::GetSystemMetrics(SM_CYSCREEN));
  ::PostMessageA(capture, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(capture); }));
  PumpFor(300);
  EXPECT_EQ(ReadBytes(session_.NotePath(kNewImage)), picture);
  EXPECT_EQ(WindowSize(note).cx, before.cx);
  EXPECT_EQ(WindowSize(note).cy, before.cy);
}

TEST_F(ImageNoteTest, DroppedFilesPutInTheirFirstPicture) {
  ASSERT_EQ(::OleInitialize(nullptr), S_OK);
  const std::string gif("GIF89a\x01\x00\x01\x00\x80\x00\x00\xFF\xFF\xFF\x00\x00\x00!\xF9\x04\x01\x00\x00\x00\x00,"
                        "\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;", 43);
  TempFolder dropped("memo-drop");
  ASSERT_TRUE(WriteBytes(dropped / "a.txt", "text"));
  ASSERT_TRUE(WriteBytes(dropped / "b.GIF", gif));
  const std::string picture = PlainBmp(80, 60);
  ASSERT_TRUE(WriteBytes(session_.NotePath("drop.bmp"), picture));
  ASSERT_TRUE(session_.Start());
  HWND note = OpenNote("drop.bmp");
  ASSERT_TRUE(note);

  // Only a text file: refused, nothing changes.
  EXPECT_EQ(DragFilesOnto(note, dropped.path(), {"a.txt"}), static_cast<DWORD>(DROPEFFECT_NONE));
  PumpFor(300);
  EXPECT_EQ(WindowText(note), "drop.bmp");
  EXPECT_EQ(ReadBytes(session_.NotePath("drop.bmp")), picture);

  EXPECT_EQ(DragFilesOnto(note, dropped.path(), {"a.txt", "b.GIF"}), static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_TRUE(WaitUntil([&] { return WindowText(note) == "drop.GIF"; }));
  EXPECT_EQ(ReadBytes(session_.NotePath("drop.GIF")), gif);
  EXPECT_FALSE(FileExists(session_.NotePath("drop.bmp")));
  EXPECT_TRUE(FileExists(dropped / "b.GIF"));

  // A screenshot as the system's snipping tool saves it.
  const std::string png = MakePng(93, 62, [](int x, int y) { return 0xFF000000u | static_cast<uint32_t>(x * y); });
  ASSERT_TRUE(WriteBytes(dropped / "Screenshot 1.png", png));
  EXPECT_EQ(DragFilesOnto(note, dropped.path(), {"Screenshot 1.png"}), static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_TRUE(WaitUntil([&] { return WindowText(note) == "drop.png"; }));
  EXPECT_EQ(ReadBytes(session_.NotePath("drop.png")), png);
  EXPECT_TRUE(WaitViewSize(NoteSession::Body(note), 93, 62));
  ::OleUninitialize();
}

// The drag source waits in its drop until the note returns: the clash box
// comes after the drop, not inside it.
TEST_F(ImageNoteTest, DroppedPictureWhoseNameIsTakenFreesTheSourceBeforeTheBox) {
  ASSERT_EQ(::OleInitialize(nullptr), S_OK);
  TempFolder dropped("memo-drop");
  const std::string other = PlainBmp(8, 8);
  ASSERT_TRUE(WriteBytes(dropped / "b.bmp", other));
  const std::string emf = MetafileBytes();
  const std::string bmp = PlainBmp(80, 60);
  ASSERT_TRUE(WriteBytes(session_.NotePath(kNewImageEmf), emf));
  ASSERT_TRUE(WriteBytes(session_.NotePath(kNewImage), bmp));
  ASSERT_TRUE(session_.Start());
  HWND note = OpenNote(kNewImageEmf);
  ASSERT_TRUE(note && OpenNote(kNewImage));

  std::atomic<bool> dropReturned{false};
  std::atomic<bool> returnedWhileBoxUp{false};
  std::optional<DialogInfo> box;
  std::thread answerer([&] {
    box = session_.app().WaitDialog(20000, "Memopane");
    if (!box) return;
    returnedWhileBoxUp = WaitUntil([&] { return dropReturned.load(); }, 2000) && ::IsWindow(box->hwnd);
    session_.app().Answer(*box, IDOK);
  });
  DWORD effect = DragFilesOnto(note, dropped.path(), {"b.bmp"});
  dropReturned = true;
  answerer.join();
  ASSERT_TRUE(box);
  EXPECT_TRUE(returnedWhileBoxUp) << "the drag source was held until the box was answered";
  EXPECT_EQ(box->text, std::string(kIdenticalImage) + "\r\n\r\n" + session_.NotePath(kNewImage));
  EXPECT_EQ(box->owner, note);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(WindowText(note), kNewImageEmf);
  EXPECT_EQ(ReadBytes(session_.NotePath(kNewImageEmf)), emf);
  EXPECT_EQ(ReadBytes(session_.NotePath(kNewImage)), bmp);
  ::OleUninitialize();
}

// The items of the file dialog's type list, read as Unicode: the dialog's
// controls are Unicode windows.
std::vector<std::string> FileTypes(HWND combo) {
  std::vector<std::string> items;
  LRESULT count = ::SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t wide[512] = {};
    if (::SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0) >= 511) continue;
    ::SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide));
    char narrow[1024] = {};
    ::WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof(narrow), nullptr, nullptr);
    items.emplace_back(narrow);
  }
  return items;
}

// Fills in the file name of the program's file dialog and presses OK; the
// dialog's file types.
std::vector<std::string> AnswerFileDialog(AppDriver& app, const std::string& path) {
  constexpr int kFileTypeCombo = 0x470;  // cmb1
  constexpr int kFileNameBox = 0x47C;    // cmb13, whose edit takes the name
  auto dialog = app.WaitDialog();
  if (!dialog) return {};
  std::vector<std::string> types = FileTypes(::GetDlgItem(dialog->hwnd, kFileTypeCombo));
  auto name = reinterpret_cast<HWND>(::SendMessageA(::GetDlgItem(dialog->hwnd, kFileNameBox), CBEM_GETEDITCONTROL, 0, 0));
  SetText(name, path);
  app.Answer(*dialog, IDOK);
  WaitUntil([&] { return !::IsWindow(dialog->hwnd); });
  return types;
}

TEST_F(ImageNoteTest, FileDialogsCopyPicturesInAndOut) {
  TempFolder elsewhere("memo-pics");
  const std::string picture = PlainBmp(90, 70);
  ASSERT_TRUE(WriteBytes(elsewhere / "in.bmp", picture));
  const std::string photo = PlainBmp(60, 60);  // any bytes: a copy is a copy
  ASSERT_TRUE(WriteBytes(session_.NotePath("photo.jpg"), photo));
  ASSERT_TRUE(session_.Start());
  HWND note = OpenNote("photo.jpg");
  ASSERT_TRUE(note);

  // Save as: one file type, named after the note's extension, which is
  // appended to a name typed without one.
  ::PostMessageA(note, WM_COMMAND, 0xE104, 0);
  EXPECT_EQ(AnswerFileDialog(session_.app(), elsewhere / "copy"), std::vector<std::string>{"Image file(*.jpg)"});
  EXPECT_TRUE(WaitUntil([&] { return ReadBytes(elsewhere / "copy.jpg") == photo; }));

  // Copy from file: the note takes the picture, its format and its size.
  ::PostMessageA(note, WM_COMMAND, 0xE101, 0);
  EXPECT_EQ(AnswerFileDialog(session_.app(), elsewhere / "in.bmp"),
            std::vector<std::string>{"Image files(*.bmp;*.jpg;*.jpeg;*.gif;*.png;*.tif;*.tiff;*.emf;*.wmf)"});
  EXPECT_TRUE(WaitUntil([&] { return WindowText(note) == "photo.bmp"; }));
  EXPECT_TRUE(ReadBytes(session_.NotePath("photo.bmp")) == picture);
  EXPECT_TRUE(WaitViewSize(NoteSession::Body(note), 90, 70));
  EXPECT_TRUE(FileExists(elsewhere / "in.bmp"));
}

}  // namespace
}  // namespace memo::test
