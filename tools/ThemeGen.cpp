// norvo-themegen FOLDER: draws the pictures of the default control theme into FOLDER (the
// theme's own folder, next to its ThemeData.NVS). The visual language is written down in
// tools/README.md; every picture is made from the palette and shapes defined here, so that
// later controls extend it consistently.
#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "gfx/Bitmap32.h"
#include "gfx/PngCodec.h"

namespace {

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

void SetColour(cairo_t* cr, uint32_t rgb, double alpha = 1) {
  cairo_set_source_rgba(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, alpha);
}

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
  cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

// A filled rounded rectangle with a one-pixel line inside its edge.
void Panel(cairo_t* cr, double x, double y, double w, double h, double r, uint32_t fill, uint32_t line) {
  RoundedRect(cr, x + 0.5, y + 0.5, w - 1, h - 1, r);
  SetColour(cr, fill);
  cairo_fill_preserve(cr);
  SetColour(cr, line);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
}

// A soft shadow under a rounded rectangle: growing, fading outlines.
void Shadow(cairo_t* cr, double x, double y, double w, double h, double r, int spread, double strength) {
  for (int i = spread; i >= 1; --i) {
    RoundedRect(cr, x - i, y - i + 2, w + 2 * i, h + 2 * i, r + i);
    SetColour(cr, 0x000000, strength / spread * (1.0 - double(i) / (spread + 1)));
    cairo_fill(cr);
  }
}

bool Save(const std::filesystem::path& file, int w, int h, const std::function<void(cairo_t*)>& draw) {
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

// Item tiles: 24 x 24, drawn nine-sliced with 8-pixel margins.
bool ItemBack(const std::filesystem::path& file, uint32_t fill, uint32_t line) {
  return Save(file, 24, 24, [&](cairo_t* cr) { Panel(cr, 0, 0, 24, 24, kRadius, fill, line); });
}

// Group headers: 32 x 24; a divider line at the foot, with a tint for the active states.
bool GroupBack(const std::filesystem::path& file, uint32_t fill, double fillAlpha, uint32_t line) {
  return Save(file, 32, 24, [&](cairo_t* cr) {
    if (fillAlpha > 0) {
      RoundedRect(cr, 0, 0, 32, 24, kRadius);
      SetColour(cr, fill, fillAlpha);
      cairo_fill(cr);
    }
    cairo_rectangle(cr, 4, 22, 24, 1);
    SetColour(cr, line);
    cairo_fill(cr);
  });
}

// A bubble with a soft shadow: the picture reaches 6 pixels beyond the control on the sides,
// 4 above and 8 below (the theme's DrawOffset).
bool Bubble(const std::filesystem::path& file, int w, int h, bool header) {
  return Save(file, w, h, [&](cairo_t* cr) {
    const double x = 6, y = 4, bw = w - 12, bh = h - 12;
    Shadow(cr, x, y, bw, bh, kBubbleRadius, 6, 0.22);
    Panel(cr, x, y, bw, bh, kBubbleRadius, kSurface, kFrame);
    if (header) {
      cairo_save(cr);
      RoundedRect(cr, x + 1, y + 1, bw - 2, bh - 2, kBubbleRadius - 1);
      cairo_clip(cr);
      cairo_rectangle(cr, x + 1, y + 1, bw - 2, 27);
      SetColour(cr, kHeaderBand);
      cairo_fill(cr);
      cairo_rectangle(cr, x + 1, y + 28, bw - 2, 1);
      SetColour(cr, kDivider);
      cairo_fill(cr);
      cairo_restore(cr);
    }
  });
}

// The mark of a recently changed item: an orange dot with a white ring, drawn unscaled.
bool NewMark(const std::filesystem::path& file) {
  return Save(file, 18, 18, [](cairo_t* cr) {
    cairo_arc(cr, 9, 9, 7.5, 0, 2 * M_PI);
    SetColour(cr, kSurface);
    cairo_fill(cr);
    cairo_arc(cr, 9, 9, 5.5, 0, 2 * M_PI);
    SetColour(cr, kNewMark);
    cairo_fill(cr);
  });
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: norvo-themegen FOLDER\n");
    return 2;
  }
  const std::filesystem::path out = argv[1];
  const std::filesystem::path items = out / "Items";
  bool ok = true;
  // A normal tile is only its content: a transparent picture keeps the slices working.
  ok &= Save(items / "ItemNormalBack.png", 24, 24, [](cairo_t*) {});
  ok &= ItemBack(items / "ItemHotBack.png", kHover, kHoverLine);
  ok &= ItemBack(items / "ItemSelBack.png", kSelected, kSelectedLine);
  ok &= ItemBack(items / "ItemHotSelBack.png", kAccent, kAccentLine);
  ok &= GroupBack(items / "GroupNormalBack.png", 0, 0, kDivider);
  ok &= GroupBack(items / "GroupHotBack.png", kHover, 1, kHoverLine);
  ok &= GroupBack(items / "GroupSelBack.png", kSelected, 1, kSelectedLine);
  ok &= GroupBack(items / "GroupHotSelBack.png", kAccent, 1, kAccentLine);
  ok &= NewMark(items / "ItemNew.png");
  ok &= Bubble(out / "SelectTip" / "Background.png", 44, 40, false);
  ok &= Bubble(out / "SmartWindow" / "ControlBack.png", 72, 80, true);
  return ok ? 0 : 1;
}
