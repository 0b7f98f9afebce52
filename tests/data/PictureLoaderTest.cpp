#include "data/NV_PictureLoader.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "config/AppFolderFixture.h"
#include "data/NV_ThumbnailCache.h"
#include "gfx/IconFixtures.h"
#include "gfx/PictureFixtures.h"
#include "gfx/PngCodec.h"
#include "platform/headless/HeadlessIcons.h"

namespace data {
namespace {

using gfx::TBitmap32;
using gfx::TColor32;

constexpr TColor32 kUnknownColour = 0xFFC00000, kExeColour = 0xFF00A000, kIcoColour = 0xFF0000C0,
                   kTxtColour = 0xFF808080, kTypeColour = 0xFFC000C0, kProgramColour = 0xFF00C0C0;

TBitmap32 Solid(int width, int height, TColor32 colour) {
  TBitmap32 picture(width, height);
  picture.Clear(colour);
  return picture;
}

std::string Bytes(const std::vector<uint8_t>& data) { return std::string(data.begin(), data.end()); }

// An application folder whose file-icon theme has a picture of its own colour for each
// fallback and for ".txt", so a test can tell which row answered.
class PictureLoader : public config::testing::AppFolderTest {
 protected:
  void SetUp() override {
    AppFolderTest::SetUp();
    const std::string theme = PathOf("Data/Themes/FileIcons/Default/");
    std::filesystem::create_directories(theme);
    ASSERT_TRUE(gfx::SavePngFile(Solid(64, 64, kUnknownColour), theme + "Unknown.png"));
    ASSERT_TRUE(gfx::SavePngFile(Solid(64, 64, kExeColour), theme + "UnknownExe.png"));
    ASSERT_TRUE(gfx::SavePngFile(Solid(64, 64, kIcoColour), theme + "UnknownIco.png"));
    ASSERT_TRUE(gfx::SavePngFile(Solid(300, 300, kTxtColour), theme + "txt.png"));
    Icons.ByContentType["application/octet-stream"] = Solid(48, 48, kTypeColour);
    Sources.Icons = &Icons;
  }

  TPictureLoad Load(const std::string& relative, TBitmap32& out, int size = 256) {
    return LoadPicture(PathOf(relative), out, size, false, size, Sources);
  }

  platform::headless::THeadlessIcons Icons;
  TPictureSources Sources;
};

// Every row of the loader with the answer it gives for a good and a bad file.
TEST_F(PictureLoader, EachKindOfFileGetsItsPictureOrItsFallback) {
  using namespace fixtures;
  WriteFile("broken.exe", "MZ but nothing more");
  WriteFile("program.exe", Bytes(WriteProgram(false, IconResources({PatternIconImage(32, 32, 32)}))));
  WriteFile("broken.ico", std::string("\0\0\1\0\7\0", 6));
  WriteFile("icon.ico", Bytes(WriteIco({PngIconImage(48, 48)})));
  WriteFile("cut.jpg", Bytes(WriteJpeg({.Width = 64, .Height = 64})).substr(0, 300));
  WriteFile("huge.png", Bytes(PngHeaderOnly(30000, 30000)));
  WriteFile("huge.jpg", Bytes(JpegHeaderOnly(30000, 30000)));
  WriteFile("notes.txt", "text");
  WriteFile("NOTES.TXT", "text");
  WriteFile("data.xyz", "?");
  WriteFile("old.lnk", "a plain file");
  const std::string tool = WriteFile("tool", "#!/bin/sh\n");
  ASSERT_EQ(chmod(tool.c_str(), 0755), 0);
  Icons.ByPath[tool] = Solid(40, 40, kProgramColour);
  const std::string launcher = WriteFile("app.desktop", "[Desktop Entry]\nType=Application\n");
  Icons.ByPath[launcher] = Solid(40, 40, kProgramColour);

  struct TCase {
    const char* File;
    TPictureLoad Outcome;
    TColor32 Colour;  // at the centre; 0: not checked
    int Width;
  } cases[] = {
      {"broken.exe", TPictureLoad::plFallback, kExeColour, 64},
      {"program.exe", TPictureLoad::plPicture, 0, 32},
      {"broken.ico", TPictureLoad::plFallback, kIcoColour, 64},
      {"icon.ico", TPictureLoad::plPicture, 0, 48},
      {"cut.jpg", TPictureLoad::plFallback, kUnknownColour, 64},
      {"huge.png", TPictureLoad::plFallback, kUnknownColour, 64},
      {"huge.jpg", TPictureLoad::plFallback, kUnknownColour, 64},
      {"missing.png", TPictureLoad::plFallback, kUnknownColour, 64},
      {"notes.txt", TPictureLoad::plPicture, kTxtColour, 256},  // the theme's 300 px, fitted
      {"NOTES.TXT", TPictureLoad::plPicture, kTxtColour, 256},
      {"data.xyz", TPictureLoad::plPicture, kTypeColour, 48},  // the content type's icon
      {"old.lnk", TPictureLoad::plPicture, kTypeColour, 48},   // a plain file, no shortcut
      {"tool", TPictureLoad::plPicture, kProgramColour, 40},
      {"app.desktop", TPictureLoad::plPicture, kProgramColour, 40},
  };
  for (const TCase& c : cases) {
    TBitmap32 out;
    EXPECT_EQ(Load(c.File, out), c.Outcome) << c.File;
    EXPECT_EQ(out.Width(), c.Width) << c.File;
    if (c.Colour != 0 && !out.Empty()) {
      EXPECT_EQ(out.Pixel(out.Width() / 2, out.Height() / 2), c.Colour) << c.File;
    }
  }

  // Without any desktop icon the last fallback answers; without its picture, nothing does.
  platform::headless::THeadlessIcons none;
  Sources.Icons = &none;
  TBitmap32 out;
  EXPECT_EQ(Load("data.xyz", out), TPictureLoad::plFallback);
  EXPECT_EQ(out.Pixel(10, 10), kUnknownColour);
  std::filesystem::remove(PathOf("Data/Themes/FileIcons/Default/Unknown.png"));
  TBitmap32 untouched = Solid(3, 3, 0xFF010203);
  EXPECT_EQ(Load("data.xyz", untouched), TPictureLoad::plFailed);
  EXPECT_EQ(untouched.Width(), 3);
}

// A 4000 x 3000 photo asked for at 256 x 256 is decoded at an eighth (500 x 375), then shrunk
// to 256 x 192; the extension may be in capitals, and a link shows what it leads to.
TEST_F(PictureLoader, LargeJpegsAreDecodedAtAnEighthAndFitted) {
  const std::string photo = WriteFile("PHOTO.JPG", Bytes(fixtures::WriteJpeg({.Width = 4000, .Height = 3000})));
  int width = 0, height = 0;
  JpegSize(photo, width, height);
  EXPECT_EQ(width, 4000);
  EXPECT_EQ(height, 3000);
  EXPECT_EQ(JpegScale(photo, 256, 256), 3);
  EXPECT_EQ(JpegScale(photo, 1000, 1000), 2);
  EXPECT_EQ(JpegScale(photo, 3000, 3000), 1);
  EXPECT_EQ(JpegScale(photo, 4000, 4000), 0);
  TBitmap32 out;
  EXPECT_EQ(Load("PHOTO.JPG", out), TPictureLoad::plPicture);
  EXPECT_EQ(out.Width(), 256);
  EXPECT_EQ(out.Height(), 192);

  ASSERT_EQ(symlink(photo.c_str(), PathOf("shortcut").c_str()), 0);
  TBitmap32 linked;
  EXPECT_EQ(Load("shortcut", linked), TPictureLoad::plPicture);
  EXPECT_EQ(linked.Width(), 256);
  EXPECT_EQ(linked.Height(), 192);
}

TEST_F(PictureLoader, SmallerPicturesAreNeverEnlarged) {
  WriteFile("small.png", Bytes(gfx::EncodePng(Solid(200, 100, 0xFF336699))));
  WriteFile("small.jpg", Bytes(fixtures::WriteJpeg({.Width = 200, .Height = 100})));
  for (const char* file : {"small.png", "small.jpg"}) {
    TBitmap32 out;
    EXPECT_EQ(Load(file, out), TPictureLoad::plPicture) << file;
    EXPECT_EQ(out.Width(), 200) << file;
    EXPECT_EQ(out.Height(), 100) << file;
  }
  WriteFile("small.bmp", Bytes(fixtures::WriteBmp({.Width = 20, .Height = 10, .Values = std::vector<uint32_t>(200, 0x123456)})));
  TBitmap32 bmp;
  EXPECT_EQ(Load("small.bmp", bmp), TPictureLoad::plPicture);
  EXPECT_EQ(bmp.Width(), 20);
  TBitmap32 skipped = Solid(1, 1, 0xFF000000);
  EXPECT_EQ(LoadPicture(PathOf("small.bmp"), skipped, 256, true, 256, Sources), TPictureLoad::plFailed);
  EXPECT_EQ(skipped.Width(), 1);
}

// Pictures asked for at thumbnail sizes go through the desktop's thumbnail cache: the second
// load finds the thumbnail written by the first, and a file that failed is recorded there.
TEST_F(PictureLoader, ThumbnailSizesUseTheDesktopsCache) {
  TThumbnailCache thumbnails(PathOf("cache/thumbnails"));
  Sources.Thumbnails = &thumbnails;
  const std::string photo = WriteFile("photo.jpg", Bytes(fixtures::WriteJpeg({.Width = 1000, .Height = 800})));
  TBitmap32 first;
  ASSERT_EQ(Load("photo.jpg", first), TPictureLoad::plPicture);
  EXPECT_EQ(first.Width(), 250);  // a quarter decode that no longer covers the request is kept
  const TThumbnailSource source = TThumbnailCache::Describe(photo);
  ASSERT_TRUE(std::filesystem::exists(thumbnails.ThumbnailPath(source.Uri, TThumbnailCache::kFolders[1])));

  // The same file with its content spoilt but its time kept: only the thumbnail can show it.
  struct stat before {};
  ASSERT_EQ(stat(photo.c_str(), &before), 0);
  WriteFile("photo.jpg", std::string(size_t(before.st_size), 'x'));
  const timespec times[2] = {before.st_atim, before.st_mtim};
  ASSERT_EQ(utimensat(AT_FDCWD, photo.c_str(), times, 0), 0);
  TBitmap32 second;
  EXPECT_EQ(Load("photo.jpg", second), TPictureLoad::plPicture);
  EXPECT_EQ(second.Width(), first.Width());
  EXPECT_EQ(second.Height(), first.Height());

  // Small requests never touch the cache; a file that fails is recorded once.
  const std::string broken = WriteFile("broken.png", "not a picture");
  TBitmap32 out;
  EXPECT_EQ(Load("broken.png", out), TPictureLoad::plFallback);
  EXPECT_TRUE(thumbnails.KnownFailure(broken));
  EXPECT_EQ(Load("broken.png", out), TPictureLoad::plFallback);
  const std::string small = WriteFile("small.png", "not a picture either");
  EXPECT_EQ(Load("small.png", out, 48), TPictureLoad::plFallback);
  EXPECT_FALSE(thumbnails.KnownFailure(small));
}

}  // namespace
}  // namespace data
