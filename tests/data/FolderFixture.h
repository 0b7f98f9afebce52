// A folder model on the headless services: a fake holder with a fixed item area, an icon
// cache of its own, and helpers that list a temporary folder into the model the way a listing
// worker hands it over.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "../platform/TempFolder.h"
#include "config/NV_Settings.h"
#include "config/NV_System.h"
#include "data/NV_IconCache.h"
#include "data/NV_NameOrder.h"
#include "data/NV_VirtualFolder.h"
#include "platform/Fs.h"
#include "platform/headless/HeadlessBackend.h"

namespace foldertest {

class TFakeHost : public data::TFolderHost {
 public:
  data::THolderKind Kind = data::hkFiles;
  gfx::TRect Area{0, 0, 1000, 600};
  int Height = 600;
  bool IsScrolling = false;
  int Repaints = 0;
  int RangeChanges = 0;
  std::vector<std::string> Navigated, NewTabs, Tips;
  int SelectionTips = 0;
  data::TIconCache Cache{int64_t(64) << 20};

  data::THolderKind HolderKind() const override { return Kind; }
  gfx::TRect ItemArea() const override { return Area; }
  int HostHeight() const override { return Height; }
  bool Scrolling() const override { return IsScrolling; }
  void SetScrolling(bool value) override { IsScrolling = value; }
  void RepaintFor(const data::TVirtualFolder&) override { ++Repaints; }
  void ScrollRangeChanged() override { ++RangeChanges; }
  ctrl::TSkinBuffer* Skin() override { return nullptr; }
  data::TIconCache& IconCache() override { return Cache; }
  void NavigateTo(const std::string& path) override { Navigated.push_back(path); }
  void OpenInNewTab(const std::string& path) override { NewTabs.push_back(path); }
  void ShowSelectionTip(int, int64_t, int, int) override { ++SelectionTips; }
  void HideSelectionTip() override {}
  void ShowTip(const std::string& text, int, int) override { Tips.push_back(text); }
  void HideTip() override {}
};

// The entries of Folder as a listing hands them over, keys made as a worker makes them.
inline std::vector<data::TListedEntry> ListEntries(const std::string& folder) {
  std::vector<data::TListedEntry> entries;
  const data::TSharedText shared(folder.back() == '/' ? folder : folder + "/");
  platform::Fs::List(folder, [&](const platform::Fs::TFileEntry& entry) {
    entries.push_back({data::TFileData::FromEntry(shared, entry), data::NameSortKey(entry.Name)});
    return true;
  });
  return entries;
}

// A made-up entry, for models that need no files.
inline data::TListedEntry Entry(const std::string& name, int64_t size = 0, bool folder = false) {
  data::TListedEntry entry;
  entry.Data.FD_NAME = name;
  entry.Data.FD_DIR = data::TSharedText("/virtual/");
  entry.Data.FD_EXT = data::TSharedText(folder ? std::string(".folder") : config::NameExtension(name));
  entry.Data.FD_DIRECTORY = folder;
  entry.Data.FD_SIZE = size;
  entry.SortKey = data::NameSortKey(name);
  return entry;
}

class FolderTest : public ::testing::Test {
 protected:
  FolderTest() {
    config::SetOptions(config::TOptions{});
    Backend.Trash.Folder = TrashHome.Path("trash");
  }
  ~FolderTest() override {
    Folder.reset();
    config::SetOptions(config::TOptions{});
  }

  data::TVirtualFolder& MakeFolder(const std::string& path) {
    Folder = std::make_unique<data::TVirtualFolder>(&Host, path);
    return *Folder;
  }
  data::TVirtualFolder& ListTemp() {
    MakeFolder(Tmp.Root() + "/");
    Folder->AddEntries(ListEntries(Tmp.Root()));
    ExpectConsistent();
    return *Folder;
  }
  void ExpectConsistent() const {
    std::string why;
    EXPECT_TRUE(Folder->IsConsistent(&why)) << why;
  }
  // The names of the flat list in display order; group headers as "[id]".
  std::vector<std::string> DisplayOrder() const {
    std::vector<std::string> names;
    for (const data::TItemPointer& entry : Folder->vfPointers)
      names.push_back(entry.ItemData->ClassIs<data::TGroupData>()
                          ? "[" + static_cast<data::TGroupData*>(entry.ItemData)->gdID + "]"
                          : entry.ItemData->ID_FILE_DATA.FD_NAME);
    return names;
  }
  data::TItemData* Named(const std::string& name) const {
    for (const data::TItemPointer& entry : Folder->vfPointers)
      if (entry.ItemData->ID_FILE_DATA.FD_NAME == name && !entry.ItemData->ClassIs<data::TGroupData>())
        return entry.ItemData;
    return nullptr;
  }

  platform::headless::THeadlessBackend Backend{platform::headless::TClock::ckReal};
  fstest::TTempFolder Tmp;
  fstest::TTempFolder TrashHome;  // the trash lives outside the folder listed
  TFakeHost Host;
  std::unique_ptr<data::TVirtualFolder> Folder;
};

}  // namespace foldertest
