#include <gtest/gtest.h>

#include "IconTestPictures.h"
#include "data/NV_ResizeBitmap.h"

namespace {

using icontest::Halves;
using icontest::kBlue;
using icontest::kRed;

TEST(ResizeBitmap, SizesFollowTheLongerSide) {
  const struct {
    int SourceW, SourceH, W, H;
    bool KeepAspect;
    int ExpectW, ExpectH;
  } cases[] = {
      {40, 30, 10, 50, false, 10, 50},      // stretched, aspect ignored
      {440, 200, 220, 195, true, 220, 100},  // wide: the width decides
      {100, 200, 50, 80, true, 40, 80},      // tall: the height decides
      {100, 100, 50, 30, true, 30, 30},      // square counts as tall
      {200, 100, 100, 10, true, 100, 50},    // the other side may exceed the request
      {1000, 2, 100, 50, true, 100, 20},     // a computed height of 0 becomes 20
      {2, 1000, 50, 100, true, 20, 100},     // a computed width of 0 becomes 20
      {500, 5, 100, 50, true, 100, 20},      // exactly 1 becomes 20 too
      {500, 10, 100, 50, true, 100, 2},      // 2 is kept
      {10, 1000, 0, 50, false, 0, 0},        // a side of 0 asked for: nothing
  };
  for (const auto& c : cases) {
    gfx::TBitmap32 target = icontest::Solid(3, 3, kRed);
    const bool made = data::ResizeBitmap(Halves(c.SourceW, c.SourceH), target, c.W, c.KeepAspect, c.H);
    const std::string label = std::to_string(c.SourceW) + "x" + std::to_string(c.SourceH) + " -> " +
                              std::to_string(c.W) + "x" + std::to_string(c.H);
    EXPECT_EQ(target.Width(), c.ExpectW) << label;
    EXPECT_EQ(target.Height(), c.ExpectH) << label;
    EXPECT_EQ(made, c.ExpectW > 0) << label;
  }
}

TEST(ResizeBitmap, TheSameSizeIsAnExactCopy) {
  gfx::TBitmap32 source = Halves(9, 7);
  source.SetPixel(4, 3, icontest::kGreen);
  gfx::TBitmap32 target;
  ASSERT_TRUE(data::ResizeBitmap(source, target, 9, true, 7));
  ASSERT_EQ(target.Width(), 9);
  ASSERT_EQ(target.Height(), 7);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 9; ++x) EXPECT_EQ(target.Pixel(x, y), source.Pixel(x, y)) << x << "," << y;
}

TEST(ResizeBitmap, ThePictureIsScaledNotCut) {
  gfx::TBitmap32 target;
  ASSERT_TRUE(data::ResizeBitmap(Halves(200, 100), target, 50, true, 50));
  ASSERT_EQ(target.Width(), 50);
  ASSERT_EQ(target.Height(), 25);
  EXPECT_EQ(target.Pixel(2, 12), kRed);
  EXPECT_EQ(target.Pixel(47, 12), kBlue);  // the right half was not cut away
}

TEST(ResizeBitmap, AnEmptySourceGivesNothing) {
  gfx::TBitmap32 target = icontest::Solid(4, 4, kRed);
  EXPECT_FALSE(data::ResizeBitmap(gfx::TBitmap32(), target, 16, true, 16));
  EXPECT_TRUE(target.Empty());
}

}  // namespace
