// Item rules that need no folder listing: which class an entry gets, the recent tip, hover
// among sub-items, menu keys and group captions.
#include <gtest/gtest.h>

#include "FolderFixture.h"
#include "config/NV_Format.h"
#include "data/NV_FileItems.h"

namespace {

using namespace foldertest;
using data::TItemClass;

TEST(ItemClass, ProgramsAreExecutableFilesWithAProgramsNameOrLaunchers) {
  struct TCase {
    const char* Ext;
    bool Executable;
    TItemClass Class;
  };
  const TCase cases[] = {
      {".folder", false, data::icFolder},   {".png", true, data::icGraphic},
      {".jpeg", false, data::icGraphic},    {".exe", false, data::icFile},  // opened, never run
      {".exe", true, data::icFile},         {"", true, data::icExecutable},
      {".sh", true, data::icExecutable},    {".sh", false, data::icFile},
      {".txt", true, data::icFile},  // every file of a FAT stick has the bit
      {".desktop", false, data::icExecutable}, {".lnk", false, data::icFile}};
  for (const TCase& c : cases) {
    data::TFileData fileData;
    fileData.FD_EXT = data::TSharedText(c.Ext);
    fileData.FD_EXECUTABLE = c.Executable;
    EXPECT_EQ(data::ItemClassOf(fileData), c.Class) << c.Ext << " " << c.Executable;
  }
}

config::TDateTime gNow = 0;
config::TDateTime TestClock() { return gNow; }

TEST_F(FolderTest, TheRecentTipShowsInTheCornerOfARecentTile) {
  gNow = config::EncodeDateTime(2026, 12, 11, 15, 0);
  data::SetItemClock(TestClock);
  data::TVirtualFolder& folder = MakeFolder("/virtual/");
  std::vector<data::TListedEntry> entries;
  entries.push_back(Entry("fresh.txt"));
  entries.back().Data.FD_TIME_CREATE = gNow - 1.2;  // yesterday: "1 Days ago"
  entries.push_back(Entry("old.txt"));
  entries.back().Data.FD_TIME_CREATE = gNow - 30;
  folder.AddEntries(std::move(entries));
  data::TItemData* fresh = Named("fresh.txt");
  data::TItemData* old = Named("old.txt");
  EXPECT_TRUE(fresh->ID_Recent);
  EXPECT_FALSE(old->ID_Recent);
  fresh->On_MouseMove({}, fresh->SC_POS.X + 7, fresh->SC_POS.Y + 7);
  ASSERT_EQ(Host.Tips.size(), 1u);
  EXPECT_EQ(Host.Tips[0].rfind("Created: 1 Days ago (", 0), 0u) << Host.Tips[0];
  fresh->On_MouseMove({}, fresh->SC_POS.X + 15, fresh->SC_POS.Y + 7);  // the square's edge is out
  old->On_MouseMove({}, old->SC_POS.X + 7, old->SC_POS.Y + 7);
  EXPECT_EQ(Host.Tips.size(), 1u);
  EXPECT_EQ(data::RecentTipText(gNow - 0.1, gNow).rfind("Created: Today (", 0), 0u);
  data::SetItemClock(nullptr);
}

TEST_F(FolderTest, HoverMovesAmongSubItemsAndLeavesWithTheParent) {
  data::TVirtualFolder& folder = MakeFolder("/virtual/");
  std::vector<data::TListedEntry> entries;
  entries.push_back(Entry("a.txt"));
  entries.push_back(Entry("b.txt"));
  folder.AddEntries(std::move(entries));
  data::TGroupData& group = *folder.vfGroups[0];
  data::TItemData* a = Named("a.txt");
  data::TItemData* b = Named("b.txt");
  data::TItemData* hot = nullptr;
  ASSERT_TRUE(group.SubItemNotify(a->SC_POS.X + 1, a->SC_POS.Y + 1, hot));
  EXPECT_EQ(hot, a);
  EXPECT_EQ(a->ID_STATE, data::isHot);
  folder.ItemSelect(b);
  ASSERT_TRUE(group.SubItemNotify(b->SC_POS.X + 1, b->SC_POS.Y + 1, hot));
  EXPECT_EQ(a->ID_STATE, data::isNormal);
  EXPECT_EQ(b->ID_STATE, data::isHotSel);
  group.On_Leave(-1, -1);
  EXPECT_EQ(b->ID_STATE, data::isSel);
  EXPECT_FALSE(group.SubItemNotify(-100, -100, hot));
  ExpectConsistent();
}

TEST_F(FolderTest, MenuKeysNameEachKindOfSelectedEntryOnce) {
  data::TVirtualFolder& folder = MakeFolder("/virtual/");
  std::vector<data::TListedEntry> entries;
  for (const char* name : {"a.txt", "b.txt", "c.pdf"}) entries.push_back(Entry(name));
  entries.push_back(Entry("sub", 0, true));
  folder.AddEntries(std::move(entries));
  folder.Items_SelectAll();
  std::vector<std::string> keys;
  folder.BuildMenu(keys);
  EXPECT_EQ(keys, (std::vector<std::string>{".txt", ".pdf", "FOLDER"}));
}

TEST_F(FolderTest, GroupHeadersShowTheLanguagesCaptionOrTheirIdentifier) {
  data::TVirtualFolder& folder = MakeFolder("/virtual/");
  std::vector<data::TListedEntry> entries;
  entries.push_back(Entry("x.txt"));
  folder.AddEntries(std::move(entries));
  folder.Group_By(data::gmExt);
  ASSERT_EQ(folder.vfGroups.size(), 1u);
  EXPECT_EQ(folder.vfGroups[0]->gdID, ".TXT");
  EXPECT_EQ(folder.vfGroups[0]->ID_CAPTION(), ".TXT");  // no language file: the identifier
}

}  // namespace
