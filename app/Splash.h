// The splash window: the program's picture with the edition and version
// text, faded in over what lies beneath it, held for a second, then closed
// with a caption animation into the main bar, which it shows without
// activating it. The same window is the version window of the main menu.
//
// How to use: ShowSplash() on WM_COMMAND 1021 of the main bar; nullptr
// when no splash could be made (the caller then shows the bar itself).
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "frame/WindowObject.h"
#include "store/Handles.h"

namespace memo {

constexpr char kSplashTitle[] = "FREE USE";

HWND ShowSplash();

// Weights of one fade frame, out of 256: with a = 1 - step / 255, the
// background keeps a² × 255 and the picture gets (1 - a²) × 255, both
// truncated, so the picture comes in quickly at first and slowly at the end.
struct BlendWeights {
  int background;
  int picture;
};
BlendWeights SplashBlendWeights(int step);  // step 0 to 255

// Bytes of one row of a 24-bit DIB: padded to a multiple of four.
size_t DibRowBytes24(int width);
// Every colour byte of composition becomes (composition × background +
// picture × picture weight) / 256; the padding of each row is left alone.
// Both buffers hold height rows of DibRowBytes24(width) bytes.
void BlendInto(unsigned char* composition, const unsigned char* picture, int width, int height,
               BlendWeights weights);

// "Ver %d.%d%c" from a product version: major and minor from its most
// significant half, the letter 'a' plus the third part from the other.
std::string SplashVersionText(DWORD productVersionMS, DWORD productVersionLS);
// The version text of a program file; "Ver 0.0a" when it has no version
// resource.
std::string FileVersionText(const std::string& path);

// Where a splash of this size sits: the middle of the screen.
RECT SplashPlace(int screenWidth, int screenHeight, int width, int height);

class Splash : public WindowObject, public virtual DropTarget {
 public:
  LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  LRESULT OnCreate(HWND hwnd);
  void OnTimer(HWND hwnd, UINT_PTR id);
  void OnDestroy(HWND hwnd);
  void Paint(HWND hwnd, HDC dc);

  int width_ = 0;
  int height_ = 0;
  int step_ = 0;
  UniqueBitmap picture_;
  UniqueBitmap composition_;
  UniqueBitmap background_;  // the screen under the window when it was made
  unsigned char* pictureBits_ = nullptr;
  unsigned char* compositionBits_ = nullptr;
  unsigned char* backgroundBits_ = nullptr;
  std::string version_;
};

}  // namespace memo
