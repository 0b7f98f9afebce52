// The real volumes over this machine's mount table. Needs no display.
#include <gtest/gtest.h>
#include <sys/statvfs.h>

#include <string>

#include "../platform/TempFolder.h"
#include "platform/gtk/GioVolumes.h"

using namespace platform;
using platform::gtk::TGioVolumes;

TEST(GioVolumesThread, SpaceComesFromTheFileSystemThatHoldsThePath) {
  TGioVolumes volumes;
  fstest::TTempFolder tmp;
  for (const std::string& path : {std::string("/"), tmp.Root(), std::string("/dev/shm")}) {
    struct statvfs info;
    if (statvfs(path.c_str(), &info) != 0) continue;
    TVolumeSpace space = volumes.Space(path);
    ASSERT_TRUE(space.Ready) << path;
    EXPECT_EQ(space.Total, uint64_t(info.f_blocks) * info.f_frsize) << path;
    EXPECT_LE(space.Free, space.Total) << path;
    EXPECT_TRUE(volumes.DriveReady(path)) << path;
  }
  EXPECT_FALSE(volumes.Space("relative/path").Ready);
  EXPECT_FALSE(volumes.DriveReady("relative/path"));
}

TEST(GioVolumesThread, TheTopDriveComesFirstAndHoldsWhatNoShownVolumeHolds) {
  TGioVolumes volumes;
  std::vector<TVolumeInfo> drives = volumes.Drives();
  ASSERT_FALSE(drives.empty());
  EXPECT_EQ(drives[0].Root, "/");
  EXPECT_FALSE(drives[0].FsType.empty());
  for (const TVolumeInfo& drive : drives) {
    EXPECT_EQ(drive.Root.back(), '/') << drive.Root;
    EXPECT_TRUE(volumes.IsDriveRoot(drive.Root)) << drive.Root;
    EXPECT_EQ(volumes.VolumeOf(drive.Root + "some/file").Root, drive.Root);
  }
  // The system's own mounts are no drives: what they hold belongs to "/".
  EXPECT_EQ(volumes.VolumeOf("/proc/self/status").Root, "/");
  EXPECT_EQ(volumes.VolumeOf("relative").Root, "");
}

TEST(GioVolumesThread, HandlersComeAndGoWithoutAnyMount) {
  TGioVolumes volumes;
  int calls = 0;
  TVolumeHandlerId id = volumes.AddChangeHandler([&](TVolumeChange, const std::string&) { ++calls; });
  EXPECT_NE(id, 0u);
  volumes.RemoveChangeHandler(id);
  EXPECT_EQ(calls, 0);
}

TEST(GioVolumeLabels, UnescapedFromTheirLinkNames) {
  const struct {
    const char* Name;
    const char* Label;
  } cases[] = {
      {"BACKUP", "BACKUP"},
      {"My\\x20Stick", "My Stick"},
      {"a\\x2fb\\x5C", "a/b\\"},          // hex digits in either case
      {"\\xc3\\xa9t\\xC3\\xA9", "\xC3\xA9t\xC3\xA9"},  // the bytes of a UTF-8 label
      {"50\\x25", "50%"},                   // an escape that ends the name
      {"odd\\x2", "odd\\x2"},               // too short: stands for itself
      {"odd\\xg1\\y20\\", "odd\\xg1\\y20\\"},
      {"\\\\x41", "\\A"},                   // only the second backslash starts an escape
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(gtk::UnescapeLabel(c.Name), c.Label) << c.Name;
}
