// The folder's icon workers load pictures while the interface thread scrolls, filters, regroups
// and paints; run under ThreadSanitizer this shows the hand-over is clean.
#include <gtest/gtest.h>

#include "FolderFixture.h"
#include "data/NV_SourceData.h"

namespace {

using namespace foldertest;

TEST_F(FolderTest, ThreadIconsLoadWhileTheViewScrollsFiltersAndRegroups) {
  for (int i = 0; i < 120; ++i) {
    Tmp.File("picture" + std::to_string(i) + ".png", "not a picture " + std::to_string(i));
    Tmp.File("text" + std::to_string(i) + ".txt", "x");
    Tmp.File("page" + std::to_string(i) + ".md", "x");
  }
  ListTemp();  // the icon tasks start here
  gfx::TBitmap32 canvas(1000, 600);
  for (int round = 0; round < 6; ++round) {
    ctrl::TWheelMessage message;
    message.WheelDelta = round % 2 == 0 ? -120 : 120;
    Folder->On_MouseWheel(message);
    Backend.Loop.Advance(30);
    Folder->PaintItems(canvas);
    Folder->QuickFilter(round % 3 == 0 ? "1" : "");
    Folder->Group_By(round % 2 == 0 ? data::gmExt : data::gmSmart);
    Folder->PaintItems(canvas);
    ExpectConsistent();
  }
  // Every source in view gets its picture (a fallback for these broken files) in the end.
  ASSERT_TRUE(Backend.Loop.RunUntil(
      [&] {
        Folder->PaintItems(canvas);
        const auto source = Host.Cache.Find(Tmp.Path("picture0.png"));
        return source != nullptr && (source->sdLoaded || source->sdError);
      },
      60000));
  // Each source was decoded once however many workers and passes asked for it.
  for (int i : {0, 1, 2}) {
    const auto source = Host.Cache.Find(Tmp.Path("picture" + std::to_string(i) + ".png"));
    ASSERT_NE(source, nullptr) << i;
    if (source->sdLoaded) {
      EXPECT_EQ(source->Version(), 1u) << i;
    }
  }
  // A tab closed while its workers run: they stop before anything they read goes.
  Folder->Sleep();
  Folder->SetIcons(true);
  Folder.reset();
  Backend.Loop.RunUntilIdle();
}

}  // namespace
