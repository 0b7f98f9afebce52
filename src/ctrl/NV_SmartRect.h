// A rectangle that keeps its size beside its edges, for the layouts controls compute. Width
// and height follow the edges, or move the right and bottom edge when set. Edges are not
// ordered unless SetRect is asked to.
#pragma once

#include "gfx/Geometry.h"

namespace ctrl {

struct TSmartRect {
  int SR_LEFT = 0;
  int SR_TOP = 0;
  int SR_RIGHT = 0;
  int SR_BOTTOM = 0;
  int SR_WIDTH = 0;
  int SR_HEIGHT = 0;

  int Left() const { return SR_LEFT; }
  int Top() const { return SR_TOP; }
  int Right() const { return SR_RIGHT; }
  int Bottom() const { return SR_BOTTOM; }
  int Width() const { return SR_WIDTH; }
  int Height() const { return SR_HEIGHT; }

  // With the flag the opposite edge moves along and the size stays.
  void Left(int x1, bool keepWidth = false);
  void Top(int y1, bool keepHeight = false);
  void Right(int x2);
  void Bottom(int y2);
  void Width(int w);
  void Height(int h);

  // The middle, truncated; 0 for a size below 2.
  int WidthCenter() const { return SR_WIDTH < 2 ? 0 : SR_LEFT + SR_WIDTH / 2; }
  int HeightCenter() const { return SR_HEIGHT < 2 ? 0 : SR_TOP + SR_HEIGHT / 2; }

  gfx::TRect AsRect() const { return {SR_LEFT, SR_TOP, SR_RIGHT, SR_BOTTOM}; }
  // Overlap with a common area; touching edges do not overlap.
  bool Intersects(const gfx::TRect& rect) const;
  bool Intersects(const TSmartRect& rect) const { return Intersects(rect.AsRect()); }
  // Strictly inside: on an edge is outside.
  bool Intersects(gfx::TPoint point) const;

  // With WatchBounds the edges are ordered (left <= right, top <= bottom).
  void SetRect(int x1, int y1, int x2, int y2, bool watchBounds);
  // Position and size.
  void SetRect(int x1, int y1, int nWidth, int nHeight);
};

}  // namespace ctrl
