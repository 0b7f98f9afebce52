#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PictureFixtures.h"
#include "gfx/PngCodec.h"

using namespace gfx;
using namespace fixtures;

namespace {

TColor32 Grey(uint8_t v) { return Color32(v, v, v); }

std::vector<TColor32> PixelsOf(const TBitmap32& b) {
  return std::vector<TColor32>(b.Bits(), b.Bits() + size_t(b.Width()) * size_t(b.Height()));
}

std::vector<uint16_t> Wide(std::vector<uint16_t> samples) {
  for (uint16_t& s : samples) s = uint16_t(s * 257);
  return samples;
}

struct TPngCase {
  const char* Name;
  TPngRecipe Recipe;  // four pixels in one row
  std::vector<TColor32> Expected;
};

std::vector<TPngCase> ColourCases() {
  using enum TPngColour;
  const std::vector<uint8_t> palette = {10, 20, 30, 200, 150, 100, 0, 0, 255, 255, 255, 0};
  std::vector<uint8_t> palette256;
  for (int i = 0; i < 256; ++i)
    palette256.insert(palette256.end(), {uint8_t(i), uint8_t(255 - i), 7});
  const std::vector<uint16_t> ga = {200, 128, 10, 255, 255, 0, 77, 1};
  const std::vector<TColor32> gaExpected = {Color32(200, 200, 200, 128), Grey(10), 0,
                                            Color32(77, 77, 77, 1)};
  const std::vector<uint16_t> rgb = {255, 0, 0, 0, 255, 0, 0, 0, 255, 18, 52, 86};
  const std::vector<TColor32> rgbExpected = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF123456};
  const std::vector<uint16_t> rgba = {255, 0, 0, 128, 0, 255, 0, 255, 1, 2, 3, 0, 200, 100, 50, 64};
  // Premultiplied: half-transparent red is $80800000.
  const std::vector<TColor32> rgbaExpected = {0x80800000, 0xFF00FF00, 0, Color32(200, 100, 50, 64)};
  return {
      {"grey1", {4, 1, pcGrey, 1, false, {0, 1, 1, 0}}, {Grey(0), Grey(255), Grey(255), Grey(0)}},
      {"grey2", {4, 1, pcGrey, 2, false, {0, 1, 2, 3}}, {Grey(0), Grey(85), Grey(170), Grey(255)}},
      {"grey4",
       {4, 1, pcGrey, 4, false, {0, 5, 10, 15}},
       {Grey(0), Grey(85), Grey(170), Grey(255)}},
      {"grey8",
       {4, 1, pcGrey, 8, false, {0, 0x12, 0x80, 0xFF}},
       {Grey(0), Grey(0x12), Grey(0x80), Grey(0xFF)}},
      // 16-bit samples are sRGB like 8-bit ones, not linear light.
      {"grey16",
       {4, 1, pcGrey, 16, false, Wide({0, 0x12, 0x80, 0xFF})},
       {Grey(0), Grey(0x12), Grey(0x80), Grey(0xFF)}},
      {"greyalpha8", {4, 1, pcGreyAlpha, 8, false, ga}, gaExpected},
      {"greyalpha16", {4, 1, pcGreyAlpha, 16, false, Wide(ga)}, gaExpected},
      {"rgb8", {4, 1, pcRgb, 8, false, rgb}, rgbExpected},
      {"rgb16", {4, 1, pcRgb, 16, false, Wide(rgb)}, rgbExpected},
      // One colour keyed out by tRNS.
      {"rgb8-trns",
       {4, 1, pcRgb, 8, false, rgb, {}, {18, 52, 86}},
       {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0}},
      {"grey4-trns",
       {4, 1, pcGrey, 4, false, {0, 5, 10, 15}, {}, {5}},
       {Grey(0), 0, Grey(170), Grey(255)}},
      {"rgba8", {4, 1, pcRgba, 8, false, rgba}, rgbaExpected},
      {"rgba16", {4, 1, pcRgba, 16, false, Wide(rgba)}, rgbaExpected},
      {"palette1",
       {4, 1, pcPalette, 1, false, {0, 1, 1, 0}, {10, 20, 30, 200, 150, 100}},
       {Color32(10, 20, 30), Color32(200, 150, 100), Color32(200, 150, 100), Color32(10, 20, 30)}},
      {"palette2",
       {4, 1, pcPalette, 2, false, {3, 2, 1, 0}, palette},
       {Color32(255, 255, 0), Color32(0, 0, 255), Color32(200, 150, 100), Color32(10, 20, 30)}},
      {"palette4",
       {4, 1, pcPalette, 4, false, {0, 2, 1, 3}, palette},
       {Color32(10, 20, 30), Color32(0, 0, 255), Color32(200, 150, 100), Color32(255, 255, 0)}},
      {"palette8",
       {4, 1, pcPalette, 8, false, {0, 99, 255, 150}, palette256},
       {Color32(0, 255, 7), Color32(99, 156, 7), Color32(255, 0, 7), Color32(150, 105, 7)}},
      // Entries past the end of tRNS are opaque.
      {"palette-trns",
       {4, 1, pcPalette, 8, false, {0, 1, 2, 3}, palette, {0, 128}},
       {0, Color32(200, 150, 100, 128), Color32(0, 0, 255), Color32(255, 255, 0)}},
  };
}

TEST(PngCodecTest, DecodesEveryColourTypeAndBitDepthExactly) {
  for (const TPngCase& c : ColourCases()) {
    SCOPED_TRACE(c.Name);
    const std::vector<uint8_t> file = WritePng(c.Recipe);
    ASSERT_FALSE(file.empty());
    TBitmap32 bitmap;
    const TPictureResult result = DecodePng(file.data(), file.size(), bitmap);
    ASSERT_TRUE(result) << result.Message;
    ASSERT_EQ(bitmap.Width(), 4);
    ASSERT_EQ(bitmap.Height(), 1);
    EXPECT_EQ(PixelsOf(bitmap), c.Expected);
  }
}

// Adam7 scatters the pixels over seven passes; each must land where it belongs.
TEST(PngCodecTest, InterlacedPicturesMatchTheirSamples) {
  for (TPngColour colour : {TPngColour::pcRgba, TPngColour::pcGrey}) {
    for (int depth : {8, 16}) {
      SCOPED_TRACE(testing::Message() << int(colour) << " at " << depth << " bits");
      TPngRecipe recipe{13, 11, colour, depth, true};
      const int channels = PngChannels(colour);
      for (int i = 0; i < 13 * 11 * channels; ++i) recipe.Samples.push_back(uint16_t(i * 37 % 256));
      if (depth == 16) recipe.Samples = Wide(recipe.Samples);
      const std::vector<uint8_t> file = WritePng(recipe);
      TBitmap32 bitmap;
      ASSERT_TRUE(DecodePng(file.data(), file.size(), bitmap));
      ASSERT_EQ(bitmap.Width(), 13);
      ASSERT_EQ(bitmap.Height(), 11);
      for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 13; ++x) {
          const size_t at = size_t(y * 13 + x) * size_t(channels);
          const auto s = [&](int c) {
            return uint8_t(recipe.Samples[at + size_t(c)] >> (depth - 8));
          };
          const TColor32 expected = channels == 1 ? Grey(s(0)) : Color32(s(0), s(1), s(2), s(3));
          ASSERT_EQ(bitmap.Pixel(x, y), expected) << x << "," << y;
        }
    }
  }
}

TEST(PngCodecTest, EncodeThenDecodeKeepsEveryPixel) {
  TBitmap32 source(7, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x)
      source.SetPixel(
          x, y,
          Color32(uint8_t(x * 40), uint8_t(y * 60), uint8_t(x * y * 9), uint8_t((x + y * 7) * 7)));
  TBitmap32 opaque(3, 2);
  opaque.Clear(Color32(1, 2, 3));
  for (const TBitmap32* bitmap : {&source, &opaque}) {
    const std::vector<uint8_t> file = EncodePng(*bitmap);
    ASSERT_GT(file.size(), 33u);
    // Colour type in IHDR: RGBA only when some pixel is not opaque.
    EXPECT_EQ(file[25], bitmap == &opaque ? 2 : 6);
    TBitmap32 decoded;
    ASSERT_TRUE(DecodePng(file.data(), file.size(), decoded));
    EXPECT_EQ(decoded.Width(), bitmap->Width());
    EXPECT_EQ(PixelsOf(decoded), PixelsOf(*bitmap));
  }
  EXPECT_TRUE(EncodePng(TBitmap32()).empty());
}

TEST(PngCodecTest, SaveWritesTheFileAtomically) {
  TScratchFolder folder;
  TBitmap32 bitmap(4, 3);
  bitmap.Clear(Color32(9, 99, 199, 200));
  const std::string path = folder.File("shot.png");
  ASSERT_TRUE(SavePngFile(bitmap, path));
  bitmap.Clear(Color32(50, 60, 70));
  ASSERT_TRUE(SavePngFile(bitmap, path));  // replaces the first
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"shot.png"});
  TBitmap32 loaded;
  ASSERT_TRUE(LoadPictureFile(path, loaded));
  EXPECT_EQ(PixelsOf(loaded), PixelsOf(bitmap));

  EXPECT_EQ(SavePngFile(bitmap, folder.File("missing/shot.png")).Error,
            TPictureError::peWriteFailed);
  EXPECT_EQ(SavePngFile(TBitmap32(), folder.File("empty.png")).Error, TPictureError::peWriteFailed);
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"shot.png"});
}

TEST(PngCodecTest, RefusesADeclaredSizeBeyondTheBudget) {
  const std::vector<uint8_t> huge = PngHeaderOnly(100000, 100000);
  TBitmap32 bitmap(2, 2);
  const TPictureResult result = DecodePng(huge.data(), huge.size(), bitmap);
  EXPECT_EQ(result.Error, TPictureError::peTooLarge) << result.Message;
  EXPECT_TRUE(bitmap.Empty());
  // The same header with a small size passes the check and fails for want of data.
  const std::vector<uint8_t> small = PngHeaderOnly(4, 4);
  EXPECT_EQ(DecodePng(small.data(), small.size(), bitmap).Error, TPictureError::peCorrupt);

  const std::vector<uint8_t> file =
      WritePng({8, 8, TPngColour::pcGrey, 8, false, std::vector<uint16_t>(64, 7)});
  EXPECT_EQ(DecodePng(file.data(), file.size(), bitmap, {63}).Error, TPictureError::peTooLarge);
  EXPECT_TRUE(DecodePng(file.data(), file.size(), bitmap, {64}));
}

TEST(PngCodecTest, ReportsTruncatedAndCorruptData) {
  const std::vector<uint8_t> file =
      WritePng({16, 16, TPngColour::pcRgb, 8, false, std::vector<uint16_t>(16 * 16 * 3, 99)});
  // The first chunk after IHDR holds the image data.
  const size_t idat = 8 + 25;
  ASSERT_EQ(std::string(file.begin() + idat + 4, file.begin() + idat + 8), "IDAT");
  TBitmap32 bitmap(3, 3);
  const TPictureResult cut = DecodePng(file.data(), idat + 12, bitmap);
  EXPECT_EQ(cut.Error, TPictureError::peTruncated) << cut.Message;
  EXPECT_TRUE(bitmap.Empty());

  std::vector<uint8_t> damaged = file;
  damaged[idat + 10] ^= 0x40;  // breaks the chunk's checksum
  EXPECT_EQ(DecodePng(damaged.data(), damaged.size(), bitmap).Error, TPictureError::peCorrupt);

  const uint8_t text[] = "\x89PNG but not really";
  EXPECT_EQ(DecodePng(text, sizeof text, bitmap).Error, TPictureError::peUnsupported);
}

}  // namespace
