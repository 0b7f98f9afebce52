// Icons from a small theme of the test's own (one-colour pictures, so each answer shows which
// picture it came from). Needs a display.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <thread>

#include "../platform/TempFolder.h"
#include "GtkTestSupport.h"
#include "platform/gtk/GtkIcons.h"

using namespace platform;
using fstest::TTempFolder;
using platform::gtk::TGtkBackend;
using platform::gtk::TGtkIcons;

namespace {

constexpr gfx::TColor32 kRed = 0xFFFF0000u, kBlue = 0xFF0000FFu, kGreen = 0xFF00FF00u,
                        kMagenta = 0xFFFF00FFu, kCyan = 0xFF00FFFFu, kYellow = 0xFFFFFF00u,
                        kGrey = 0xFF808080u, kOlive = 0xFF808000u;

// A 4 x 4 picture of one colour.
std::string Xpm(gfx::TColor32 color) {
  char line[32];
  std::snprintf(line, sizeof line, "\". c #%06X\",\n", unsigned(color & 0xFFFFFFu));
  return std::string("/* XPM */\nstatic char *icon[] = {\n\"4 4 1 1\",\n") + line +
         "\"....\",\n\"....\",\n\"....\",\n\"....\"};\n";
}

class GtkIconsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string& reason = gtktest::DisplayUnavailableReason();
    if (!reason.empty()) GTEST_SKIP() << reason;
    Backend = TGtkBackend::Init();
    ASSERT_TRUE(Backend) << "the display did not accept a connection";
    Tmp.File("theme/NorvoTest/index.theme",
             "[Icon Theme]\nName=NorvoTest\nDirectories=all\n\n"
             "[all]\nSize=16\nType=Scalable\nMinSize=1\nMaxSize=512\n");
    const std::pair<const char*, gfx::TColor32> pictures[] = {
        {"text-x-generic", kRed},      {"folder", kBlue},  {"application-x-executable", kGreen},
        {"norvo-app", kCyan},          {"drive-removable-media", kYellow},
        {"drive-harddisk", kGrey},     {"application-x-generic", kOlive}};
    for (const auto& [name, color] : pictures) Picture(name, color);
    Icons = std::make_unique<TGtkIcons>(Backend->Loop);
    Icons->UseTheme({Tmp.Path("theme")}, "NorvoTest");
  }
  void TearDown() override { Icons.reset(); }

  void Picture(const std::string& name, gfx::TColor32 color) {
    Tmp.File("theme/NorvoTest/all/" + name + ".xpm", Xpm(color));
  }

  TTempFolder Tmp;
  std::unique_ptr<TGtkBackend> Backend;
  std::unique_ptr<TGtkIcons> Icons;
};

// The colour of the icon's middle, or 0 when there is no icon of Size x Size.
template <typename TFn>
gfx::TColor32 ColourOf(TFn&& ask, int size) {
  gfx::TBitmap32 icon;
  if (!ask(icon) || icon.Width() != size || icon.Height() != size) return 0;
  return icon.Pixel(size / 2, size / 2);
}

}  // namespace

TEST_F(GtkIconsTest, EachKindOfEntryFindsItsPicture) {
  const std::string text = Tmp.File("notes.txt", "hello");
  const std::string program = Tmp.File("run-me", "#!/bin/sh\n");
  chmod(program.c_str(), 0755);
  const std::string folder = Tmp.Folder("sub");
  Tmp.File("custom.xpm", Xpm(kMagenta));
  const std::string ownPicture =
      Tmp.File("own.desktop", "[Desktop Entry]\nType=Application\nExec=x\nIcon=" + Tmp.Path("custom.xpm") + "\n");
  const std::string themed = Tmp.File("themed.desktop", "[Desktop Entry]\nType=Application\nExec=x\nIcon=norvo-app.png\n");
  const std::string bare = Tmp.File("bare.desktop", "[Desktop Entry]\nType=Application\nExec=x\n");
  struct TCase {
    const char* What;
    std::function<bool(gfx::TBitmap32&, int)> Ask;
    gfx::TColor32 Colour;
  };
  TVolumeInfo stick{"/media/u/S/", "", "", "", TVolumeKind::vkRemovable};
  TVolumeInfo share{"/mnt/share/", "", "", "", TVolumeKind::vkNetwork};
  const TCase cases[] = {
      {"type", [&](gfx::TBitmap32& b, int s) { return Icons->ForContentType("text/plain", s, b); }, kRed},
      {"unknown type", [&](gfx::TBitmap32& b, int s) { return Icons->ForContentType("application/x-norvo-odd", s, b); }, kOlive},
      {"text file", [&](gfx::TBitmap32& b, int s) { return Icons->ForPath(text, s, b); }, kRed},
      {"folder", [&](gfx::TBitmap32& b, int s) { return Icons->ForPath(folder, s, b); }, kBlue},
      {"program", [&](gfx::TBitmap32& b, int s) { return Icons->ForPath(program, s, b); }, kGreen},
      {"launcher picture", [&](gfx::TBitmap32& b, int s) { return Icons->ForPath(ownPicture, s, b); }, kMagenta},
      {"launcher theme name", [&](gfx::TBitmap32& b, int s) { return Icons->ForLauncher(themed, s, b); }, kCyan},
      {"launcher without icon", [&](gfx::TBitmap32& b, int s) { return Icons->ForLauncher(bare, s, b); }, kGreen},
      {"stick", [&](gfx::TBitmap32& b, int s) { return Icons->ForVolume(stick, s, b); }, kYellow},
      {"share, by the generic drive", [&](gfx::TBitmap32& b, int s) { return Icons->ForVolume(share, s, b); }, kGrey},
  };
  for (const TCase& c : cases)
    for (int size : {16, 48})
      EXPECT_EQ(ColourOf([&](gfx::TBitmap32& b) { return c.Ask(b, size); }, size), c.Colour)
          << c.What << " at " << size;
  gfx::TBitmap32 untouched(2, 2);
  EXPECT_FALSE(Icons->ForPath(Tmp.Path("missing"), 16, untouched));
  EXPECT_FALSE(Icons->ForContentType("text/plain", 0, untouched));
  EXPECT_EQ(untouched.Width(), 2);
}

TEST_F(GtkIconsTest, TypeIconsAreKeptLaunchersAreReadAgain) {
  auto typeColour = [&] { return ColourOf([&](gfx::TBitmap32& b) { return Icons->ForContentType("text/plain", 16, b); }, 16); };
  Tmp.File("custom.xpm", Xpm(kMagenta));
  const std::string launcher =
      Tmp.File("own.desktop", "[Desktop Entry]\nType=Application\nExec=x\nIcon=" + Tmp.Path("custom.xpm") + "\n");
  auto launcherColour = [&] { return ColourOf([&](gfx::TBitmap32& b) { return Icons->ForLauncher(launcher, 16, b); }, 16); };
  EXPECT_EQ(typeColour(), kRed);
  EXPECT_EQ(launcherColour(), kMagenta);
  Picture("text-x-generic", kBlue);  // the file changes, its folder does not
  Tmp.File("custom.xpm", Xpm(kCyan));
  EXPECT_EQ(typeColour(), kRed);
  EXPECT_EQ(launcherColour(), kCyan);
}

// A worker asks while the interface thread waits for it: the theme lookup is served meanwhile.
class GtkIconsThreadTest : public GtkIconsTest {};

TEST_F(GtkIconsThreadTest, AWorkerGetsIconsWhileTheInterfaceThreadWaits) {
  std::atomic<bool> done{false};
  gfx::TColor32 colour = 0;
  std::thread worker([&] {
    colour = ColourOf([&](gfx::TBitmap32& b) { return Icons->ForContentType("inode/directory", 24, b); }, 24);
    done = true;
    Backend->Loop.WakeServing();
  });
  Backend->Loop.WaitServing([&] { return done.load(); });
  worker.join();
  EXPECT_EQ(colour, kBlue);
  // The request also queued a wake-up on the loop, which runs before anything posted later: let
  // it run while the loop still lives.
  bool drained = false;
  Backend->Loop.Post([&] { drained = true; });
  EXPECT_TRUE(gtktest::PumpUntil(Backend->Loop, [&] { return drained; }));
}
