// The palette and shape helpers of the default theme's pictures, shared by the control theme
// (ThemeGen.cpp) and the file icons (FileIconGen.cpp). The rules they follow are written down in
// tools/README.md.
#pragma once

#include <cairo.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "gfx/Bitmap32.h"
#include "gfx/PngCodec.h"

namespace themegen {

// The palette: straight RGB as 0xRRGGBB.
constexpr uint32_t kSurface = 0xFFFFFF;
constexpr uint32_t kHover = 0xEEF3FB;
constexpr uint32_t kHoverLine = 0xD5E1F4;
constexpr uint32_t kSelected = 0xDCE8FB;
constexpr uint32_t kSelectedLine = 0x9DBDF0;
constexpr uint32_t kAccent = 0x2F6FDE;
constexpr uint32_t kAccentLine = 0x2459B8;
constexpr uint32_t kDivider = 0xE3E6EB;
constexpr uint32_t kFrame = 0xD0D5DD;
constexpr uint32_t kHeaderBand = 0xF5F6F8;
constexpr uint32_t kNewMark = 0xF08A24;

constexpr double kRadius = 6;        // every corner of the theme
constexpr double kBubbleRadius = 8;  // tips and windows: a little softer

// Colour mixed towards white (Amount 1 gives white) or towards black (Amount 1 gives black).
constexpr uint32_t Tint(uint32_t rgb, double amount) {
  uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const double c = (rgb >> shift) & 0xFF;
    out |= uint32_t(c + (255 - c) * amount + 0.5) << shift;
  }
  return out;
}
constexpr uint32_t Shade(uint32_t rgb, double amount) {
  uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) out |= uint32_t(((rgb >> shift) & 0xFF) * (1 - amount) + 0.5) << shift;
  return out;
}

inline void SetColour(cairo_t* cr, uint32_t rgb, double alpha = 1) {
  cairo_set_source_rgba(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, alpha);
}

inline void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
  cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

// A filled rounded rectangle with a one-pixel line inside its edge.
inline void Panel(cairo_t* cr, double x, double y, double w, double h, double r, uint32_t fill, uint32_t line) {
  RoundedRect(cr, x + 0.5, y + 0.5, w - 1, h - 1, r);
  SetColour(cr, fill);
  cairo_fill_preserve(cr);
  SetColour(cr, line);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
}

// Fills the current path and draws a line of Width inside its edge (the path is clipped to, so
// the line never reaches beyond the shape); the path is consumed.
inline void FillWithInnerLine(cairo_t* cr, uint32_t fill, uint32_t line, double width) {
  SetColour(cr, fill);
  cairo_fill_preserve(cr);
  cairo_save(cr);
  cairo_clip_preserve(cr);
  SetColour(cr, line);
  cairo_set_line_width(cr, 2 * width);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke(cr);
  cairo_restore(cr);
}

// A soft shadow under a rounded rectangle: growing, fading outlines.
inline void Shadow(cairo_t* cr, double x, double y, double w, double h, double r, int spread, double strength) {
  for (int i = spread; i >= 1; --i) {
    RoundedRect(cr, x - i, y - i + 2, w + 2 * i, h + 2 * i, r + i);
    SetColour(cr, 0x000000, strength / spread * (1.0 - double(i) / (spread + 1)));
    cairo_fill(cr);
  }
}

// Draws a W x H picture with cairo (premultiplied ARGB, exactly a bitmap's layout) and writes it
// as a PNG file, creating its folder.
inline bool Save(const std::filesystem::path& file, int w, int h, const std::function<void(cairo_t*)>& draw) {
  gfx::TBitmap32 picture(w, h);
  cairo_surface_t* surface = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(picture.Bits()),
                                                                 CAIRO_FORMAT_ARGB32, w, h, picture.Stride());
  cairo_t* cr = cairo_create(surface);
  draw(cr);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  cairo_surface_destroy(surface);
  std::filesystem::create_directories(file.parent_path());
  const gfx::TPictureResult saved = gfx::SavePngFile(picture, file.string());
  if (!saved) std::fprintf(stderr, "norvo-themegen: %s: %s\n", file.string().c_str(), saved.Message.c_str());
  return bool(saved);
}

}  // namespace themegen
