#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "gfx/Draw.h"

using namespace gfx;

namespace {

// A bitmap whose every pixel is distinct, so a misplaced pixel shows.
TBitmap32 Pattern(int w, int h, uint8_t alpha = 255) {
  TBitmap32 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.SetPixel(x, y, Color32(uint8_t(x * 7 + 1), uint8_t(y * 11 + 2), uint8_t(x ^ y), alpha));
  return b;
}

// Reference transfer, pixel by pixel with explicit bounds tests.
TBitmap32 NaiveTransfer(const TBitmap32& dest, int x, int y, const TBitmap32& src, TRect r,
                        bool blend) {
  TBitmap32 out = dest;
  for (int64_t sy = std::max(r.Top, 0); sy < std::min(r.Bottom, src.Height()); ++sy)
    for (int64_t sx = std::max(r.Left, 0); sx < std::min(r.Right, src.Width()); ++sx) {
      const int64_t dx = x + (sx - r.Left), dy = y + (sy - r.Top);
      if (sx < 0 || sy < 0 || sx >= src.Width() || sy >= src.Height()) continue;
      if (dx < 0 || dy < 0 || dx >= dest.Width() || dy >= dest.Height()) continue;
      const TColor32 s = src.Pixel(int(sx), int(sy));
      const TColor32 d = out.Pixel(int(dx), int(dy));
      out.SetPixel(int(dx), int(dy), blend ? BlendPixel(s, d) : s);
    }
  return out;
}

bool SamePixels(const TBitmap32& a, const TBitmap32& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (a.Pixel(x, y) != b.Pixel(x, y)) return false;
  return true;
}

}  // namespace

TEST(Bitmap32, SizeClearAndClippedPixelAccess) {
  TBitmap32 b(3, 2);
  EXPECT_EQ(b.Width(), 3);
  EXPECT_EQ(b.Stride(), 12);
  EXPECT_EQ(b.Pixel(0, 0), clTransparent32);
  b.Clear(clWhite32);
  EXPECT_EQ(b.Pixel(2, 1), clWhite32);
  b.SetPixel(-1, 0, 0);
  b.SetPixel(3, 0, 0);
  b.SetPixel(0, 2, 0);
  EXPECT_EQ(b.Pixel(-1, 0), clTransparent32);
  EXPECT_EQ(b.Pixel(3, 1), clTransparent32);
  b.SetSize(3, 2);  // unchanged size keeps the pixels
  EXPECT_EQ(b.Pixel(1, 1), clWhite32);
  b.SetSize(4, 2);  // a new size starts transparent
  EXPECT_EQ(b.Pixel(1, 1), clTransparent32);
  b.SetSize(-5, 7);
  EXPECT_TRUE(b.Empty());
  EXPECT_EQ(b.Width(), 0);
  EXPECT_EQ(b.Height(), 0);
}

TEST(Bitmap32, RefusesSizesBeyondTheLimitWithoutAllocating) {
  TBitmap32 b(2, 2);
  EXPECT_FALSE(b.SetSize(100000, 100000));
  EXPECT_TRUE(b.Empty());
  EXPECT_FALSE(b.SetSize(INT_MAX, INT_MAX));
  EXPECT_TRUE(b.Empty());
}

TEST(Bitmap32, SwapPixelsExchangesPictureButNotSettings) {
  TBitmap32 a(2, 2), b(5, 1);
  a.Clear(clBlack32);
  a.SetMasterAlpha(10);
  b.SetDrawMode(TDrawMode::dmBlend);
  a.SwapPixels(b);
  EXPECT_EQ(a.Width(), 5);
  EXPECT_EQ(b.Pixel(1, 1), clBlack32);
  EXPECT_EQ(a.MasterAlpha(), 10);
  EXPECT_EQ(b.DrawMode(), TDrawMode::dmBlend);
}

TEST(Colour, ConvertsSystemColoursAndPremultiplies) {
  EXPECT_EQ(Color32FromColor(0x0000FF), 0xFFFF0000u);  // $00BBGGRR: red in the lowest byte
  EXPECT_EQ(Color32FromColor(0xFF0000), 0xFF0000FFu);
  EXPECT_EQ(Color32FromColor(0x123456), 0xFF563412u);
  EXPECT_EQ(Color32(255, 0, 0, 128), 0x80800000u);
  EXPECT_EQ(Color32(255, 255, 255, 0), 0u);
  EXPECT_EQ(ColorFromColor32(Color32FromColor(0x123456)), 0x123456);
  EXPECT_NEAR(ColorFromColor32(Color32(200, 100, 50, 128)) & 0xFF, 200,
              1);  // premultiplying rounds
  EXPECT_EQ(Color32FromArgb(0xFF000000u), clBlack32);
}

TEST(Blend, ExactPixelValues) {
  struct Case {
    TColor32 src, dst;
    uint8_t master;
    TColor32 expected;
  } cases[] = {
      {0xFF102030, 0xFFFFFFFF, 255, 0xFF102030},               // opaque source replaces
      {0x00000000, 0xFF405060, 255, 0xFF405060},               // transparent source leaves
      {Color32(255, 0, 0, 128), 0xFF0000FF, 255, 0xFF80007F},  // half red over blue
      {0xFFFF0000, 0xFF0000FF, 128, 0xFF80007F},               // master alpha halves an opaque red
      {0xFFFF0000, 0xFF0000FF, 0, 0xFF0000FF},                 // master alpha 0 draws nothing
      {Color32(0, 0, 0, 128), 0x00000000, 255, 0x80000000},    // onto transparent keeps alpha
      {Color32(255, 255, 255, 64), 0x80000000, 255, 0xA0404040},
  };
  for (const Case& c : cases) {
    // Rows of 9 pixels run both the four-at-a-time path and the tail.
    std::vector<TColor32> src(9, c.src), dst(9, c.dst);
    BlendRow(dst.data(), src.data(), 9, c.master);
    for (TColor32 d : dst) EXPECT_EQ(d, c.expected) << std::hex << c.src << " over " << c.dst;
  }
}

TEST(Blend, VectorAndScalarPathsAgreeOnMixedRows) {
  std::vector<TColor32> src, dst;
  for (int i = 0; i < 257; ++i) {
    const uint8_t a = uint8_t(i * 37);
    src.push_back(i % 5 == 0   ? 0
                  : i % 7 == 0 ? 0xFF000000u | uint32_t(i)
                               : Color32(uint8_t(i), uint8_t(255 - i), 9, a));
    dst.push_back(Color32(uint8_t(i * 3), 40, uint8_t(i), uint8_t(255 - i)));
  }
  // 13 = 8 + 4 + 1 pixels runs the eight-wide, the four-wide and the scalar step in one row.
  for (int count : {257, 13, 6})
    for (uint8_t master : {uint8_t(255), uint8_t(200), uint8_t(1)}) {
      std::vector<TColor32> fast = dst;
      BlendRow(fast.data(), src.data(), count, master);
      for (size_t i = 0; i < size_t(count); ++i) {
        std::vector<TColor32> one{dst[i]};
        const TColor32 s = src[i];
        BlendRow(one.data(), &s, 1, master);  // a single pixel always takes the scalar path
        EXPECT_EQ(fast[i], one[0]) << i;
      }
    }
}

TEST(Blend, BitmapDrawToUsesModeAndMasterAlpha) {
  TBitmap32 dest(4, 4), src(2, 2);
  dest.Clear(0xFF0000FF);
  src.Clear(Color32(255, 0, 0, 128));
  src.DrawTo(dest, 1, 1);  // opaque mode copies even translucent pixels
  EXPECT_EQ(dest.Pixel(1, 1), Color32(255, 0, 0, 128));
  dest.Clear(0xFF0000FF);
  src.SetDrawMode(TDrawMode::dmBlend);
  src.DrawTo(dest, 1, 1);
  EXPECT_EQ(dest.Pixel(2, 2), 0xFF80007Fu);
  EXPECT_EQ(dest.Pixel(0, 0), 0xFF0000FFu);
  EXPECT_EQ(dest.Pixel(3, 3), 0xFF0000FFu);
}

TEST(Clipping, CopyAndBlendTouchOnlyPixelsInsideBothBitmaps) {
  struct Case {
    int x, y;
    TRect src;
  } cases[] = {
      {0, 0, {0, 0, 6, 5}},
      {2, 1, {0, 0, 6, 5}},
      {-3, -2, {0, 0, 6, 5}},
      {5, 4, {0, 0, 6, 5}},
      {7, 0, {0, 0, 6, 5}},
      {0, 9, {0, 0, 6, 5}},
      {-6, 0, {0, 0, 6, 5}},
      {1, 1, {-2, -3, 4, 4}},
      {1, 1, {3, 2, 20, 20}},
      {0, 0, {4, 4, 2, 2}},
      {0, 0, {2, 2, 2, 9}},
      {-100, -100, {-100, -100, 100, 100}},
      {INT_MIN, INT_MIN, {0, 0, 6, 5}},
      {INT_MAX, INT_MAX, {0, 0, 6, 5}},
      {0, 0, {INT_MIN, INT_MIN, INT_MAX, INT_MAX}},
      {3, 3, {6, 5, 7, 6}},
  };
  const TBitmap32 src = Pattern(6, 5, 200);
  for (const Case& c : cases) {
    for (bool blend : {false, true}) {
      TBitmap32 dest = Pattern(7, 9);
      const TBitmap32 expected = NaiveTransfer(dest, c.x, c.y, src, c.src, blend);
      if (blend)
        BlendRect(dest, c.x, c.y, src, c.src);
      else
        CopyRect(dest, c.x, c.y, src, c.src);
      EXPECT_TRUE(SamePixels(dest, expected)) << c.x << "," << c.y << " blend=" << blend;
    }
  }
}

TEST(Clipping, BlendOntoItselfUsesTheOriginalPixels) {
  TBitmap32 b = Pattern(6, 6, 128);
  const TBitmap32 expected = NaiveTransfer(b, 1, 1, TBitmap32(b), b.BoundsRect(), true);
  BlendRect(b, 1, 1, b, b.BoundsRect());
  EXPECT_TRUE(SamePixels(b, expected));
}

TEST(Clipping, FillsAndFramesStayInside) {
  TBitmap32 b(5, 4);
  FillRect(b, {-10, -10, 2, 2}, clBlack32);
  FillRect(b, {3, 3, 2, 2}, clWhite32);  // inverted: nothing
  FillRectBlend(b, {4, 0, 100, 1}, Color32(255, 255, 255, 128));
  EXPECT_EQ(b.Pixel(0, 0), clBlack32);
  EXPECT_EQ(b.Pixel(1, 1), clBlack32);
  EXPECT_EQ(b.Pixel(2, 2), clTransparent32);
  EXPECT_EQ(b.Pixel(4, 0), Color32(255, 255, 255, 128));
  TBitmap32 f(5, 4);
  FrameRect(f, {0, 0, 5, 4}, clBlack32);
  int inked = 0;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) inked += f.Pixel(x, y) == clBlack32;
  EXPECT_EQ(inked, 14);  // the border of a 5 x 4 rectangle, each pixel once
  EXPECT_EQ(f.Pixel(2, 1), clTransparent32);
  FrameRect(f, {-3, -3, INT_MAX, INT_MAX}, clWhite32);  // only its inside edges are visible
  EXPECT_EQ(f.Pixel(2, 1), clTransparent32);
}

TEST(Lines, BothEndsAndClippedFarEnds) {
  TBitmap32 b(10, 10);
  Line(b, 1, 1, 8, 1, clBlack32);
  for (int x = 1; x <= 8; ++x) EXPECT_EQ(b.Pixel(x, 1), clBlack32);
  EXPECT_EQ(b.Pixel(0, 1), clTransparent32);
  EXPECT_EQ(b.Pixel(9, 1), clTransparent32);
  b.Clear();
  Line(b, 0, 0, 9, 9, clBlack32);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(b.Pixel(i, i), clBlack32);
  b.Clear();
  Line(b, -1000000000, 5, 1000000000, 5, clBlack32);  // costs only the visible pixels
  for (int x = 0; x < 10; ++x) EXPECT_EQ(b.Pixel(x, 5), clBlack32);
  b.Clear();
  Line(b, INT_MIN, INT_MIN, INT_MAX, INT_MAX, clBlack32);
  EXPECT_EQ(b.Pixel(4, 4), clBlack32);
  b.Clear();
  Line(b, -50, -1, 50, -1, clBlack32);  // wholly outside
  for (int x = 0; x < 10; ++x) EXPECT_EQ(b.Pixel(x, 0), clTransparent32);
}

TEST(Stretch, SizesAndUniformColourSurvive) {
  struct Case {
    int sw, sh, dw, dh;
  } cases[] = {{10, 10, 10, 10},     {10, 10, 3, 3},   {10, 10, 37, 21}, {1, 1, 50, 7},
               {640, 480, 256, 192}, {7, 300, 300, 7}, {3, 3, 1, 1}};
  for (const Case& c : cases) {
    TBitmap32 src(c.sw, c.sh);
    src.Clear(Color32(200, 100, 50, 160));
    const TBitmap32 out = Resampled(src, c.dw, c.dh);
    ASSERT_EQ(out.Width(), c.dw);
    ASSERT_EQ(out.Height(), c.dh);
    for (int y = 0; y < c.dh; ++y)
      for (int x = 0; x < c.dw; ++x)
        ASSERT_EQ(out.Pixel(x, y), src.Pixel(0, 0)) << c.sw << "->" << c.dw;
  }
  EXPECT_TRUE(Resampled(TBitmap32(4, 4), 0, 5).Empty());
  EXPECT_TRUE(Resampled(TBitmap32(), 5, 5).Empty());
}

TEST(Stretch, ShrinkAveragesBoxesAndEnlargeInterpolates) {
  TBitmap32 src(4, 1);
  src.SetPixel(0, 0, 0xFF000000);
  src.SetPixel(1, 0, 0xFFFFFFFF);
  src.SetPixel(2, 0, 0xFF000000);
  src.SetPixel(3, 0, 0xFF000000);
  const TBitmap32 half = Resampled(src, 2, 1);
  EXPECT_EQ(half.Pixel(0, 0), 0xFF808080u);  // mean of black and white
  EXPECT_EQ(half.Pixel(1, 0), 0xFF000000u);
  TBitmap32 two(2, 1);
  two.SetPixel(0, 0, 0xFF000000);
  two.SetPixel(1, 0, 0xFFFFFFFF);
  const TBitmap32 wide = Resampled(two, 8, 1);
  EXPECT_EQ(wide.Pixel(0, 0), 0xFF000000u);  // ends keep the edge pixels
  EXPECT_EQ(wide.Pixel(7, 0), 0xFFFFFFFFu);
  for (int x = 1; x < 8; ++x) EXPECT_GE(BlueOf(wide.Pixel(x, 0)), BlueOf(wide.Pixel(x - 1, 0)));
}

TEST(Stretch, KeepsPremultipliedPixelsValid) {
  const TBitmap32 src = Pattern(13, 9, 90);
  for (const TBitmap32& out : {Resampled(src, 5, 4), Resampled(src, 40, 31)})
    for (int y = 0; y < out.Height(); ++y)
      for (int x = 0; x < out.Width(); ++x) {
        const TColor32 p = out.Pixel(x, y);
        ASSERT_LE(RedOf(p), AlphaOf(p));
        ASSERT_LE(GreenOf(p), AlphaOf(p));
        ASSERT_LE(BlueOf(p), AlphaOf(p));
      }
}

TEST(Stretch, ClippedTargetShowsTheMatchingPartOfTheWhole) {
  const TBitmap32 src = Pattern(9, 7);
  struct Case {
    TRect dest;
  } cases[] = {{{-5, -3, 20, 12}}, {{3, 4, 30, 25}}, {{-40, -40, 5, 5}}, {{6, 6, 9, 9}}};
  for (const Case& c : cases) {
    // The same stretch into a canvas large enough to hold all of it, moved by 50.
    TBitmap32 whole(120, 120);
    StretchRect(whole, c.dest.Offset(50, 50), src, src.BoundsRect(), TDrawMode::dmOpaque);
    TBitmap32 clipped(8, 8);
    clipped.Clear(0x12345678);
    StretchRect(clipped, c.dest, src, src.BoundsRect(), TDrawMode::dmOpaque);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) {
        const bool inside = c.dest.Contains({x, y});
        EXPECT_EQ(clipped.Pixel(x, y), inside ? whole.Pixel(x + 50, y + 50) : 0x12345678u)
            << x << "," << y;
      }
  }
}

TEST(Stretch, DegenerateRectanglesDrawNothing) {
  const TBitmap32 src = Pattern(10, 10);
  const TRect sources[] = {{0, 0, 0, 10},
                           {5, 5, 3, 3},
                           {20, 20, 30, 30},
                           {-9, -9, -1, -1},
                           {INT_MIN, INT_MIN, INT_MAX, INT_MAX}};
  const TRect targets[] = {{0, 0, 8, 8},
                           {0, 0, -4, 8},
                           {100, 100, 200, 200},
                           {INT_MIN, INT_MIN, INT_MAX, INT_MAX},
                           {-20, -20, -10, -10}};
  for (const TRect& s : sources)
    for (const TRect& d : targets) {
      TBitmap32 dest(8, 8);
      StretchRect(dest, d, src, s, TDrawMode::dmBlend);  // must stay inside both bitmaps
      if (s.IsEmpty() || Intersect(s, src.BoundsRect()).IsEmpty() ||
          Intersect(d, dest.BoundsRect()).IsEmpty()) {
        for (int i = 0; i < 64; ++i) ASSERT_EQ(dest.Bits()[i], clTransparent32);
      }
    }
}
