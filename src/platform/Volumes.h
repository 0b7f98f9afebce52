// Volumes stand in for drives: "/" is always a local drive, and every further drive is a mount
// that a desktop shows its user, named by its mount root. Roots are written with a trailing "/"
// where the system shows them; every call accepts them with or without it.
//
// Threads: every call may be made from any thread. DriveReady may wait for an unresponsive
// volume, but never longer than kReadyTimeoutMs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

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
};

void SetVolumes(Volumes* volumes);
Volumes& TheVolumes();

// Path without its trailing "/" characters; "/" itself stays "/".
std::string WithoutTrailingSlash(std::string_view path);
// The longest of Roots that holds the absolute Path (a root holds itself and everything below
// it); empty when none does.
std::string VolumeRootOf(std::string_view path, const std::vector<std::string>& roots);

}  // namespace platform
