#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "IconFixtures.h"
#include "gfx/IcoCodec.h"
#include "gfx/PngCodec.h"

using namespace gfx;
using namespace fixtures;

namespace {

std::vector<TColor32> PixelsOf(const TBitmap32& b) {
  return std::vector<TColor32>(b.Bits(), b.Bits() + size_t(b.Width()) * size_t(b.Height()));
}

// Success with premultiplied pixels, or failure with an empty bitmap and a reason.
void ExpectCoherent(const TPictureResult& result, const TBitmap32& bitmap) {
  if (!result) {
    EXPECT_TRUE(bitmap.Empty()) << result.Message;
    EXPECT_FALSE(result.Message.empty());
    return;
  }
  ASSERT_FALSE(bitmap.Empty());
  for (TColor32 c : PixelsOf(bitmap))
    ASSERT_TRUE(RedOf(c) <= AlphaOf(c) && GreenOf(c) <= AlphaOf(c) && BlueOf(c) <= AlphaOf(c));
}

TEST(IcoCodecTest, ChoosesTheSmallestCoveringEntryElseTheLargestThenTheDeepest) {
  const struct {
    const char* Name;
    std::vector<TIconEntry> Entries;
    int WantWidth, WantHeight;
    int Expected;
  } cases[] = {
      {"exact", {{16, 16, 32}, {32, 32, 32}, {48, 48, 32}}, 32, 32, 1},
      {"next larger", {{256, 256, 32}, {16, 16, 32}, {48, 48, 32}}, 32, 32, 2},
      {"only smaller ones", {{16, 16, 32}, {24, 24, 8}, {20, 20, 32}}, 64, 64, 1},
      {"must cover both ways", {{64, 16, 32}, {32, 32, 4}}, 20, 20, 1},
      {"deepest of one size", {{32, 32, 8}, {32, 32, 32}, {32, 32, 4}}, 32, 32, 1},
      {"deepest of the largest", {{8, 8, 32}, {16, 16, 4}, {16, 16, 8}}, 64, 64, 2},
      {"first of equals", {{32, 32, 8}, {32, 32, 8}}, 16, 16, 0},
      {"no request: the largest", {{16, 16, 32}, {256, 256, 8}, {48, 48, 32}}, 0, 0, 1},
      {"single", {{16, 16, 1}}, 300, 300, 0},
      {"none", {}, 16, 16, -1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ChooseIconEntry(c.Entries, c.WantWidth, c.WantHeight), c.Expected) << c.Name;

  // 0 stands for 256; without a bit count the colour count gives the depth.
  const TIconEntry big = IconEntryOf(0, 0, 0, 32);
  EXPECT_EQ(big.Width, 256);
  EXPECT_EQ(big.Height, 256);
  EXPECT_EQ(IconEntryOf(16, 16, 16, 0).Depth, 4);
  EXPECT_EQ(IconEntryOf(16, 16, 2, 0).Depth, 1);
  EXPECT_EQ(IconEntryOf(16, 16, 0, 0).Depth, 8);
}

TEST(IcoCodecTest, DecodesTheImageThatFitsTheRequest) {
  const TIcoImage png256 = PngIconImage(256, 256);
  const TIcoImage deep32 = PatternIconImage(32, 32, 32);
  const std::vector<uint8_t> file = WriteIco({PatternIconImage(16, 16, 4),
                                              PatternIconImage(32, 32, 8), deep32, png256});
  ASSERT_EQ(file[IcoEntryAt(3)], 0);  // 256 is stored as 0
  const struct {
    int Want;
    const TIcoImage* Image;  // null: only the size is checked
    int Side;
  } cases[] = {{16, nullptr, 16}, {20, &deep32, 32}, {32, &deep32, 32},
               {100, &png256, 256}, {1000, &png256, 256}, {0, &png256, 256}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Want);
    TBitmap32 bitmap;
    const TPictureResult result = DecodeIco(file.data(), file.size(), c.Want, c.Want, bitmap);
    ASSERT_TRUE(result) << result.Message;
    EXPECT_EQ(bitmap.Width(), c.Side);
    EXPECT_EQ(bitmap.Height(), c.Side);
    if (!c.Image) continue;
    TBitmap32 alone;
    ASSERT_TRUE(DecodeIconImage(c.Image->Bytes.data(), c.Image->Bytes.size(), alone));
    EXPECT_EQ(PixelsOf(bitmap), PixelsOf(alone));
  }
}

TEST(IcoCodecTest, APngEntryDecodesAsThePngItIs) {
  const TIcoImage png = PngIconImage(7, 5);
  const std::vector<uint8_t> file = WriteIco({png});
  TBitmap32 fromIcon, fromPng;
  ASSERT_TRUE(DecodeIco(file.data(), file.size(), 16, 16, fromIcon));
  ASSERT_TRUE(DecodePng(png.Bytes.data(), png.Bytes.size(), fromPng));
  EXPECT_EQ(fromIcon.Width(), 7);
  EXPECT_EQ(PixelsOf(fromIcon), PixelsOf(fromPng));
  EXPECT_NE(fromIcon.Pixel(1, 1), fromIcon.Pixel(2, 1));  // not a blank picture
}

struct TDibCase {
  const char* Name;
  TBmpRecipe Recipe;
  std::vector<uint8_t> Mask;  // top row first, 1 = transparent
  std::vector<TColor32> Expected;
};

std::vector<TDibCase> DibCases() {
  const TColor32 a = Color32(0x10, 0x20, 0x30), b = Color32(0xF0, 0xE0, 0xD0),
                 c = Color32(0, 255, 0), d = Color32(0, 0, 255);
  const std::vector<uint32_t> palette = {0x102030, 0xF0E0D0, 0x00FF00, 0x0000FF};
  std::vector<uint32_t> palette256(256, 0xFFFFFF);
  palette256[200] = 0x102030;
  palette256[7] = 0x0000FF;
  return {
      // Nine pixels a row cross a byte in both the colours and the mask.
      {"1-bit",
       {9, 2, 40, 1, 0, {}, {0x102030, 0xF0E0D0}, {0, 1, 1, 0, 1, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0}},
       {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0},
       {a, b, b, a, b, a, a, b, 0, 0, b, b, b, b, b, b, b, a}},
      {"4-bit",
       {3, 2, 40, 4, 0, {}, palette, {3, 0, 1, 2, 2, 0}},
       {0, 1, 0, 0, 0, 1},
       {d, 0, b, c, c, 0}},
      {"8-bit", {2, 2, 40, 8, 0, {}, palette256, {200, 7, 7, 200}}, {1, 0, 0, 0}, {0, d, d, a}},
      {"24-bit",
       {3, 1, 40, 24, 0, {}, {}, {0x123456, 0xFF0000, 0x00FF00}},
       {0, 0, 1},
       {Color32(0x12, 0x34, 0x56), 0xFFFF0000, 0}},
      // Alpha in the pixels: the mask says otherwise and is ignored.
      {"32-bit with alpha",
       {3, 1, 40, 32, 0, {}, {}, {0x80FF0000, 0xFF00FF00, 0x00FFFFFF}},
       {1, 1, 0},
       {0x80800000, 0xFF00FF00, 0}},
      // No alpha anywhere: the mask decides.
      {"32-bit without alpha",
       {3, 1, 40, 32, 0, {}, {}, {0x00FF0000, 0x0000FF00, 0x00FFFFFF}},
       {1, 0, 0},
       {0, 0xFF00FF00, clWhite32}},
  };
}

TEST(IcoCodecTest, DecodesEveryBitmapDepthWithItsMask) {
  for (const TDibCase& c : DibCases()) {
    SCOPED_TRACE(c.Name);
    const std::vector<uint8_t> file =
        WriteIco({{c.Recipe.Width, c.Recipe.Height, c.Recipe.BitCount,
                   WriteIconBitmap(c.Recipe, c.Mask)}});
    TBitmap32 bitmap;
    const TPictureResult result = DecodeIco(file.data(), file.size(), 16, 16, bitmap);
    ASSERT_TRUE(result) << result.Message;
    EXPECT_EQ(bitmap.Width(), c.Recipe.Width);
    EXPECT_EQ(bitmap.Height(), c.Recipe.Height);
    EXPECT_EQ(PixelsOf(bitmap), c.Expected);
  }
}

// The directory lies, or the image does; each is refused with its own error.
TEST(IcoCodecTest, RefusesLyingDirectoriesAndImagesWithTheRightError) {
  const TIcoImage image = PatternIconImage(4, 4, 8);
  const std::vector<uint8_t> good = WriteIco({image, PatternIconImage(8, 8, 24)});
  auto patched = [&](size_t at, std::vector<uint8_t> bytes) {
    std::vector<uint8_t> file = good;
    std::copy(bytes.begin(), bytes.end(), file.begin() + std::ptrdiff_t(at));
    return file;
  };
  const size_t second = IcoEntryAt(1);
  // The header of an icon bitmap (height doubled for the mask) without a single pixel.
  auto bitmapOf = [](int width, int height, int bits) {
    std::vector<uint8_t> dib = WriteBmp({width, height, 40, bits});
    dib.erase(dib.begin(), dib.begin() + 14);
    return dib;
  };
  const std::vector<uint8_t> hugeDib = bitmapOf(30000, 60000, 32);
  const std::vector<uint8_t> hugePng = PngHeaderOnly(30000, 30000);
  std::vector<uint8_t> oneRow = bitmapOf(4, 1, 24);  // height 1: no row above the mask
  const struct {
    const char* Name;
    std::vector<uint8_t> File;
    TPictureError Expected;
  } cases[] = {
      {"empty", {}, TPictureError::peTruncated},
      {"a BMP", WriteBmp({}), TPictureError::peUnsupported},
      {"a cursor", patched(2, {2}), TPictureError::peUnsupported},
      {"reserved field set", patched(0, {1}), TPictureError::peUnsupported},
      {"no images", patched(4, {0, 0}), TPictureError::peCorrupt},
      {"more entries than the file holds", patched(4, {0xFF, 0xFF}), TPictureError::peTruncated},
      {"size past the end", patched(second + 8, {0, 0, 1, 0}), TPictureError::peTruncated},
      {"offset past the end", patched(second + 12, {0, 0, 1, 0}), TPictureError::peTruncated},
      {"offset and size wrap around",
       patched(second + 8, {0x20, 0, 0, 0, 0xF0, 0xFF, 0xFF, 0xFF}), TPictureError::peTruncated},
      {"data inside the directory", patched(second + 12, {6, 0, 0, 0}), TPictureError::peCorrupt},
      {"no data", patched(second + 8, {0, 0, 0, 0}), TPictureError::peCorrupt},
      {"bitmap of 30000 x 30000", WriteIco({{0, 0, 32, hugeDib}}), TPictureError::peTooLarge},
      {"PNG of 30000 x 30000", WriteIco({{0, 0, 32, hugePng}}), TPictureError::peTooLarge},
      {"bitmap of one row", WriteIco({{4, 1, 24, oneRow}}), TPictureError::peCorrupt},
      {"bitmap without its mask",
       WriteIco({{4, 4, 8, std::vector<uint8_t>(image.Bytes.begin(), image.Bytes.end() - 16)}}),
       TPictureError::peTruncated},
  };
  for (const auto& c : cases) {
    TBitmap32 bitmap(3, 3);
    const TPictureResult result = DecodeIco(c.File.data(), c.File.size(), 4, 4, bitmap);
    EXPECT_EQ(result.Error, c.Expected) << c.Name << ": " << result.Message;
    EXPECT_TRUE(bitmap.Empty()) << c.Name;
  }

  // The budget is checked before the pixels are looked for: 8 x 8 beyond a budget of 63 pixels
  // is too large, not cut short, although almost all of its data is missing.
  const std::vector<uint8_t> cut = WriteIco({{8, 8, 24, bitmapOf(8, 16, 24)}});
  TBitmap32 bitmap;
  EXPECT_EQ(DecodeIco(cut.data(), cut.size(), 8, 8, bitmap, {63}).Error, TPictureError::peTooLarge);
  EXPECT_EQ(DecodeIco(cut.data(), cut.size(), 8, 8, bitmap, {64}).Error, TPictureError::peTruncated);
  const std::vector<uint8_t> whole = WriteIco({PatternIconImage(8, 8, 24)});
  EXPECT_TRUE(DecodeIco(whole.data(), whole.size(), 8, 8, bitmap, {64}));
  // The directory's own claim is held to the budget too.
  std::vector<uint8_t> claimsMore = whole;
  claimsMore[IcoEntryAt(0)] = 16;
  EXPECT_EQ(DecodeIco(claimsMore.data(), claimsMore.size(), 8, 8, bitmap, {64}).Error,
            TPictureError::peTooLarge);
  EXPECT_TRUE(bitmap.Empty());
}

// Every entry is checked whichever is chosen, so any cut in any place fails as a cut.
TEST(IcoCodecTest, EveryPrefixOfAFileIsRefusedAsCutShort) {
  const std::vector<uint8_t> file =
      WriteIco({PatternIconImage(9, 3, 1), PngIconImage(4, 4), PatternIconImage(5, 5, 32)});
  TBitmap32 full;
  ASSERT_TRUE(DecodeIco(file.data(), file.size(), 4, 4, full));
  for (size_t length = 0; length < file.size(); ++length) {
    TBitmap32 bitmap(2, 2);
    const TPictureResult result = DecodeIco(file.data(), length, 4, 4, bitmap);
    ASSERT_EQ(result.Error, TPictureError::peTruncated) << length << ": " << result.Message;
    ASSERT_TRUE(bitmap.Empty()) << length;
  }
}

TEST(IcoCodecTest, EverySingleBitFlipDecodesOrFailsCleanly) {
  for (const TNamedFile& seed : IcoSeedFiles()) {
    if (seed.Bytes.size() > 2000) continue;  // the small ones cover every header field
    SCOPED_TRACE(seed.Name);
    int failures = 0;
    for (size_t at = 0; at < seed.Bytes.size(); ++at)
      for (int bit = 0; bit < 8; ++bit) {
        std::vector<uint8_t> file = seed.Bytes;
        file[at] ^= uint8_t(1 << bit);
        TBitmap32 bitmap;
        const TPictureResult result = DecodeIco(file.data(), file.size(), 16, 16, bitmap, {4096});
        ExpectCoherent(result, bitmap);
        if (result) {
          EXPECT_LE(int64_t{bitmap.Width()} * bitmap.Height(), 4096);
        }
        failures += !result;
      }
    EXPECT_GT(failures, 0);  // the header fields do matter
  }
}

}  // namespace
