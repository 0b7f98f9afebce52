// A thumbnail cache of its own for each test: XDG_CACHE_HOME points into a temporary folder for
// the test's length, so the default cache object is the one under test.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "../platform/TempFolder.h"
#include "base/FileUri.h"
#include "base/Md5.h"
#include "data/NV_ThumbnailCache.h"
#include "gfx/PngCodec.h"

namespace thumbtest {

// Opaque, so a PNG round trip keeps every pixel exactly; Seed tells pictures apart.
inline gfx::TBitmap32 Pattern(int width, int height, int seed = 0) {
  gfx::TBitmap32 bitmap(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      bitmap.SetPixel(x, y, gfx::Color32(uint8_t(x * 7 + seed), uint8_t(y * 13 + seed * 3),
                                         uint8_t((x ^ y) + seed * 5)));
  return bitmap;
}

inline bool SamePixels(const gfx::TBitmap32& a, const gfx::TBitmap32& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() &&
         std::equal(a.Bits(), a.Bits() + size_t(a.Width()) * size_t(a.Height()), b.Bits());
}

inline bool SetMTime(const std::string& path, time_t seconds, long nanos = 0) {
  const timespec times[2] = {{seconds, nanos}, {seconds, nanos}};
  return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

inline mode_t ModeOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777;
}

// The name another program gives the thumbnail of Path in Folder, worked out on its own.
inline std::string ExpectedName(const std::string& path) {
  return base::Md5Hex(base::FileUriOf(path)) + ".png";
}

// The picture and the text of a PNG file; nothing when it does not decode.
struct TPngFile {
  gfx::TBitmap32 Picture;
  std::vector<gfx::TPngText> Texts;
  std::string Text(const std::string& key) const {
    for (const gfx::TPngText& t : Texts)
      if (t.Key == key) return t.Value;
    return "<none>";
  }
};

inline std::optional<TPngFile> ReadPng(const std::string& path) {
  const std::string bytes = fstest::ReadFile(path);
  TPngFile file;
  if (!gfx::DecodePng(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), file.Picture,
                      file.Texts))
    return std::nullopt;
  return file;
}

class ThumbnailCacheFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"XDG_CACHE_HOME", "HOME"})
      if (const char* value = std::getenv(name)) FSaved.push_back({name, value});
    setenv("XDG_CACHE_HOME", CacheHome().c_str(), 1);
  }
  void TearDown() override {
    unsetenv("XDG_CACHE_HOME");
    for (const auto& [name, value] : FSaved) setenv(name.c_str(), value.c_str(), 1);
  }

  std::string CacheHome() const { return Temp.Path("cache"); }
  std::string Root() const { return CacheHome() + "/thumbnails"; }
  // A picture file with a fixed modification time; its content does not matter to the cache.
  std::string Picture(const std::string& name, time_t mtime = 1'600'000'000) const {
    const std::string path = Temp.File("pictures/" + name, "picture bytes of " + name);
    EXPECT_TRUE(SetMTime(path, mtime));
    return path;
  }

  fstest::TTempFolder Temp;

 private:
  std::vector<std::pair<std::string, std::string>> FSaved;
};

}  // namespace thumbtest
