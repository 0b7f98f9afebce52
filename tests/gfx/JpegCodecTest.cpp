#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "PictureFixtures.h"
#include "gfx/JpegCodec.h"

using namespace gfx;
using namespace fixtures;

namespace {

// The largest difference of any channel between the bitmap's pixels and one colour.
int DistanceFrom(const TBitmap32& bitmap, TColor32 colour) {
  int worst = 0;
  for (int y = 0; y < bitmap.Height(); ++y)
    for (int x = 0; x < bitmap.Width(); ++x) {
      const TColor32 p = bitmap.Pixel(x, y);
      if (AlphaOf(p) != 255) return 255;
      worst =
          std::max({worst, std::abs(RedOf(p) - RedOf(colour)),
                    std::abs(GreenOf(p) - GreenOf(colour)), std::abs(BlueOf(p) - BlueOf(colour))});
    }
  return worst;
}

std::vector<uint8_t> SolidJpeg(int w, int h, TJpegKind kind, std::vector<uint8_t> pixel,
                               bool progressive = false) {
  return WriteJpeg({w, h, kind, progressive, 95, SolidSamples(w, h, std::move(pixel))});
}

TEST(JpegCodecTest, ReadsTheDeclaredSizeOfBaselineAndProgressiveFiles) {
  for (bool progressive : {false, true}) {
    const std::vector<uint8_t> file = WriteJpeg({37, 23, TJpegKind::jkColour, progressive});
    int w = 0, h = 0;
    ASSERT_TRUE(ReadJpegSize(file.data(), file.size(), w, h));
    EXPECT_EQ(w, 37);
    EXPECT_EQ(h, 23);
  }
  // A hand-made header beyond the budget: its size is read, then decoding is refused.
  const std::vector<uint8_t> huge = JpegHeaderOnly(65000, 65000);
  int w = 0, h = 0;
  ASSERT_TRUE(ReadJpegSize(huge.data(), huge.size(), w, h));
  EXPECT_EQ(w, 65000);
  TBitmap32 bitmap(2, 2);
  const TPictureResult result = DecodeJpeg(huge.data(), huge.size(), bitmap);
  EXPECT_EQ(result.Error, TPictureError::peTooLarge) << result.Message;
  EXPECT_TRUE(bitmap.Empty());
}

// libjpeg rounds scaled sizes up, so odd sizes keep a partial pixel.
TEST(JpegCodecTest, ScaledDecodesHaveTheRoundedUpSize) {
  const struct {
    int W, H;
    bool Progressive;
  } sizes[] = {{101, 37, false}, {16, 16, false}, {17, 9, true}, {1, 1, false}};
  for (const auto& s : sizes) {
    const std::vector<uint8_t> file = WriteJpeg({s.W, s.H, TJpegKind::jkColour, s.Progressive});
    for (int denom : {1, 2, 4, 8}) {
      SCOPED_TRACE(testing::Message() << s.W << "x" << s.H << " / " << denom);
      TBitmap32 bitmap;
      const TPictureResult result = DecodeJpeg(file.data(), file.size(), bitmap, denom);
      ASSERT_TRUE(result) << result.Message;
      EXPECT_EQ(bitmap.Width(), (s.W + denom - 1) / denom);
      EXPECT_EQ(bitmap.Height(), (s.H + denom - 1) / denom);
    }
  }
  const std::vector<uint8_t> file = WriteJpeg({8, 8});
  TBitmap32 bitmap;
  EXPECT_EQ(DecodeJpeg(file.data(), file.size(), bitmap, 3).Error, TPictureError::peUnsupported);
}

TEST(JpegCodecTest, EveryColourSpaceGivesTheColourWritten) {
  const struct {
    const char* Name;
    TJpegKind Kind;
    std::vector<uint8_t> Stored;
    TColor32 Expected;
  } cases[] = {
      {"rgb", TJpegKind::jkColour, {200, 100, 50}, Color32(200, 100, 50)},
      {"grey", TJpegKind::jkGrey, {128}, Color32(128, 128, 128)},
      // Inverted inks: cyan is no cyan ink missing, everything else missing.
      {"adobe cyan", TJpegKind::jkCmykAdobe, {0, 255, 255, 255}, Color32(0, 255, 255)},
      {"adobe red, half black", TJpegKind::jkCmykAdobe, {255, 0, 0, 128}, Color32(128, 0, 0)},
      {"ycck cyan", TJpegKind::jkYcckAdobe, {0, 255, 255, 255}, Color32(0, 255, 255)},
      {"ycck blue", TJpegKind::jkYcckAdobe, {0, 0, 255, 255}, Color32(0, 0, 255)},
      {"plain cyan", TJpegKind::jkCmykPlain, {255, 0, 0, 0}, Color32(0, 255, 255)},
      {"plain black", TJpegKind::jkCmykPlain, {0, 0, 0, 255}, Color32(0, 0, 0)},
  };
  for (const auto& c : cases) {
    for (bool progressive : {false, true}) {
      SCOPED_TRACE(testing::Message() << c.Name << (progressive ? " progressive" : ""));
      const std::vector<uint8_t> file = SolidJpeg(24, 16, c.Kind, c.Stored, progressive);
      TBitmap32 bitmap;
      const TPictureResult result = DecodeJpeg(file.data(), file.size(), bitmap);
      ASSERT_TRUE(result) << result.Message;
      ASSERT_EQ(bitmap.Width(), 24);
      EXPECT_LE(DistanceFrom(bitmap, c.Expected), 6);
    }
  }
}

TEST(JpegCodecTest, ProgressiveAndBaselineFilesDecodeAlike) {
  const std::vector<uint8_t> baseline = WriteJpeg({40, 30, TJpegKind::jkColour, false});
  const std::vector<uint8_t> progressive = WriteJpeg({40, 30, TJpegKind::jkColour, true});
  TBitmap32 a, b;
  ASSERT_TRUE(DecodeJpeg(baseline.data(), baseline.size(), a));
  ASSERT_TRUE(DecodeJpeg(progressive.data(), progressive.size(), b));
  ASSERT_EQ(b.Width(), 40);
  ASSERT_EQ(b.Height(), 30);
  int worst = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      const TColor32 p = a.Pixel(x, y), q = b.Pixel(x, y);
      for (int shift : {0, 8, 16, 24})
        worst = std::max(worst, std::abs(int(p >> shift & 0xFF) - int(q >> shift & 0xFF)));
    }
  EXPECT_LE(worst, 2);
  // The pattern is a gradient, not a flat colour: the decoder really placed the pixels.
  EXPECT_GT(RedOf(a.Pixel(39, 0)), RedOf(a.Pixel(0, 0)) + 200);
  EXPECT_GT(GreenOf(a.Pixel(0, 29)), GreenOf(a.Pixel(0, 0)) + 200);
}

TEST(JpegCodecTest, RefusesDamagedAndOversizedData) {
  const std::vector<uint8_t> file = WriteJpeg({64, 64, TJpegKind::jkColour});
  TBitmap32 bitmap(5, 5);
  const TPictureResult cut = DecodeJpeg(file.data(), file.size() * 3 / 4, bitmap);
  EXPECT_EQ(cut.Error, TPictureError::peTruncated) << cut.Message;
  EXPECT_TRUE(bitmap.Empty());

  // Many files lack just their end marker; the picture is whole without it.
  EXPECT_TRUE(DecodeJpeg(file.data(), file.size() - 2, bitmap));
  const std::vector<uint8_t> progressive = WriteJpeg({64, 64, TJpegKind::jkColour, true});
  EXPECT_TRUE(DecodeJpeg(progressive.data(), progressive.size() - 2, bitmap));
  EXPECT_EQ(DecodeJpeg(progressive.data(), progressive.size() - 40, bitmap).Error,
            TPictureError::peTruncated);

  EXPECT_EQ(DecodeJpeg(file.data(), file.size(), bitmap, 1, {64 * 64 - 1}).Error,
            TPictureError::peTooLarge);
  EXPECT_TRUE(DecodeJpeg(file.data(), file.size(), bitmap, 1, {64 * 64}));

  // Headers without tables or image data.
  const std::vector<uint8_t> bare = JpegHeaderOnly(16, 16);
  EXPECT_EQ(DecodeJpeg(bare.data(), bare.size(), bitmap).Error, TPictureError::peCorrupt);
  EXPECT_TRUE(bitmap.Empty());
  const uint8_t notJpeg[] = {0xFF, 0xD9, 0xFF, 0x00};
  EXPECT_EQ(DecodeJpeg(notJpeg, sizeof notJpeg, bitmap).Error, TPictureError::peUnsupported);
}

// Each repeated refinement scan costs a pass over the whole picture for no gain in quality.
TEST(JpegCodecTest, RefusesAFileOfEndlessScans) {
  const std::vector<uint8_t> file = WriteJpeg({32, 32, TJpegKind::jkColour, true});
  ASSERT_EQ(file[file.size() - 2], 0xFF);
  ASSERT_EQ(file.back(), 0xD9);
  // Entropy-coded data stuffs every 0xFF with a zero, so FF DA is always a scan header.
  size_t lastScan = 0;
  for (size_t i = 0; i + 1 < file.size(); ++i)
    if (file[i] == 0xFF && file[i + 1] == 0xDA) lastScan = i;
  ASSERT_GT(lastScan, 0u);
  auto repeated = [&](int times) {
    std::vector<uint8_t> out(file.begin(), file.end() - 2);
    for (int i = 0; i < times; ++i) out.insert(out.end(), file.begin() + lastScan, file.end() - 2);
    out.insert(out.end(), {0xFF, 0xD9});
    return out;
  };
  TBitmap32 bitmap;
  const std::vector<uint8_t> some = repeated(50), endless = repeated(600);
  EXPECT_TRUE(DecodeJpeg(some.data(), some.size(), bitmap));
  const TPictureResult result = DecodeJpeg(endless.data(), endless.size(), bitmap);
  EXPECT_EQ(result.Error, TPictureError::peCorrupt) << result.Message;
  EXPECT_TRUE(bitmap.Empty());
}

TEST(JpegCodecTest, ThumbnailScaleIsTheCheapestThatStillCoversTheBox) {
  const struct {
    int W, H, BoxW, BoxH, Expected;
  } cases[] = {
      {4000, 3000, 256, 256, 8},                             // 500 x 375 covers 256 x 192
      {4000, 3000, 600, 600, 4},                             // 600 x 450 needs 1000 x 750
      {4000, 3000, 1024, 1024, 2},                           // 1024 x 768: 1000 is too narrow
      {4000, 1000, 256, 256, 8},                             // a panorama fits as 256 x 64
      {3000, 4000, 256, 256, 8},   {300, 200, 256, 256, 1},  // 256 x 171 needs all 300 columns
      {100, 80, 256, 256, 1},                                // small pictures keep their size
      {2047, 9, 256, 256, 8},                                // 256 x 1 from 256 x 2
  };
  for (const auto& c : cases)
    EXPECT_EQ(JpegScaleForBox(c.W, c.H, c.BoxW, c.BoxH), c.Expected)
        << c.W << "x" << c.H << " into " << c.BoxW << "x" << c.BoxH;
}

TEST(JpegCodecTest, ThumbnailsFitTheBoxAndNeverEnlarge) {
  const struct {
    int W, H, BoxW, BoxH, ExpectW, ExpectH;
  } cases[] = {
      {800, 600, 256, 256, 256, 192},  // decoded at 1/2, then resampled
      {800, 600, 100, 100, 100, 75},   // 1/8 gives the exact size
      {600, 800, 100, 100, 75, 100},  {40, 30, 256, 256, 40, 30}, {300, 20, 64, 64, 64, 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.W << "x" << c.H << " into " << c.BoxW << "x" << c.BoxH);
    const std::vector<uint8_t> file = SolidJpeg(c.W, c.H, TJpegKind::jkColour, {30, 160, 220});
    TBitmap32 thumb;
    const TPictureResult result = LoadScaledJpeg(file.data(), file.size(), c.BoxW, c.BoxH, thumb);
    ASSERT_TRUE(result) << result.Message;
    EXPECT_EQ(thumb.Width(), c.ExpectW);
    EXPECT_EQ(thumb.Height(), c.ExpectH);
    EXPECT_LE(DistanceFrom(thumb, Color32(30, 160, 220)), 6);
  }
  const std::vector<uint8_t> file = WriteJpeg({8, 8});
  TBitmap32 thumb(1, 1);
  EXPECT_EQ(LoadScaledJpeg(file.data(), file.size(), 0, 10, thumb).Error,
            TPictureError::peUnsupported);
  EXPECT_TRUE(thumb.Empty());
}

TEST(JpegCodecTest, ThumbnailsLoadFromFiles) {
  TScratchFolder folder;
  const std::vector<uint8_t> file = SolidJpeg(320, 240, TJpegKind::jkGrey, {90});
  const std::string path = folder.File("photo.jpg");
  ASSERT_TRUE(WriteFileAtomically(path, file));
  TBitmap32 thumb;
  ASSERT_TRUE(LoadScaledJpeg(path, 64, 64, thumb));
  EXPECT_EQ(thumb.Width(), 64);
  EXPECT_EQ(thumb.Height(), 48);
  EXPECT_LE(DistanceFrom(thumb, Color32(90, 90, 90)), 6);
  EXPECT_EQ(LoadScaledJpeg(folder.File("none.jpg"), 64, 64, thumb).Error,
            TPictureError::peNotFound);
  EXPECT_TRUE(thumb.Empty());
}

}  // namespace
