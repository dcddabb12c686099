// Mini note geometry over plain values.
#include "frame/MiniNoteGeometry.h"

#include <cstdlib>

namespace memo {
namespace {

constexpr int kLineBox = 20;   // one line with its margins
constexpr int kSnapReach = 10;  // a snap moves a mini note by less than this

bool Overlaps(const RECT& a, const RECT& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom && a.left < a.right &&
         a.top < a.bottom && b.left < b.right && b.top < b.bottom;
}

void ShiftX(RECT* r, int dx) {
  if (std::abs(dx) >= kSnapReach) return;
  r->left += dx;
  r->right += dx;
}

void ShiftY(RECT* r, int dy) {
  if (std::abs(dy) >= kSnapReach) return;
  r->top += dy;
  r->bottom += dy;
}

}  // namespace

MiniMetrics MiniMetricsForLineHeight(int lineHeight) {
  MiniMetrics m;
  // A font taller than the line box would make the margins negative and
  // put the text outside the window; the box then grows with the font.
  m.lineHeight = lineHeight < 1 ? 1 : lineHeight;
  m.topMargin = m.lineHeight < kLineBox ? (kLineBox - m.lineHeight) / 2 : 0;
  m.bottomMargin = m.lineHeight < kLineBox ? kLineBox - m.topMargin - m.lineHeight : 0;
  return m;
}

SIZE MiniDefaultSize(const MiniMetrics& m) {
  return SIZE{m.iconStrip + 8 * m.cell + m.rightMargin, m.topMargin + m.lineHeight + m.bottomMargin};
}

SIZE MiniMinimumSize(const MiniMetrics& m) {
  return SIZE{m.iconStrip, m.topMargin + m.lineHeight + m.bottomMargin};
}

RECT MiniBodyRect(const RECT& client, const MiniMetrics& m) {
  int width = (client.right - client.left) - m.rightMargin - m.iconStrip - 1;
  int height = (client.bottom - client.top) - m.bottomMargin - m.topMargin;
  RECT body;
  body.left = client.left + m.iconStrip + 1;
  body.top = client.top + m.topMargin;
  body.right = body.left + (width > 0 ? width : 0);
  body.bottom = body.top + (height > 0 ? height : 0);
  return body;
}

LRESULT MiniHitTest(const RECT& w, POINT p) {
  if (p.y < w.top + 2) {
    if (p.x < w.left + 2) return HTTOPLEFT;
    return p.x < w.right - 4 ? HTTOP : HTTOPRIGHT;
  }
  if (p.y < w.bottom - 6) {
    if (p.x < w.left + 5) return HTLEFT;
    return p.x < w.right - 9 ? HTCLIENT : HTRIGHT;
  }
  if (p.x < w.left + 2) return HTBOTTOMLEFT;
  return p.x < w.right - 4 ? HTBOTTOM : HTBOTTOMRIGHT;
}

RECT MiniSnapSizing(RECT r, int edge, const MiniMetrics& m) {
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  int cells = (width - m.iconStrip - 1) / m.cell;
  if (cells < 0) cells = 0;
  const int margins = m.topMargin + m.bottomMargin;
  int lines = (height - margins) / m.lineHeight;
  if (lines < 1) lines = 1;
  if (edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT) {
    r.left = r.right - m.cell * cells - m.iconStrip - 1;
  }
  if (edge == WMSZ_RIGHT || edge == WMSZ_TOPRIGHT || edge == WMSZ_BOTTOMRIGHT) {
    r.right = r.left + m.iconStrip + m.cell * cells + 1;
  }
  if (edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT) {
    r.top = r.bottom - m.lineHeight * lines - margins;
  }
  if (edge == WMSZ_BOTTOM || edge == WMSZ_BOTTOMLEFT || edge == WMSZ_BOTTOMRIGHT) {
    r.bottom = r.top + m.topMargin + m.lineHeight * lines + m.bottomMargin;
  }
  return r;
}

RECT MiniSnapMove(RECT p, const std::vector<RECT>& siblings) {
  for (const RECT& s : siblings) {
    if (!Overlaps(p, s)) continue;
    ShiftX(&p, s.left - p.left);
    ShiftX(&p, s.right - p.right);
    ShiftX(&p, s.left + 1 - p.right);
    ShiftX(&p, s.right - 1 - p.left);
    ShiftY(&p, s.top - p.top);
    ShiftY(&p, s.bottom - p.bottom);
    ShiftY(&p, s.bottom - 1 - p.top);
    ShiftY(&p, s.top + 1 - p.bottom);
  }
  return p;
}

}  // namespace memo
