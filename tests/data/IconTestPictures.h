// Small pictures for the icon tests.
#pragma once

#include "gfx/Bitmap32.h"
#include "gfx/Color.h"

namespace icontest {

constexpr gfx::TColor32 kRed = 0xFFFF0000u;
constexpr gfx::TColor32 kBlue = 0xFF0000FFu;
constexpr gfx::TColor32 kGreen = 0xFF00FF00u;
constexpr gfx::TColor32 kBackground = 0xFF808080u;

inline gfx::TBitmap32 Solid(int width, int height, gfx::TColor32 color) {
  gfx::TBitmap32 picture(width, height);
  picture.Clear(color);
  return picture;
}

// Red on the left half, blue on the right: shows whether a picture was scaled or cut.
inline gfx::TBitmap32 Halves(int width, int height) {
  gfx::TBitmap32 picture(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) picture.SetPixel(x, y, x < width / 2 ? kRed : kBlue);
  return picture;
}

}  // namespace icontest
