// Drive kinds from mount-table lines, the shared root helpers, and the headless volumes with
// scripted mounts whose change events arrive on the interface thread.
#include <gtest/gtest.h>

#include <thread>

#include "base/Path.h"
#include "platform/Volumes.h"
#include "platform/headless/HeadlessBackend.h"

using namespace platform;
using namespace platform::headless;

TEST(VolumeClassification, KindFromMountInfoLines) {
  struct TCase {
    const char* Line;
    bool Ejectable;
    TVolumeKind Kind;
    const char* Root;
  };
  const TCase cases[] = {
      {"29 1 259:2 / / rw,relatime shared:1 - ext4 /dev/nvme0n1p2 rw", false, TVolumeKind::vkFixed, "/"},
      {"40 29 8:17 / /media/ann/STICK rw,nosuid shared:7 - vfat /dev/sdb1 rw", false,
       TVolumeKind::vkRemovable, "/media/ann/STICK"},
      {"41 29 8:33 / /run/media/ann/Backup rw - ext4 /dev/sdc1 rw", false, TVolumeKind::vkRemovable,
       "/run/media/ann/Backup"},
      {"42 29 8:49 / /mnt/data rw - ext4 /dev/sdd1 rw", true, TVolumeKind::vkRemovable, "/mnt/data"},
      {"43 29 8:50 / /mnt/big rw - xfs /dev/sde1 rw", false, TVolumeKind::vkFixed, "/mnt/big"},
      {"44 29 11:0 / /media/ann/DISC ro - iso9660 /dev/sr0 ro", true, TVolumeKind::vkOptical,
       "/media/ann/DISC"},
      {"45 29 11:1 / /mnt/dvd ro - udf /dev/loop3 ro", false, TVolumeKind::vkOptical, "/mnt/dvd"},
      {"46 29 11:2 / /mnt/odd ro - auto /dev/sr1 ro", false, TVolumeKind::vkOptical, "/mnt/odd"},
      {"47 29 0:50 / /mnt/share rw - nfs4 server:/export rw,vers=4.2", false, TVolumeKind::vkNetwork,
       "/mnt/share"},
      {"48 29 0:51 / /media/ann/win rw - cifs //host/share rw", false, TVolumeKind::vkNetwork,
       "/media/ann/win"},
      {"49 29 0:52 / /home/ann/remote rw - fuse.sshfs ann@host:/ rw", false, TVolumeKind::vkNetwork,
       "/home/ann/remote"},
      {"50 29 0:53 / /run/user/1000/gvfs rw - fuse.gvfsd-fuse gvfsd-fuse rw", false,
       TVolumeKind::vkNetwork, "/run/user/1000/gvfs"},
      {"51 29 0:54 / /mnt/vm rw - 9p hostshare rw", false, TVolumeKind::vkNetwork, "/mnt/vm"},
      {"52 29 0:55 / /mnt/dav rw - davfs https://dav.example/ rw", false, TVolumeKind::vkNetwork, "/mnt/dav"},
      {"53 29 0:56 / /media/ann/scratch rw - tmpfs tmpfs rw,size=1g", false, TVolumeKind::vkRam,
       "/media/ann/scratch"},
      {"54 29 0:57 / /mnt/ram rw - ramfs none rw", false, TVolumeKind::vkRam, "/mnt/ram"},
      // Spaces and tabs in mount points are written in octal; optional fields may be several.
      {"55 29 8:65 / /media/ann/My\\040Stick\\011x rw shared:9 master:2 - exfat /dev/sdf1 rw", false,
       TVolumeKind::vkRemovable, "/media/ann/My Stick\tx"},
  };
  for (const TCase& c : cases) {
    TMountEntry entry;
    ASSERT_TRUE(ParseMountInfoLine(c.Line, entry)) << c.Line;
    EXPECT_EQ(entry.Root, c.Root) << c.Line;
    EXPECT_EQ(ClassifyMount(entry, c.Ejectable), c.Kind) << c.Line;
  }
}

TEST(VolumeClassification, FieldsOfALineAndLinesThatAreNone) {
  TMountEntry entry;
  ASSERT_TRUE(ParseMountInfoLine("47 29 0:50 / /mnt/share/ rw,noatime - nfs4 srv:/a\\134b rw\n", entry));
  EXPECT_EQ(entry.Root, "/mnt/share");
  EXPECT_EQ(entry.Device, "srv:/a\\b");
  EXPECT_EQ(entry.FsType, "nfs4");
  EXPECT_EQ(entry.Options, "rw,noatime");
  for (const char* bad : {"", "garbage", "29 1 259:2 / / rw shared:1 ext4 /dev/sda1 rw",
                          "29 1 259:2 / / rw - ext4", "29 1 259:2 / relative rw - ext4 /dev/sda1 rw"})
    EXPECT_FALSE(ParseMountInfoLine(bad, entry)) << bad;
}

TEST(VolumeClassification, MountFieldsUnescaped) {
  const struct {
    const char* Field;
    const char* Text;
  } cases[] = {
      {"/media/ann/My\\040Stick", "/media/ann/My Stick"},
      {"a\\011b\\012c\\134d", "a\tb\nc\\d"},
      {"end\\040", "end "},      // an escape that ends the field
      {"\\101\\60", "A\\60"},  // two octal digits are not an escape
      {"\\8\\400x\\377\\", "\\8\\400x\xFF\\"},  // past \377 no byte: stands for itself
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(UnescapeMountField(c.Field), c.Text) << c.Field;
}

TEST(VolumeRoots, SlashesAndChanges) {
  EXPECT_EQ(base::WithTrailingSlash("/media/x//"), "/media/x/");
  EXPECT_EQ(base::WithTrailingSlash("/"), "/");
  EXPECT_EQ(base::WithTrailingSlash("/media/x"), "/media/x/");
  TRootChanges changes = CompareRoots({"/", "/a/", "/b/"}, {"/", "/b/", "/c/", "/d/"});
  EXPECT_EQ(changes.Added, (std::vector<std::string>{"/c/", "/d/"}));
  EXPECT_EQ(changes.Removed, (std::vector<std::string>{"/a/"}));
  EXPECT_TRUE(CompareRoots({"/"}, {"/"}).Added.empty());
}

namespace {

class HeadlessVolumesThreadTest : public ::testing::Test {
 protected:
  THeadlessBackend Backend;
  THeadlessVolumes& Volumes = Backend.Volumes;
  std::vector<std::string> Events;  // "+root" or "-root", as the handler heard them

  TVolumeHandlerId Listen() {
    return Volumes.AddChangeHandler([this](TVolumeChange change, const std::string& root) {
      EXPECT_TRUE(IsUiThread());
      Events.push_back((change == TVolumeChange::vcMounted ? "+" : "-") + root);
    });
  }
};

}  // namespace

TEST_F(HeadlessVolumesThreadTest, DrivesStartAtTheTopAndHoldTheirPaths) {
  Volumes.List = {{"/media/u/STICK", "STICK", true, TVolumeKind::vkRemovable, "/dev/sdb1", "vfat", 8000, 500},
                  {"/media/u/STICK/inner/", "", false, TVolumeKind::vkNetwork}};
  std::vector<TVolumeInfo> drives = Volumes.Drives();
  ASSERT_EQ(drives.size(), 3u);
  EXPECT_EQ(drives[0].Root, "/");
  EXPECT_EQ(drives[1].Root, "/media/u/STICK/");
  EXPECT_EQ(drives[1].Kind, TVolumeKind::vkRemovable);
  EXPECT_EQ(Volumes.VolumeOf("/media/u/STICK/a/b").Label, "STICK");
  EXPECT_EQ(Volumes.VolumeOf("/media/u/STICKY").Root, "/");
  EXPECT_EQ(Volumes.VolumeOf("/media/u/STICK/inner/x").Kind, TVolumeKind::vkNetwork);
  EXPECT_EQ(Volumes.VolumeOf("relative").Root, "");
  TVolumeSpace space = Volumes.Space("/media/u/STICK/file");
  EXPECT_TRUE(space.Ready);
  EXPECT_EQ(space.Total, 8000u);
  EXPECT_EQ(space.Free, 500u);
  EXPECT_FALSE(Volumes.Space("/media/u/STICK/inner/x").Ready);
  EXPECT_FALSE(Volumes.DriveReady("/media/u/STICK/inner"));
  EXPECT_TRUE(Volumes.DriveReady("/media/u/STICK/other"));
}

TEST_F(HeadlessVolumesThreadTest, ScriptedMountsReachTheHandlersOnTheInterfaceThread) {
  TVolumeHandlerId id = Listen();
  std::thread worker([&] { Volumes.Mount({"/media/u/DISC", "DISC", true, TVolumeKind::vkOptical}); });
  worker.join();
  EXPECT_TRUE(Events.empty());  // not before the interface loop runs
  Backend.Loop.RunUntilIdle();
  EXPECT_EQ(Events, (std::vector<std::string>{"+/media/u/DISC/"}));
  EXPECT_TRUE(Volumes.IsDriveRoot("/media/u/DISC/"));
  EXPECT_EQ(Volumes.VolumeLabel("/media/u/DISC"), "DISC");

  EXPECT_FALSE(Volumes.Unmount("/media/u/NONE"));
  EXPECT_TRUE(Volumes.Unmount("/media/u/DISC/"));
  Backend.Loop.RunUntilIdle();
  EXPECT_EQ(Events.back(), "-/media/u/DISC/");
  EXPECT_FALSE(Volumes.IsDriveRoot("/media/u/DISC"));

  Volumes.RemoveChangeHandler(id);
  Volumes.Mount({"/media/u/AGAIN"});
  Backend.Loop.RunUntilIdle();
  EXPECT_EQ(Events.size(), 2u);
}

TEST(VolumeChangeHandlers, AHandlerRemovedWhileTheyRunIsNotCalled) {
  TVolumeChangeHandlers handlers;
  int first = 0, second = 0;
  TVolumeHandlerId secondId = 0;
  TVolumeHandlerId firstId = handlers.Add([&](TVolumeChange, const std::string&) {
    ++first;
    handlers.Remove(firstId);  // itself, while it runs
    handlers.Remove(secondId);
  });
  secondId = handlers.Add([&](TVolumeChange, const std::string&) { ++second; });
  handlers.Notify(TVolumeChange::vcMounted, "/x/");
  handlers.Notify(TVolumeChange::vcMounted, "/x/");
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 0);
  EXPECT_TRUE(handlers.Empty());
}
