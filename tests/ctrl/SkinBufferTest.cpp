#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <thread>
#include <unistd.h>

#include "ctrl/NV_SkinBuffer.h"
#include "gfx/Draw.h"
#include "gfx/PngCodec.h"
#include "gfx/Text.h"
#include "platform/UiLoop.h"
#include "platform/headless/HeadlessBackend.h"

using namespace ctrl;
using config::TResizeMode;
using config::TResizeParams;
using gfx::TBitmap32;
using gfx::TColor32;

namespace {

constexpr TColor32 kCorner = 0xFF102030, kEdge = 0xFF405060, kCentre = 0xFF708090;

// A 30 x 30 picture with 10-pixel margins: corners, edges and centre in their own colour.
TBitmap32 NineSlice() {
  TBitmap32 b(30, 30);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x) {
      const bool edgeX = x < 10 || x >= 20, edgeY = y < 10 || y >= 20;
      b.SetPixel(x, y, edgeX && edgeY ? kCorner : edgeX || edgeY ? kEdge : kCentre);
    }
  return b;
}

TResizeParams Params(TResizeMode mode, int margin = 0, int offset = 0) {
  TResizeParams p;
  p.ResizeType = mode;
  p.MarginLeft = p.MarginTop = p.MarginRight = p.MarginBottom = margin;
  p.OffsetLeft = p.OffsetTop = p.OffsetRight = p.OffsetBottom = offset;
  return p;
}

// The bounds of the pixels that differ from Background.
gfx::TRect Ink(const TBitmap32& b, TColor32 background = 0) {
  gfx::TRect r{b.Width(), b.Height(), 0, 0};
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      if (b.Pixel(x, y) != background) {
        r.Left = std::min(r.Left, x);
        r.Top = std::min(r.Top, y);
        r.Right = std::max(r.Right, x + 1);
        r.Bottom = std::max(r.Bottom, y + 1);
      }
  return r;
}

}  // namespace

TEST(SkinBuffer, NineSliceKeepsCornersAndStretchesTheRest) {
  TSkinBuffer skin;
  skin.LoadImage("Back", NineSlice(), Params(TResizeMode::rmFull, 10));
  TBitmap32 canvas(100, 50);
  skin.DrawImage("Back", canvas, 0, 0, 100, 50, false);
  // Corners unscaled: exactly 10 pixels of corner colour, then edge.
  for (auto [x, y] : {std::pair{0, 0}, {9, 9}, {90, 0}, {99, 49}, {0, 40}})
    EXPECT_EQ(canvas.Pixel(x, y), kCorner) << x << "," << y;
  for (auto [x, y] : {std::pair{10, 0}, {89, 9}, {0, 10}, {9, 39}, {50, 45}})
    EXPECT_EQ(canvas.Pixel(x, y), kEdge) << x << "," << y;
  EXPECT_EQ(canvas.Pixel(50, 25), kCentre);
  // Smaller than its margins allow: built at 21 x 21.
  skin.DrawImage("Back", canvas, 0, 0, 15, 15, false);
  EXPECT_EQ(skin.GetImageData("Back")->IMD_Dest.Width(), 21);
  EXPECT_EQ(skin.GetImageData("Back")->IMD_Dest.Height(), 21);
}

TEST(SkinBuffer, DrawOffsetsReachBeyondTheRectangle) {
  TSkinBuffer skin;
  TBitmap32 red(4, 4);
  red.Clear(0xFFFF0000);
  skin.LoadImage("Glow", red, Params(TResizeMode::rmStretch, 0, 3));
  TBitmap32 canvas(130, 50);
  skin.DrawImage("Glow", canvas, gfx::Bounds(10, 10, 100, 20), true);
  EXPECT_EQ(Ink(canvas), gfx::Rect(7, 7, 113, 33));
}

TEST(SkinBuffer, StretchPropCentresTheRendition) {
  TSkinBuffer skin;
  TBitmap32 wide(200, 100);
  wide.Clear(0xFF00FF00);
  skin.LoadImage("Pic", wide, Params(TResizeMode::rmStretchProp));
  TBitmap32 canvas(50, 50);
  skin.DrawImage("Pic", canvas, gfx::Bounds(0, 0, 50, 50), false, true);
  EXPECT_EQ(Ink(canvas), gfx::Rect(0, 12, 50, 37));
}

TEST(SkinBuffer, ThreeSliceModesLeaveTheRestTransparent) {
  TSkinBuffer skin;
  skin.LoadImage("H", NineSlice(), Params(TResizeMode::rmHorizontal, 10));
  skin.LoadImage("V", NineSlice(), Params(TResizeMode::rmVertical, 10));
  TBitmap32 across(80, 60), down(60, 80);
  skin.DrawImage("H", across, 0, 0, 80, 60, true);
  skin.DrawImage("V", down, 0, 0, 60, 80, true);
  EXPECT_EQ(Ink(across), gfx::Rect(0, 0, 80, 30));  // rows below the picture stay transparent
  EXPECT_EQ(Ink(down), gfx::Rect(0, 0, 30, 80));
  EXPECT_EQ(across.Pixel(5, 5), kCorner);
  EXPECT_EQ(across.Pixel(75, 5), kCorner);
  EXPECT_EQ(across.Pixel(40, 15), kCentre);
}

TEST(SkinBuffer, MarginsLargerThanThePictureStayInside) {
  TSkinBuffer skin;
  skin.LoadImage("Odd", NineSlice(), Params(TResizeMode::rmFull, 40));  // wider than the picture
  TBitmap32 canvas(20, 20);
  skin.DrawImage("Odd", canvas, -5, -5, 30, 30, true);  // must not touch memory outside either bitmap
  EXPECT_EQ(skin.GetImageData("Odd")->IMD_Dest.Width(), 81);
}

TEST(SkinBuffer, RenditionBuiltOnceForRepeatedDrawsOfOneSize) {
  TSkinBuffer skin;
  skin.LoadImage("Back", NineSlice(), Params(TResizeMode::rmFull, 10));
  TBitmap32 canvas(60, 60);
  skin.DrawImage("Back", canvas, 0, 0, 40, 40, false);
  TImageData* data = skin.GetImageData("Back");
  const TColor32* built = data->IMD_Dest.Bits();
  data->IMD_Dest.SetPixel(20, 20, 0xFFABCDEF);  // a mark that a rebuild would wipe
  skin.DrawImage("Back", canvas, 0, 0, 40, 40, false);
  EXPECT_EQ(data->IMD_Dest.Bits(), built);
  EXPECT_EQ(canvas.Pixel(20, 20), 0xFFABCDEFu);
  // Also for a request below the minimum size, whose rendition is larger than asked.
  skin.DrawImage("Back", canvas, 0, 0, 15, 15, false);
  data->IMD_Dest.SetPixel(12, 12, 0xFF123456);
  skin.DrawImage("Back", canvas, 0, 0, 15, 15, false);
  EXPECT_EQ(canvas.Pixel(12, 12), 0xFF123456u);
  skin.ResetImageSize();
  skin.DrawImage("Back", canvas, 0, 0, 15, 15, false);
  EXPECT_EQ(canvas.Pixel(12, 12), kCorner);  // rebuilt: the mark is gone
}

// A draw into an empty or negative size draws nothing, and the rendition it had stays.
TEST(SkinBuffer, DrawsNothingIntoAnEmptySizeAndKeepsTheRendition) {
  TSkinBuffer skin;
  skin.LoadImage("Back", NineSlice(), Params(TResizeMode::rmFull, 10, 2));
  TBitmap32 canvas(60, 60);
  skin.DrawImage("Back", canvas, 5, 5, 40, 40, false);
  const TColor32* built = skin.GetImageData("Back")->IMD_Dest.Bits();
  for (const gfx::TRect& empty : {gfx::Bounds(5, 5, 0, 40), gfx::Bounds(5, 5, 40, 0), gfx::Bounds(5, 5, -3, 40),
                                  gfx::Bounds(5, 5, 40, -1)}) {
    canvas.Clear();
    skin.DrawImage("Back", canvas, empty, false);
    skin.DrawImage("Back", canvas, empty, false, true);
    EXPECT_EQ(Ink(canvas), gfx::Rect(60, 60, 0, 0)) << empty.Width() << " x " << empty.Height();
  }
  EXPECT_EQ(skin.GetImageData("Back")->IMD_Dest.Bits(), built);
  EXPECT_EQ(skin.GetImageData("Back")->IMD_SKIN_W, 44);  // the 40 x 40 request with its offsets
}

class SkinFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    Folder = std::filesystem::temp_directory_path() / ("norvo-skin-" + std::to_string(::getpid()));
    std::filesystem::create_directories(Folder / "Data");
    TBitmap32 blue(6, 4);
    blue.Clear(0xFF0000FF);
    ASSERT_TRUE(gfx::SavePngFile(blue, (Folder / "Data" / "unknown.png").string()));
    ASSERT_TRUE(gfx::SavePngFile(blue, (Folder / "Data" / "photo.jpg").string()));
  }
  void TearDown() override { std::filesystem::remove_all(Folder); }
  std::filesystem::path Folder;
};

TEST_F(SkinFiles, LoadsPngFilesOnlyAndFindsNamesWithoutRegardToCase) {
  TSkinBuffer skin;
  EXPECT_EQ(skin.LoadImage("Missing", (Folder / "Data" / "none.png").string()), -1);
  EXPECT_EQ(skin.ImageCount(), 0);  // a missing file creates nothing
  EXPECT_EQ(skin.LoadImage("Icon", (Folder / "Data" / "Unknown.png").string()), 0);
  TImageData* icon = skin.GetImageData("Icon");
  ASSERT_NE(icon, nullptr);
  EXPECT_FALSE(icon->IMD_LOADING);
  EXPECT_EQ(icon->IMD_Source.Width(), 6);
  // Another extension leaves the entry loading: it never draws.
  EXPECT_EQ(skin.LoadImage("Photo", (Folder / "Data" / "photo.jpg").string()), 1);
  EXPECT_TRUE(skin.GetImageData("Photo")->IMD_LOADING);
  TBitmap32 canvas(10, 10);
  skin.DrawImage("Photo", canvas, 0, 0, 10, 10, false);
  EXPECT_EQ(Ink(canvas), gfx::Rect(10, 10, 0, 0));
}

TEST(SkinBufferFonts, FirstEntryOfAnIdentifierWins) {
  TSkinBuffer skin;
  skin.LoadFont("Item", "Name(Carlito), Size(12), Color($0000FF), Bold(1)");
  skin.LoadFont("Item", "Size(30)");
  EXPECT_EQ(skin.FontCount(), 2);
  EXPECT_EQ(skin.Font("Item").Size, 12);
  EXPECT_TRUE(skin.Font("Item").Bold);
  EXPECT_EQ(skin.Font("Item").Color, 0x0000FF);
  EXPECT_EQ(skin.Font(1).Size, 30);
  TBitmap32 canvas(4, 4);
  EXPECT_TRUE(skin.AssignFont("Item", canvas));
  EXPECT_EQ(canvas.Font().Name, "Carlito");
  EXPECT_FALSE(skin.AssignFont("None", canvas));
}

TEST(SkinBufferText, WrapsByCharactersAndArrangesOnlyOnChange) {
  TSkinBuffer skin;
  TBitmap32 canvas(200, 100);
  canvas.Font() = gfx::TFont32{"DejaVu Sans Mono", 12, 0, false, false};
  const int three = gfx::TextWidth(canvas.Font(), "abc");
  ASSERT_EQ(three, 3 * gfx::TextWidth(canvas.Font(), "a")) << "a fixed-advance font is needed";
  const gfx::TRect rect = gfx::Bounds(0, 0, three, 100);
  skin.TextOut("T", {"abcdefgh"}, {}, rect, canvas);
  TTextData* text = skin.FindText("T");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->tdLines, (std::vector<std::string>{"abc", "def", "gh"}));
  EXPECT_GT(text->tdLineHeight, 0);
  text->tdLines = {"kept"};  // a second call with the same texts and rectangle keeps them
  skin.TextOut("T", {"abcdefgh"}, {}, rect, canvas);
  EXPECT_EQ(text->tdLines, std::vector<std::string>{"kept"});
  skin.TextOut("T", {"abcd"}, {}, rect, canvas);
  EXPECT_EQ(text->tdLines, (std::vector<std::string>{"abc", "d"}));
  // A rectangle narrower than one character still puts one character on every line.
  skin.TextOut("T", {"xyz"}, {}, gfx::Bounds(0, 0, 0, 100), canvas);
  EXPECT_EQ(text->tdLines, (std::vector<std::string>{"x", "y", "z"}));
  // Multi-byte characters are never cut.
  skin.TextOut("T", {"äöüß"}, {}, gfx::Bounds(0, 0, 2 * gfx::TextWidth(canvas.Font(), "a"), 100), canvas);
  EXPECT_EQ(text->tdLines, (std::vector<std::string>{"äö", "üß"}));
}

TEST(SkinBufferText, DrawsOnlyLinesThatFitUnlessFullDraw) {
  TSkinBuffer skin;
  TBitmap32 canvas(100, 200);
  canvas.Font() = gfx::TFont32{"DejaVu Sans Mono", 12, 0, false, false};
  const int w = gfx::TextWidth(canvas.Font(), "ab");
  skin.TextOut("T", {"abcdefgh"}, {}, gfx::Bounds(0, 0, w, 1), canvas);  // measures the line height
  const int lh = skin.FindText("T")->tdLineHeight;
  ASSERT_GT(lh, 0);
  canvas.Clear();
  const gfx::TRect twoAndAHalf = gfx::Bounds(0, 0, w, lh * 5 / 2);
  skin.TextOut("T", {"abcdefgh"}, {}, twoAndAHalf, canvas);
  EXPECT_LE(Ink(canvas).Bottom, 2 * lh);  // lines 1 and 2 only
  EXPECT_EQ(skin.FindText("T")->VisibleLines(twoAndAHalf), 1);
  canvas.Clear();
  skin.TextOut("T", {"abcdefgh"}, {true, false}, twoAndAHalf, canvas);
  EXPECT_GT(Ink(canvas).Bottom, 3 * lh);  // all four lines, also below the rectangle
  // No lines at all: centring and counting never divide by zero.
  skin.TextOut("E", {""}, {false, true}, twoAndAHalf, canvas);
  EXPECT_EQ(skin.FindText("E")->VisibleLines(twoAndAHalf), -1);
}

// The theme pattern: pictures and fonts are made on a worker and published on the interface
// thread while it paints.
TEST(SkinBufferThreads, PicturesMadeOnAWorkerArePublishedWhileTheInterfacePaints) {
  platform::headless::THeadlessBackend backend;
  TSkinBuffer skin;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    for (int i = 0; i < 200; ++i) {
      TLoadedImage image;
      image.Params = Params(TResizeMode::rmFull, 10);
      image.Decoded = true;
      image.Picture = NineSlice();
      gfx::TFont32 font;
      font.Size = 9 + i % 3;
      platform::Post([&skin, i, image = std::move(image), font]() mutable {
        skin.PutImage("Back" + std::to_string(i % 7), std::move(image));
        skin.PutFont("F" + std::to_string(i % 5), font);
      });
    }
    platform::Post([&] { done = true; });
  });
  TBitmap32 canvas(64, 64);
  for (int draws = 0; !done || draws < 50; ++draws) {
    backend.Loop.RunUntilIdle();
    for (int i = 0; i < 7; ++i) skin.DrawImage("Back" + std::to_string(i), canvas, 0, 0, 40 + draws % 3, 40, true);
    (void)skin.Font("F1").Size;
  }
  worker.join();
  skin.DrawImage("Back3", canvas, 0, 0, 40, 40, false);
  EXPECT_EQ(canvas.Pixel(0, 0), kCorner);
  EXPECT_EQ(skin.ImageCount(), 7);
  EXPECT_EQ(skin.FontCount(), 200);
}

// Publishing from a worker while the interface thread runs is a programming error that debug
// builds stop at once.
TEST(SkinBufferThreadsDeathTest, PublishingOffTheInterfaceThreadIsStopped) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        platform::headless::THeadlessBackend backend;
        TSkinBuffer skin;
        std::thread worker([&] { skin.PutFont("F", gfx::TFont32{}); });
        worker.join();
      },
      "interface thread");
}
