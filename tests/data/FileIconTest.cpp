#include <gtest/gtest.h>

#include <memory>

#include "IconTestPictures.h"
#include "data/NV_FileIcon.h"
#include "data/NV_IconCache.h"

namespace {

using data::TFileIcon;
using data::TIconCache;
using gfx::TBitmap32;
using icontest::Halves;
using icontest::kBackground;
using icontest::kBlue;
using icontest::kRed;

class FileIconTest : public testing::Test {
 protected:
  // A handle on Key for item "item", its repaints counted.
  std::unique_ptr<TFileIcon> Icon(const std::string& key, const std::string& owner = "item") {
    auto icon = std::make_unique<TFileIcon>("General", Cache.FindOrInsert(key, owner));
    icon->OnRepaint = [this] { ++Repaints; };
    return icon;
  }
  void Publish(const std::string& key, TBitmap32 picture) {
    ASSERT_TRUE(Cache.Publish(*Cache.Find(key), std::move(picture)));
  }
  // Draws twice, as two paints would: the first builds the copy, the second shows it.
  void DrawTwice(TFileIcon& icon, const gfx::TRect& rect, int w, int h) {
    icon.Draw(Canvas, rect, w, h);
    icon.Draw(Canvas, rect, w, h);
  }
  // A Halves picture of W x H shows with its top-left corner at (Left, Top): every corner
  // pixel has its half's colour and its neighbours outside the picture are background. Pixels
  // beyond the canvas are not looked at.
  void ExpectHalvesAt(int left, int top, int w, int h) const {
    const int right = left + w - 1, bottom = top + h - 1;
    const struct {
      int X, Y, OutX, OutY;
      gfx::TColor32 Color;
    } corners[] = {{left, top, -1, -1, kRed}, {right, top, 1, -1, kBlue},
                   {left, bottom, -1, 1, kRed}, {right, bottom, 1, 1, kBlue}};
    auto expect = [&](int x, int y, gfx::TColor32 color) {
      if (x >= 0 && y >= 0 && x < Canvas.Width() && y < Canvas.Height()) {
        EXPECT_EQ(Canvas.Pixel(x, y), color) << "at " << x << "," << y;
      }
    };
    for (const auto& c : corners) {
      expect(c.X, c.Y, c.Color);
      expect(c.X + c.OutX, c.Y, kBackground);
      expect(c.X, c.Y + c.OutY, kBackground);
    }
  }
  bool CanvasUntouched() const {
    for (int y = 0; y < Canvas.Height(); ++y)
      for (int x = 0; x < Canvas.Width(); ++x)
        if (Canvas.Pixel(x, y) != kBackground) return false;
    return true;
  }

  TIconCache Cache{64 * TIconCache::kMiB};
  TBitmap32 Canvas = icontest::Solid(400, 400, kBackground);
  int Repaints = 0;
};

TEST_F(FileIconTest, ASmallerPictureIsUsedUnscaledAndCentred) {
  auto icon = Icon("/pics/a.png");
  Publish("/pics/a.png", Halves(200, 100));
  const gfx::TRect rect = gfx::Rect(10, 20, 266, 276);  // 256 x 256

  icon->Draw(Canvas, rect, 256, 256);  // builds the copy and asks for a repaint
  EXPECT_TRUE(CanvasUntouched());
  EXPECT_EQ(Repaints, 1);
  EXPECT_EQ(icon->fiRect, rect);
  EXPECT_EQ(icon->fiWidth, 256);
  EXPECT_EQ(icon->fiHeight, 256);
  ASSERT_TRUE(icon->fiReady);
  EXPECT_EQ(icon->fiDest.Width(), 200);
  EXPECT_EQ(icon->fiDest.Height(), 100);
  EXPECT_TRUE(icon->fiBufferIcon.Empty());

  icon->Draw(Canvas, rect, 256, 256);
  EXPECT_EQ(Repaints, 1);  // the copy is kept
  ExpectHalvesAt(38, 98, 200, 100);  // left 10 + (256 - 200) / 2, top 20 + (256 - 100) / 2

  // The position form puts the copy's corner at the point.
  Canvas.Clear(kBackground);
  icon->Draw(Canvas, 5, 6, 256, 256);
  ExpectHalvesAt(5, 6, 200, 100);
}

// The centring divides truncating toward zero and takes an empty rectangle as 1 x 1.
TEST_F(FileIconTest, CentringInARectangleSmallerThanTheCopy) {
  auto icon = Icon("/pics/a.png");
  Publish("/pics/a.png", Halves(200, 100));
  DrawTwice(*icon, gfx::Rect(50, 50, 50, 50), 256, 256);
  ExpectHalvesAt(50 + (1 - 200) / 2, 50 + (1 - 100) / 2, 200, 100);  // at -49, 1
  EXPECT_EQ(Canvas.Pixel(150, 1), kBlue);  // rounding down would end the copy at 149
  EXPECT_EQ(Canvas.Pixel(151, 1), kBackground);
}

TEST_F(FileIconTest, AWidePictureShrinksInProportion) {
  auto icon = Icon("/pics/wide.png");
  Publish("/pics/wide.png", Halves(440, 200));
  DrawTwice(*icon, gfx::Rect(0, 0, 220, 195), 220, 195);
  EXPECT_EQ(icon->fiDest.Width(), 220);
  EXPECT_EQ(icon->fiDest.Height(), 100);
  ExpectHalvesAt(0, 47, 220, 100);  // centred down by (195 - 100) / 2
}

TEST_F(FileIconTest, ANewSizeBuildsANewCopy) {
  auto icon = Icon("/pics/a.png");
  Publish("/pics/a.png", Halves(200, 100));
  DrawTwice(*icon, gfx::Rect(0, 0, 256, 256), 256, 256);
  DrawTwice(*icon, gfx::Rect(0, 0, 50, 50), 50, 50);
  EXPECT_EQ(Repaints, 2);
  EXPECT_EQ(icon->fiDest.Width(), 50);
  EXPECT_EQ(icon->fiDest.Height(), 25);
}

TEST_F(FileIconTest, AFailedScalingStillEndsReady) {
  auto icon = Icon("/pics/a.png");
  Publish("/pics/a.png", Halves(200, 100));
  icon->Draw(Canvas, 0, 0, 0, 50);  // no picture can be 0 wide
  EXPECT_TRUE(icon->fiReady);
  EXPECT_TRUE(icon->fiIconReady);
  EXPECT_FALSE(icon->fiResizing);
  EXPECT_FALSE(icon->fiNeedResize);
  EXPECT_TRUE(icon->fiDest.Empty());
  EXPECT_TRUE(icon->fiBufferIcon.Empty());
  EXPECT_EQ(Repaints, 1);
  icon->Draw(Canvas, 0, 0, 0, 50);  // not tried again for the same size
  EXPECT_EQ(Repaints, 1);
  EXPECT_TRUE(CanvasUntouched());
}

TEST_F(FileIconTest, NothingIsDrawnWhileLoadingOrFailed) {
  auto loading = Icon("/pics/slow.png");
  auto failed = Icon("/pics/broken.png");
  Cache.PublishFailed(*Cache.Find("/pics/broken.png"));
  for (TFileIcon* icon : {loading.get(), failed.get()}) {
    DrawTwice(*icon, gfx::Rect(0, 0, 64, 64), 64, 64);
    icon->Draw(Canvas, 0, 0, 64, 64);
    EXPECT_EQ(icon->fiWidth, 0);
    EXPECT_FALSE(icon->fiReady);
  }
  EXPECT_EQ(Repaints, 0);
  EXPECT_TRUE(CanvasUntouched());

  // Once the picture is there, the waiting handle shows it.
  Publish("/pics/slow.png", icontest::Solid(32, 32, kRed));
  DrawTwice(*loading, gfx::Rect(0, 0, 64, 64), 64, 64);
  EXPECT_EQ(Canvas.Pixel(16, 16), kRed);
}

TEST_F(FileIconTest, AResetDropsTheCopyOnce) {
  auto icon = Icon("/pics/a.png");
  Publish("/pics/a.png", Halves(200, 100));
  const gfx::TRect rect = gfx::Rect(0, 0, 200, 100);
  DrawTwice(*icon, rect, 256, 256);
  ASSERT_EQ(Repaints, 1);
  EXPECT_FALSE(icon->fiDoneReset);

  icon->Reset();
  EXPECT_TRUE(icon->fiDest.Empty());
  EXPECT_EQ(icon->fiWidth, 0);
  EXPECT_EQ(icon->fiHeight, 0);
  EXPECT_FALSE(icon->fiReady);
  EXPECT_TRUE(icon->fiDoneReset);

  Canvas.Clear(kBackground);
  icon->Draw(Canvas, rect, 256, 256);  // builds the copy again, draws nothing
  EXPECT_TRUE(CanvasUntouched());
  EXPECT_EQ(Repaints, 2);
  DrawTwice(*icon, rect, 256, 256);
  EXPECT_EQ(Repaints, 2);  // built once only
  EXPECT_EQ(Canvas.Pixel(0, 0), kRed);

  icon->Reset();
  EXPECT_TRUE(icon->fiDoneReset);  // never cleared
}

// A picture published again (a reload, a better thumbnail) replaces the copy.
TEST_F(FileIconTest, ANewPictureReplacesTheCopy) {
  auto icon = Icon("/pics/a.png");
  Publish("/pics/a.png", icontest::Solid(40, 40, kRed));
  DrawTwice(*icon, gfx::Rect(0, 0, 40, 40), 40, 40);
  ASSERT_EQ(Canvas.Pixel(20, 20), kRed);
  Publish("/pics/a.png", icontest::Solid(40, 40, kBlue));
  DrawTwice(*icon, gfx::Rect(0, 0, 40, 40), 40, 40);
  EXPECT_EQ(Canvas.Pixel(20, 20), kBlue);
  EXPECT_EQ(Repaints, 2);
}

TEST_F(FileIconTest, DestroyedHandlesReleaseTheirSource) {
  auto first = Icon("/pics/a.png", "item1");
  auto second = Icon("/pics/a.png", "item2");
  EXPECT_EQ(first->fiSourceData, second->fiSourceData);
  Publish("/pics/a.png", Halves(20, 10));
  first.reset();
  ASSERT_NE(Cache.Find("/pics/a.png"), nullptr);
  EXPECT_EQ(Cache.Find("/pics/a.png")->OwnerCount(), 1);
  DrawTwice(*second, gfx::Rect(0, 0, 20, 10), 20, 10);
  EXPECT_EQ(Canvas.Pixel(0, 0), kRed);  // the remaining handle still shows it

  std::weak_ptr<data::TSourceData> source = second->fiSourceData;
  second->DeleteCache();
  EXPECT_TRUE(second->fiDeleting);
  EXPECT_EQ(second->fiSourceData, nullptr);
  EXPECT_EQ(Cache.Find("/pics/a.png"), nullptr);
  EXPECT_TRUE(source.expired());
  EXPECT_EQ(Cache.PictureBytes(), 0);
  Canvas.Clear(kBackground);
  DrawTwice(*second, gfx::Rect(0, 0, 20, 10), 20, 10);
  EXPECT_TRUE(CanvasUntouched());
}

}  // namespace
