// Colour arithmetic of the program's painting.
#include "frame/Colors.h"

#include <cstring>
#include <unordered_map>

namespace memo {

COLORREF BackgroundTint(COLORREF background) {
  return MapComponents(background, [](int c) { return (2 * c + 240) / 3 * 15 / 16; });
}

COLORREF ButtonDisabledFill(COLORREF background) {
  return MapComponents(background, [](int c) { return (c + 255) / 2; });
}

COLORREF ButtonCheckedFill(COLORREF background) {
  return MapComponents(background, [](int c) { return (c + 1530) / 7; });
}

COLORREF ButtonGradientTop(COLORREF background) {
  return MapComponents(background, [](int c) { return (2 * c + 1275) / 7; });
}

COLORREF ButtonGradientMiddle(COLORREF background) {
  return MapComponents(background, [](int c) { return (2 * c + 1275) / 7 * 7 / 8; });
}

COLORREF ButtonGradientRow(COLORREF background, int top, int bottom, int y) {
  int middle = (3 * top + bottom) / 4;
  COLORREF t = ButtonGradientTop(background);
  COLORREF d = ButtonGradientMiddle(background);
  auto lerp = [](int from, int to, int pos, int span) {
    return span <= 0 ? from : from + (to - from) * pos / span;
  };
  auto mix = [&](COLORREF a, COLORREF b, int pos, int span) {
    return RGB(lerp(GetRValue(a), GetRValue(b), pos, span), lerp(GetGValue(a), GetGValue(b), pos, span),
               lerp(GetBValue(a), GetBValue(b), pos, span));
  };
  if (y < middle) return mix(t, d, y - top, middle - top);
  return mix(d, t, y - middle, bottom - middle);
}

namespace {

int BevelBase(int c) { return (2 * c + 225) / 3; }

}  // namespace

COLORREF BevelLight(COLORREF background, int ring) {
  return MapComponents(background,
                       [ring](int c) { return (765 - 255 * ring + (5 + ring) * BevelBase(c)) / 8; });
}

COLORREF BevelDark(COLORREF background, int ring) {
  return MapComponents(background, [ring](int c) { return (5 + ring) * BevelBase(c) / 8; });
}

int ClampAlpha(int storedAlpha) {
  int alpha = static_cast<BYTE>(storedAlpha);
  return alpha > 90 ? 90 : alpha;
}

BYTE OpacityFromAlpha(int storedAlpha) {
  return static_cast<BYTE>(255.0f - static_cast<float>(ClampAlpha(storedAlpha)) * 2.55f);
}

namespace {

// The colours are read at every paint of every part of a window, and a
// property read is a round trip to the window system: each window's pair is
// kept here as well, set and removed with the properties. The properties
// stay the record that other windows and programs read.
struct KeptColors {
  COLORREF background = 0, text = 0;
  bool hasBackground = false, hasText = false;
};

class ColorKeeper {
 public:
  ColorKeeper() { ::InitializeSRWLock(&lock_); }

  bool Find(HWND hwnd, bool background, COLORREF* color) {
    Scope scope(&lock_);
    auto it = kept_.find(hwnd);
    if (it == kept_.end() || !(background ? it->second.hasBackground : it->second.hasText)) return false;
    *color = background ? it->second.background : it->second.text;
    return true;
  }

  void Keep(HWND hwnd, bool background, COLORREF color) {
    Scope scope(&lock_);
    KeptColors& entry = kept_[hwnd];
    (background ? entry.background : entry.text) = color;
    (background ? entry.hasBackground : entry.hasText) = true;
  }

  void Forget(HWND hwnd) {
    Scope scope(&lock_);
    kept_.erase(hwnd);
  }

 private:
  class Scope {
   public:
    explicit Scope(SRWLOCK* lock) : lock_(lock) { ::AcquireSRWLockExclusive(lock_); }
    ~Scope() { ::ReleaseSRWLockExclusive(lock_); }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    SRWLOCK* lock_;
  };

  SRWLOCK lock_;
  std::unordered_map<HWND, KeptColors> kept_;
};

ColorKeeper& Keeper() {
  static ColorKeeper keeper;
  return keeper;
}

bool IsBackground(const char* name) { return std::strcmp(name, kPropColorBG) == 0; }
bool IsKept(const char* name) { return IsBackground(name) || std::strcmp(name, kPropColorText) == 0; }

}  // namespace

COLORREF GetColorProp(HWND hwnd, const char* name) {
  COLORREF color = 0;
  if (IsKept(name) && Keeper().Find(hwnd, IsBackground(name), &color)) return color;
  return static_cast<COLORREF>(reinterpret_cast<UINT_PTR>(::GetPropA(hwnd, name)));
}

void SetColorProp(HWND hwnd, const char* name, COLORREF color) {
  if (!::SetPropA(hwnd, name, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(color)))) return;
  if (IsKept(name)) Keeper().Keep(hwnd, IsBackground(name), color);
}

void RemoveColorProps(HWND hwnd) {
  Keeper().Forget(hwnd);
  ::RemovePropA(hwnd, kPropColorBG);
  ::RemovePropA(hwnd, kPropColorText);
}

}  // namespace memo
