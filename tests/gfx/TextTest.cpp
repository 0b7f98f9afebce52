#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "gfx/Draw.h"
#include "gfx/Text.h"

using namespace gfx;
using namespace std::string_literals;

namespace {

const std::string kEllipsis = "\xE2\x80\xA6";

TFont32 MakeFont(int size = 11, bool bold = false, TColor color = 0) {
  TFont32 f;
  f.Size = size;
  f.Bold = bold;
  f.Color = color;
  return f;
}

struct TInk {
  TRect Box;  // bounding box of the changed pixels
  int Count = 0;
};

TInk InkOf(const TBitmap32& b, TColor32 background) {
  TInk ink{{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN}, 0};
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      if (b.Pixel(x, y) != background) {
        ++ink.Count;
        ink.Box = {std::min(ink.Box.Left, x), std::min(ink.Box.Top, y), std::max(ink.Box.Right, x + 1),
                   std::max(ink.Box.Bottom, y + 1)};
      }
  return ink;
}

TBitmap32 Canvas(int w, int h, TColor32 background, const TFont32& font = MakeFont()) {
  TBitmap32 b(w, h);
  b.Clear(background);
  b.Font() = font;
  return b;
}

}  // namespace

// ---- Metrics ----------------------------------------------------------------------------------

TEST(TextMetrics, WidthGrowsWithTheTextAndHeightStaysOneLine) {
  const TFont32 font = MakeFont();
  const std::vector<std::string> texts = {"i", "ab", "abc", "abc def", "abc def ghijkl", "abc def ghijkl WWW"};
  const int lineHeight = TextHeight(font, "");
  for (size_t i = 1; i < texts.size(); ++i) {
    EXPECT_GT(TextWidth(font, texts[i]), TextWidth(font, texts[i - 1])) << texts[i];
    EXPECT_EQ(TextHeight(font, texts[i]), lineHeight) << texts[i];
  }
  // A line feed never starts a second line, and glyphs from fallback faces (the line feed
  // symbol, U+FFFD) leave the line as high as the font's own.
  for (const char* text : {"one\ntwo", "bad\xFF", "\xE2\x80\xA8", "\x01"})
    EXPECT_EQ(TextHeight(font, text), lineHeight) << testing::PrintToString(text);
  EXPECT_GT(TextWidth(font, "one\ntwo"), TextWidth(font, "onetwo"));
}

TEST(TextMetrics, EmptyStringHasNoWidthAndTheLineHeight) {
  const TFont32 font = MakeFont();
  const TTextExtent empty = TextExtent(font, "");
  EXPECT_EQ(empty.Width, 0);
  EXPECT_GT(empty.Height, 0);
  EXPECT_EQ(empty.Height, TextHeight(font, "Ag"));
}

TEST(TextMetrics, SizesArePointsAt96Dpi) {
  // 72 points are 96 pixels; the line is at least one em high.
  const int height72 = TextHeight(MakeFont(72), "");
  EXPECT_GE(height72, 96);
  EXPECT_LE(height72, 150);
  // Sizes below 1 point count as 1.
  EXPECT_EQ(TextExtent(MakeFont(0), "abc"), TextExtent(MakeFont(1), "abc"));
  EXPECT_EQ(TextExtent(MakeFont(-20), "abc"), TextExtent(MakeFont(1), "abc"));
}

TEST(TextMetrics, BoldIsAtLeastAsWideAsRegular) {
  for (const char* text : {"Regular text", "WWWW", "file-name_01.txt"})
    EXPECT_GE(TextWidth(MakeFont(11, true), text), TextWidth(MakeFont(11, false), text)) << text;
}

TEST(TextMetrics, NeitherPrefixesNorMarkupAreInterpreted) {
  const TFont32 font = MakeFont();
  EXPECT_GT(TextWidth(font, "&x"), TextWidth(font, "x"));
  EXPECT_GT(TextWidth(font, "&&"), TextWidth(font, "&"));
  EXPECT_GT(TextWidth(font, "<b>"), 0);
  // Parsed as markup this would be "AB" in bold.
  const int literal = TextWidth(font, "<b>") + TextWidth(font, "AB") + TextWidth(font, "</b>");
  EXPECT_NEAR(TextWidth(font, "<b>AB</b>"), literal, 3);
  EXPECT_GT(TextWidth(font, "&amp;"), TextWidth(font, "&"));
}

// ---- Ellipsis ---------------------------------------------------------------------------------

TEST(TextEllipsis, ResultFitsAndEndsInAnEllipsisWhenCut) {
  const TFont32 font = MakeFont();
  const std::string text = "Holiday photos 2024 \xE2\x80\x94 beach (3).jpg";
  const int full = TextWidth(font, text);
  const int ellipsis = TextWidth(font, kEllipsis);
  for (int maxWidth : {full + 50, full, full - 1, 120, 60, 30, ellipsis + 1, ellipsis, ellipsis - 1, 0, -10}) {
    SCOPED_TRACE(maxWidth);
    const std::string shown = EllipsizedText(font, text, maxWidth);
    if (maxWidth >= full) {
      EXPECT_EQ(shown, text);
    } else if (maxWidth < ellipsis) {
      EXPECT_EQ(shown, "");
    } else {
      ASSERT_TRUE(shown.ends_with(kEllipsis)) << shown;
      EXPECT_LE(TextWidth(font, shown), maxWidth);
      const std::string start = shown.substr(0, shown.size() - kEllipsis.size());
      EXPECT_EQ(text.compare(0, start.size(), start), 0) << shown;
      EXPECT_NE(start.back(), ' ');
    }
  }
  // Room for most of the text keeps most of it: the cut is not merely safe but close.
  EXPECT_GT(EllipsizedText(font, text, full - 5).size(), text.size() - 6);
}

TEST(TextEllipsis, InvalidBytesComeBackAsValidText) {
  const TFont32 font = MakeFont();
  const std::string raw = "bad\xFF\xFE name \x80 with lots of trailing text.txt";
  EXPECT_EQ(EllipsizedText(font, raw, 10000), SanitizeUtf8(raw));
  const std::string cut = EllipsizedText(font, raw, 70);
  EXPECT_EQ(cut, SanitizeUtf8(cut));
  EXPECT_TRUE(cut.ends_with(kEllipsis));
  EXPECT_LE(TextWidth(font, cut), 70);
}

// ---- Drawing ----------------------------------------------------------------------------------

TEST(TextDraw, TextRectChangesPixelsOnlyInsideTheRectangle) {
  const TRect rect = Rect(50, 20, 110, 36);
  const std::string text = "Much wider than its rectangle WWWW gjpqy";
  struct TCase {
    TTextAlign Align;
    bool VCenter;
    bool Ellipsis;
  };
  for (const TCase c : {TCase{TTextAlign::taLeft, false, false}, TCase{TTextAlign::taCenter, true, false},
                        TCase{TTextAlign::taRight, true, false}, TCase{TTextAlign::taRight, false, true}}) {
    SCOPED_TRACE(int(c.Align) * 4 + c.VCenter * 2 + c.Ellipsis);
    TBitmap32 b = Canvas(200, 60, clWhite32, MakeFont(20));  // the line is taller than the rectangle
    TextRect(b, rect, text, {c.Align, c.VCenter, c.Ellipsis});
    const TInk ink = InkOf(b, clWhite32);
    ASSERT_GT(ink.Count, 0);
    EXPECT_GE(ink.Box.Left, rect.Left);
    EXPECT_GE(ink.Box.Top, rect.Top);
    EXPECT_LE(ink.Box.Right, rect.Right);
    EXPECT_LE(ink.Box.Bottom, rect.Bottom);
  }
}

TEST(TextDraw, TextOutsideTheBitmapIsClipped) {
  TBitmap32 b = Canvas(60, 20, clWhite32, MakeFont(14));
  TextOut(b, -15, -6, "Clipped text");
  EXPECT_GT(InkOf(b, clWhite32).Count, 0);

  b.Clear(clWhite32);
  for (const TPoint p : {TPoint{-1000, 0}, TPoint{1000, 0}, TPoint{0, -100}, TPoint{0, 100},
                         TPoint{INT32_MIN, INT32_MIN}, TPoint{INT32_MAX, INT32_MAX}})
    TextOut(b, p.X, p.Y, "Nowhere to be seen");
  TextRect(b, Rect(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX), "Far right", {TTextAlign::taRight, false, true});
  TextRect(b, Rect(100, 0, 200, 20), "Beside", {});
  TextRect(b, Rect(50, 0, 10, 20), "Empty rectangle", {});
  TextRect(b, Rect(10, 5, 50, 5), "Empty rectangle", {});
  EXPECT_EQ(InkOf(b, clWhite32).Count, 0);

  TextRect(b, Rect(-10, 0, INT32_MAX, 20), "Wide", {});
  EXPECT_GT(InkOf(b, clWhite32).Count, 0);

  TBitmap32 empty;
  TextOut(empty, 0, 0, "Nothing");
  TextRect(empty, Rect(0, 0, 10, 10), "Nothing", {});
}

TEST(TextDraw, BitmapsWiderThanCairosLimitAreDrawnToo) {
  TBitmap32 b = Canvas(40000, 20, clWhite32);
  TextOut(b, 39000, 0, "Far along");
  const TRect ink = InkOf(b, clWhite32).Box;
  EXPECT_GE(ink.Left, 39000);
  EXPECT_LT(ink.Left, 39010);
}

TEST(TextDraw, AlignmentMovesTheInk) {
  const TRect rect = Rect(10, 10, 310, 70);
  const auto inkFor = [&](TTextAlign align, bool vcenter) {
    TBitmap32 b = Canvas(320, 80, clWhite32);
    TextRect(b, rect, "Hi there", {align, vcenter, false});
    return InkOf(b, clWhite32).Box;
  };
  const TRect left = inkFor(TTextAlign::taLeft, false);
  const TRect center = inkFor(TTextAlign::taCenter, false);
  const TRect right = inkFor(TTextAlign::taRight, false);
  const TRect middle = inkFor(TTextAlign::taLeft, true);
  EXPECT_LE(left.Left, rect.Left + 2);
  EXPECT_NEAR((center.Left + center.Right) / 2, (rect.Left + rect.Right) / 2, 3);
  EXPECT_GE(right.Right, rect.Right - 3);
  EXPECT_EQ(center.Width(), left.Width());
  EXPECT_EQ(right.Width(), left.Width());
  EXPECT_EQ(center.Top, left.Top);
  EXPECT_LE(left.Top, rect.Top + 6);
  EXPECT_NEAR((middle.Top + middle.Bottom) / 2, (rect.Top + rect.Bottom) / 2, 4);
  EXPECT_EQ(middle.Left, left.Left);
}

TEST(TextDraw, TextOutPutsTheLogicalBoxAtThePoint) {
  TBitmap32 b = Canvas(200, 60, clWhite32);
  TextOut(b, 40, 15, "Text");
  const TRect ink = InkOf(b, clWhite32).Box;
  const TTextExtent extent = TextExtent(b.Font(), "Text");
  EXPECT_GE(ink.Left, 40);
  EXPECT_LE(ink.Left, 43);
  EXPECT_GE(ink.Top, 15);
  EXPECT_LE(ink.Right, 40 + extent.Width + 1);
  EXPECT_LE(ink.Bottom, 15 + extent.Height);
}

TEST(TextDraw, GlyphsFromFallbackFacesKeepTheBaseline) {
  const TFont32 font = MakeFont(14);
  for (const std::string tail : {"\xFF", "\n", "\xE2\x8F\x8E"}) {
    SCOPED_TRACE(testing::PrintToString(tail));
    TBitmap32 plain = Canvas(150, 40, clWhite32, font), mixed = plain;
    TextOut(plain, 5, 8, "Hxx");
    TextOut(mixed, 5, 8, "Hxx" + tail);
    ASSERT_GT(TextWidth(font, "Hxx" + tail), TextWidth(font, "Hxx"));
    const int end = 5 + TextWidth(font, "Hxx") - 1;
    int differing = 0;
    for (int y = 0; y < plain.Height(); ++y)
      for (int x = 0; x < end; ++x) differing += plain.Pixel(x, y) != mixed.Pixel(x, y);
    EXPECT_EQ(differing, 0);
  }
}

TEST(TextDraw, FullCoverageShowsTheColourExactly) {
  // The font colour is $00BBGGRR; the TColor32 form takes premultiplied ARGB.
  struct TCase {
    TColor FontColor;
    bool UseFont;
    TColor32 Expected;
  };
  for (const TCase c : {TCase{0x000000FF, true, 0xFFFF0000u}, TCase{0x00804020, true, 0xFF204080u},
                        TCase{0, false, 0xFF0000FFu}, TCase{0, false, 0xFF000000u}}) {
    SCOPED_TRACE(c.Expected);
    TBitmap32 b = Canvas(200, 50, clWhite32, MakeFont(24, true, c.FontColor));
    if (c.UseFont)
      TextOut(b, 5, 5, "WMH");
    else
      TextOut(b, 5, 5, "WMH", c.Expected);
    int exact = 0, partial = 0, strayed = 0;
    for (int y = 0; y < b.Height(); ++y)
      for (int x = 0; x < b.Width(); ++x) {
        const TColor32 p = b.Pixel(x, y);
        if (p == c.Expected) ++exact;
        else if (p != clWhite32) ++partial;
        // Every pixel lies between white and the colour, channel by channel.
        for (int shift : {0, 8, 16})
          if (uint8_t(p >> shift) < uint8_t(c.Expected >> shift)) ++strayed;
      }
    EXPECT_GT(exact, 50);
    EXPECT_GT(partial, 0);  // antialiased edges
    EXPECT_EQ(strayed, 0);
  }
}

TEST(TextDraw, OverTransparentPixelsGivesValidPremultipliedAlpha) {
  for (const TColor32 color : {Color32(200, 100, 50), Color32(255, 0, 0, 128)}) {
    SCOPED_TRACE(color);
    TBitmap32 b = Canvas(160, 40, clTransparent32, MakeFont(16));
    TextOut(b, 2, 2, "Alpha gjW", color);
    int maxAlpha = 0, partial = 0;
    for (int y = 0; y < b.Height(); ++y)
      for (int x = 0; x < b.Width(); ++x) {
        const TColor32 p = b.Pixel(x, y);
        const uint8_t a = AlphaOf(p);
        maxAlpha = std::max<int>(maxAlpha, a);
        if (a > 0 && a < AlphaOf(color)) ++partial;
        ASSERT_LE(RedOf(p), a);
        ASSERT_LE(GreenOf(p), a);
        ASSERT_LE(BlueOf(p), a);
      }
    EXPECT_EQ(maxAlpha, AlphaOf(color));
    EXPECT_GT(partial, 0);
  }
}

TEST(TextDraw, InvalidUtf8DrawsReplacementsQuietly) {
  const std::vector<std::string> texts = {"\xFF\xFE", "abc\x80""def", "\xE2\x82", "a\0b"s, "\xED\xA0\x80",
                                          "\xF4\x90\x80\x80", "\xC0\xAF"};
  testing::internal::CaptureStderr();
  for (const std::string& text : texts) {
    TBitmap32 b = Canvas(100, 30, clWhite32);
    TextOut(b, 2, 2, text);
    EXPECT_GT(InkOf(b, clWhite32).Count, 0);
    EXPECT_EQ(TextWidth(b.Font(), text), TextWidth(b.Font(), SanitizeUtf8(text)));
    TextRect(b, Rect(0, 0, 12, 30), text, {TTextAlign::taLeft, true, true});
    TextRect(b, Rect(0, 0, 2, 30), text, {TTextAlign::taCenter, false, true});
  }
  TFont32 badName = MakeFont();
  badName.Name = "Bad\xFF\0Name"s;
  EXPECT_GT(TextWidth(badName, "abc"), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

// ---- Fonts and threads ------------------------------------------------------------------------

TEST(TextFonts, CalibriResolvesToAnInstalledFace) {
  TFont32 carlito = MakeFont();
  carlito.Name = "Carlito";
  const std::string calibri = ResolvedFaceName(MakeFont());
  if (ResolvedFaceName(carlito) != "Carlito" && calibri != "Calibri")
    GTEST_SKIP() << "fontconfig has neither Calibri nor Carlito (package fonts-crosextra-carlito)";
  EXPECT_TRUE(calibri.find("Carlito") != std::string::npos || calibri.find("Calibri") != std::string::npos)
      << calibri;
  TFont32 missing = MakeFont();
  missing.Name = "No Such Face Anywhere";
  EXPECT_FALSE(ResolvedFaceName(missing).empty());
}

namespace {

TBitmap32 RenderSampleCaptions() {
  TBitmap32 b = Canvas(300, 240, clWhite32);
  const std::vector<std::string> captions = {"Holiday photos 2024 \xE2\x80\x94 beach (3).jpg", "a&b <i>c</i>",
                                             "Bad\xFF bytes\x80.txt", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82",
                                             "short"};
  int y = 0;
  for (int size : {9, 11, 14}) {
    for (bool bold : {false, true}) {
      b.Font() = MakeFont(size, bold, 0x00336699);
      for (size_t i = 0; i < captions.size(); ++i) {
        const TRect r = Bounds(int(i % 2) * 150, y, 140, 20);
        TextRect(b, r, captions[i], {TTextAlign(i % 3), i % 2 == 0, true});
        if (i % 2) y += 8;
      }
      TextOut(b, 0, y, captions[0], Color32(0, 128, 0, 200));
    }
  }
  return b;
}

}  // namespace

TEST(TextThreads, FourThreadsDrawTheSamePixelsAsOne) {
  const TBitmap32 reference = RenderSampleCaptions();
  ASSERT_GT(InkOf(reference, clWhite32).Count, 0);
  std::vector<TBitmap32> results(4);
  std::vector<std::thread> threads;
  for (TBitmap32& result : results)
    threads.emplace_back([&result] {
      for (int round = 0; round < 3; ++round) result = RenderSampleCaptions();
    });
  for (std::thread& t : threads) t.join();
  for (const TBitmap32& result : results) {
    ASSERT_EQ(result.Width(), reference.Width());
    ASSERT_EQ(result.Height(), reference.Height());
    EXPECT_TRUE(std::equal(result.Bits(), result.Bits() + result.Width() * result.Height(), reference.Bits()));
  }
}

// ---- UTF-8 stepping ---------------------------------------------------------------------------

TEST(Utf8CodePoints, StepsByWholeCodePointsAndMalformedPieces) {
  struct TCase {
    std::string Text;
    std::vector<size_t> Bounds;  // every code point boundary, 0 and the end included
    std::string Sanitized;
  };
  const std::string fffd = "\xEF\xBF\xBD";
  const std::vector<TCase> cases = {
      {"", {0}, ""},
      {"abc", {0, 1, 2, 3}, "abc"},
      {"\xC3\xA9", {0, 2}, "\xC3\xA9"},                          // 2 bytes
      {"a\xE2\x82\xAC""b", {0, 1, 4, 5}, "a\xE2\x82\xAC""b"},     // 3 bytes
      {"\xF0\x9F\x98\x80!", {0, 4, 5}, "\xF0\x9F\x98\x80!"},      // 4 bytes
      {"\x80\xBF", {0, 1, 2}, fffd + fffd},                        // stray continuations
      {"\xE2\x82""A", {0, 2, 3}, fffd + "A"},                      // cut short by ASCII
      {"x\xF0\x9F\x98", {0, 1, 4}, "x" + fffd},                    // cut short by the end
      {"\xC0\xAF", {0, 1, 2}, fffd + fffd},                        // overlong
      {"\xED\xA0\x80", {0, 1, 2, 3}, fffd + fffd + fffd},          // surrogate
      {"\xF4\x90\x80\x80", {0, 1, 2, 3, 4}, fffd + fffd + fffd + fffd},  // past U+10FFFF
      {"\xC3\xA9\xA9", {0, 2, 3}, "\xC3\xA9" + fffd},              // one continuation too many
      {"\xFF\xFE", {0, 1, 2}, fffd + fffd},
      {"a\0b"s, {0, 1, 2, 3}, "a" + fffd + "b"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.Text));
    std::vector<size_t> forward = {0};
    for (size_t i = 0; i < c.Text.size();) forward.push_back(i = NextCodePoint(c.Text, i));
    EXPECT_EQ(forward, c.Bounds);
    std::vector<size_t> backward = {c.Text.size()};
    for (size_t i = c.Text.size(); i > 0;) backward.insert(backward.begin(), i = PrevCodePoint(c.Text, i));
    EXPECT_EQ(backward, c.Bounds);
    EXPECT_EQ(CodePointCount(c.Text), c.Bounds.size() - 1);
    for (size_t n = 0; n < c.Bounds.size(); ++n) EXPECT_EQ(CodePointPrefix(c.Text, n), c.Text.substr(0, c.Bounds[n]));
    EXPECT_EQ(CodePointPrefix(c.Text, 100), c.Text);
    EXPECT_EQ(SanitizeUtf8(c.Text), c.Sanitized);
    EXPECT_EQ(CodePointCount(c.Sanitized), CodePointCount(c.Text));
  }
}

TEST(Utf8CodePoints, PositionsOutsideOrInsideACodePoint) {
  const std::string euro = "\xE2\x82\xAC";
  EXPECT_EQ(NextCodePoint(euro, 3), 3u);
  EXPECT_EQ(NextCodePoint(euro, 99), 3u);
  EXPECT_EQ(PrevCodePoint(euro, 99), 0u);
  EXPECT_EQ(PrevCodePoint(euro, 0), 0u);
  EXPECT_EQ(PrevCodePoint(euro, 2), 0u);  // inside: back to the start of its code point
  EXPECT_EQ(PrevCodePoint("ab" + euro, 4), 2u);
}
