// norvo-themegen CONTROLS FILEICONS: draws the pictures of the default control theme into
// CONTROLS (the theme's own folder, next to its ThemeData.NVS) and the default file icons into
// FILEICONS. The visual language is written down in tools/README.md; every picture is made from
// the palette and shapes of ThemePaint.h, so that later pictures extend it consistently.
#include <cstdio>
#include <filesystem>

#include "FileIconGen.h"
#include "ThemePaint.h"

namespace {

using namespace themegen;

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
  if (argc != 3) {
    std::fprintf(stderr, "usage: norvo-themegen CONTROL_THEME_FOLDER FILE_ICON_FOLDER\n");
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
  ok &= DrawFileIcons(argv[2]);
  return ok ? 0 : 1;
}
