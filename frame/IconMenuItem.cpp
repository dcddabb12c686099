// Owner-drawn icon menu entries.
#include "frame/IconMenuItem.h"

namespace memo {
namespace {

// The name starts right of the icon column; the measure must count it, or
// the name runs under a submenu's arrow.
constexpr int kNameLeft = 24;

}  // namespace

void MeasureIconMenuItem(MEASUREITEMSTRUCT& measure) {
  const auto* item = reinterpret_cast<const IconMenuItem*>(measure.itemData);
  if (!item) return;
  UniqueMemDC dc(::CreateCompatibleDC(nullptr));
  if (!dc) return;
  SelectScope font(dc.get(), ::GetStockObject(DEFAULT_GUI_FONT));
  SIZE size{};
  ::GetTextExtentPoint32A(dc.get(), item->name.c_str(), static_cast<int>(item->name.size()), &size);
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof(metrics);
  ::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
  UINT width = static_cast<UINT>(kNameLeft + size.cx + metrics.iMenuWidth);
  if (measure.itemWidth < width) measure.itemWidth = width;
}

void DrawIconMenuItem(const DRAWITEMSTRUCT& draw) {
  const auto* item = reinterpret_cast<const IconMenuItem*>(draw.itemData);
  if (!item) return;
  HDC dc = draw.hDC;
  bool selected = (draw.itemState & ODS_SELECTED) != 0;
  if (selected) {
    ::FillRect(dc, &draw.rcItem, ::GetSysColorBrush(COLOR_HIGHLIGHT));
  } else {
    UniqueBrush brush(::CreateSolidBrush(::GetBkColor(dc)));
    ::FillRect(dc, &draw.rcItem, brush.get());
  }
  if (item->icon) {
    ::DrawIconEx(dc, draw.rcItem.left + 2, draw.rcItem.top, item->icon.get(), 0, 0, 0, nullptr, DI_NORMAL);
  }
  int oldMode = ::SetBkMode(dc, TRANSPARENT);
  COLORREF oldColor = ::SetTextColor(dc, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  ::TextOutA(dc, draw.rcItem.left + kNameLeft, draw.rcItem.top + 2, item->name.c_str(),
             static_cast<int>(item->name.size()));
  ::SetTextColor(dc, oldColor);
  ::SetBkMode(dc, oldMode);
}

}  // namespace memo
