// The folder model: adding, grouping, order, layout, hit tests, scrolling, selection and the
// quick filter, each step followed by the model's self-check.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "FolderFixture.h"
#include "data/NV_FileItems.h"

namespace {

using namespace foldertest;
using data::TItemData;

TEST_F(FolderTest, AnEmptyFolderArrangesAndFiltersNothing) {
  data::TVirtualFolder& folder = MakeFolder("/virtual/");
  folder.Arrange();
  folder.QuickFilter("abc");
  folder.CalcScroll();
  EXPECT_EQ(folder.vfScrollMax, 0);
  EXPECT_EQ(folder.Count(true), 0);
  EXPECT_EQ(folder.ItemAtXY(10, 10), nullptr);
  ExpectConsistent();
}

TEST_F(FolderTest, SmartGroupingPutsFoldersProgramsPicturesThenOthers) {
  Tmp.Folder("docs");
  Tmp.File("photo.JPG", "x");
  Tmp.File("readme", "x");
  Tmp.File("notes.txt", "x");
  const std::string tool = Tmp.File("tool.sh", "#!/bin/sh\n");
  chmod(tool.c_str(), 0755);
  ListTemp();
  Folder->Group_By("gmSmart");
  ExpectConsistent();
  EXPECT_EQ(DisplayOrder(), (std::vector<std::string>{"[Folder]", "docs", "[Executables]", "tool.sh",
                                                      "[Previewable]", "photo.JPG", "[Others]",
                                                      "notes.txt", "readme"}));
  // A word that names no mode groups everything under "default".
  Folder->Group_By("gmSomething");
  ExpectConsistent();
  ASSERT_EQ(Folder->vfGroups.size(), 1u);
  EXPECT_EQ(Folder->vfGroups[0]->gdID, "default");
  EXPECT_EQ(Folder->Count(true), 6);
}

TEST_F(FolderTest, GroupingByEveryModeKeepsEachItemOnceInOrder) {
  data::TVirtualFolder& folder = MakeFolder("/virtual/");
  std::vector<data::TListedEntry> entries;
  for (const char* name : {"b.txt", "a.TXT", "c.png", "B2.md", "zz", "Ä.txt"}) entries.push_back(Entry(name, 10));
  entries.push_back(Entry("sub", 0, true));
  folder.AddEntries(std::move(entries));
  for (data::TGroupMode mode : {data::gmName, data::gmExt, data::gmPath, data::gmSize, data::gmSmart,
                                data::gmNone, data::gmType, data::gmName}) {
    folder.Group_By(mode);
    ExpectConsistent();
    EXPECT_EQ(folder.Count(true), int(folder.vfGroups.size()) + 7);
  }
  folder.Group_By(data::gmSize);
  ASSERT_EQ(folder.vfGroups.size(), 1u);
  EXPECT_EQ(folder.vfGroups[0]->gdID, "<NA>");
}

TEST_F(FolderTest, NamesSortWithoutCaseAndEqualKeysStillGiveOneOrder) {
  data::TVirtualFolder& folder = MakeFolder("/virtual/");
  std::vector<std::string> names = {"b", "B", "a", "file10", "file2", "A", "\xff\xfe", "\xff\xfd", "a\nb"};
  auto sorted = [&](unsigned seed) {
    std::vector<std::string> shuffled = names;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(seed));
    folder.Clear();
    std::vector<data::TListedEntry> entries;
    for (const std::string& n : shuffled) entries.push_back(Entry(n));
    folder.AddEntries(std::move(entries));
    ExpectConsistent();
    return DisplayOrder();
  };
  const std::vector<std::string> first = sorted(1);
  for (unsigned seed = 2; seed < 6; ++seed) EXPECT_EQ(sorted(seed), first);
  const auto at = [&](const std::string& n) { return std::find(first.begin(), first.end(), n) - first.begin(); };
  EXPECT_LT(at("a"), at("b"));
  EXPECT_LT(at("A"), at("b"));
  EXPECT_LT(at("file2"), at("file10"));
}

TEST_F(FolderTest, CaptionsHideTheExtensionButNotAFolderName) {
  data::TVirtualFolder& folder = MakeFolder("/virtual/");
  std::vector<data::TListedEntry> entries;
  for (const char* name : {".bashrc", "archive.tar.gz", "plain", "dot.", "my.folder"})
    entries.push_back(Entry(name, 1, std::string(name) == "my.folder"));
  folder.AddEntries(std::move(entries));
  config::TOptions options;
  options.Browsing.HideHidden = false;
  config::SetOptions(options);
  struct TCase {
    const char* Name;
    const char* Caption;
  };
  for (const TCase& c : {TCase{".bashrc", ""}, TCase{"archive.tar.gz", "archive.tar"},
                         TCase{"plain", "plain"}, TCase{"dot.", "dot"}, TCase{"my.folder", "my.folder"}}) {
    ASSERT_NE(Named(c.Name), nullptr) << c.Name;
    EXPECT_EQ(Named(c.Name)->ID_CAPTION(), c.Caption) << c.Name;
  }
  options.Browsing.HideFileExtension = false;
  config::SetOptions(options);
  Named("archive.tar.gz")->CreateCaption();
  EXPECT_EQ(Named("archive.tar.gz")->ID_CAPTION(), "archive.tar.gz");
}

TEST_F(FolderTest, TheQuickFilterMatchesAnyCaseAndNeverShowsHiddenFiles) {
  Tmp.File("Report.abc", "x");
  Tmp.File("xabcx.txt", "x");
  Tmp.File("other.txt", "x");
  Tmp.File(".abc-hidden", "x");
  ListTemp();
  const auto visibleNames = [&] {
    std::vector<std::string> names;
    for (const data::TItemPointer& e : Folder->vfPointers)
      if (!e.ItemData->ClassIs<data::TGroupData>() && e.ItemData->ID_VISIBLE) names.push_back(e.ItemData->ID_FILE_DATA.FD_NAME);
    return names;
  };
  EXPECT_EQ(visibleNames(), (std::vector<std::string>{"other.txt", "Report.abc", "xabcx.txt"}));
  Folder->QuickFilter("ABC");
  ExpectConsistent();
  EXPECT_EQ(visibleNames(), (std::vector<std::string>{"Report.abc", "xabcx.txt"}));
  Folder->QuickFilter("TXT");
  EXPECT_EQ(visibleNames(), (std::vector<std::string>{"other.txt", "xabcx.txt"}));
  Folder->QuickFilter("nothing matches this");
  EXPECT_TRUE(visibleNames().empty());
  EXPECT_EQ(Folder->ItemAtXY(Host.Area.Left + 1, Host.Area.Top + 1), nullptr);  // the group hides too
  Folder->QuickFilter("");
  EXPECT_EQ(visibleNames(), (std::vector<std::string>{"other.txt", "Report.abc", "xabcx.txt"}));
  EXPECT_EQ(Folder->vfScrollPos, 0);
}

// Tiles of width W wrap when X + 30 + W passes Area.Right - Area.Left - 15.
TEST_F(FolderTest, TilesWrapOnePixelPastTheRightEdgeAndNotBefore) {
  config::TOptions options;
  options.Browsing.ItemWidth = 100;
  config::SetOptions(options);
  // Two tiles: the second starts at 0 + 30 + 100 = 130 and ends its test at 130 + 30 + 100.
  for (int right : {260 + 15, 260 + 14}) {
    Host.Area = {0, 0, right, 600};
    data::TVirtualFolder& folder = MakeFolder("/virtual/");
    std::vector<data::TListedEntry> entries;
    entries.push_back(Entry("a.txt"));
    entries.push_back(Entry("b.txt"));
    folder.AddEntries(std::move(entries));
    const TItemData* a = Named("a.txt");
    const TItemData* b = Named("b.txt");
    if (right == 275) {
      EXPECT_EQ(b->SC_POS.Y, a->SC_POS.Y) << "ends exactly at the edge: no wrap";
      EXPECT_EQ(b->SC_POS.X, 130);
    } else {
      EXPECT_EQ(b->SC_POS.X, 0) << "one pixel more wraps";
      EXPECT_EQ(b->SC_POS.Y, a->SC_POS.Y + 30 + a->ID_HEIGHT);
    }
  }
}

TEST_F(FolderTest, ACollapsedGroupKeepsItsItemsWhereTheyWere) {
  data::TVirtualFolder& folder = MakeFolder("/virtual/");
  std::vector<data::TListedEntry> entries;
  for (int i = 0; i < 12; ++i) entries.push_back(Entry("f" + std::to_string(i) + ".txt"));
  folder.AddEntries(std::move(entries));
  const gfx::TPoint before = Named("f5.txt")->SC_POS;
  folder.vfGroups[0]->Collapse(false);
  Host.Area = {0, 0, 300, 600};
  folder.Arrange();
  EXPECT_EQ(Named("f5.txt")->SC_POS.X, before.X);
  EXPECT_EQ(Named("f5.txt")->SC_POS.Y, before.Y);
  ExpectConsistent();
}

// The hit test looks at the rows in view only; it must find what a walk over the whole flat
// list finds (the first visible entry whose rectangle holds the point, headers first).
TEST_F(FolderTest, TheRowSearchFindsWhatAFullWalkFinds) {
  data::TVirtualFolder& folder = MakeFolder("/virtual/");
  std::vector<data::TListedEntry> entries;
  std::mt19937 random(7);
  for (int i = 0; i < 400; ++i) {
    const char* ext[] = {".txt", ".png", ".md", ".jpg"};
    entries.push_back(Entry("n" + std::to_string(random() % 1000) + "_" + std::to_string(i) + ext[i % 4]));
  }
  folder.AddEntries(std::move(entries));
  folder.Group_By(data::gmExt);
  folder.QuickFilter("1");
  ExpectConsistent();
  auto walk = [&](int x, int y) -> TItemData* {
    for (const data::TItemPointer& e : folder.vfPointers) {
      TItemData* item = e.ItemData;
      const bool groupShown = item->idGroupData == nullptr || item->idGroupData->ID_VISIBLE;
      const gfx::TRect r = item->ItemRect();
      if (item->ID_VISIBLE && groupShown && r.Left <= x && x <= r.Right && r.Top <= y && y <= r.Bottom) return item;
    }
    return nullptr;
  };
  int hits = 0;
  for (int y = -50; y < 9000; y += 7)
    for (int x = -5; x < 1000; x += 23) {
      TItemData* found = folder.ItemAtXY(x, y);
      ASSERT_EQ(found, walk(x, y)) << x << "," << y;
      hits += found != nullptr;
    }
  EXPECT_GT(hits, 1000);
}

TEST_F(FolderTest, OneWheelNotchScrolls175PixelsAndStopsAtBothEnds) {
  data::TVirtualFolder& folder = MakeFolder("/virtual/");
  std::vector<data::TListedEntry> entries;
  for (int i = 0; i < 300; ++i) entries.push_back(Entry("f" + std::to_string(i) + ".txt"));
  folder.AddEntries(std::move(entries));
  ASSERT_GT(folder.vfScrollMax, 1000);
  auto notch = [&](int delta) {
    ctrl::TWheelMessage message;
    message.WheelDelta = delta;
    folder.On_MouseWheel(message);
    ASSERT_TRUE(Backend.Loop.RunUntil([&] { return !Host.IsScrolling; }, 5000));
    ExpectConsistent();
  };
  notch(-120);
  EXPECT_EQ(folder.vfScrollPos, 175);
  EXPECT_EQ(folder.vfGroups[0]->SC_POS.Y, Host.Area.Top - 175);
  notch(120);
  EXPECT_EQ(folder.vfScrollPos, 0);
  notch(120);  // already at the top: nothing moves
  EXPECT_EQ(folder.vfScrollPos, 0);
  folder.vfScrollPos = folder.vfScrollMax - 40;
  folder.Arrange();
  notch(-120);
  EXPECT_EQ(folder.vfScrollPos, folder.vfScrollMax);
}

TEST_F(FolderTest, ClosingTheTabDuringAWheelScrollIsSafe) {
  data::TVirtualFolder& folder = MakeFolder("/virtual/");
  std::vector<data::TListedEntry> entries;
  for (int i = 0; i < 300; ++i) entries.push_back(Entry("f" + std::to_string(i) + ".txt"));
  folder.AddEntries(std::move(entries));
  ctrl::TWheelMessage message;
  message.WheelDelta = -120;
  folder.On_MouseWheel(message);
  EXPECT_TRUE(Host.IsScrolling);
  Folder.reset();  // the tab closes mid-animation
  Backend.Loop.Advance(200);
}

TEST_F(FolderTest, SelectionCountsStayEqualToARecountAndHeadersNeverReachACommand) {
  Tmp.File("one.txt", "12345");
  Tmp.File("two.txt", "123");
  Tmp.Folder("sub");
  ListTemp();
  Folder->Group_By(data::gmSmart);
  Folder->Items_SelectAll();
  ExpectConsistent();
  EXPECT_EQ(Folder->SelCount(), 3);
  EXPECT_EQ(Folder->vfSelectedSize, 8);
  const std::vector<std::string> paths = Folder->SelectedPaths();
  EXPECT_EQ(paths.size(), 3u);
  for (const std::string& path : paths) EXPECT_FALSE(path.empty());
  Folder->ItemDeSelect(Named("one.txt"));
  ExpectConsistent();
  EXPECT_EQ(Folder->vfSelectedSize, 3);
  Folder->Item_Rem(Named("two.txt")->ID_FILE_DATA.FD_PATH());  // a selected item goes
  ExpectConsistent();
  EXPECT_EQ(Folder->SelCount(), 1);
  Folder->ToggleSelect(false);
  ExpectConsistent();
  EXPECT_EQ(Folder->SelCount(), 0);
  Folder->Items_SelectAll();
  Folder->File_DeleteSelected();
  ASSERT_TRUE(Backend.Loop.RunUntil([&] { return Backend.FileOps.Running() == 0; }, 60000));
  EXPECT_FALSE(platform::Fs::Exists(Tmp.Path("one.txt")));
  EXPECT_TRUE(platform::Fs::Exists(Tmp.Root()));
}

TEST_F(FolderTest, PasteGoesIntoASelectedFolderOrElseTheFolderItself) {
  Tmp.Folder("target");
  Tmp.File("plain.txt", "x");
  const std::string outside = Tmp.File("outside/copied.txt", "data");
  ListTemp();
  Backend.Clip.SetFiles({{outside}, platform::TFileClipOp::fcCopy});
  Folder->ItemSelect(Named("target"));
  Folder->File_PasteFromClipboard();
  ASSERT_TRUE(Backend.Loop.RunUntil([&] { return Backend.FileOps.Running() == 0; }, 60000));
  EXPECT_TRUE(platform::Fs::Exists(Tmp.Path("target/copied.txt")));
  Folder->ItemDeSelectAll();
  Folder->ItemSelect(Named("plain.txt"));
  Folder->File_PasteFromClipboard();
  ASSERT_TRUE(Backend.Loop.RunUntil([&] { return Backend.FileOps.Running() == 0; }, 60000));
  EXPECT_TRUE(platform::Fs::Exists(Tmp.Path("copied.txt")));
}

TEST_F(FolderTest, NewFolderTakesTheFirstFreeNumber) {
  Tmp.Folder("New Folder");
  Tmp.Folder("New Folder (1)");
  ListTemp();
  Folder->File_CreateFolder();
  EXPECT_TRUE(platform::Fs::DirectoryExists(Tmp.Path("New Folder (2)")));
}

TEST_F(FolderTest, ExtensionlessFilesShareOneIconSource) {
  Tmp.File("README", "x");
  Tmp.File("LICENSE", "x");
  ListTemp();
  EXPECT_EQ(Named("README")->IconRequest().SourceKey, "");
  EXPECT_EQ(Named("LICENSE")->IconRequest().SourceKey, "");
  Named("README")->LoadIcon();
  Named("LICENSE")->LoadIcon();
  auto source = Host.Cache.Find("");
  ASSERT_NE(source, nullptr);
  EXPECT_EQ(source->OwnerCount() >= 2, true);
}

TEST_F(FolderTest, OpeningAFolderBrowsesInPlaceButOpensATabFromASearch) {
  Tmp.Folder("inner");
  ListTemp();
  TItemData* inner = Named("inner");
  inner->On_MouseDouble(&Host, ctrl::TMouseButton::mbLeft, {}, 0, 0);
  EXPECT_EQ(Host.Navigated, std::vector<std::string>{Tmp.Path("inner")});
  EXPECT_TRUE(Host.NewTabs.empty());
  Host.Kind = data::hkSearch;
  inner->On_MouseDouble(&Host, ctrl::TMouseButton::mbLeft, {}, 0, 0);
  EXPECT_EQ(Host.NewTabs, std::vector<std::string>{Tmp.Path("inner")});
  EXPECT_EQ(Host.Navigated.size(), 1u);
}

TEST(RecentFlag, RoundsTheDaySpanToTheNearestDay) {
  struct TCase {
    double Age;
    int Limit;
    bool Recent;
  };
  for (const TCase& c : {TCase{0, 2, true}, TCase{2.0, 2, true}, TCase{2.4, 2, true}, TCase{2.5, 2, true},
                         TCase{2.6, 2, false}, TCase{-1.2, 2, true}, TCase{-2.6, 2, false}, TCase{0.4, 0, true}}) {
    EXPECT_EQ(data::IsRecent(45000.0 - c.Age, 45000.0, c.Limit), c.Recent) << c.Age;
  }
}

}  // namespace
