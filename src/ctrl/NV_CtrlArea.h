// A named hit area of a control, in main-view pixels. Its width and height are its edges'
// distance; setting one moves the right or bottom edge.
#pragma once

#include <string>

#include "gfx/Geometry.h"

namespace ctrl {

class TCtrlArea {
 public:
  explicit TCtrlArea(std::string areaID) : caID(std::move(areaID)) {}

  std::string caID;
  int caLeft = 0;
  int caTop = 0;
  int caRight = 0;
  int caBottom = 0;
  bool caVisible = true;

  int caWidth() const { return gfx::Saturate(int64_t{caRight} - caLeft); }
  int caHeight() const { return gfx::Saturate(int64_t{caBottom} - caTop); }
  void caWidth(int w) { caRight = gfx::Saturate(int64_t{caLeft} + w); }
  void caHeight(int h) { caBottom = gfx::Saturate(int64_t{caTop} + h); }
  void WidthHeight(int w, int h) {
    caWidth(w);
    caHeight(h);
  }

  gfx::TRect AsRect() const { return {caLeft, caTop, caRight, caBottom}; }
  // Relative to a parent control's position (its SC_POS).
  gfx::TRect AsRectParent(gfx::TPoint parentPos) const {
    return AsRect().Offset(-parentPos.X, -parentPos.Y);
  }
};

}  // namespace ctrl
