#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "ThumbnailCacheFixture.h"

using data::TThumbnailCache;
using gfx::TBitmap32;
using namespace thumbtest;

namespace {

using ThumbnailCacheThreadTest = ThumbnailCacheFixture;

// Icon workers race over the same few files: each looks one up and stores it when missing,
// so the same thumbnail is written and read at once. A thumbnail found is always a whole one
// and the one of its own file.
TEST_F(ThumbnailCacheThreadTest, WorkersStoringAndLookingUpAtOnceSeeWholeThumbnails) {
  const TThumbnailCache cache;
  constexpr int kFiles = 4;
  std::vector<std::string> paths;
  std::vector<TBitmap32> pictures;
  for (int i = 0; i < kFiles; ++i) {
    paths.push_back(Picture("p" + std::to_string(i) + ".png"));
    pictures.push_back(Pattern(96, 64, i * 40));
  }
  const std::string broken = Picture("broken.png");
  std::atomic<int> wrong{0}, found{0};
  std::vector<std::thread> workers;
  for (int w = 0; w < 6; ++w)
    workers.emplace_back([&, w] {
      for (int round = 0; round < 30; ++round) {
        const int i = (w + round) % kFiles;
        TBitmap32 thumbnail;
        if (cache.Lookup(paths[size_t(i)], 128, thumbnail)) {
          ++found;
          if (!SamePixels(thumbnail, pictures[size_t(i)])) ++wrong;
        } else if (!cache.Store(paths[size_t(i)], 128, pictures[size_t(i)])) {
          ++wrong;
        }
        if (!cache.KnownFailure(broken) && !cache.RecordFailure(broken)) ++wrong;
      }
    });
  for (std::thread& worker : workers) worker.join();
  EXPECT_EQ(wrong, 0);
  EXPECT_GT(found, 0);
  for (int i = 0; i < kFiles; ++i) {
    TBitmap32 thumbnail;
    ASSERT_TRUE(cache.Lookup(paths[size_t(i)], 128, thumbnail));
    EXPECT_TRUE(SamePixels(thumbnail, pictures[size_t(i)]));
  }
  EXPECT_TRUE(cache.KnownFailure(broken));
  // Every temporary file was renamed into place or removed.
  size_t names = 0;
  for (const auto& entry : std::filesystem::directory_iterator(Root() + "/normal")) {
    EXPECT_EQ(entry.path().filename().string()[0] != '.', true) << entry.path();
    ++names;
  }
  EXPECT_EQ(names, size_t(kFiles));
}

}  // namespace
