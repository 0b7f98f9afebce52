// Renaming items and refreshing them from disk, with the names a file system allows: invalid
// UTF-8, line breaks, 255 bytes.
#include <gtest/gtest.h>

#include "FolderFixture.h"
#include "data/NV_FileItems.h"

namespace {

using namespace foldertest;

class ItemRename : public FolderTest {
 protected:
  int MessageBoxes() const {
    int count = 0;
    for (const std::string& call : Backend.Dialog.Calls) count += call.rfind("MessageBox: Can not rename: ", 0) == 0;
    return count;
  }
};

TEST_F(ItemRename, TheSameOrAnEmptyNameDoesNothingAndSaysNothing) {
  Tmp.File("keep.txt", "x");
  ListTemp();
  data::TItemData* item = Named("keep.txt");
  EXPECT_FALSE(item->Rename(""));
  EXPECT_FALSE(item->Rename("keep.txt"));
  EXPECT_EQ(MessageBoxes(), 0);
  EXPECT_TRUE(platform::Fs::Exists(Tmp.Path("keep.txt")));
}

TEST_F(ItemRename, UnsafeNamesAndTakenNamesAreRefusedWithTheMessage) {
  Tmp.File("mine.txt", "mine");
  Tmp.File("taken.txt", "other");
  ListTemp();
  data::TItemData* item = Named("mine.txt");
  for (const char* bad : {"a/b", "..", ".", "taken.txt"}) {
    EXPECT_FALSE(item->Rename(bad)) << bad;
  }
  EXPECT_EQ(MessageBoxes(), 4);
  EXPECT_EQ(item->ID_FILE_DATA.FD_NAME, "mine.txt");
  EXPECT_TRUE(platform::Fs::Exists(Tmp.Path("mine.txt")));
  ExpectConsistent();
}

TEST_F(ItemRename, ARenamedItemKeepsItsClassAndPlaceAndIsFoundByItsNewPath) {
  Tmp.File("photo.png", "not really a picture");
  Tmp.File("b.txt", "x");
  ListTemp();
  data::TItemData* item = Named("photo.png");
  const int place = item->idPointer;
  ASSERT_TRUE(item->Rename("zz-notes.txt"));
  EXPECT_TRUE(item->ClassIs<data::TGraphicItem>());
  EXPECT_EQ(item->idPointer, place);
  EXPECT_EQ(item->ID_FILE_DATA.FD_EXT.Text(), ".txt");
  EXPECT_EQ(item->ID_CAPTION(), "zz-notes");
  EXPECT_EQ(Folder->Item_ByPath(Tmp.Path("zz-notes.txt")), item);
  EXPECT_EQ(Folder->Item_ByPath(Tmp.Path("photo.png")), nullptr);
  EXPECT_TRUE(platform::Fs::Exists(Tmp.Path("zz-notes.txt")));
  ExpectConsistent();
}

TEST_F(ItemRename, OddNamesAreShownSortedRenamedAndDeleted) {
  const std::string invalid = "bad\xff\xfename.txt";
  const std::string broken = "two\nlines.txt";
  const std::string longest = std::string(251, 'L') + ".txt";
  for (const std::string& name : {invalid, broken, longest}) Tmp.File(name, "x");
  ListTemp();
  ASSERT_EQ(Folder->Count(true), 4);  // a group and the three
  for (const std::string& name : {invalid, broken, longest}) ASSERT_NE(Named(name), nullptr);
  EXPECT_EQ(Named(longest)->ID_CAPTION(), std::string(251, 'L'));
  // Painting them draws their captions without trouble.
  gfx::TBitmap32 canvas(1000, 600);
  Folder->PaintItems(canvas);
  // Renamed into one another's kind of name and back.
  ASSERT_TRUE(Named(invalid)->Rename("now\xc3valid?.txt"));
  ASSERT_TRUE(Named(broken)->Rename("still\nbroken.txt"));
  EXPECT_TRUE(platform::Fs::Exists(Tmp.Path("still\nbroken.txt")));
  EXPECT_FALSE(Named(longest)->Rename(std::string(256, 'x'))) << "too long for the file system";
  ExpectConsistent();
  Folder->Items_SelectAll();
  Folder->File_DeleteSelected();
  ASSERT_TRUE(Backend.Loop.RunUntil([&] { return Backend.FileOps.Running() == 0; }, 60000));
  EXPECT_FALSE(platform::Fs::Exists(Tmp.Path("still\nbroken.txt")));
  EXPECT_FALSE(platform::Fs::Exists(Tmp.Path("now\xc3valid?.txt")));
  EXPECT_FALSE(platform::Fs::Exists(Tmp.Path(longest)));
}

TEST_F(ItemRename, RefreshingFromDiskReadsTheEntryAgainAndAVanishedOneChangesNothing) {
  const std::string path = Tmp.File("grow.log", "1");
  ListTemp();
  data::TItemData* item = Named("grow.log");
  Tmp.File("grow.log", "1234567890");  // another program wrote it anew
  ASSERT_TRUE(Folder->Item_Update(path, ""));
  EXPECT_EQ(item->ID_FILE_DATA.FD_SIZE, 10);
  std::remove(path.c_str());
  EXPECT_FALSE(Folder->Item_Update(path, ""));
  EXPECT_EQ(item->ID_FILE_DATA.FD_SIZE, 10);
  ExpectConsistent();
}

TEST_F(ItemRename, ACreatedFileJoinsItsGroupInOrderAndARemovedOneLeavesNoTrace) {
  Tmp.File("a.txt", "x");
  Tmp.File("c.txt", "x");
  ListTemp();
  const std::string created = Tmp.File("b.txt", "x");
  ASSERT_NE(Folder->Item_Add(created, true), nullptr);
  Folder->Items_Resort();
  ExpectConsistent();
  EXPECT_EQ(DisplayOrder(), (std::vector<std::string>{"[default]", "a.txt", "b.txt", "c.txt"}));
  EXPECT_EQ(Folder->Item_Add(Tmp.Path("missing.txt"), true), nullptr);
  ASSERT_TRUE(Folder->Item_Rem(created));
  EXPECT_FALSE(Folder->Item_Rem(created));
  ExpectConsistent();
  EXPECT_EQ(DisplayOrder(), (std::vector<std::string>{"[default]", "a.txt", "c.txt"}));
}

}  // namespace
