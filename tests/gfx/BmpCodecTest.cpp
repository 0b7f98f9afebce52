#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "PictureFixtures.h"
#include "gfx/BmpCodec.h"

using namespace gfx;
using namespace fixtures;

namespace {

std::vector<TColor32> PixelsOf(const TBitmap32& b) {
  return std::vector<TColor32>(b.Bits(), b.Bits() + size_t(b.Width()) * size_t(b.Height()));
}

constexpr TColor32 kBlack = 0xFF000000;

struct TBmpCase {
  const char* Name;
  TBmpRecipe Recipe;  // Height positive; each case runs bottom-up and top-down
  std::vector<TColor32> Expected;
  bool BottomUpOnly = false;
};

std::vector<TBmpCase> DepthCases() {
  const std::vector<uint32_t> palette = {0x102030, 0xF0E0D0, 0x00FF00, 0x0000FF};
  const TColor32 p0 = Color32(0x10, 0x20, 0x30), p1 = Color32(0xF0, 0xE0, 0xD0),
                 p2 = Color32(0, 255, 0), p3 = Color32(0, 0, 255);
  std::vector<uint32_t> grey256;
  for (uint32_t i = 0; i < 256; ++i) grey256.push_back(i * 0x010101);
  return {
      // Nine pixels a row cross a byte boundary; rows are padded to four bytes.
      {"1-bit",
       {9, 2, 40, 1, 0, {}, palette, {0, 1, 1, 0, 1, 0, 0, 1, 1, /**/ 1, 1, 1, 1, 1, 1, 1, 1, 0}},
       {p0, p1, p1, p0, p1, p0, p0, p1, p1, p1, p1, p1, p1, p1, p1, p1, p1, p0}},
      {"2-bit",
       {5, 2, 40, 2, 0, {}, palette, {0, 1, 2, 3, 2, 3, 2, 1, 0, 0}},
       {p0, p1, p2, p3, p2, p3, p2, p1, p0, p0}},
      {"4-bit", {3, 2, 40, 4, 0, {}, palette, {3, 0, 1, 2, 2, 0}}, {p3, p0, p1, p2, p2, p0}},
      {"8-bit",
       {3, 2, 40, 8, 0, {}, grey256, {0, 0x7F, 0xFF, 0x12, 0x34, 0x56}},
       {Color32(0, 0, 0), Color32(0x7F, 0x7F, 0x7F), Color32(255, 255, 255),
        Color32(0x12, 0x12, 0x12), Color32(0x34, 0x34, 0x34), Color32(0x56, 0x56, 0x56)}},
      // Indices past the palette read as black.
      {"8-bit short palette",
       {3, 1, 40, 8, 0, {}, {0xFFFFFF, 0x808080}, {1, 5, 255}},
       {Color32(128, 128, 128), kBlack, kBlack}},
      {"16-bit 5-5-5",
       {3, 2, 40, 16, 0, {}, {}, {0x7C00, 0x03E0, 0x001F, 0x4210, 0x7FFF, 0x8000}},
       {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, Color32(132, 132, 132), clWhite32, kBlack}},
      {"16-bit 5-6-5",
       {3, 1, 40, 16, 3, {0xF800, 0x07E0, 0x001F, 0}, {}, {0xF800, 0x07E0, 0x8410}},
       {0xFFFF0000, 0xFF00FF00, Color32(132, 130, 132)}},
      {"16-bit 4-4-4-4 alpha, V4",
       {2, 1, 108, 16, 3, {0x0F00, 0x00F0, 0x000F, 0xF000}, {}, {0x8F00, 0xF0F0}},
       {Color32(255, 0, 0, 136), Color32(0, 255, 0)}},
      {"24-bit",
       {3, 2, 40, 24, 0, {}, {}, {0x123456, 0xFF0000, 0x00FF00, 0x0000FF, 0, 0xFFFFFF}},
       {Color32(0x12, 0x34, 0x56), 0xFFFF0000, 0xFF00FF00, 0xFF0000FF, kBlack, clWhite32}},
      // The fourth byte is left zero by many writers: opaque.
      {"32-bit, no alpha",
       {2, 1, 40, 32, 0, {}, {}, {0x00123456, 0x00FFFFFF}},
       {Color32(0x12, 0x34, 0x56), clWhite32}},
      {"32-bit with alpha",
       {3, 1, 40, 32, 0, {}, {}, {0x80FF0000, 0xFF00FF00, 0x00FFFFFF}},
       {0x80800000, 0xFF00FF00, 0}},
      {"32-bit alpha mask, V5",
       {2, 1, 124, 32, 3, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, {}, {0x40FFFFFF, 0x00123456}},
       {Color32(255, 255, 255, 0x40), 0}},
      {"32-bit 10-10-10-2, V4",
       {2,
        1,
        108,
        32,
        3,
        {0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000},
        {},
        {0xFFF00200, 0x400FFC00 | 0x3FF}},
       {Color32(255, 0, 128), Color32(0, 255, 255, 85)}},
      {"core 24-bit",
       {2, 2, 12, 24, 0, {}, {}, {0x010203, 0xFF0000, 0x00FF00, 0x0000FF}},
       {Color32(1, 2, 3), 0xFFFF0000, 0xFF00FF00, 0xFF0000FF},
       true},
      {"core 8-bit", {3, 1, 12, 8, 0, {}, palette, {3, 2, 1}}, {p3, p2, p1}, true},
  };
}

TEST(BmpCodecTest, DecodesEveryDepthInBothRowOrdersExactly) {
  for (const TBmpCase& c : DepthCases()) {
    for (bool topDown : {false, true}) {
      if (topDown && c.BottomUpOnly) continue;
      SCOPED_TRACE(testing::Message() << c.Name << (topDown ? ", top-down" : ", bottom-up"));
      TBmpRecipe recipe = c.Recipe;
      if (topDown) recipe.Height = -recipe.Height;
      const std::vector<uint8_t> file = WriteBmp(recipe);
      TBitmap32 bitmap;
      const TPictureResult result = DecodeBmp(file.data(), file.size(), bitmap);
      ASSERT_TRUE(result) << result.Message;
      ASSERT_EQ(bitmap.Width(), c.Recipe.Width);
      ASSERT_EQ(bitmap.Height(), c.Recipe.Height);
      EXPECT_EQ(PixelsOf(bitmap), c.Expected);
    }
  }
}

TEST(BmpCodecTest, EncodeThenDecodeKeepsEveryPixel) {
  TBitmap32 source(5, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x)
      source.SetPixel(x, y, Color32(uint8_t(x * 50), uint8_t(y * 99), 77, uint8_t(x * 60 + y)));
  TBitmap32 clear(2, 2);  // transparent everywhere must stay transparent
  for (const TBitmap32* bitmap : {&source, &clear}) {
    const std::vector<uint8_t> file = EncodeBmp(*bitmap);
    ASSERT_EQ(file.size(), 14 + 108 + size_t(bitmap->Width() * bitmap->Height()) * 4);
    TBitmap32 decoded;
    ASSERT_TRUE(DecodeBmp(file.data(), file.size(), decoded));
    EXPECT_EQ(decoded.Height(), bitmap->Height());
    EXPECT_EQ(PixelsOf(decoded), PixelsOf(*bitmap));
  }
  EXPECT_TRUE(EncodeBmp(TBitmap32()).empty());

  TScratchFolder folder;
  const std::string path = folder.File("picture.bmp");
  ASSERT_TRUE(SaveBmpFile(source, path));
  TBitmap32 loaded;
  ASSERT_TRUE(LoadPictureFile(path, loaded));
  EXPECT_EQ(PixelsOf(loaded), PixelsOf(source));
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"picture.bmp"});
}

TEST(BmpCodecTest, RefusesBadHeadersWithTheRightError) {
  auto bmp = [](int w, int h, int bits, uint32_t compression = 0, uint32_t header = 40) {
    TBmpRecipe recipe{w, h, header, bits, compression};
    recipe.Values.assign(size_t(w) * size_t(h), 0);
    return WriteBmp(recipe);
  };
  std::vector<uint8_t> farOffset = bmp(2, 2, 24);
  farOffset[10] = 0xF0;  // pixel data offset past the end of the file
  std::vector<uint8_t> wrongCore = bmp(2, 2, 24, 0, 12);
  wrongCore[24] = 16;  // 16 bits a pixel do not exist in core headers
  const struct {
    const char* Name;
    std::vector<uint8_t> File;
    TPictureError Expected;
  } cases[] = {
      // Declared size alone, no pixel data: refused before the data is looked at.
      {"100000 x 100000", WriteBmp({100000, 100000}), TPictureError::peTooLarge},
      {"100000 x -100000", WriteBmp({100000, -100000}), TPictureError::peTooLarge},
      {"no pixels data", WriteBmp({4, 4}), TPictureError::peTruncated},
      {"offset past the end", farOffset, TPictureError::peTruncated},
      {"zero width", bmp(0, 2, 24), TPictureError::peCorrupt},
      {"height INT_MIN", WriteBmp({1, INT_MIN}), TPictureError::peCorrupt},
      {"run-length", bmp(2, 2, 8, 1), TPictureError::peUnsupported},
      {"embedded PNG", bmp(2, 2, 0, 5), TPictureError::peUnsupported},
      {"7 bits", bmp(2, 2, 7), TPictureError::peUnsupported},
      {"bit fields on 24 bits", bmp(2, 2, 24, 3), TPictureError::peCorrupt},
      {"empty masks", bmp(2, 2, 32, 3), TPictureError::peCorrupt},
      {"header size 20", bmp(2, 2, 24, 0, 20), TPictureError::peUnsupported},
      {"core header, 16 bits", wrongCore, TPictureError::peCorrupt},
  };
  for (const auto& c : cases) {
    TBitmap32 bitmap(3, 3);
    const TPictureResult result = DecodeBmp(c.File.data(), c.File.size(), bitmap);
    EXPECT_EQ(result.Error, c.Expected) << c.Name << ": " << result.Message;
    EXPECT_TRUE(bitmap.Empty()) << c.Name;
  }
  const std::vector<uint8_t> small = bmp(8, 8, 24);
  TBitmap32 bitmap;
  EXPECT_EQ(DecodeBmp(small.data(), small.size(), bitmap, {63}).Error, TPictureError::peTooLarge);
  EXPECT_TRUE(DecodeBmp(small.data(), small.size(), bitmap, {64}));
}

}  // namespace
