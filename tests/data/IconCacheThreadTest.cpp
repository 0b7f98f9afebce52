#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <latch>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "IconTestPictures.h"
#include "data/NV_FileIcon.h"
#include "data/NV_IconCache.h"
#include "tasks/NV_Locked.h"

namespace {

using data::TFileIcon;
using data::TIconCache;
using data::TIconClaim;
using data::TSourceData;

constexpr int kThreads = 8;

// Runs Work(thread) on kThreads threads that start together.
template <typename Work>
void OnThreads(Work work) {
  std::latch start(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      start.arrive_and_wait();
      work(t);
    });
  for (std::thread& thread : threads) thread.join();
}

TEST(IconCacheThreads, OneKeyAskedForEverywhereGivesOneSource) {
  TIconCache cache(TIconCache::kMiB);
  constexpr int kClaims = 200;
  std::vector<std::vector<TIconClaim>> claims(kThreads);
  OnThreads([&](int t) {
    for (int i = 0; i < kClaims; ++i) claims[size_t(t)].push_back(cache.FindOrInsert("/same.png", "t" + std::to_string(t)));
  });
  const std::shared_ptr<TSourceData> source = cache.Find("/same.png");
  ASSERT_NE(source, nullptr);
  int inserted = 0;
  for (const auto& list : claims)
    for (const TIconClaim& claim : list) {
      EXPECT_EQ(claim.Source(), source);
      inserted += claim.Inserted();
    }
  EXPECT_EQ(inserted, 1);
  EXPECT_EQ(source->OwnerCount(), kThreads * kClaims);

  OnThreads([&](int t) { claims[size_t(t)].clear(); });
  EXPECT_EQ(cache.SourceCount(), 0);
  EXPECT_EQ(source->OwnerCount(), 0);
}

TEST(IconCacheThreads, ManyKeysGiveOneSourceEach) {
  TIconCache cache(TIconCache::kMiB);
  constexpr int kShared = 100, kOwn = 50;
  std::vector<std::map<std::string, TIconClaim>> claims(kThreads);
  OnThreads([&](int t) {
    for (int i = 0; i < kShared; ++i) {
      const std::string key = "/shared/" + std::to_string((i + t * 13) % kShared) + ".png";
      claims[size_t(t)].emplace(key, cache.FindOrInsert(key, "t" + std::to_string(t)));
    }
    for (int i = 0; i < kOwn; ++i) {
      const std::string key = "/own" + std::to_string(t) + "/" + std::to_string(i) + ".png";
      claims[size_t(t)].emplace(key, cache.FindOrInsert(key, "t" + std::to_string(t)));
    }
  });
  EXPECT_EQ(cache.SourceCount(), kShared + kThreads * kOwn);
  for (int i = 0; i < kShared; ++i) {
    const std::string key = "/shared/" + std::to_string(i) + ".png";
    const std::shared_ptr<TSourceData> source = cache.Find(key);
    int inserted = 0;
    for (const auto& list : claims) {
      EXPECT_EQ(list.at(key).Source(), source) << key;
      inserted += list.at(key).Inserted();
    }
    EXPECT_EQ(inserted, 1) << key;
    EXPECT_EQ(source->OwnerCount(), kThreads) << key;
  }
}

// Claims and releases of one key cross: while a claim is held, the cache holds its source.
TEST(IconCacheThreads, ClaimsAndReleasesCross) {
  TIconCache cache(TIconCache::kMiB);
  std::atomic<int> strays{0};
  OnThreads([&](int t) {
    for (int i = 0; i < 500; ++i) {
      TIconClaim claim = cache.FindOrInsert("/busy.png", "t" + std::to_string(t));
      if (cache.Find("/busy.png") != claim.Source()) ++strays;
    }
  });
  EXPECT_EQ(strays.load(), 0);
  EXPECT_EQ(cache.SourceCount(), 0);
}

// Workers publish whole pictures (and the cache lets pictures go to keep a small budget) while
// the interface thread paints: every copy drawn is one whole published picture.
TEST(IconCacheThreads, PublishingWhileTheInterfaceThreadDraws) {
  constexpr int kSide = 20;
  TIconCache cache(4 * kSide * kSide * 4);
  const gfx::TColor32 palette[] = {icontest::kRed, icontest::kGreen, icontest::kBlue};
  std::vector<std::string> keys;
  for (int i = 0; i < 16; ++i) keys.push_back("/pics/" + std::to_string(i) + ".png");
  keys.push_back(".txt");
  keys.push_back(".doc");
  std::vector<std::unique_ptr<TFileIcon>> icons;
  for (const std::string& key : keys) {
    icons.push_back(std::make_unique<TFileIcon>("General", cache.FindOrInsert(key, "item:" + key)));
    icons.back()->OnRepaint = [] {};
  }
  tasks::Locked<std::vector<std::string>> reloads;
  cache.SetLoader([&](const std::string& key, const std::string&) {
    reloads.WithLock([&](auto& list) { list.push_back(key); });
  });

  for (const char* type : {".txt", ".doc"})
    ASSERT_TRUE(cache.Publish(*cache.Find(type), icontest::Solid(kSide, kSide, icontest::kRed)));

  std::atomic<bool> stop{false};
  std::atomic<int> published{0};
  std::vector<std::thread> workers;
  for (int w = 0; w < kThreads; ++w)
    workers.emplace_back([&, w] {
      std::mt19937 random{unsigned(w)};
      while (!stop) {
        std::vector<std::string> asked = reloads.Exchange({});
        asked.push_back(keys[random() % keys.size()]);
        for (const std::string& key : asked)
          if (std::shared_ptr<TSourceData> source = cache.Find(key))
            published += cache.Publish(*source, icontest::Solid(kSide, kSide, palette[random() % 3]));
        std::this_thread::yield();
      }
    });

  gfx::TBitmap32 canvas(kSide, kSide);
  int torn = 0, shown = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  for (int frame = 0; frame < 300 || (published < 3000 && std::chrono::steady_clock::now() < deadline); ++frame) {
    cache.BeginFrame();
    for (size_t i = 0; i < icons.size(); ++i) {
      if ((frame + int(i)) % 3 == 0) continue;  // some items are out of view now and then
      canvas.Clear(icontest::kBackground);
      icons[i]->Draw(canvas, gfx::Rect(0, 0, kSide, kSide), kSide, kSide);
      const gfx::TColor32 corner = canvas.Pixel(0, 0);
      if (corner != canvas.Pixel(kSide - 1, kSide - 1) || corner != canvas.Pixel(kSide / 2, 0)) ++torn;
      shown += corner != icontest::kBackground;
    }
    cache.EndFrame();
  }
  stop = true;
  for (std::thread& worker : workers) worker.join();
  EXPECT_EQ(torn, 0);
  EXPECT_GT(shown, 0);
  EXPECT_GE(published.load(), 3000);
  cache.BeginFrame();
  cache.EndFrame();
  EXPECT_LE(cache.PictureBytes(), cache.Budget());
  EXPECT_TRUE(cache.Find(".txt")->sdLoaded);
}

}  // namespace
