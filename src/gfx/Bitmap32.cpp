#include "gfx/Bitmap32.h"

#include <algorithm>
#include <new>

namespace gfx {

TBitmap32::TBitmap32(const TBitmap32& other)
    : FWidth(other.FWidth),
      FHeight(other.FHeight),
      FPixels(other.FPixels),
      FMasterAlpha(other.FMasterAlpha),
      FDrawMode(other.FDrawMode),
      FFont(other.FFont) {}

TBitmap32& TBitmap32::operator=(const TBitmap32& other) {
  if (this != &other) {
    FWidth = other.FWidth;
    FHeight = other.FHeight;
    FPixels = other.FPixels;
    FMasterAlpha = other.FMasterAlpha;
    FDrawMode = other.FDrawMode;
    FFont = other.FFont;
  }
  return *this;
}

TBitmap32::TBitmap32(TBitmap32&& other) noexcept
    : FWidth(other.FWidth),
      FHeight(other.FHeight),
      FPixels(std::move(other.FPixels)),
      FMasterAlpha(other.FMasterAlpha),
      FDrawMode(other.FDrawMode),
      FFont(std::move(other.FFont)) {
  other.FWidth = other.FHeight = 0;
  other.FPixels.clear();
}

TBitmap32& TBitmap32::operator=(TBitmap32&& other) noexcept {
  if (this != &other) {
    FWidth = other.FWidth;
    FHeight = other.FHeight;
    FPixels = std::move(other.FPixels);
    FMasterAlpha = other.FMasterAlpha;
    FDrawMode = other.FDrawMode;
    FFont = std::move(other.FFont);
    other.FWidth = other.FHeight = 0;
    other.FPixels.clear();
  }
  return *this;
}

bool TBitmap32::SetSize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == FWidth && height == FHeight) return true;
  const int64_t count = int64_t{width} * height;
  if (count > kMaxPixels) {
    SetSize(0, 0);
    return false;
  }
  try {
    std::vector<TColor32> pixels(size_t(count), clTransparent32);
    FPixels.swap(pixels);
  } catch (const std::bad_alloc&) {
    FPixels.clear();
    FPixels.shrink_to_fit();
    FWidth = FHeight = 0;
    return false;
  }
  FWidth = count == 0 ? 0 : width;
  FHeight = count == 0 ? 0 : height;
  return true;
}

void TBitmap32::Clear(TColor32 color) { std::fill(FPixels.begin(), FPixels.end(), color); }

TColor32 TBitmap32::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) return clTransparent32;
  return ScanLine(y)[x];
}

void TBitmap32::SetPixel(int x, int y, TColor32 color) {
  if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) return;
  ScanLine(y)[x] = color;
}

void TBitmap32::SwapPixels(TBitmap32& other) noexcept {
  std::swap(FWidth, other.FWidth);
  std::swap(FHeight, other.FHeight);
  FPixels.swap(other.FPixels);
}

}  // namespace gfx
