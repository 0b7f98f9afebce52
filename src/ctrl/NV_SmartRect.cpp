#include "ctrl/NV_SmartRect.h"

#include <algorithm>

namespace ctrl {

namespace {
// Sizes and edges in 64 bits, held to the 32-bit range, so extreme layouts never overflow.
int Span(int from, int to) { return gfx::Saturate(int64_t{to} - from); }
int Reach(int from, int size) { return gfx::Saturate(int64_t{from} + size); }
}  // namespace

void TSmartRect::Left(int x1, bool keepWidth) {
  SR_LEFT = x1;
  if (keepWidth)
    SR_RIGHT = Reach(SR_LEFT, SR_WIDTH);
  else
    SR_WIDTH = Span(SR_LEFT, SR_RIGHT);
}

void TSmartRect::Top(int y1, bool keepHeight) {
  SR_TOP = y1;
  if (keepHeight)
    SR_BOTTOM = Reach(SR_TOP, SR_HEIGHT);
  else
    SR_HEIGHT = Span(SR_TOP, SR_BOTTOM);
}

void TSmartRect::Right(int x2) {
  SR_RIGHT = x2;
  SR_WIDTH = Span(SR_LEFT, SR_RIGHT);
}

void TSmartRect::Bottom(int y2) {
  SR_BOTTOM = y2;
  SR_HEIGHT = Span(SR_TOP, SR_BOTTOM);
}

void TSmartRect::Width(int w) {
  SR_WIDTH = w;
  SR_RIGHT = Reach(SR_LEFT, w);
}

void TSmartRect::Height(int h) {
  SR_HEIGHT = h;
  SR_BOTTOM = Reach(SR_TOP, h);
}

bool TSmartRect::Intersects(const gfx::TRect& rect) const {
  return !gfx::Intersect(AsRect(), rect).IsEmpty();
}

bool TSmartRect::Intersects(gfx::TPoint point) const {
  return SR_LEFT < point.X && point.X < SR_RIGHT && SR_TOP < point.Y && point.Y < SR_BOTTOM;
}

void TSmartRect::SetRect(int x1, int y1, int x2, int y2, bool watchBounds) {
  if (watchBounds) {
    SR_LEFT = std::min(x1, x2);
    SR_RIGHT = std::max(x1, x2);
    SR_TOP = std::min(y1, y2);
    SR_BOTTOM = std::max(y1, y2);
  } else {
    SR_LEFT = x1;
    SR_RIGHT = x2;
    SR_TOP = y1;
    SR_BOTTOM = y2;
  }
  SR_WIDTH = Span(SR_LEFT, SR_RIGHT);
  SR_HEIGHT = Span(SR_TOP, SR_BOTTOM);
}

void TSmartRect::SetRect(int x1, int y1, int nWidth, int nHeight) {
  SR_LEFT = x1;
  SR_TOP = y1;
  Width(nWidth);
  Height(nHeight);
}

}  // namespace ctrl
