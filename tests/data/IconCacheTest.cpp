#include <gtest/gtest.h>

#include <algorithm>
#include <list>
#include <string>
#include <utility>
#include <vector>

#include "IconTestPictures.h"
#include "config/NV_Settings.h"
#include "data/NV_IconCache.h"

namespace {

using data::TIconCache;
using data::TIconClaim;
using data::TSourceData;
using gfx::TBitmap32;

constexpr int64_t kPicture = 100 * 100 * 4;  // the bytes of Picture()

TBitmap32 Picture() { return icontest::Solid(100, 100, icontest::kRed); }

std::list<std::string> Owners(const TSourceData& source) { return source.sdOwners.Copy(); }

TEST(IconCache, TwoHandlesShareOneSourceFreedWithTheSecond) {
  TIconCache cache(TIconCache::kMiB);
  TIconClaim first = cache.FindOrInsert("/pics/a.png", "item1");
  TIconClaim second = cache.FindOrInsert("/pics/a.png", "item2");
  ASSERT_NE(first.Source(), nullptr);
  EXPECT_EQ(first.Source(), second.Source());
  EXPECT_TRUE(first.Inserted());
  EXPECT_FALSE(second.Inserted());
  EXPECT_EQ(Owners(*first.Source()), (std::list<std::string>{"item1", "item2"}));
  ASSERT_TRUE(cache.Publish(*first.Source(), Picture()));
  EXPECT_EQ(cache.PictureBytes(), kPicture);

  std::weak_ptr<TSourceData> source = first.Source();
  first.Release();
  EXPECT_FALSE(first.Valid());
  EXPECT_EQ(cache.Find("/pics/a.png"), second.Source());  // the first release leaves it
  EXPECT_EQ(Owners(*second.Source()), std::list<std::string>{"item2"});
  EXPECT_EQ(cache.PictureBytes(), kPicture);
  EXPECT_TRUE(second.Source()->sdLoaded);

  second.Release();  // the second frees it
  EXPECT_EQ(cache.Find("/pics/a.png"), nullptr);
  EXPECT_EQ(cache.SourceCount(), 0);
  EXPECT_EQ(cache.PictureBytes(), 0);
  EXPECT_TRUE(source.expired());
}

// One item may hold several handles on one source: each release takes its own entry only.
TEST(IconCache, EachReleaseTakesItsOwnEntry) {
  TIconCache cache(TIconCache::kMiB);
  TIconClaim a = cache.FindOrInsert(".txt", "x");
  TIconClaim b = cache.FindOrInsert(".txt", "y");
  {
    TIconClaim c = cache.FindOrInsert(".txt", "x");
    EXPECT_EQ(a.Source()->OwnerCount(), 3);
  }  // a claim that dies releases itself
  EXPECT_EQ(Owners(*a.Source()), (std::list<std::string>{"x", "y"}));
  TIconClaim moved = std::move(b);
  EXPECT_FALSE(b.Valid());
  EXPECT_EQ(moved.Owner(), "y");
  a.Release();
  a.Release();  // a second release does nothing
  EXPECT_EQ(Owners(*moved.Source()), std::list<std::string>{"y"});
  EXPECT_EQ(cache.SourceCount(), 1);
}

TEST(IconCache, PublishingSetsTheFlags) {
  TIconCache cache(TIconCache::kMiB);
  TIconClaim good = cache.FindOrInsert("/pics/good.png", "item");
  TIconClaim bad = cache.FindOrInsert("/pics/bad.png", "item");
  for (const TIconClaim* claim : {&good, &bad}) {
    EXPECT_TRUE(claim->Source()->sdLoading);
    EXPECT_FALSE(claim->Source()->sdLoaded);
    EXPECT_FALSE(claim->Source()->sdError);
  }
  ASSERT_TRUE(cache.Publish(*good.Source(), icontest::Solid(3, 2, icontest::kBlue)));
  cache.PublishFailed(*bad.Source());
  EXPECT_TRUE(good.Source()->sdLoaded);
  EXPECT_FALSE(good.Source()->sdLoading);
  EXPECT_FALSE(bad.Source()->sdLoading);
  EXPECT_FALSE(bad.Source()->sdLoaded);
  EXPECT_TRUE(bad.Source()->sdError);
  TBitmap32 copy;
  uint64_t version = 0;
  ASSERT_TRUE(good.Source()->CopyImage(copy, version));
  EXPECT_EQ(copy.Width(), 3);
  EXPECT_EQ(copy.Pixel(2, 1), icontest::kBlue);
  EXPECT_FALSE(bad.Source()->CopyImage(copy, version));
  EXPECT_EQ(cache.PictureBytes(), 3 * 2 * 4);
}

// A worker that finishes after the last handle went publishes into nothing, also when a new
// handle made a fresh source of the same key meanwhile.
TEST(IconCache, ALatePublicationIsDropped) {
  TIconCache cache(TIconCache::kMiB);
  TIconClaim claim = cache.FindOrInsert("/pics/a.png", "item");
  std::shared_ptr<TSourceData> old = claim.Source();  // what the worker holds
  claim.Release();
  TIconClaim fresh = cache.FindOrInsert("/pics/a.png", "item");
  EXPECT_TRUE(fresh.Inserted());
  EXPECT_NE(fresh.Source(), old);
  EXPECT_FALSE(cache.Publish(*old, Picture()));
  EXPECT_FALSE(old->sdLoaded);
  EXPECT_FALSE(fresh.Source()->sdLoaded);
  EXPECT_EQ(cache.PictureBytes(), 0);
}

TEST(IconCache, TheBudgetComesFromTheOptions) {
  config::TOptions options;
  options.Cache.PictureMiB = 3;
  config::SetOptions(options);
  EXPECT_EQ(TIconCache().Budget(), 3 * TIconCache::kMiB);
  config::SetOptions(config::TOptions());
  EXPECT_EQ(TIconCache().Budget(), 256 * TIconCache::kMiB);
}

// ---- The budget ----------------------------------------------------------------------------

class IconCacheBudget : public testing::Test {
 protected:
  TIconCache Cache{3 * kPicture};
  std::vector<TIconClaim> Claims;
  std::vector<std::pair<std::string, std::string>> LoadRequests;

  void SetUp() override {
    Cache.SetLoader([this](const std::string& key, const std::string& owner) {
      LoadRequests.emplace_back(key, owner);
    });
  }
  TSourceData& Claimed(const std::string& key) {
    Claims.push_back(Cache.FindOrInsert(key, "item:" + key));
    return *Claims.back().Source();
  }
  TSourceData& Loaded(const std::string& key) {
    TSourceData& source = Claimed(key);
    EXPECT_TRUE(Cache.Publish(source, Picture()));
    return source;
  }
  // One paint that draws the sources given.
  void Frame(std::initializer_list<TSourceData*> drawn) {
    Cache.BeginFrame();
    for (TSourceData* source : drawn) Cache.Drawn(*source, "item:" + source->sdID);
    Cache.EndFrame();
  }
};

TEST_F(IconCacheBudget, TheLeastRecentlyDrawnGoesFirst) {
  TSourceData& a = Loaded("/a.png");
  TSourceData& b = Loaded("/b.png");
  TSourceData& c = Loaded("/c.png");
  Frame({&a, &b, &c});
  Frame({&b, &c});
  Frame({&c});
  EXPECT_EQ(Cache.PictureBytes(), 3 * kPicture);
  // A new item in view: drawn while it loads, its picture lands during a later paint.
  TSourceData& d = Claimed("/d.png");
  Frame({&c, &d});
  Cache.BeginFrame();
  Cache.Drawn(c, "item");
  Cache.Drawn(d, "item");
  ASSERT_TRUE(Cache.Publish(d, Picture()));
  Cache.EndFrame();
  EXPECT_EQ(Cache.PictureBytes(), 3 * kPicture);
  EXPECT_FALSE(a.sdLoaded);  // drawn longest ago
  EXPECT_TRUE(a.sdLoading);
  EXPECT_TRUE(a.Dropped());
  EXPECT_TRUE(b.sdLoaded);
  EXPECT_TRUE(c.sdLoaded);
  EXPECT_TRUE(d.sdLoaded);
  TBitmap32 copy;
  uint64_t version = 0;
  EXPECT_FALSE(a.CopyImage(copy, version));
  EXPECT_EQ(a.sdImage.WithLock([](const TBitmap32& image) { return image.Empty(); }), true);
  EXPECT_TRUE(LoadRequests.empty());  // nothing dropped was drawn yet
}

TEST_F(IconCacheBudget, WhatIsInViewStaysEvenBeyondTheBudget) {
  TSourceData& a = Loaded("/a.png");
  TSourceData& b = Loaded("/b.png");
  TSourceData& c = Loaded("/c.png");
  Cache.SetBudget(kPicture);  // the sources were drawn in no paint yet: two go at once
  EXPECT_EQ(Cache.PictureBytes(), kPicture);
  Frame({&a, &b, &c});  // what went comes back through the loader
  for (const auto& [key, owner] : LoadRequests) EXPECT_TRUE(Cache.Publish(*Cache.Find(key), Picture()));
  Frame({&a, &b, &c});
  EXPECT_EQ(Cache.PictureBytes(), 3 * kPicture);
  EXPECT_TRUE(a.sdLoaded && b.sdLoaded && c.sdLoaded);
  Frame({&b});
  EXPECT_EQ(Cache.PictureBytes(), kPicture);
  EXPECT_TRUE(b.sdLoaded);
  EXPECT_FALSE(a.sdLoaded || c.sdLoaded);
}

// A publication trims too, but spares what the last paint drew and what this one draws; of
// two pictures drawn as long ago, the one just published stays.
TEST_F(IconCacheBudget, APublicationSparesWhatIsInView) {
  TSourceData& a = Loaded("/a.png");
  TSourceData& b = Loaded("/b.png");
  TSourceData& c = Loaded("/c.png");
  Frame({&a, &b});
  Cache.BeginFrame();
  Cache.Drawn(b, "item");
  TSourceData& d = Loaded("/d.png");  // lands during the paint
  EXPECT_FALSE(c.sdLoaded);           // c was not drawn in the last paint
  EXPECT_TRUE(a.sdLoaded);            // a was, and may still be drawn in this one
  EXPECT_TRUE(b.sdLoaded);
  EXPECT_TRUE(d.sdLoaded);
  Cache.EndFrame();
  EXPECT_EQ(Cache.PictureBytes(), 3 * kPicture);
}

TEST_F(IconCacheBudget, FileTypeIconsAreNeitherCountedNorDropped) {
  Claims.push_back(Cache.FindOrInsert(".txt", "item"));
  TSourceData& text = *Claims.back().Source();
  ASSERT_TRUE(Cache.Publish(text, icontest::Solid(400, 400, icontest::kBlue)));  // 160 times a picture
  for (int i = 0; i < 10; ++i) Loaded("/p" + std::to_string(i) + ".png");
  for (int i = 0; i < 3; ++i) Frame({});
  EXPECT_TRUE(text.sdLoaded);
  EXPECT_EQ(Cache.PictureBytes(), 3 * kPicture);
}

TEST_F(IconCacheBudget, NothingGoesThatCouldNotComeBack) {
  Cache.SetLoader(nullptr);
  for (int i = 0; i < 5; ++i) Loaded("/p" + std::to_string(i) + ".png");
  Frame({});
  EXPECT_EQ(Cache.PictureBytes(), 5 * kPicture);
  Cache.SetLoader([](const std::string&, const std::string&) {});
  Frame({});
  EXPECT_EQ(Cache.PictureBytes(), 3 * kPicture);
}

TEST_F(IconCacheBudget, ADroppedSourceDrawnAgainIsLoadedOnce) {
  TSourceData& a = Loaded("/a.png");
  Cache.SetBudget(0);
  ASSERT_TRUE(a.Dropped());
  Cache.BeginFrame();
  Cache.Drawn(a, "item7");
  Cache.Drawn(a, "item8");  // asked for already
  Cache.EndFrame();
  Frame({&a});
  ASSERT_EQ(LoadRequests.size(), 1u);
  EXPECT_EQ(LoadRequests[0], (std::pair<std::string, std::string>{"/a.png", "item7"}));
  EXPECT_FALSE(a.Dropped());
  EXPECT_TRUE(a.sdLoading);
  ASSERT_TRUE(Cache.Publish(a, Picture()));  // the loader's worker finishes
  EXPECT_TRUE(a.sdLoaded);
  EXPECT_FALSE(a.sdLoading);
  Frame({&a});
  EXPECT_EQ(LoadRequests.size(), 1u);
}

}  // namespace
