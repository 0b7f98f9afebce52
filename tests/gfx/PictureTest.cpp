#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "../platform/OrdinaryUser.h"
#include "PictureFixtures.h"
#include "gfx/BmpCodec.h"
#include "gfx/JpegCodec.h"
#include "gfx/Picture.h"
#include "gfx/PngCodec.h"

using namespace gfx;
using namespace fixtures;

namespace {

constexpr TPictureFormat kFormats[] = {TPictureFormat::pfPng, TPictureFormat::pfJpeg,
                                       TPictureFormat::pfBmp};

// A decode either succeeds with a picture or fails with an empty bitmap and a reason.
void ExpectCoherent(const TPictureResult& result, const TBitmap32& bitmap, const char* what) {
  if (result) {
    EXPECT_FALSE(bitmap.Empty()) << what;
  } else {
    EXPECT_TRUE(bitmap.Empty()) << what << ": " << result.Message;
    EXPECT_FALSE(result.Message.empty()) << what;
  }
}

TEST(PictureTest, DetectsTheFormatBySignature) {
  const std::vector<uint8_t> png = PngHeaderOnly(1, 1), jpeg = JpegHeaderOnly(1, 1),
                             bmp = WriteBmp({});
  EXPECT_EQ(DetectPictureFormat(png.data(), png.size()), TPictureFormat::pfPng);
  EXPECT_EQ(DetectPictureFormat(jpeg.data(), jpeg.size()), TPictureFormat::pfJpeg);
  EXPECT_EQ(DetectPictureFormat(bmp.data(), bmp.size()), TPictureFormat::pfBmp);
  EXPECT_EQ(DetectPictureFormat(png.data(), 7), TPictureFormat::pfUnknown);
  EXPECT_EQ(DetectPictureFormat(jpeg.data(), 2), TPictureFormat::pfUnknown);
  EXPECT_EQ(DetectPictureFormat(nullptr, 0), TPictureFormat::pfUnknown);
  const uint8_t gif[] = {'G', 'I', 'F', '8', '9', 'a'};
  EXPECT_EQ(DetectPictureFormat(gif, sizeof gif), TPictureFormat::pfUnknown);
  TBitmap32 bitmap(2, 2);
  EXPECT_EQ(DecodePicture(gif, sizeof gif, bitmap).Error, TPictureError::peUnsupported);
  EXPECT_TRUE(bitmap.Empty());
}

// Every prefix of every seed file: truncation anywhere, including inside headers.
TEST(PictureTest, EveryPrefixOfAFileDecodesOrFailsCleanly) {
  for (TPictureFormat format : kFormats)
    for (const TNamedFile& seed : SeedFiles(format)) {
      TBitmap32 full;
      ASSERT_TRUE(DecodePicture(seed.Bytes.data(), seed.Bytes.size(), full)) << seed.Name;
      int failures = 0;
      for (size_t length = 0; length < seed.Bytes.size(); ++length) {
        TBitmap32 bitmap(1, 1);
        const TPictureResult result = DecodePicture(seed.Bytes.data(), length, bitmap);
        ExpectCoherent(result, bitmap, seed.Name.c_str());
        failures += !result;
      }
      // Only a cut in the trailer may still give the whole picture.
      EXPECT_GE(failures, int(seed.Bytes.size()) - 16) << seed.Name;
    }
}

TEST(PictureTest, FlippedBitsNeverBreakTheDecoder) {
  for (TPictureFormat format : kFormats)
    for (const TNamedFile& seed : SeedFiles(format))
      for (size_t i = 0; i < seed.Bytes.size(); ++i) {
        std::vector<uint8_t> damaged = seed.Bytes;
        damaged[i] ^= uint8_t(1u << (i * 5 % 8));
        TBitmap32 bitmap;
        ExpectCoherent(DecodePicture(damaged.data(), damaged.size(), bitmap), bitmap,
                       seed.Name.c_str());
      }
}

TEST(PictureTest, CheckPixelBudgetCountsPixels) {
  const TDecodeLimits limits{1000};
  EXPECT_TRUE(CheckPixelBudget(1000, 1, limits));
  EXPECT_TRUE(CheckPixelBudget(25, 40, limits));
  EXPECT_EQ(CheckPixelBudget(1001, 1, limits).Error, TPictureError::peTooLarge);
  EXPECT_EQ(CheckPixelBudget(1, 1001, limits).Error, TPictureError::peTooLarge);
  EXPECT_EQ(CheckPixelBudget(int64_t{1} << 40, int64_t{1} << 40, limits).Error,
            TPictureError::peTooLarge);
  EXPECT_EQ(CheckPixelBudget(0, 5, limits).Error, TPictureError::peCorrupt);
  // A bitmap's own limit holds whatever the caller allows.
  EXPECT_EQ(CheckPixelBudget(TBitmap32::kMaxPixels, 2, {INT64_MAX}).Error,
            TPictureError::peTooLarge);
}

TEST(PictureTest, FitIntoBoxKeepsTheAspectAndNeverEnlarges) {
  const struct {
    int W, H, BoxW, BoxH;
    TPoint Expected;
  } cases[] = {
      {4000, 3000, 256, 256, {256, 192}},
      {3000, 4000, 256, 256, {192, 256}},
      {1000, 1000, 300, 200, {200, 200}},
      {100, 50, 256, 256, {100, 50}},
      {256, 256, 256, 256, {256, 256}},
      {10000, 1, 100, 100, {100, 1}},
      {3, 2, 2, 2, {2, 1}},
      {0, 10, 256, 256, {0, 0}},
      {10, 10, 0, 256, {0, 0}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FitIntoBox(c.W, c.H, c.BoxW, c.BoxH), c.Expected)
        << c.W << "x" << c.H << " into " << c.BoxW << "x" << c.BoxH;
}

TEST(PictureTest, LoadPictureFileGoesBySignatureNotName) {
  TScratchFolder folder;
  TBitmap32 source(3, 2);
  source.Clear(Color32(10, 20, 30, 128));
  // A PNG under a JPEG name and a BMP without any extension.
  ASSERT_TRUE(SavePngFile(source, folder.File("really-a-png.jpg")));
  ASSERT_TRUE(SaveBmpFile(source, folder.File("bitmap")));
  for (const char* name : {"really-a-png.jpg", "bitmap"}) {
    TBitmap32 loaded;
    const TPictureResult result = LoadPictureFile(folder.File(name), loaded);
    ASSERT_TRUE(result) << result.Message;
    EXPECT_EQ(loaded.Pixel(2, 1), source.Pixel(2, 1)) << name;
  }
}

TEST(PictureTest, FileProblemsHaveTheirOwnErrors) {
  TScratchFolder folder;
  ASSERT_TRUE(WriteFileAtomically(folder.File("text.txt"), {'h', 'e', 'l', 'l', 'o'}));
  ASSERT_TRUE(WriteFileAtomically(folder.File("empty.png"), {}));
  const std::vector<uint8_t> png = EncodePng(TBitmap32(40, 40));
  ASSERT_TRUE(WriteFileAtomically(folder.File("big.png"), png));
  const struct {
    std::string Path;
    TDecodeLimits Limits;
    TPictureError Expected;
  } cases[] = {
      {folder.File("missing.png"), {}, TPictureError::peNotFound},
      {folder.File("text.txt/below"), {}, TPictureError::peNotFound},
      {folder.Path(), {}, TPictureError::peUnreadable},
      {"/dev/null", {}, TPictureError::peUnreadable},
      {folder.File("text.txt"), {}, TPictureError::peUnsupported},
      {folder.File("empty.png"), {}, TPictureError::peUnsupported},
      {folder.File("big.png"), {100'000'000, int64_t(png.size()) - 1}, TPictureError::peTooLarge},
  };
  for (const auto& c : cases) {
    TBitmap32 bitmap(2, 2);
    const TPictureResult result = LoadPictureFile(c.Path, bitmap, c.Limits);
    EXPECT_EQ(result.Error, c.Expected) << c.Path << ": " << result.Message;
    EXPECT_TRUE(bitmap.Empty()) << c.Path;
  }
  TBitmap32 bitmap;
  EXPECT_TRUE(LoadPictureFile(folder.File("big.png"), bitmap, {100'000'000, int64_t(png.size())}));

  ASSERT_EQ(::chmod(folder.File("big.png").c_str(), 0), 0);
  std::string why;
  const bool ran = fstest::RunAsOrdinaryUser(folder.Path(), [&] {
    EXPECT_EQ(LoadPictureFile(folder.File("big.png"), bitmap).Error, TPictureError::peUnreadable);
  }, why);
  if (!ran) GTEST_SKIP() << why;
}

TEST(PictureTest, ReadWholeFileReturnsTheExactBytes) {
  TScratchFolder folder;
  std::vector<uint8_t> bytes(300'001);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(i * 7 + i / 1000);
  const std::string path = folder.File("data");
  ASSERT_TRUE(WriteFileAtomically(path, {1, 2, 3}));
  ASSERT_TRUE(WriteFileAtomically(path, bytes));  // replaces, leaving no temporary behind
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"data"});
  std::vector<uint8_t> read;
  ASSERT_TRUE(ReadWholeFile(path, read, int64_t(bytes.size())));
  EXPECT_EQ(read, bytes);
  EXPECT_EQ(ReadWholeFile(path, read, int64_t(bytes.size()) - 1).Error, TPictureError::peTooLarge);
  EXPECT_TRUE(read.empty());
  EXPECT_EQ(WriteFileAtomically(folder.File("no/such/folder"), bytes).Error,
            TPictureError::peWriteFailed);
}

}  // namespace
