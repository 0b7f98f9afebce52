// Text chunks: what EncodePng writes, and what DecodePng reads of the forms other writers use.
#include <gtest/gtest.h>
#include <png.h>

#include <csetjmp>
#include <string>
#include <vector>

#include "PictureFixtures.h"
#include "gfx/PngCodec.h"

using namespace gfx;

namespace {

TBitmap32 Checkerboard(int width, int height) {
  TBitmap32 bitmap(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      bitmap.SetPixel(x, y, (x + y) % 2 ? Color32(200, 10, 30) : Color32(0, 0, 0, 128));
  return bitmap;
}

bool SamePixels(const TBitmap32& a, const TBitmap32& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  return std::equal(a.Bits(), a.Bits() + size_t(a.Width()) * size_t(a.Height()), b.Bits());
}

std::vector<TPngText> DecodedTexts(const std::vector<uint8_t>& file, TBitmap32* picture = nullptr) {
  TBitmap32 bitmap;
  std::vector<TPngText> texts = {{"left", "over"}};
  const TPictureResult result = DecodePng(file.data(), file.size(), bitmap, texts);
  EXPECT_TRUE(result) << result.Message;
  if (picture) *picture = std::move(bitmap);
  return texts;
}

// A chunk as libpng's own writer is asked to make it; Compression is one of PNG_TEXT_COMPRESSION_*
// or PNG_ITXT_COMPRESSION_*.
struct TForeignText {
  int Compression;
  std::string Key;
  std::string Value;  // the bytes the chunk holds: Latin-1 or UTF-8 by its kind
};

std::vector<png_text> LibpngTexts(std::vector<TForeignText>& texts) {
  std::vector<png_text> chunks;
  for (TForeignText& t : texts) {
    png_text chunk{};
    chunk.compression = t.Compression;
    chunk.key = t.Key.data();
    chunk.text = t.Value.data();
    chunk.text_length = t.Value.size();
    chunks.push_back(chunk);
  }
  return chunks;
}

void AppendToVector(png_structp png, png_bytep data, size_t size) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + size);
}
void FlushNothing(png_structp) {}

// libpng jumps back here on an error; nothing with a destructor lives in this frame.
bool RunWriter(png_structp png, png_infop info, std::vector<png_text>& before,
               std::vector<png_text>& after) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_IHDR(png, info, 2, 1, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!before.empty()) png_set_text(png, info, before.data(), int(before.size()));
  png_write_info(png, info);
  png_byte row[6] = {1, 2, 3, 4, 5, 6};
  png_write_row(png, row);
  // Text set after the header has been written goes out after the image data.
  if (!after.empty()) png_set_text(png, info, after.data(), int(after.size()));
  png_write_end(png, info);
  return true;
}

// A 2 x 1 RGB picture with text before and after its image data, written by libpng itself.
std::vector<uint8_t> LibpngFile(std::vector<TForeignText> before, std::vector<TForeignText> after) {
  std::vector<png_text> first = LibpngTexts(before), last = LibpngTexts(after);
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  png_set_write_fn(png, &out, AppendToVector, FlushNothing);
  const bool ok = info && RunWriter(png, info, first, last);
  png_destroy_write_struct(&png, &info);
  EXPECT_TRUE(ok);
  return out;
}

TEST(PngTextTest, EncodedTextComesBackWithThePicture) {
  const TBitmap32 picture = Checkerboard(5, 3);
  const std::vector<TPngText> texts = {
      {"Thumb::URI", "file:///home/a%20b/c.jpg"},
      {"Thumb::MTime", "1700000000"},
      {"Comment", "caf\xC3\xA9 \xE2\x82\xAC"},  // UTF-8: goes out as international text
      {"Empty", ""},
      {"Thumb::URI", "a key may repeat"},
      {std::string(79, 'k'), "the longest key"},
  };
  const std::vector<uint8_t> file = EncodePng(picture, texts);
  ASSERT_FALSE(file.empty());
  TBitmap32 decoded;
  EXPECT_EQ(DecodedTexts(file, &decoded), texts);
  EXPECT_TRUE(SamePixels(decoded, picture));

  // The plain decoder reads the same picture and still skips the text.
  TBitmap32 plain;
  ASSERT_TRUE(DecodePng(file.data(), file.size(), plain));
  EXPECT_TRUE(SamePixels(plain, picture));
  EXPECT_EQ(DecodedTexts(EncodePng(picture)), std::vector<TPngText>{});
}

TEST(PngTextTest, RefusesWhatATextChunkCannotHold) {
  const TBitmap32 picture = Checkerboard(2, 2);
  const std::vector<TPngText> refused[] = {
      {{"", "no key"}},
      {{std::string(80, 'k'), "key too long"}},
      {{" Lead", "x"}},
      {{"Trail ", "x"}},
      {{"Two  spaces", "x"}},
      {{"Tab\tkey", "x"}},
      {{"caf\xC3\xA9", "a key beyond ASCII"}},
      {{"Good", "x"}, {"Nul", std::string("a\0b", 3)}},
  };
  for (const std::vector<TPngText>& texts : refused)
    EXPECT_TRUE(EncodePng(picture, texts).empty()) << texts.back().Key;
  EXPECT_FALSE(EncodePng(picture, {{"One space", "x"}}).empty());
}

TEST(PngTextTest, ReadsEveryTextFormAnotherWriterUses) {
  const std::vector<uint8_t> file = LibpngFile(
      {
          {PNG_TEXT_COMPRESSION_NONE, "Plain", "Latin-1 \xE9"},
          {PNG_TEXT_COMPRESSION_zTXt, "Compressed", std::string(500, 'z') + "\xFF"},
          {PNG_ITXT_COMPRESSION_NONE, "International", "UTF-8 \xC3\xA9"},
          {PNG_ITXT_COMPRESSION_zTXt, "InternationalCompressed", "\xE2\x82\xAC"},
      },
      {{PNG_TEXT_COMPRESSION_NONE, "After", "the image data"}});
  const std::vector<TPngText> expected = {
      {"Plain", "Latin-1 \xC3\xA9"},
      {"Compressed", std::string(500, 'z') + "\xC3\xBF"},
      {"International", "UTF-8 \xC3\xA9"},
      {"InternationalCompressed", "\xE2\x82\xAC"},
      {"After", "the image data"},
  };
  EXPECT_EQ(DecodedTexts(file), expected);
}

// A file made of text costs the time to step over it, and the caller gets no more than the caps.
TEST(PngTextTest, KeepsNoMoreThanTheCapsOfAFloodOfText) {
  std::vector<TPngText> flood;
  for (int i = 0; i < 100'000; ++i) flood.push_back({"Key", std::to_string(i)});
  const std::vector<TPngText> kept = DecodedTexts(EncodePng(Checkerboard(2, 2), flood));
  ASSERT_EQ(kept.size(), kMaxPngTexts);
  for (size_t i = 0; i < kept.size(); ++i) EXPECT_EQ(kept[i], flood[i]);

  // Pairs past the byte cap are skipped; a later one that still fits is kept.
  const std::string third(kMaxPngTextBytes / 3, 'v');
  const std::vector<TPngText> large = {
      {"A", third}, {"B", third}, {"C", third + third}, {"D", "small"}};
  const std::vector<TPngText> expected = {large[0], large[1], large[3]};
  EXPECT_EQ(DecodedTexts(EncodePng(Checkerboard(2, 2), large)), expected);
}

TEST(PngTextTest, DamageAfterTheImageDataCostsOnlyTheTextThere) {
  std::vector<uint8_t> file = LibpngFile({{PNG_TEXT_COMPRESSION_NONE, "Before", "kept"}},
                                         {{PNG_TEXT_COMPRESSION_NONE, "After", "lost"}});
  file.resize(file.size() - 12 - 4);  // no end chunk, and the last text's checksum is cut off
  TBitmap32 picture;
  EXPECT_EQ(DecodedTexts(file, &picture), (std::vector<TPngText>{{"Before", "kept"}}));
  EXPECT_EQ(picture.Width(), 2);
  EXPECT_EQ(picture.Pixel(1, 0), Color32(4, 5, 6));
}

TEST(PngTextTest, AFailedDecodeLeavesNoText) {
  std::vector<uint8_t> file = EncodePng(Checkerboard(4, 4), {{"Key", "value"}});
  file.resize(file.size() / 2 + 40);  // into the image data
  TBitmap32 bitmap;
  std::vector<TPngText> texts = {{"left", "over"}};
  EXPECT_FALSE(DecodePng(file.data(), file.size(), bitmap, texts));
  EXPECT_TRUE(texts.empty());
  EXPECT_TRUE(bitmap.Empty());
}

}  // namespace
