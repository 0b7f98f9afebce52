#include "platform/Fs.h"

#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace platform::Fs {

namespace {
bool StatOf(const std::string& path, struct stat& st) {
  return !path.empty() && stat(path.c_str(), &st) == 0;
}
}  // namespace

bool Exists(const std::string& path) {
  struct stat st;
  return StatOf(path, st);
}

bool FileExists(const std::string& path) {
  struct stat st;
  return StatOf(path, st) && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat st;
  return StatOf(path, st) && S_ISDIR(st.st_mode);
}

std::string SymlinkTarget(const std::string& path) {
  struct stat st;
  if (path.empty() || lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return {};
  // A link's size is its target's length, but procfs links report 0: grow until it fits.
  std::vector<char> buffer(st.st_size > 0 ? size_t(st.st_size) + 1 : 256);
  for (;;) {
    ssize_t n = readlink(path.c_str(), buffer.data(), buffer.size());
    if (n < 0) return {};
    if (size_t(n) < buffer.size()) {
      std::string target(buffer.data(), size_t(n));
      if (target.empty() || target[0] == '/') return target;
      size_t slash = path.rfind('/');
      return slash == std::string::npos ? target : path.substr(0, slash + 1) + target;
    }
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace platform::Fs
