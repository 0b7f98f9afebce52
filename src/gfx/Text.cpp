#include "gfx/Text.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace gfx {

namespace {

// ---- UTF-8 ----------------------------------------------------------------------------------

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD
constexpr std::string_view kEllipsis = "\xE2\x80\xA6";     // U+2026

struct TUtf8Unit {
  size_t Length;
  bool Valid;
};

bool IsContinuation(char c) { return (uint8_t(c) & 0xC0) == 0x80; }

// The well-formed sequence at Pos, or the malformed piece there: the longest start of a sequence
// that cannot be completed, at least one byte. Overlong forms, surrogates and values past
// U+10FFFF are ruled out by the range of the second byte.
TUtf8Unit DecodeUnit(std::string_view s, size_t pos) {
  const uint8_t lead = uint8_t(s[pos]);
  if (lead < 0x80) return {1, true};
  uint8_t lo = 0x80, hi = 0xBF;
  size_t continuations;
  if (lead >= 0xC2 && lead <= 0xDF) {
    continuations = 1;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    continuations = 2;
    if (lead == 0xE0) lo = 0xA0;
    if (lead == 0xED) hi = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    continuations = 3;
    if (lead == 0xF0) lo = 0x90;
    if (lead == 0xF4) hi = 0x8F;
  } else {
    return {1, false};
  }
  size_t length = 1;
  for (; length <= continuations; ++length) {
    if (pos + length >= s.size()) return {length, false};
    const uint8_t b = uint8_t(s[pos + length]);
    if (b < lo || b > hi) return {length, false};
    lo = 0x80;
    hi = 0xBF;
  }
  return {length, true};
}

// Pango takes only valid UTF-8 without NUL and complains on stderr otherwise.
bool IsPangoSafe(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    if (s[i] == '\0') return false;
    if (uint8_t(s[i]) < 0x80) {
      ++i;
      continue;
    }
    const TUtf8Unit unit = DecodeUnit(s, i);
    if (!unit.Valid) return false;
    i += unit.Length;
  }
  return true;
}

// ---- Per-thread Pango state -----------------------------------------------------------------

constexpr int kMinPoints = 1;
constexpr int kMaxPoints = 1000;
// cairo refuses image surfaces with a side beyond this.
constexpr int kMaxSurfaceSide = 32767;

TFont32 FontKey(const TFont32& font) {
  TFont32 key = font;
  key.Color = 0;  // colour plays no part in shaping
  return key;
}

PangoFontDescription* NewFontDescription(const TFont32& font) {
  PangoFontDescription* desc = pango_font_description_new();
  const std::string family = SanitizeUtf8(font.Name);
  pango_font_description_set_family(desc, family.empty() ? "Sans" : family.c_str());
  pango_font_description_set_size(desc, std::clamp(font.Size, kMinPoints, kMaxPoints) * PANGO_SCALE);
  pango_font_description_set_weight(desc, font.Bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_style(desc, font.Italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  return desc;
}

void SetLayoutText(PangoLayout* layout, std::string_view text) {
  pango_layout_set_text(layout, text.data(), int(std::min<size_t>(text.size(), INT32_MAX)));
}

// The metrics of a font's own line. A glyph taken from a fallback face (U+FFFD, symbols) must
// not make its line taller or move its baseline, or names in a list would not line up.
struct TLineMetrics {
  int Height = 0;    // pixels
  int Baseline = 0;  // Pango units below the top
  int EllipsisWidth = 0;
};

// One laid-out line: its layout, its logical width and the font's line height, and how far the
// layout is moved down so that its baseline is the font's.
struct TLine {
  PangoLayout* Layout = nullptr;
  TTextExtent Extent;
  int Shift = 0;
};

// One thread's Pango context (on the thread's own font map), one reusable layout and the last
// few fonts, so that a run of captions in the same font is laid out without setup.
class TTextContext {
 public:
  TTextContext() {
    FContext = pango_font_map_create_context(pango_cairo_font_map_get_default());
    pango_cairo_context_set_resolution(FContext, 96);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    pango_cairo_context_set_font_options(FContext, options);
    cairo_font_options_destroy(options);
    FLayout = NewLayout();
    FProbe = NewLayout();
  }

  ~TTextContext() {
    for (TFontSlot& slot : FFonts)
      if (slot.Desc) pango_font_description_free(slot.Desc);
    g_object_unref(FProbe);
    g_object_unref(FLayout);
    g_object_unref(FContext);
  }

  TTextContext(const TTextContext&) = delete;
  TTextContext& operator=(const TTextContext&) = delete;

  PangoContext* Context() const { return FContext; }
  const PangoFontDescription* Description(const TFont32& font) { return Slot(font).Desc; }
  const TLineMetrics& Metrics(const TFont32& font) { return Slot(font).Metrics; }

  // Text (sanitised when it needs to be) laid out in Font; valid until the next call.
  TLine Line(const TFont32& font, std::string_view text) {
    const TFontSlot& slot = Slot(font);
    pango_layout_set_font_description(FLayout, slot.Desc);
    if (IsPangoSafe(text)) {
      SetLayoutText(FLayout, text);
    } else {
      FSanitized = SanitizeUtf8(text);
      SetLayoutText(FLayout, FSanitized);
    }
    PangoRectangle logical;
    pango_layout_get_pixel_extents(FLayout, nullptr, &logical);
    const int shift = PANGO_PIXELS(slot.Metrics.Baseline - pango_layout_get_baseline(FLayout));
    return {FLayout, {logical.width, slot.Metrics.Height}, shift};
  }

 private:
  struct TFontSlot {
    TFont32 Key;
    PangoFontDescription* Desc = nullptr;
    TLineMetrics Metrics;
  };

  PangoLayout* NewLayout() const {
    PangoLayout* layout = pango_layout_new(FContext);
    pango_layout_set_single_paragraph_mode(layout, TRUE);
    return layout;
  }

  TFontSlot& Slot(const TFont32& font) {
    const TFont32 key = FontKey(font);
    for (TFontSlot& slot : FFonts)
      if (slot.Desc && slot.Key == key) return slot;
    TFontSlot& slot = FFonts[FNextSlot];
    FNextSlot = (FNextSlot + 1) % FFonts.size();
    if (slot.Desc) pango_font_description_free(slot.Desc);
    slot = {key, NewFontDescription(key), {}};
    slot.Metrics = MeasureFont(slot.Desc);
    return slot;
  }

  TLineMetrics MeasureFont(const PangoFontDescription* desc) {
    pango_layout_set_font_description(FProbe, desc);
    TLineMetrics metrics;
    PangoRectangle logical;
    SetLayoutText(FProbe, "");
    pango_layout_get_pixel_extents(FProbe, nullptr, &logical);
    metrics.Height = logical.height;
    metrics.Baseline = pango_layout_get_baseline(FProbe);
    SetLayoutText(FProbe, kEllipsis);
    pango_layout_get_pixel_extents(FProbe, nullptr, &logical);
    metrics.EllipsisWidth = logical.width;
    return metrics;
  }

  PangoContext* FContext = nullptr;
  PangoLayout* FLayout = nullptr;
  PangoLayout* FProbe = nullptr;  // measures fonts without disturbing FLayout
  std::array<TFontSlot, 8> FFonts;
  size_t FNextSlot = 0;
  std::string FSanitized;
};

TTextContext& ThreadContext() {
  thread_local TTextContext context;
  return context;
}

// ---- Drawing --------------------------------------------------------------------------------

TRect BoxAround(int64_t x, int64_t y, const PangoRectangle& r) {
  return {Saturate(x + r.x), Saturate(y + r.y), Saturate(x + r.x + r.width), Saturate(y + r.y + r.height)};
}

TRect Union(const TRect& a, const TRect& b) {
  if (a.IsEmpty()) return b;
  if (b.IsEmpty()) return a;
  return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
          std::max(a.Bottom, b.Bottom)};
}

// Draws Line with the top-left corner of its logical box at (X, Y), only inside Clip. cairo
// works on a surface over just the pixels that may change, which clips for free and keeps the
// surface within cairo's size limit however large the bitmap is (a line more than 32767 pixels
// wide is cut there). A new surface holds no cached copy of the pixels, so it needs no
// mark_dirty; the flush puts every change into the bitmap before the surface goes.
void DrawLine(TBitmap32& bmp, TRect clip, int64_t x, int64_t y, const TLine& line, TColor32 color) {
  const uint8_t alpha = AlphaOf(color);
  if (alpha == 0) return;
  PangoRectangle ink, logical;
  pango_layout_get_pixel_extents(line.Layout, &ink, &logical);
  y += line.Shift;
  clip = Intersect(Intersect(clip, bmp.BoundsRect()), Union(BoxAround(x, y, ink), BoxAround(x, y, logical)));
  if (clip.IsEmpty()) return;
  auto* data = reinterpret_cast<unsigned char*>(bmp.ScanLine(clip.Top) + clip.Left);
  cairo_surface_t* surface =
      cairo_image_surface_create_for_data(data, CAIRO_FORMAT_ARGB32, std::min(clip.Width(), kMaxSurfaceSide),
                                          std::min(clip.Height(), kMaxSurfaceSide), bmp.Stride());
  if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgba(cr, Unpremultiply(RedOf(color), alpha) / 255.0, Unpremultiply(GreenOf(color), alpha) / 255.0,
                          Unpremultiply(BlueOf(color), alpha) / 255.0, alpha / 255.0);
    cairo_move_to(cr, double(x - clip.Left), double(y - clip.Top));
    pango_cairo_show_layout(cr, line.Layout);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
  }
  cairo_surface_destroy(surface);
}

// ---- Ellipsis -------------------------------------------------------------------------------

// Byte offsets inside the laid-out Line where it may be cut, from 0 up, with the x offset of each
// in the full line (Pango units): the starts of glyph clusters that are grapheme boundaries too.
struct TCut {
  size_t Offset;
  int X;
};

std::vector<TCut> CutsOf(PangoLayout* layout, std::string_view line) {
  int attrCount = 0;
  const PangoLogAttr* attrs = pango_layout_get_log_attrs_readonly(layout, &attrCount);
  std::vector<bool> boundary(line.size() + 1, false);
  size_t offset = 0;
  for (int i = 0; i < attrCount && offset <= line.size(); ++i) {
    boundary[offset] = attrs[i].is_cursor_position;
    if (offset == line.size()) break;
    offset = NextCodePoint(line, offset);
  }
  std::vector<TCut> cuts = {{0, 0}};
  PangoLayoutIter* iter = pango_layout_get_iter(layout);
  do {
    const size_t index = size_t(pango_layout_iter_get_index(iter));
    if (index == 0 || index >= line.size() || !boundary[index]) continue;
    PangoRectangle logical;
    pango_layout_iter_get_cluster_extents(iter, nullptr, &logical);
    cuts.push_back({index, logical.x});
  } while (pango_layout_iter_next_cluster(iter));
  pango_layout_iter_free(iter);
  // Clusters come in visual order, which differs from the order in the text in right-to-left runs.
  std::sort(cuts.begin(), cuts.end(), [](const TCut& a, const TCut& b) { return a.Offset < b.Offset; });
  return cuts;
}

std::string EllipsizedAt(std::string_view line, size_t offset) {
  std::string_view start = line.substr(0, offset);
  while (!start.empty() && start.back() == ' ') start.remove_suffix(1);
  std::string shown(start);
  shown += kEllipsis;
  return shown;
}

// Line is valid UTF-8 without NUL, wider than MaxWidth and laid out as Full. Returns the text
// to show; unless that is empty, Shown is then its laid-out line.
std::string Ellipsize(TTextContext& tc, const TFont32& font, const std::string& line, const TLine& full,
                      int maxWidth, TLine& shown) {
  const int ellipsisWidth = tc.Metrics(font).EllipsisWidth;
  if (ellipsisWidth > maxWidth) return {};
  const std::vector<TCut> cuts = CutsOf(full.Layout, line);
  size_t laidOut = cuts.size();
  const auto fits = [&](size_t i) {
    shown = tc.Line(font, EllipsizedAt(line, cuts[i].Offset));
    laidOut = i;
    return shown.Extent.Width <= maxWidth;
  };
  // In left-to-right text the x offset of a cut is the width of the start before it, so the
  // first guess nearly always fits; otherwise (kerning, right-to-left runs) search below it.
  const int64_t room = (int64_t{maxWidth} - ellipsisWidth) * PANGO_SCALE;
  size_t guess = 0;
  while (guess + 1 < cuts.size() && cuts[guess + 1].X <= room) ++guess;
  if (!fits(guess)) {
    size_t lo = 0, hi = guess;  // cuts[lo] fits (the ellipsis alone), cuts[hi] does not
    while (hi - lo > 1) {
      const size_t mid = lo + (hi - lo) / 2;
      (fits(mid) ? lo : hi) = mid;
    }
    guess = lo;
  }
  std::string text = EllipsizedAt(line, cuts[guess].Offset);
  if (laidOut != guess) shown = tc.Line(font, text);
  return text;
}

int64_t AlignedLeft(const TRect& rect, int width, TTextAlign align) {
  switch (align) {
    case TTextAlign::taLeft: break;
    case TTextAlign::taCenter: return rect.Left + (int64_t{rect.Width()} - width) / 2;
    case TTextAlign::taRight: return int64_t{rect.Right} - width;
  }
  return rect.Left;
}

}  // namespace

// ---- Public interface -----------------------------------------------------------------------

TTextExtent TextExtent(const TFont32& font, std::string_view text) {
  return ThreadContext().Line(font, text).Extent;
}

int TextWidth(const TFont32& font, std::string_view text) { return TextExtent(font, text).Width; }

int TextHeight(const TFont32& font, std::string_view text) { return TextExtent(font, text).Height; }

void TextOut(TBitmap32& bmp, int x, int y, std::string_view text) {
  TextOut(bmp, x, y, text, Color32FromColor(bmp.Font().Color));
}

void TextOut(TBitmap32& bmp, int x, int y, std::string_view text, TColor32 color) {
  if (text.empty() || bmp.Empty()) return;
  DrawLine(bmp, bmp.BoundsRect(), x, y, ThreadContext().Line(bmp.Font(), text), color);
}

void TextRect(TBitmap32& bmp, const TRect& rect, std::string_view text, const TTextFormat& format) {
  TextRect(bmp, rect, text, format, Color32FromColor(bmp.Font().Color));
}

void TextRect(TBitmap32& bmp, const TRect& rect, std::string_view text, const TTextFormat& format,
              TColor32 color) {
  if (text.empty() || Intersect(rect, bmp.BoundsRect()).IsEmpty()) return;
  TTextContext& tc = ThreadContext();
  const TFont32& font = bmp.Font();
  TLine line = tc.Line(font, text);
  if (format.EndEllipsis && line.Extent.Width > rect.Width()) {
    const std::string full = IsPangoSafe(text) ? std::string(text) : SanitizeUtf8(text);
    TLine shown;
    if (Ellipsize(tc, font, full, line, rect.Width(), shown).empty()) return;
    line = shown;
  }
  const int64_t x = AlignedLeft(rect, line.Extent.Width, format.Align);
  const int64_t y = format.VCenter ? rect.Top + (int64_t{rect.Height()} - line.Extent.Height) / 2 : rect.Top;
  DrawLine(bmp, rect, x, y, line, color);
}

std::string EllipsizedText(const TFont32& font, std::string_view text, int maxWidth) {
  TTextContext& tc = ThreadContext();
  const std::string line = SanitizeUtf8(text);
  const TLine full = tc.Line(font, line);
  if (full.Extent.Width <= maxWidth) return line;
  TLine shown;
  return Ellipsize(tc, font, line, full, maxWidth, shown);
}

std::string ResolvedFaceName(const TFont32& font) {
  TTextContext& tc = ThreadContext();
  PangoFont* loaded = pango_context_load_font(tc.Context(), tc.Description(font));
  if (!loaded) return {};
  PangoFontDescription* desc = pango_font_describe(loaded);
  const char* family = pango_font_description_get_family(desc);
  std::string name = family ? family : "";
  pango_font_description_free(desc);
  g_object_unref(loaded);
  return name;
}

size_t NextCodePoint(std::string_view s, size_t pos) {
  if (pos >= s.size()) return s.size();
  return pos + DecodeUnit(s, pos).Length;
}

// A byte that is not a continuation byte always starts a unit, and a unit is at most four bytes,
// so the unit before Pos starts at the nearest such byte among the four before it, unless that
// unit ends early, in which case the byte before Pos is a stray continuation byte.
size_t PrevCodePoint(std::string_view s, size_t pos) {
  pos = std::min(pos, s.size());
  if (pos == 0) return 0;
  const size_t stop = pos >= 4 ? pos - 4 : 0;
  for (size_t j = pos; j > stop;) {
    --j;
    if (!IsContinuation(s[j])) return j + DecodeUnit(s, j).Length >= pos ? j : pos - 1;
  }
  return pos - 1;
}

size_t CodePointCount(std::string_view s) {
  size_t count = 0;
  for (size_t i = 0; i < s.size(); i = NextCodePoint(s, i)) ++count;
  return count;
}

std::string_view CodePointPrefix(std::string_view s, size_t n) {
  size_t end = 0;
  for (; n > 0 && end < s.size(); --n) end = NextCodePoint(s, end);
  return s.substr(0, end);
}

std::string SanitizeUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    const TUtf8Unit unit = DecodeUnit(s, i);
    if (unit.Valid && s[i] != '\0')
      out.append(s.substr(i, unit.Length));
    else
      out.append(kReplacement);
    i += unit.Length;
  }
  return out;
}

}  // namespace gfx
