// Keeping windows on the monitors there are.
#include "frame/Monitors.h"

#include <utility>
#include <vector>

#include "frame/Geometry.h"

namespace memo {
namespace {

using MonitorAreas = std::pair<std::vector<RECT>, std::vector<RECT>>;  // whole monitors, their work areas

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  auto* areas = reinterpret_cast<MonitorAreas*>(data);
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (::GetMonitorInfoA(monitor, &info)) {
    areas->first.push_back(info.rcMonitor);
    areas->second.push_back(info.rcWork);
  }
  return TRUE;
}

const ScreenSnapshot* gSnapshot = nullptr;

}  // namespace

ScreenSnapshot::ScreenSnapshot() : previous_(gSnapshot) {
  MonitorAreas areas;
  ::EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&areas));
  monitors_ = std::move(areas.first);
  workAreas_ = std::move(areas.second);
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea_, 0);
  gSnapshot = this;
}

ScreenSnapshot::~ScreenSnapshot() { gSnapshot = previous_; }

RECT OntoScreen(const RECT& rect) {
  if (gSnapshot) return BringOntoMonitors(rect, gSnapshot->monitors_, gSnapshot->workAreas_);
  MonitorAreas areas;
  ::EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&areas));
  return BringOntoMonitors(rect, areas.first, areas.second);
}

RECT WorkArea() {
  if (gSnapshot) return gSnapshot->workArea_;
  RECT workArea{};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
  return workArea;
}

void KeepWindowOnScreen(HWND hwnd) {
  RECT now;
  if (!::GetWindowRect(hwnd, &now)) return;
  RECT placed = OntoScreen(now);
  if (placed.left == now.left && placed.top == now.top && Width(placed) == Width(now) &&
      Height(placed) == Height(now)) {
    return;
  }
  ::SetWindowPos(hwnd, nullptr, placed.left, placed.top, Width(placed), Height(placed),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace memo
