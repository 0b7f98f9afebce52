// Colours. The system stores colours as $00BBGGRR integers (red in the lowest byte); bitmaps hold
// premultiplied 32-bit ARGB pixels in the native-endian layout that cairo and pixman use
// (alpha in the top byte of the 32-bit word, blue in the lowest).
#pragma once

#include <cstdint>

namespace gfx {

using TColor = int32_t;     // $00BBGGRR
using TColor32 = uint32_t;  // premultiplied ARGB

constexpr TColor32 clTransparent32 = 0;
constexpr TColor32 clBlack32 = 0xFF000000u;
constexpr TColor32 clWhite32 = 0xFFFFFFFFu;

constexpr uint8_t AlphaOf(TColor32 c) { return uint8_t(c >> 24); }
constexpr uint8_t RedOf(TColor32 c) { return uint8_t(c >> 16); }
constexpr uint8_t GreenOf(TColor32 c) { return uint8_t(c >> 8); }
constexpr uint8_t BlueOf(TColor32 c) { return uint8_t(c); }

// x * y / 255, rounded to nearest, exact for every pair of bytes.
constexpr uint32_t MulDiv255(uint32_t x, uint32_t y) {
  uint32_t t = x * y + 128;
  return (t + (t >> 8)) >> 8;
}

// Premultiplied ARGB from straight (non-premultiplied) components.
constexpr TColor32 Color32(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255) {
  return (uint32_t(a) << 24) | (MulDiv255(r, a) << 16) | (MulDiv255(g, a) << 8) | MulDiv255(b, a);
}

// Premultiplied ARGB from a $00BBGGRR colour; the top byte of the colour is ignored.
constexpr TColor32 Color32FromColor(TColor c, uint8_t alpha = 255) {
  uint32_t v = uint32_t(c);
  return Color32(uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), alpha);
}

// Premultiplied ARGB from a straight 32-bit $AARRGGBB value.
constexpr TColor32 Color32FromArgb(uint32_t argb) {
  return Color32(uint8_t(argb >> 16), uint8_t(argb >> 8), uint8_t(argb), uint8_t(argb >> 24));
}

// Straight components of a premultiplied pixel, rounded; a transparent pixel gives black.
constexpr uint8_t Unpremultiply(uint8_t channel, uint8_t alpha) {
  return alpha == 0 ? 0 : uint8_t((uint32_t(channel) * 255 + alpha / 2) / alpha);
}

// The $00BBGGRR colour of a premultiplied pixel (alpha dropped).
constexpr TColor ColorFromColor32(TColor32 c) {
  uint8_t a = AlphaOf(c);
  return TColor(uint32_t(Unpremultiply(RedOf(c), a)) | uint32_t(Unpremultiply(GreenOf(c), a)) << 8 |
                uint32_t(Unpremultiply(BlueOf(c), a)) << 16);
}

}  // namespace gfx
