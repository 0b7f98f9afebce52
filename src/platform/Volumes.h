// Volumes stand in for drives: "/" is always a local drive, and every further drive is a mount
// that a desktop shows its user, named by its mount root. Roots are written with a trailing "/"
// where the system shows them; every call accepts them with or without it.
//
// Threads: every call may be made from any thread, except the change handlers, which are added,
// removed and called on the interface thread. DriveReady and Space may wait for an unresponsive
// volume, but never longer than kReadyTimeoutMs.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class TVolumeKind { vkFixed, vkOptical, vkRemovable, vkRam, vkNetwork };

struct TVolumeInfo {
  std::string Root;    // with the trailing "/"
  std::string Label;   // empty when the volume has no name
  std::string Device;  // "/dev/sda1", a share ("server:/export", "//host/share"), "tmpfs"
  std::string FsType;  // "ext4", "nfs4", "fuse.sshfs"
  TVolumeKind Kind = TVolumeKind::vkFixed;
};

struct TVolumeSpace {
  bool Ready = false;  // false: the volume did not answer in time, or Path is on none
  uint64_t Total = 0;  // bytes
  uint64_t Free = 0;   // bytes the user may still write
};

enum class TVolumeChange { vcMounted, vcUnmounted };
// Root with the trailing "/".
using TVolumeChangeHandler = std::function<void(TVolumeChange change, const std::string& root)>;
using TVolumeHandlerId = uint64_t;

class Volumes {
 public:
  // A volume that takes longer than this to answer counts as not ready.
  static constexpr int kReadyTimeoutMs = 1500;

  virtual ~Volumes() = default;
  // True when Path is absolute and the volume that holds it answers.
  virtual bool DriveReady(const std::string& path) = 0;
  // The name the volume mounted at Root carries; empty when it has none or Root is no volume.
  virtual std::string VolumeLabel(const std::string& root) = 0;
  // True for "/" and for the mount root of a listed volume.
  virtual bool IsDriveRoot(const std::string& path) = 0;

  // The drives: "/" first, then the volumes a desktop shows its user, in mount order.
  virtual std::vector<TVolumeInfo> Drives() = 0;
  // The drive that holds the absolute Path (the listed volume with the longest root that holds
  // it, else "/"); an empty Root when Path is not absolute.
  virtual TVolumeInfo VolumeOf(const std::string& path) = 0;
  // Size and free space of the file system that holds Path, asked with the time-out.
  virtual TVolumeSpace Space(const std::string& path) = 0;
  // Interface thread: Handler runs there whenever a drive is mounted or unmounted. Returns an
  // id for RemoveChangeHandler, after which the handler is never called again.
  virtual TVolumeHandlerId AddChangeHandler(TVolumeChangeHandler handler) = 0;
  virtual void RemoveChangeHandler(TVolumeHandlerId id) = 0;
};

void SetVolumes(Volumes* volumes);
Volumes& TheVolumes();

// The longest of Roots that holds the absolute Path (a root holds itself and everything below
// it); empty when none does.
std::string VolumeRootOf(std::string_view path, const std::vector<std::string>& roots);

// One mount as the kernel's mount table describes it.
struct TMountEntry {
  std::string Root;  // mount point, without trailing "/" ("/" itself stays "/")
  std::string Device;
  std::string FsType;
  std::string Options;  // the mount's own options ("rw,nosuid,relatime")
};

// A field of the mount table as it was before the table wrote space, tab, newline and backslash
// as "\ooo" (three octal digits); any other text stands for itself.
std::string UnescapeMountField(std::string_view field);
// Reads one line in the format of /proc/self/mountinfo; false when it is not one.
bool ParseMountInfoLine(std::string_view line, TMountEntry& entry);
// The kind of drive a mount is. Ejectable: the device says its medium can be removed.
TVolumeKind ClassifyMount(const TMountEntry& entry, bool ejectable);

// The roots that appear in Now but not in Before (Added), and the other way round (Removed),
// each in the order of the list it comes from.
struct TRootChanges {
  std::vector<std::string> Added, Removed;
};
TRootChanges CompareRoots(const std::vector<std::string>& before, const std::vector<std::string>& now);

// The change handlers of one Volumes service; interface thread only. A handler removed while the
// handlers run is not called any more.
class TVolumeChangeHandlers {
 public:
  TVolumeHandlerId Add(TVolumeChangeHandler handler);
  void Remove(TVolumeHandlerId id);
  void Notify(TVolumeChange change, const std::string& root);
  bool Empty() const { return FHandlers.empty(); }

 private:
  std::map<TVolumeHandlerId, TVolumeChangeHandler> FHandlers;
  TVolumeHandlerId FNextId = 1;
};

}  // namespace platform
