// Painting a folder touches only the tiles in view, and tiles that leave the view let go of
// what only a tile on screen needs.
#include <gtest/gtest.h>

#include "FolderFixture.h"
#include "data/NV_FileIcon.h"

namespace {

using namespace foldertest;

TEST_F(FolderTest, OnlyTilesInViewHoldIconHandlesAndTheyLetGoWhenScrolledAway) {
  data::TVirtualFolder& folder = MakeFolder("/virtual/");
  folder.GlobalPause();  // no icon workers: this is about the painter alone
  std::vector<data::TListedEntry> entries;
  for (int i = 0; i < 2000; ++i) entries.push_back(Entry("file" + std::to_string(10000 + i) + ".txt"));
  folder.AddEntries(std::move(entries));
  gfx::TBitmap32 canvas(1000, 600);
  folder.PaintItems(canvas);
  auto withHandles = [&] {
    int count = 0;
    for (const data::TItemPointer& e : folder.vfPointers) {
      data::TFileIcon* icon = nullptr;
      count += e.ItemData->FindIconData("General", icon);
    }
    return count;
  };
  const data::TItemData* first = Named("file10000.txt");
  data::TFileIcon* icon = nullptr;
  ASSERT_TRUE(first->FindIconData("General", icon)) << "a tile in view got its handle";
  const int inView = withHandles();
  EXPECT_GT(inView, 10);
  EXPECT_LT(inView, 200) << "tiles out of view were painted too";
  folder.vfScrollPos = folder.vfScrollMax;
  folder.Arrange();
  folder.PaintItems(canvas);
  EXPECT_FALSE(first->FindIconData("General", icon)) << "a tile that left the view keeps its handle";
  EXPECT_LT(withHandles(), 200);
  EXPECT_TRUE(Named("file11999.txt")->FindIconData("General", icon));
  ExpectConsistent();
}

}  // namespace
