#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "../base/FileSizeLimit.h"
#include "../platform/OrdinaryUser.h"
#include "ThumbnailCacheFixture.h"

using data::TThumbnailCache;
using data::TThumbnailSource;
using gfx::TBitmap32;
using namespace thumbtest;

namespace {

std::vector<std::string> NamesIn(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ignored))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

using ThumbnailCacheTest = ThumbnailCacheFixture;

TEST_F(ThumbnailCacheTest, TheRootAndTheSizeClassesFollowTheDesktopsRules) {
  EXPECT_EQ(TThumbnailCache().Root(), Root());
  setenv("XDG_CACHE_HOME", "relative/cache", 1);  // not absolute: as if unset
  setenv("HOME", "/home/someone/", 1);
  EXPECT_EQ(TThumbnailCache::DefaultRoot(), "/home/someone/.cache/thumbnails");
  unsetenv("XDG_CACHE_HOME");
  unsetenv("HOME");
  const TThumbnailCache nowhere;
  EXPECT_EQ(nowhere.Root(), "");
  EXPECT_FALSE(nowhere.Store(Picture("a.png"), 128, Pattern(4, 4)));

  const struct {
    int Size;
    const char* Folder;
  } classes[] = {{1, "normal"},   {128, "normal"},    {129, "large"},  {256, "large"},
                 {257, "x-large"}, {512, "x-large"}, {1024, "xx-large"}, {1025, nullptr},
                 {0, nullptr},     {-3, nullptr}};
  for (const auto& c : classes) {
    const data::TThumbnailFolder* folder = TThumbnailCache::FolderFor(c.Size);
    EXPECT_STREQ(folder ? folder->Name : nullptr, c.Folder) << c.Size;
  }
}

// The point of the cache: a second look needs the thumbnail alone, not the picture file.
TEST_F(ThumbnailCacheTest, AStoredThumbnailIsFoundWithoutTheOriginal) {
  const std::string path = Picture("photo.jpg");
  ASSERT_TRUE(TThumbnailCache().Store(path, 256, Pattern(300, 200)));
  const std::string stored = Root() + "/large/" + ExpectedName(path);
  const std::optional<TPngFile> file = ReadPng(stored);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->Picture.Width(), 256);  // fitted into the class
  EXPECT_EQ(file->Picture.Height(), 171);
  EXPECT_EQ(file->Text("Thumb::URI"), base::FileUriOf(path));
  EXPECT_EQ(file->Text("Thumb::MTime"), "1600000000");
  EXPECT_EQ(file->Text("Thumb::Size"), std::to_string(fstest::ReadFile(path).size()));
  EXPECT_EQ(file->Text("Software"), "Norvo");

  // Other bytes of the same length and time: what is shown can only come from the cache.
  ASSERT_TRUE(fstest::MakeFile(path, std::string(fstest::ReadFile(path).size(), 'x')));
  ASSERT_TRUE(SetMTime(path, 1'600'000'000));
  const TThumbnailCache fresh;
  TBitmap32 found;
  ASSERT_TRUE(fresh.Lookup(path, 256, found));
  EXPECT_TRUE(SamePixels(found, file->Picture));
  // A smaller class has none; the large one's is scaled down to the request.
  ASSERT_TRUE(fresh.Lookup(path, 128, found));
  EXPECT_EQ(found.Width(), 128);
  EXPECT_EQ(found.Height(), 86);  // 85.5 rounded
  EXPECT_FALSE(std::filesystem::exists(Root() + "/normal"));
  // A larger class than any thumbnail there is has nothing.
  EXPECT_FALSE(fresh.Lookup(path, 512, found));

  // A small picture is stored as it is, never enlarged.
  const std::string icon = Picture("icon.png");
  ASSERT_TRUE(fresh.Store(icon, 128, Pattern(50, 40, 9)));
  ASSERT_TRUE(fresh.Lookup(icon, 128, found));
  EXPECT_TRUE(SamePixels(found, Pattern(50, 40, 9)));
}

TEST_F(ThumbnailCacheTest, AStaleOrBrokenThumbnailIsPassedOverAndKept) {
  const TThumbnailCache cache;
  const std::string path = Picture("photo.jpg");
  ASSERT_TRUE(cache.Store(path, 128, Pattern(64, 64)));
  const std::string stored = Root() + "/normal/" + ExpectedName(path);
  const std::string good = fstest::ReadFile(stored);
  TBitmap32 found;

  ASSERT_TRUE(SetMTime(path, 1'600'000'001));
  EXPECT_FALSE(cache.Lookup(path, 128, found));
  EXPECT_EQ(fstest::ReadFile(stored), good);  // other programs may still want it
  // Only whole seconds count, as thumbnails record no more.
  ASSERT_TRUE(SetMTime(path, 1'600'000'000, 999'999'999));
  EXPECT_TRUE(cache.Lookup(path, 128, found));

  const auto withTexts = [&](const std::vector<gfx::TPngText>& texts) {
    const std::vector<uint8_t> png = gfx::EncodePng(Pattern(8, 8), texts);
    return std::string(png.begin(), png.end());
  };
  const std::string uri = base::FileUriOf(path);
  const struct {
    const char* What;
    std::string Bytes;
  } broken[] = {
      {"not a picture", "junk"},
      {"cut short", good.substr(0, good.size() / 2)},
      {"empty", ""},
      {"another file's", withTexts({{"Thumb::URI", uri + "x"}, {"Thumb::MTime", "1600000000"}})},
      {"no time", withTexts({{"Thumb::URI", uri}})},
      {"no URI", withTexts({{"Thumb::MTime", "1600000000"}})},
      {"a time with more", withTexts({{"Thumb::URI", uri}, {"Thumb::MTime", "1600000000.5"}})},
      {"an older time", withTexts({{"Thumb::URI", uri}, {"Thumb::MTime", "1599999999"}})},
  };
  for (const auto& b : broken) {
    ASSERT_TRUE(fstest::MakeFile(stored, b.Bytes));
    EXPECT_FALSE(cache.Lookup(path, 128, found)) << b.What;
    EXPECT_EQ(fstest::ReadFile(stored), b.Bytes) << b.What;
  }
}

// Written the way other programs write them: only the two keys it must have count, in any
// order, among keys this program never writes; and with the permissions that program chose.
TEST_F(ThumbnailCacheTest, AThumbnailAnotherProgramWroteIsUsed) {
  const std::string path = Picture("holiday photo.jpg", 1'234'567'890);
  const TBitmap32 theirs = Pattern(128, 96, 4);
  std::filesystem::create_directories(Root() + "/normal");
  ASSERT_TRUE(gfx::SavePngFile(theirs, Root() + "/normal/" + ExpectedName(path),
                               {{"Thumb::Mimetype", "image/jpeg"},
                                {"Thumb::MTime", "1234567890"},
                                {"Thumb::Image::Width", "4000"},
                                {"Thumb::URI", base::FileUriOf(path)},
                                {"Software", "Another viewer"}}));
  TBitmap32 found;
  ASSERT_TRUE(TThumbnailCache().Lookup(path, 128, found));
  EXPECT_TRUE(SamePixels(found, theirs));
}

TEST_F(ThumbnailCacheTest, TheCacheIsForTheUserAlone) {
  const mode_t old = umask(0);
  const bool stored = TThumbnailCache().Store(Picture("a.png"), 1000, Pattern(16, 16));
  umask(old);
  ASSERT_TRUE(stored);
  for (const std::string& folder : {CacheHome(), Root(), Root() + "/xx-large"})
    EXPECT_EQ(ModeOf(folder), 0700u) << folder;
  EXPECT_EQ(ModeOf(Root() + "/xx-large/" + ExpectedName(Temp.Path("pictures/a.png"))), 0600u);
}

TEST_F(ThumbnailCacheTest, ACacheThatCannotBeWrittenFailsQuietly) {
  const std::string path = Picture("a.png");
  TBitmap32 picture(256, 256);  // noise: its PNG file is far larger than the disk takes below
  uint32_t noise = 1;
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      noise = noise * 1664525u + 1013904223u;
      picture.SetPixel(x, y, 0xFF000000u | (noise >> 8));
    }
  TBitmap32 found;

  // A file where the cache folder should be, and a cache below a folder that has gone (an
  // unmounted disk): nothing is made in its place.
  Temp.File("cache", "a file");
  EXPECT_FALSE(TThumbnailCache().Store(path, 256, picture));
  EXPECT_FALSE(TThumbnailCache().RecordFailure(path));
  const TThumbnailCache gone(Temp.Path("media/disk/cache/thumbnails"));
  EXPECT_FALSE(gone.Store(path, 256, picture));
  EXPECT_FALSE(std::filesystem::exists(Temp.Path("media")));

  // A full disk: the thumbnail and its temporary file are both gone afterwards.
  const TThumbnailCache cache(Temp.Path("full/thumbnails"));
  Temp.Folder("full/thumbnails/large");
  bool storedOnFullDisk = true;
  {
    const fstest::TFileSizeLimit full(4096);
    ASSERT_TRUE(full.Active());
    storedOnFullDisk = cache.Store(path, 256, picture);
  }
  EXPECT_FALSE(storedOnFullDisk);
  EXPECT_EQ(NamesIn(Temp.Path("full/thumbnails/large")), std::vector<std::string>{});
  EXPECT_FALSE(cache.Lookup(path, 256, found));

  // A cache the user may only read.
  const TThumbnailCache readOnly(Temp.Path("shared/thumbnails"));
  Temp.Folder("shared/thumbnails");
  std::string why;
  if (!fstest::RunAsOrdinaryUser(Temp.Root(), [&] {
        ASSERT_EQ(chmod(Temp.Path("shared/thumbnails").c_str(), 0500), 0);
        EXPECT_FALSE(readOnly.Store(path, 256, picture));
        EXPECT_FALSE(readOnly.RecordFailure(path));
        EXPECT_EQ(NamesIn(Temp.Path("shared/thumbnails")), std::vector<std::string>{});
      }, why))
    GTEST_SKIP() << why;
}

TEST_F(ThumbnailCacheTest, AFailureIsRememberedUntilTheFileChanges) {
  const TThumbnailCache cache;
  const std::string broken = Picture("broken.png");
  const std::string other = Picture("other.png");
  EXPECT_FALSE(cache.KnownFailure(broken));
  ASSERT_TRUE(cache.RecordFailure(broken));

  const std::string record = cache.FailurePath(base::FileUriOf(broken));
  EXPECT_TRUE(record.starts_with(Root() + "/fail/norvo-")) << record;
  EXPECT_TRUE(record.ends_with("/" + ExpectedName(broken))) << record;
  const std::optional<TPngFile> file = ReadPng(record);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->Text("Thumb::URI"), base::FileUriOf(broken));
  EXPECT_EQ(file->Text("Thumb::MTime"), "1600000000");
  EXPECT_EQ(ModeOf(record), 0600u);

  EXPECT_TRUE(TThumbnailCache().KnownFailure(broken));
  EXPECT_FALSE(cache.KnownFailure(other));
  TBitmap32 found;
  EXPECT_FALSE(cache.Lookup(broken, 128, found));  // a failure is no thumbnail

  ASSERT_TRUE(SetMTime(broken, 1'700'000'000));  // mended, perhaps: worth another try
  EXPECT_FALSE(cache.KnownFailure(broken));
  EXPECT_TRUE(fstest::Exists(record));
}

TEST_F(ThumbnailCacheTest, NothingInsideTheCacheIsThumbnailed) {
  const TThumbnailCache cache;
  ASSERT_TRUE(cache.Store(Picture("a.png"), 128, Pattern(8, 8)));
  const std::string thumbnail = Root() + "/normal/" + ExpectedName(Temp.Path("pictures/a.png"));
  ASSERT_TRUE(fstest::Exists(thumbnail));
  EXPECT_FALSE(cache.Store(thumbnail, 128, Pattern(8, 8)));
  EXPECT_FALSE(cache.RecordFailure(thumbnail));
  // Reached through a link to the cache, it is the same file.
  ASSERT_EQ(symlink(Root().c_str(), Temp.Path("link-to-cache").c_str()), 0);
  const std::string throughLink = Temp.Path("link-to-cache/normal/") + ExpectedName(Temp.Path("pictures/a.png"));
  EXPECT_FALSE(cache.Store(throughLink, 128, Pattern(8, 8)));
  EXPECT_EQ(NamesIn(Root() + "/normal").size(), 1u);
  EXPECT_FALSE(fstest::Exists(Root() + "/fail"));
}

TEST_F(ThumbnailCacheTest, OddNamesHaveTheThumbnailsOtherProgramsLookFor) {
  const TThumbnailCache cache;
  const char* names[] = {"two words.png", "100%.png", "\xFF\xFE latin.png", "caf\xC3\xA9.png",
                         "new\nline.png", "#what?.png", "%41.png"};
  int seed = 0;
  for (const char* name : names) {
    const std::string path = Picture(name);
    ASSERT_TRUE(cache.Store(path, 128, Pattern(10, 10, ++seed))) << name;
    const std::optional<TPngFile> file = ReadPng(Root() + "/normal/" + ExpectedName(path));
    ASSERT_TRUE(file) << name;
    EXPECT_EQ(file->Text("Thumb::URI"), base::FileUriOf(path));
  }
  seed = 0;
  TBitmap32 found;
  for (const char* name : names) {
    ASSERT_TRUE(cache.Lookup(Temp.Path("pictures/") + name, 128, found)) << name;
    EXPECT_TRUE(SamePixels(found, Pattern(10, 10, ++seed))) << name;
  }
  EXPECT_EQ(NamesIn(Root() + "/normal").size(), std::size(names));
}

// A link has its own entry, checked against the file it leads to.
TEST_F(ThumbnailCacheTest, ALinkIsKeyedByItsOwnPathAndCheckedByItsTarget) {
  const TThumbnailCache cache;
  const std::string target = Picture("target.png");
  const std::string link = Temp.Path("pictures/link.png");
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
  ASSERT_TRUE(cache.Store(link, 128, Pattern(8, 8)));
  EXPECT_TRUE(fstest::Exists(Root() + "/normal/" + ExpectedName(link)));
  TBitmap32 found;
  EXPECT_TRUE(cache.Lookup(link, 128, found));
  EXPECT_FALSE(cache.Lookup(target, 128, found));

  ASSERT_TRUE(SetMTime(target, 1'600'000'100));  // the picture the link shows changed
  EXPECT_FALSE(cache.Lookup(link, 128, found));
  ASSERT_TRUE(SetMTime(target, 1'600'000'000));
  // Turned to another file, the link shows that one; its old thumbnail no longer matches.
  const std::string second = Picture("second.png", 1'600'000'200);
  ASSERT_EQ(unlink(link.c_str()), 0);
  ASSERT_EQ(symlink(second.c_str(), link.c_str()), 0);
  EXPECT_FALSE(cache.Lookup(link, 128, found));
  // A dangling link is nothing to thumbnail.
  ASSERT_EQ(unlink(second.c_str()), 0);
  EXPECT_FALSE(cache.Store(link, 128, Pattern(8, 8)));
}

// The picture was decoded from what the file held when it was described; a file that changed
// meanwhile gets no thumbnail of its old content under its new time.
TEST_F(ThumbnailCacheTest, AFileChangingUnderTheWorkGetsNoThumbnail) {
  const TThumbnailCache cache;
  const std::string path = Picture("a.png");
  TThumbnailSource before = TThumbnailCache::Describe(path);
  ASSERT_TRUE(before);
  ASSERT_TRUE(SetMTime(path, 1'600'000'000, 5));  // rewritten within the same second
  EXPECT_FALSE(cache.Store(before, 128, Pattern(8, 8)));
  EXPECT_FALSE(cache.RecordFailure(before));

  before = TThumbnailCache::Describe(path);
  ASSERT_TRUE(fstest::MakeFile(path, "grown: other content"));  // replaced by another program
  ASSERT_TRUE(SetMTime(path, 1'600'000'000, 5));
  EXPECT_FALSE(cache.Store(before, 128, Pattern(8, 8)));
  EXPECT_FALSE(fstest::Exists(Root() + "/normal/" + ExpectedName(path)));

  before = TThumbnailCache::Describe(path);
  ASSERT_TRUE(cache.Store(before, 128, Pattern(8, 8)));
  ASSERT_EQ(unlink(path.c_str()), 0);  // deleted: its thumbnail shows nothing there now
  TBitmap32 found;
  EXPECT_FALSE(cache.Lookup(path, 128, found));
  EXPECT_FALSE(cache.Store(path, 128, Pattern(8, 8)));
  EXPECT_FALSE(TThumbnailCache::Describe(Temp.Folder("pictures/folder")));
  EXPECT_FALSE(TThumbnailCache::Describe("pictures/relative.png"));
}

}  // namespace
