// The layout of a folder's tiles: groups stacked from the top, each header followed by its
// items in rows that wrap at the right edge of the item area. The folder keeps the rows it
// laid out so that painting and hit tests find what is in view by binary search instead of a
// walk over every tile.
//
// The layout code itself is TVirtualFolder's (NV_FolderLayout.cpp): Arrange, CalcScroll, the
// wheel scroll, painting and the rows.
#pragma once

namespace data {

// One row of the layout: the flat-list entries from First to Last (inclusive) whose visible
// tiles share its top; Bottom is the lowest edge among them. Rows are in display order.
struct TLayoutRow {
  int Top = 0;
  int Bottom = 0;
  int First = 0;
  int Last = 0;
};

// Group headers are nearly as wide as the area and 20 pixels high.
inline constexpr int kHeaderWidthCut = 50;
inline constexpr int kHeaderHeight = 20;
// A wheel notch scrolls Step x (8 + 7 + ... + 2) pixels in seven decelerating steps, one per
// timer tick.
inline constexpr int kWheelSteps = 8;
inline constexpr int kWheelTickMs = 15;

}  // namespace data
