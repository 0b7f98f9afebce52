#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "IconTestPictures.h"
#include "data/NV_FileIcon.h"
#include "data/NV_IconCache.h"

namespace {

using data::TFileIcon;
using data::TIconCache;
using gfx::TBitmap32;

constexpr int kItems = 2000;
constexpr int kVisible = 24;  // items in view at once
constexpr int kStep = 8;      // items scrolled per paint: each stays in view for three paints
constexpr int kSide = 160;    // 160 x 160 x 4 = 102,400 bytes a picture
constexpr int64_t kBudget = 10'000'000;
constexpr int kAsked = 64;  // the size the items ask their icons for
const char* const kTypes[] = {".txt", ".doc", ".pdf"};

std::string PictureKey(int item) { return "/pics/" + std::to_string(item) + ".png"; }
int ItemOfKey(const std::string& key) { return std::stoi(key.substr(6)); }
gfx::TColor32 ColorOf(int item) { return 0xFF000000u | ((uint32_t(item) * 2654435761u) & 0xFFFFFFu); }
gfx::TColor32 TypeColor(int type) { return 0xFF000000u | uint32_t(0x101010 * (type + 1)); }

// A folder of many pictures scrolled through top to bottom and back: every item has a picture
// icon and a file type icon. The loader hook stands in for the icon workers: what it is asked
// for is published after the paint, as a worker's reply would land.
class IconCacheScroll : public testing::Test {
 protected:
  void SetUp() override {
    Cache.SetLoader([this](const std::string& key, const std::string& owner) {
      EXPECT_TRUE(Pending.insert(key).second) << key << " asked for twice";
      EXPECT_EQ(owner, "item" + std::to_string(ItemOfKey(key)));
      ++Requests[key];
    });
    for (int type = 0; type < 3; ++type) {
      auto claim = Cache.FindOrInsert(kTypes[type], "types");
      ASSERT_TRUE(Cache.Publish(*claim.Source(), icontest::Solid(32, 32, TypeColor(type))));
      TypeKeepers.push_back(std::move(claim));
    }
    for (int item = 0; item < kItems; ++item) {
      const std::string owner = "item" + std::to_string(item);
      Pictures.push_back(std::make_unique<TFileIcon>("General", Cache.FindOrInsert(PictureKey(item), owner)));
      Types.push_back(std::make_unique<TFileIcon>("Type", Cache.FindOrInsert(kTypes[item % 3], owner)));
      Pictures.back()->OnRepaint = Types.back()->OnRepaint = [] {};
    }
  }

  // A worker loaded every picture while nothing was shown yet.
  void LoadEverything() {
    for (int item = 0; item < kItems; ++item) {
      ASSERT_TRUE(Cache.Publish(*Pictures[size_t(item)]->fiSourceData, icontest::Solid(kSide, kSide, ColorOf(item))));
      MaxBytes = std::max(MaxBytes, Cache.PictureBytes());
    }
  }

  struct TShown {
    int Pictures = 0;
    int Types = 0;
  };
  // One paint of the items First .. First + kVisible - 1; the items that left the view drop
  // their copies, as items do. Counts the visible items that showed their icons.
  TShown Paint(int first) {
    Cache.BeginFrame();
    TShown shown;
    const int last = std::min(first + kVisible, kItems);
    for (int item = first; item < last; ++item) {
      Canvas.Clear(icontest::kBackground);
      Pictures[size_t(item)]->Draw(Canvas, gfx::Rect(0, 0, kAsked, kAsked), kAsked, kAsked);
      Types[size_t(item)]->Draw(Canvas, 80, 0, 32, 32);
      shown.Pictures += Canvas.Pixel(32, 32) == ColorOf(item);
      shown.Types += Canvas.Pixel(90, 10) == TypeColor(item % 3);
    }
    Cache.EndFrame();
    EXPECT_LE(Cache.PictureBytes(), kBudget) << "after the paint of " << first;
    MaxBytes = std::max(MaxBytes, Cache.PictureBytes());
    for (int item : InView)
      if (item < first || item >= last) Pictures[size_t(item)]->Reset();
    InView.clear();
    for (int item = first; item < last; ++item) InView.insert(item);
    for (const std::string& key : Pending) {
      EXPECT_TRUE(Cache.Publish(*Cache.Find(key), icontest::Solid(kSide, kSide, ColorOf(ItemOfKey(key)))));
      MaxBytes = std::max(MaxBytes, Cache.PictureBytes());
    }
    Pending.clear();
    return shown;
  }
  // Paints at every top; the pictures shown.
  int Scroll(const std::vector<int>& tops) {
    int shown = 0;
    for (int top : tops) shown += Paint(top).Pictures;
    return shown;
  }

  TIconCache Cache{kBudget};
  std::vector<data::TIconClaim> TypeKeepers;
  std::vector<std::unique_ptr<TFileIcon>> Pictures, Types;
  std::set<std::string> Pending;
  std::map<std::string, int> Requests;
  std::set<int> InView;
  TBitmap32 Canvas = icontest::Solid(120, 64, icontest::kBackground);
  int64_t MaxBytes = 0;
};

TEST_F(IconCacheScroll, TheBudgetHoldsThroughAScrollDownAndBack) {
  LoadEverything();
  EXPECT_LE(MaxBytes, kBudget);
  std::vector<int> down;
  for (int top = 0; top + kVisible <= kItems; top += kStep) down.push_back(top);
  const std::vector<int> up(down.rbegin(), down.rend());

  // Each paint shows at least the items that came into view two paints before: by then they
  // were loaded again and scaled.
  EXPECT_GE(Scroll(down), int(down.size() - 2) * kStep);
  EXPECT_LE(MaxBytes, kBudget);
  // The cache does keep pictures: about the budget's worth, not only what is in view.
  EXPECT_GT(MaxBytes, kBudget - 2 * kSide * kSide * 4);
  ASSERT_FALSE(Pictures[0]->fiSourceData->sdLoaded);  // let go on the way down
  const int askedBefore = Requests[PictureKey(0)];

  EXPECT_GE(Scroll(up), int(up.size() - 2) * kStep);
  EXPECT_LE(MaxBytes, kBudget);
  EXPECT_EQ(Requests[PictureKey(0)], askedBefore + 1);  // drawn again, it was asked for once
  Paint(0);  // the pictures that came back in the last paint are scaled in this one
  const TShown top = Paint(0);
  EXPECT_EQ(top.Pictures, kVisible);
  EXPECT_EQ(top.Types, kVisible);
  for (const char* type : kTypes) EXPECT_TRUE(Cache.Find(type)->sdLoaded) << type;
  EXPECT_LE(Cache.PictureBytes(), kBudget);
}

}  // namespace
