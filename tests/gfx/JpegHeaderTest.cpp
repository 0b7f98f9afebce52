#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <string>
#include <vector>

#include "PictureFixtures.h"
#include "gfx/JpegCodec.h"
#include "gfx/JpegHeader.h"

using namespace gfx;
using namespace fixtures;

namespace {

using TBytes = std::vector<uint8_t>;

// A start of frame of Marker declaring Width x Height, one component.
TBytes Frame(uint8_t marker, int width, int height) {
  return {0xFF, marker, 0x00, 0x0B, 0x08, uint8_t(height >> 8), uint8_t(height),
          uint8_t(width >> 8), uint8_t(width), 0x01, 0x01, 0x11, 0x00};
}

TBytes Join(std::initializer_list<TBytes> parts) {
  TBytes out;
  for (const TBytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

const TBytes kStart = {0xFF, 0xD8};
// An application segment of 16 bytes, its length counting itself.
const TBytes kApp0 = {0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0, 1, 2, 0, 0, 1, 0, 1, 0, 0};

struct TSize {
  bool Found;
  int Width, Height;
  bool operator==(const TSize&) const = default;
};
std::ostream& operator<<(std::ostream& os, const TSize& s) {
  return os << (s.Found ? "found " : "none ") << s.Width << " x " << s.Height;
}

TSize SizeOf(const TBytes& bytes, size_t length) {
  int width = 7, height = 7;  // must be reset on every path
  const bool found = JpegHeaderSize(bytes.data(), length, width, height);
  return {found, width, height};
}
TSize SizeOf(const TBytes& bytes) { return SizeOf(bytes, bytes.size()); }

constexpr TSize kNone{false, 0, 0};

TEST(JpegHeaderTest, ReadsTheSizeOfRealPictures) {
  const struct {
    const char* Name;
    TJpegRecipe Recipe;
  } cases[] = {{"baseline", {33, 17}},
               {"progressive", {24, 300, TJpegKind::jkColour, true}},
               {"grey", {9, 8, TJpegKind::jkGrey}},
               {"CMYK", {16, 8, TJpegKind::jkCmykAdobe}}};
  for (const auto& c : cases) {
    const TBytes file = WriteJpeg(c.Recipe);
    EXPECT_EQ(SizeOf(file), (TSize{true, c.Recipe.Width, c.Recipe.Height})) << c.Name;
    int width = 0, height = 0;
    ASSERT_TRUE(ReadJpegSize(file.data(), file.size(), width, height)) << c.Name;
    EXPECT_EQ(SizeOf(file), (TSize{true, width, height})) << c.Name;
  }
}

TEST(JpegHeaderTest, WalksTheMarkersToTheFrame) {
  const TBytes header = JpegHeaderOnly(8, 8);
  const struct {
    const char* Name;
    TBytes Bytes;
    TSize Expected;
  } cases[] = {
      {"header only", JpegHeaderOnly(640, 480), {true, 640, 480}},
      {"after an application segment", Join({kStart, kApp0, Frame(0xC0, 300, 200)}), {true, 300, 200}},
      {"largest sides", Join({kStart, Frame(0xC0, 65535, 65535)}), {true, 65535, 65535}},
      {"fill bytes before markers",
       Join({kStart, {0xFF, 0xFF}, kApp0, {0xFF, 0xFF, 0xFF}, Frame(0xC2, 5, 6)}), {true, 5, 6}},
      {"standalone markers", Join({kStart, {0xFF, 0x01, 0xFF, 0xD0, 0xFF, 0xD7}, Frame(0xC1, 8, 9)}),
       {true, 8, 9}},
      // Huffman tables, arithmetic conditioning and C8 share the frame markers' range.
      {"tables are no frame",
       Join({kStart, {0xFF, 0xC4, 0, 3, 0}, {0xFF, 0xCC, 0, 2}, {0xFF, 0xC8, 0, 2}, Frame(0xCF, 3, 4)}),
       {true, 3, 4}},
      {"an empty segment", Join({kStart, {0xFF, 0xFE, 0, 2}, Frame(0xC0, 1, 1)}), {true, 1, 1}},
      {"segment length 0", Join({kStart, {0xFF, 0xE1, 0, 0}, Frame(0xC0, 1, 1)}), kNone},
      {"segment length 1", Join({kStart, {0xFF, 0xE1, 0, 1}, Frame(0xC0, 1, 1)}), kNone},
      {"segment past the end", Join({kStart, {0xFF, 0xE1, 0x40, 0, 1, 2, 3}}), kNone},
      {"frame cut inside", TBytes(header.begin(), header.begin() + 10), kNone},
      {"frame too short for a size", Join({kStart, {0xFF, 0xC0, 0, 5, 8, 0, 1}}), kNone},
      {"zero height", Join({kStart, Frame(0xC0, 5, 0)}), kNone},
      {"zero width", Join({kStart, Frame(0xC0, 0, 5)}), kNone},
      {"a scan before any frame", Join({kStart, {0xFF, 0xDA, 0, 2}, Frame(0xC0, 1, 1)}), kNone},
      {"the end before any frame", Join({kStart, {0xFF, 0xD9}, Frame(0xC0, 1, 1)}), kNone},
      {"no marker where one is due", Join({kStart, {0x12}, Frame(0xC0, 1, 1)}), kNone},
      {"a stuffed zero where a marker is due", Join({kStart, {0xFF, 0x00}, Frame(0xC0, 1, 1)}), kNone},
      {"only the start", kStart, kNone},
      {"only fill bytes", Join({kStart, {0xFF, 0xFF, 0xFF}}), kNone},
      {"empty", {}, kNone},
      {"not a JPEG", PngHeaderOnly(4, 4), kNone},
      {"a frame without a start", Frame(0xC0, 4, 4), kNone},
  };
  for (const auto& c : cases) EXPECT_EQ(SizeOf(c.Bytes), c.Expected) << c.Name;

  // Every frame marker counts, whatever its coding.
  for (uint8_t marker : {0xC0, 0xC1, 0xC2, 0xC3, 0xC5, 0xC6, 0xC7, 0xC9, 0xCA, 0xCB, 0xCD, 0xCE, 0xCF})
    EXPECT_EQ(SizeOf(Join({kStart, Frame(marker, 12, 34)})), (TSize{true, 12, 34})) << int(marker);
}

// A header is known exactly when its frame segment is complete; no shorter prefix claims it.
TEST(JpegHeaderTest, EveryPrefixIsUnknownUntilTheFrameIsComplete) {
  for (bool progressive : {false, true}) {
    const TBytes file = WriteJpeg({20, 10, TJpegKind::jkColour, progressive});
    const TSize full = SizeOf(file);
    ASSERT_EQ(full, (TSize{true, 20, 10}));
    size_t known = file.size();
    for (size_t length = 0; length <= file.size(); ++length) {
      const TSize size = SizeOf(file, length);
      if (size.Found) {
        known = std::min(known, length);
        ASSERT_EQ(size, full) << length;
      } else {
        ASSERT_EQ(size, kNone) << length;
        ASSERT_EQ(known, file.size()) << length << " fails after a shorter prefix worked";
      }
    }
    // The frame follows the tables: the answer needs more than the first few bytes.
    EXPECT_GT(known, 100u);
    EXPECT_EQ(file[known - 19], 0xFF);  // the frame segment (3 components) ends right there
    EXPECT_TRUE(file[known - 18] == 0xC0 || file[known - 18] == 0xC2);
  }
}

void WriteFile(const std::string& path, const TBytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

TSize FileSizeOf(const std::string& path) {
  int width = 7, height = 7;
  const bool found = JpegFileSize(path, width, height);
  return {found, width, height};
}

// Application segments of 64 KiB less a little (the largest a length holds) up to Bytes.
TBytes PaddingSegments(size_t bytes) {
  TBytes out;
  while (out.size() < bytes) {
    out.insert(out.end(), {0xFF, 0xE2, 0xFF, 0xFF});
    out.resize(out.size() + 0xFFFF - 2, 0x55);
  }
  return out;
}

TEST(JpegHeaderTest, ReadsAFileOnlyAsFarAsTheHeaderWithinTheCap) {
  TScratchFolder folder;
  const std::string picture = folder.File("picture.jpg");
  WriteFile(picture, WriteJpeg({31, 13}));
  EXPECT_EQ(FileSizeOf(picture), (TSize{true, 31, 13}));

  // A frame beyond the first chunks is still found; one beyond the cap is not looked for,
  // although the bytes do hold it.
  const TBytes far = Join({kStart, PaddingSegments(600 * 1024), Frame(0xC2, 40, 30)});
  const TBytes tooFar = Join({kStart, PaddingSegments(kMaxJpegHeaderBytes), Frame(0xC2, 40, 30)});
  ASSERT_EQ(SizeOf(tooFar), (TSize{true, 40, 30}));
  WriteFile(folder.File("far.jpg"), far);
  WriteFile(folder.File("too-far.jpg"), tooFar);
  EXPECT_EQ(FileSizeOf(folder.File("far.jpg")), (TSize{true, 40, 30}));
  EXPECT_EQ(FileSizeOf(folder.File("too-far.jpg")), kNone);

  // Another program writing the file: cut short it is unknown, complete it is known.
  const TBytes whole = WriteJpeg({16, 16, TJpegKind::jkColour, true});
  const std::string growing = folder.File("growing.jpg");
  WriteFile(growing, TBytes(whole.begin(), whole.begin() + 40));
  EXPECT_EQ(FileSizeOf(growing), kNone);
  WriteFile(growing, whole);
  EXPECT_EQ(FileSizeOf(growing), (TSize{true, 16, 16}));

  WriteFile(folder.File("empty.jpg"), {});
  const std::string pipe = folder.File("pipe.jpg");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  for (const std::string& path : {folder.File("empty.jpg"), folder.File("missing.jpg"), folder.Path(), pipe})
    EXPECT_EQ(FileSizeOf(path), kNone) << path;  // the pipe is refused, not waited on
}

}  // namespace
