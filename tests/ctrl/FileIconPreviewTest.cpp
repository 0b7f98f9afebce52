// Checks the default file icons the build draws into build/Data/ and lays every one out at the
// sizes the view shows (256, 96, 48 and 32 pixels) on white and on the selected tint, into
// build/file-icon-preview.png for a person to look at.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "config/NV_PathMacros.h"
#include "config/NV_System.h"
#include "gfx/Draw.h"
#include "gfx/Picture.h"
#include "gfx/PngCodec.h"
#include "gfx/Text.h"

namespace {

const std::string kApp = NORVO_APP_FOLDER;  // the build folder is an application folder
constexpr int kIconSize = 256;
const gfx::TColor32 kSelectedTint = gfx::Color32FromArgb(0xFFDCE8FB);

const char* const kIconFiles[] = {
    "Unknown.png",  "UnknownExe.png", "UnknownIco.png", "folder.png", "harddrive.png",
    "cdrom.png",    "removable.png",  "ramdisk.png",    "remote.png", "txt.png",
    "pdf.png",      "zip.png",        "mp3.png",        "mp4.png",    "html.png",
};

// The folder "FilesThemePath:\" names in the build's application folder with the default theme.
std::string IconPath(const std::string& name) {
  config::TPathContext context;
  context.AppFolder = kApp;
  return config::ResolvePath("FilesThemePath:\\" + name, context);
}

gfx::TBitmap32 LoadIcon(const std::string& name) {
  gfx::TBitmap32 icon;
  const gfx::TPictureResult loaded = gfx::LoadPictureFile(IconPath(name), icon);
  EXPECT_TRUE(loaded) << name << ": " << loaded.Message;
  return icon;
}

// Icon scaled to Size and laid over Background, as a tile shows it.
gfx::TBitmap32 Shown(const gfx::TBitmap32& icon, int size, gfx::TColor32 background) {
  gfx::TBitmap32 tile(size, size);
  tile.Clear(background);
  const gfx::TBitmap32 scaled = gfx::Resampled(icon, size, size);
  gfx::BlendRect(tile, 0, 0, scaled, scaled.BoundsRect());
  return tile;
}

// Pixels whose colour differs clearly from Background in some channel.
int PixelsStandingOut(const gfx::TBitmap32& tile, gfx::TColor32 background) {
  int count = 0;
  for (int y = 0; y < tile.Height(); ++y)
    for (int x = 0; x < tile.Width(); ++x) {
      const gfx::TColor32 c = tile.Pixel(x, y);
      const int difference = std::max({std::abs(gfx::RedOf(c) - gfx::RedOf(background)),
                                       std::abs(gfx::GreenOf(c) - gfx::GreenOf(background)),
                                       std::abs(gfx::BlueOf(c) - gfx::BlueOf(background))});
      count += difference > 32;
    }
  return count;
}

int OpaquePixels(const gfx::TBitmap32& icon) {
  int count = 0;
  for (int y = 0; y < icon.Height(); ++y)
    for (int x = 0; x < icon.Width(); ++x) count += gfx::AlphaOf(icon.Pixel(x, y)) == 255;
  return count;
}

// The largest alpha in the Size x Size square at each corner.
int CornerAlpha(const gfx::TBitmap32& icon, int size) {
  int most = 0;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      for (const gfx::TPoint corner : {gfx::TPoint{x, y}, gfx::TPoint{icon.Width() - 1 - x, y},
                                       gfx::TPoint{x, icon.Height() - 1 - y},
                                       gfx::TPoint{icon.Width() - 1 - x, icon.Height() - 1 - y}})
        most = std::max<int>(most, gfx::AlphaOf(icon.Pixel(corner.X, corner.Y)));
  return most;
}

}  // namespace

TEST(FileIconTheme, EveryIconIsAFullSizePictureWithFreeCorners) {
  for (const char* name : kIconFiles) {
    SCOPED_TRACE(name);
    const gfx::TBitmap32 icon = LoadIcon(name);
    ASSERT_EQ(icon.Width(), kIconSize);
    ASSERT_EQ(icon.Height(), kIconSize);
    // Every shape is solid over at least a quarter of the square, and none reaches a corner.
    EXPECT_GE(OpaquePixels(icon), kIconSize * kIconSize / 4);
    EXPECT_EQ(CornerAlpha(icon, 12), 0);
  }
}

TEST(FileIconTheme, IconsDifferFromEachOtherAndStandOutAtTileSize) {
  std::vector<gfx::TBitmap32> small;
  for (const char* name : kIconFiles) {
    SCOPED_TRACE(name);
    const gfx::TBitmap32 icon = LoadIcon(name);
    ASSERT_FALSE(icon.Empty());
    // A 32-pixel icon must still show its shape on either background a tile has.
    for (const gfx::TColor32 background : {gfx::clWhite32, kSelectedTint})
      EXPECT_GE(PixelsStandingOut(Shown(icon, 32, background), background), 60) << std::hex << background;
    small.push_back(Shown(icon, 32, gfx::clWhite32));
  }
  // No two kinds look alike at 32 pixels: each pair differs clearly somewhere.
  for (size_t a = 0; a < small.size(); ++a)
    for (size_t b = a + 1; b < small.size(); ++b) {
      int differing = 0;
      for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
          const gfx::TColor32 p = small[a].Pixel(x, y), q = small[b].Pixel(x, y);
          differing += std::abs(gfx::RedOf(p) - gfx::RedOf(q)) + std::abs(gfx::GreenOf(p) - gfx::GreenOf(q)) +
                           std::abs(gfx::BlueOf(p) - gfx::BlueOf(q)) >
                       60;
        }
      EXPECT_GE(differing, 20) << kIconFiles[a] << " and " << kIconFiles[b];
    }
}

TEST(FileIconTheme, NamesAreFoundWithoutRegardToCase) {
  const struct {
    const char* Asked;
    const char* Found;  // empty: nothing is there
  } cases[] = {
      {"txt.png", "txt.png"},         {"TXT.png", "txt.png"},           {"Txt.PNG", "txt.png"},
      {"unknown.png", "Unknown.png"}, {"UNKNOWNEXE.PNG", "UnknownExe.png"}, {"Folder.png", "folder.png"},
      {"HardDrive.png", "harddrive.png"}, {"doc.png", ""},            {"txt.pn", ""},
  };
  for (const auto& c : cases) {
    const std::string expected = *c.Found ? IconPath(c.Found) : std::string();
    EXPECT_EQ(config::ExistingPathIgnoringCase(IconPath(c.Asked)), expected) << c.Asked;
  }
  // The folder the macro names is the one the build draws into.
  EXPECT_EQ(IconPath("txt.png"), kApp + "/Data/Themes/FileIcons/Default/txt.png");
}

TEST(FileIconTheme, PreviewShowsEveryIconAtEverySize) {
  // Each icon gets a cell: itself at 256 pixels, and beside it at 96, 48 and 32 with its name.
  constexpr int kCellW = 376, kCellH = 272, kColumns = 5, kRows = 3, kMargin = 16;
  const gfx::TColor32 backgrounds[] = {gfx::clWhite32, kSelectedTint};
  gfx::TBitmap32 canvas(kMargin + kColumns * kCellW, 2 * kRows * kCellH + kMargin);
  canvas.Clear(gfx::clWhite32);
  for (int band = 0; band < 2; ++band) {
    const gfx::TRect area = gfx::Rect(0, band * kRows * kCellH, canvas.Width(), (band + 1) * kRows * kCellH + kMargin);
    gfx::FillRect(canvas, area, backgrounds[band]);
    int index = 0;
    for (const char* name : kIconFiles) {
      const gfx::TBitmap32 icon = LoadIcon(name);
      ASSERT_FALSE(icon.Empty()) << name;
      const int x = kMargin + (index % kColumns) * kCellW, y = area.Top + kMargin + (index / kColumns) * kCellH;
      ++index;
      gfx::BlendRect(canvas, x, y, icon, icon.BoundsRect());
      int sy = y;
      for (const int size : {96, 48, 32}) {
        const gfx::TBitmap32 scaled = gfx::Resampled(icon, size, size);
        gfx::BlendRect(canvas, x + kIconSize + 8, sy, scaled, scaled.BoundsRect());
        sy += size + 8;
      }
      gfx::TextOut(canvas, x + kIconSize + 8, sy, name, gfx::Color32FromArgb(0xFF6B6B6B));
    }
    // The middle of the folder's cell (the fourth) shows the folder, not the background.
    EXPECT_NE(canvas.Pixel(kMargin + 3 * kCellW + kIconSize / 2, area.Top + kMargin + kIconSize / 2), backgrounds[band]);
  }
  ASSERT_TRUE(gfx::SavePngFile(canvas, kApp + "/file-icon-preview.png"));
}
