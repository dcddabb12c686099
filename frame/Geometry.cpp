// Rectangle rules of the window framework.
#include "frame/Geometry.h"

#include <algorithm>
#include <climits>
#include <utility>

namespace memo {
namespace {

LONG Saturated(long long value) {
  if (value > LONG_MAX) return LONG_MAX;
  if (value < LONG_MIN) return LONG_MIN;
  return static_cast<LONG>(value);
}

// How far apart two rectangles are along one axis: 0 when they overlap.
long long Gap(LONG aLow, LONG aHigh, LONG bLow, LONG bHigh) {
  if (aHigh <= bLow) return static_cast<long long>(bLow) - aHigh;
  if (bHigh <= aLow) return static_cast<long long>(aLow) - bHigh;
  return 0;
}

// The part of rect that shows on a monitor must be at least this many
// pixels each way for the user to reach it with the mouse.
constexpr LONG kMinReachable = 8;

bool Reachable(const RECT& rect, const RECT& monitor) {
  long long wide = static_cast<long long>(std::min(rect.right, monitor.right)) - std::max(rect.left, monitor.left);
  long long high = static_cast<long long>(std::min(rect.bottom, monitor.bottom)) - std::max(rect.top, monitor.top);
  return wide >= kMinReachable && high >= kMinReachable;
}

// Moves [low, low + size) into [areaLow, areaHigh), cutting size to fit.
void FitSpan(LONG* low, LONG* high, LONG areaLow, LONG areaHigh) {
  long long size = std::min<long long>(static_cast<long long>(*high) - *low, static_cast<long long>(areaHigh) - areaLow);
  long long start = std::max<long long>(*low, areaLow);
  start = std::min<long long>(start, areaHigh - size);
  *low = Saturated(start);
  *high = Saturated(start + size);
}

}  // namespace

RECT BringOntoMonitors(const RECT& rect, const std::vector<RECT>& monitors, const std::vector<RECT>& workAreas) {
  if (monitors.empty() || monitors.size() != workAreas.size()) return rect;
  for (const RECT& monitor : monitors) {
    if (Reachable(rect, monitor)) return rect;
  }
  size_t nearest = 0;
  double best = -1;
  for (size_t i = 0; i < monitors.size(); ++i) {
    // In floating point: a gap may span the whole coordinate range, and
    // the sum of two such squares would overflow 64 bits.
    double dx = static_cast<double>(Gap(rect.left, rect.right, monitors[i].left, monitors[i].right));
    double dy = static_cast<double>(Gap(rect.top, rect.bottom, monitors[i].top, monitors[i].bottom));
    double distance = dx * dx + dy * dy;
    if (best < 0 || distance < best) {
      best = distance;
      nearest = i;
    }
  }
  RECT moved = rect;
  const RECT& area = workAreas[nearest];
  FitSpan(&moved.left, &moved.right, area.left, area.right);
  FitSpan(&moved.top, &moved.bottom, area.top, area.bottom);
  return moved;
}

int SavedSizeOr(int saved, int fallback) {
  long long length = saved < 0 ? -static_cast<long long>(saved) : saved;
  return length < kMinReachable ? fallback : saved;
}

RECT SavedWindowRect(int x, int y, int cx, int cy) {
  // A far side past the range of a coordinate moves the near one instead,
  // so that the size survives: the rectangle is brought onto the screen
  // afterwards anyway, and a size of 0 would leave nothing to grasp.
  auto span = [](int at, int size, LONG* nearSide, LONG* farSide) {
    long long end = static_cast<long long>(at) + size;
    long long limit = end > LONG_MAX ? LONG_MAX : end < LONG_MIN ? LONG_MIN : end;
    *farSide = static_cast<LONG>(limit);
    *nearSide = static_cast<LONG>(limit - size);
  };
  RECT r{};
  span(x, cx, &r.left, &r.right);
  span(y, cy, &r.top, &r.bottom);
  return r;
}

RECT ClampWindowRect(RECT rect, const RECT& workArea) {
  if (rect.left > rect.right) std::swap(rect.left, rect.right);
  if (rect.top > rect.bottom) std::swap(rect.top, rect.bottom);
  // Sizes in 64 bits: a rectangle from a settings file may span more than
  // the range of a coordinate.
  long long width = static_cast<long long>(rect.right) - rect.left;
  long long height = static_cast<long long>(rect.bottom) - rect.top;
  // A negative coordinate moves the window onto the screen; shrinking it
  // instead would lose its size a little more at every start.
  if (rect.left < 0) rect.left = 0;
  if (rect.top < 0) rect.top = 0;
  width = std::min<long long>(width, Width(workArea));
  height = std::min<long long>(height, Height(workArea));
  rect.right = Saturated(rect.left + width);
  rect.bottom = Saturated(rect.top + height);
  return rect;
}

RECT MainBarDragClip(const RECT& window, const RECT& workArea, POINT press) {
  return RECT{workArea.left + press.x - window.left, workArea.top + press.y - window.top,
              workArea.right + press.x - window.right, workArea.bottom + press.y - window.bottom};
}

}  // namespace memo
