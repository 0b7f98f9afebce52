// TBitmap32: a 32-bit off-screen picture with per-pixel alpha.
//
// Pixels are premultiplied ARGB words (gfx/Color.h), rows top to bottom without padding, so the
// stride is always Width * 4. That is exactly cairo's and pixman's ARGB32 layout: text is drawn
// straight into the pixels and a canvas is shown on screen without conversion.
//
// Threads: a bitmap is used by one thread at a time. A worker that replaces the pixels of a
// bitmap the interface thread may draw holds the bitmap's lock (Lock/Unlock or Locked()) while it
// does, and the reader takes the same lock.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "gfx/Color.h"
#include "gfx/Font.h"
#include "gfx/Geometry.h"

namespace gfx {

enum class TDrawMode { dmOpaque, dmBlend };

class TBitmap32 {
 public:
  // The largest picture a bitmap holds (1 GiB of pixels); larger requests leave it empty.
  static constexpr int64_t kMaxPixels = int64_t{1} << 28;

  TBitmap32() = default;
  TBitmap32(int width, int height) { SetSize(width, height); }
  TBitmap32(const TBitmap32& other);
  TBitmap32& operator=(const TBitmap32& other);
  TBitmap32(TBitmap32&& other) noexcept;
  TBitmap32& operator=(TBitmap32&& other) noexcept;

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  bool Empty() const { return FWidth == 0 || FHeight == 0; }
  TRect BoundsRect() const { return {0, 0, FWidth, FHeight}; }
  int Stride() const { return FWidth * 4; }

  // Resizes; a changed size leaves every pixel transparent, an unchanged size keeps the pixels.
  // Negative sizes count as 0. Returns false (and leaves the bitmap empty) when the size is
  // beyond kMaxPixels or memory runs out.
  bool SetSize(int width, int height);
  void Clear(TColor32 color = clTransparent32);

  TColor32* Bits() { return FPixels.data(); }
  const TColor32* Bits() const { return FPixels.data(); }
  TColor32* ScanLine(int y) { return FPixels.data() + size_t(y) * size_t(FWidth); }
  const TColor32* ScanLine(int y) const { return FPixels.data() + size_t(y) * size_t(FWidth); }

  // Clipped pixel access: outside the bitmap a read gives transparent, a write does nothing.
  TColor32 Pixel(int x, int y) const;
  void SetPixel(int x, int y, TColor32 color);

  // Applied to the whole bitmap when it is blended onto another (255 = as is, 0 = invisible).
  uint8_t MasterAlpha() const { return FMasterAlpha; }
  void SetMasterAlpha(uint8_t alpha) { FMasterAlpha = alpha; }

  // How DrawTo puts this bitmap onto another.
  TDrawMode DrawMode() const { return FDrawMode; }
  void SetDrawMode(TDrawMode mode) { FDrawMode = mode; }

  // The font text is measured and drawn with on this bitmap.
  TFont32& Font() { return FFont; }
  const TFont32& Font() const { return FFont; }

  // Exchanges size and pixels (not master alpha, mode or font) with another bitmap: a worker
  // builds a picture privately and swaps it in under the lock.
  void SwapPixels(TBitmap32& other) noexcept;

  // Draws this bitmap onto Dest at (X, Y) by its draw mode.
  void DrawTo(TBitmap32& dest, int x, int y) const;

  void Lock() const { FLock.lock(); }
  void Unlock() const { FLock.unlock(); }
  std::unique_lock<std::mutex> Locked() const { return std::unique_lock<std::mutex>(FLock); }

 private:
  int FWidth = 0;
  int FHeight = 0;
  std::vector<TColor32> FPixels;
  uint8_t FMasterAlpha = 255;
  TDrawMode FDrawMode = TDrawMode::dmOpaque;
  TFont32 FFont;
  mutable std::mutex FLock;
};

}  // namespace gfx
