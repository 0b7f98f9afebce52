// Paints a small folder with the default theme (tile backs, group headers, file-type icons,
// a selected and a hot tile) into build/folder-preview.png for a person to look at. It checks
// that the tiles drew something; the look itself is judged by eye.
#include <gtest/gtest.h>
#include <unistd.h>

#include "FolderFixture.h"
#include "config/NV_Entries.h"
#include "ctrl/NV_SkinBuffer.h"
#include "gfx/PngCodec.h"

namespace {

using namespace foldertest;

const std::string kApp = NORVO_APP_FOLDER;  // the build folder is an application folder
const std::string kThemeData = kApp + "/Data/Themes/Controls/Default/ThemeData.NVS";
const std::string kTheme = kApp + "/Data/Themes/Controls/Default/";

class TSkinnedHost : public TFakeHost {
 public:
  ctrl::TSkinBuffer Pictures;
  ctrl::TSkinBuffer* Skin() override { return &Pictures; }
};

TEST(FolderPreview, TilesAndGroupsDrawWithTheDefaultTheme) {
  platform::headless::THeadlessBackend backend;
  fstest::TTempFolder tmp;
  char old[4096];
  ASSERT_NE(getcwd(old, sizeof old), nullptr);
  ASSERT_EQ(chdir(kApp.c_str()), 0);  // file-type icons come from the application folder
  config::SetOptions(config::TOptions{});
  TSkinnedHost host;
  const std::pair<const char*, const char*> pictures[] = {
      {"ItemNormalBack", "Item.Normal"}, {"ItemHotBack", "Item.Hot"}, {"ItemSelBack", "Item.Selected"},
      {"ItemHotSelBack", "Item.HotSelected"}, {"GroupNormalBack", "Group.Normal"}, {"GroupHotBack", "Group.Hot"},
      {"GroupSelBack", "Group.Selected"}, {"GroupHotSelBack", "Group.HotSelected"}};
  for (const auto& [skin, entry] : pictures) {
    config::TResizeParams params;
    config::LoadResizeParams(kThemeData, "FileHolder", std::string("Image(") + entry + ")", "", params);
    ASSERT_GE(host.Pictures.LoadImage(skin, kTheme + "Items/" + std::string(skin) + ".png", params), 0) << skin;
  }
  host.Pictures.LoadImage("ItemNew", kTheme + "Items/ItemNew.png");
  host.Area = {20, 20, 900, 400};
  host.Height = 420;
  for (const char* name : {"Budget 2026.pdf", "notes.txt", "a rather long file name that needs an ellipsis.md",
                           "song.mp3", "archive.zip"})
    tmp.File(name, "x");
  tmp.Folder("Projects");
  tmp.Folder("Photos");
  {
    data::TVirtualFolder folder(&host, tmp.Root() + "/");
    folder.GlobalPause();
    folder.AddEntries(ListEntries(tmp.Root()));
    folder.Group_By(data::gmSmart);
    for (const data::TItemPointer& e : folder.vfPointers) e.ItemData->LoadIcon();
    data::TItemData* item = nullptr;
    ASSERT_TRUE(folder.Item_Get(5, item, true));
    folder.ItemSelect(item);
    data::TItemData* hot = nullptr;
    ASSERT_TRUE(folder.Item_Get(2, hot, true));
    folder.ItemNotify(hot->SC_POS.X + 5, hot->SC_POS.Y + 5, false, hot);
    gfx::TBitmap32 canvas(920, 420);
    for (int pass = 0; pass < 2; ++pass) {  // the first pass scales the icons
      canvas.Clear(gfx::clWhite32);
      folder.PaintItems(canvas);
    }
    int drawn = 0;
    for (int y = 0; y < canvas.Height(); y += 3)
      for (int x = 0; x < canvas.Width(); x += 3) drawn += canvas.Pixel(x, y) != gfx::clWhite32;
    EXPECT_GT(drawn, 2000);
    EXPECT_TRUE(gfx::SavePngFile(canvas, kApp + "/folder-preview.png"));
  }
  ASSERT_EQ(chdir(old), 0);
}

}  // namespace
