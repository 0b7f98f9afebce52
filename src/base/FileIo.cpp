#include "base/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <new>
#include <system_error>

#include "base/Path.h"

namespace base {

namespace {

std::string SystemMessage(int error) { return std::generic_category().message(error); }

// Closes a descriptor on every way out of a function.
class TDescriptor {
 public:
  explicit TDescriptor(int fd) : FFd(fd) {}
  ~TDescriptor() {
    if (FFd >= 0) ::close(FFd);
  }
  TDescriptor(const TDescriptor&) = delete;
  TDescriptor& operator=(const TDescriptor&) = delete;
  int Get() const { return FFd; }
  // Closes now; false when the last writes did not reach the file.
  bool Close() {
    const int fd = FFd;
    FFd = -1;
    return ::close(fd) == 0;
  }

 private:
  int FFd;
};

TReadResult ReadFailure(TReadError error, int number) { return {error, number}; }

// Reads the rest of Fd into Bytes, never beyond Cap; Expected is the size fstat gave.
template <typename TBytes>
TReadResult ReadAllWithin(int fd, TBytes& bytes, int64_t expected, int64_t cap) {
  // One byte more than expected, so that the end shows without growing the buffer.
  bytes.resize(size_t(std::min(expected, cap) + 1));
  size_t filled = 0;
  for (;;) {
    if (filled == bytes.size()) {
      if (int64_t(filled) > cap) return ReadFailure(TReadError::reTooLarge, EFBIG);  // it grew
      bytes.resize(size_t(std::min<int64_t>(int64_t(filled) * 2, cap + 1)));
    }
    const ssize_t n = ::read(fd, bytes.data() + filled, bytes.size() - filled);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return ReadFailure(TReadError::reUnreadable, errno);
    if (n == 0) break;
    filled += size_t(n);
  }
  bytes.resize(filled);
  return {};
}

template <typename TBytes>
TReadResult ReadWholeFileInto(const std::string& path, TBytes& bytes, int64_t maxBytes) {
  bytes.clear();
  // Non-blocking, so that opening a named pipe cannot wait for a writer.
  TDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (fd.Get() < 0) {
    const int error = errno;
    return ReadFailure(error == ENOENT || error == ENOTDIR ? TReadError::reNotFound
                                                           : TReadError::reUnreadable,
                       error);
  }
  struct stat info {};
  if (::fstat(fd.Get(), &info) != 0) return ReadFailure(TReadError::reUnreadable, errno);
  if (!S_ISREG(info.st_mode))
    return ReadFailure(TReadError::reUnreadable, S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
  const int64_t cap = std::clamp<int64_t>(maxBytes, 0, int64_t{1} << 40);
  if (info.st_size > cap) return ReadFailure(TReadError::reTooLarge, EFBIG);
  TReadResult result;
  try {
    result = ReadAllWithin(fd.Get(), bytes, info.st_size, cap);
  } catch (const std::bad_alloc&) {
    result = ReadFailure(TReadError::reTooLarge, ENOMEM);
  }
  if (!result) {
    bytes.clear();
    bytes.shrink_to_fit();
  }
  return result;
}

// The process's umask, read without changing it (umask() itself would race with other threads).
mode_t CurrentUmask() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.starts_with("Umask:")) return mode_t(std::strtoul(line.c_str() + 6, nullptr, 8));
  return 022;
}

// Where a link at Path finally leads, the links along the way followed as text; Path itself
// when it is no link. The end need not exist: writing through a dangling link makes its target.
std::string FinalTarget(const std::string& path) {
  std::string target = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st;
    if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return target;
    std::string text(size_t(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
    const ssize_t n = ::readlink(target.c_str(), text.data(), text.size());
    if (n < 0 || size_t(n) >= text.size()) return target;  // changed under us: stop here
    text.resize(size_t(n));
    target = !text.empty() && text[0] == '/' ? text : JoinPath(ParentOf(target), text);
  }
  return target;  // a loop: the rename below fails on it like any other link loop
}

// A hidden, unique file beside Target; mkostemp makes it with no permissions for others.
int CreateTemporaryBeside(const std::string& target, std::string& temporary) {
  temporary = JoinPath(ParentOf(target), "." + BaseName(target) + ".XXXXXX");
  return ::mkostemp(temporary.data(), O_CLOEXEC);
}

// Gives the temporary file the permissions (and where permitted the owner) of the file it
// replaces, or for a new file the mode asked for (the default permissions when none was).
bool TakeOverAttributes(int fd, const struct stat* old, std::optional<mode_t> newFileMode) {
  if (!old) return ::fchmod(fd, newFileMode ? *newFileMode & 07777 : 0666 & ~CurrentUmask()) == 0;
  if (::fchmod(fd, old->st_mode & 07777) != 0) return false;
  // Only a privileged process can give a file away; otherwise the old file was the user's own.
  return ::fchown(fd, old->st_uid, old->st_gid) == 0 || errno == EPERM;
}

// The rename is on the disk only once the folder is; a failure here loses nothing already done.
void FlushFolderOf(const std::string& target) {
  const std::string folder = ParentOf(target);
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

std::string TReadResult::Message() const {
  switch (Error) {
    case TReadError::reNone:
      return {};
    case TReadError::reTooLarge:
      return Errno == ENOMEM ? "not enough memory to read it" : "the file is larger than the limit";
    case TReadError::reUnreadable:
      if (Errno == EISDIR || Errno == EINVAL) return "not a regular file";
      break;
    case TReadError::reNotFound:
      break;
  }
  return SystemMessage(Errno);
}

TReadResult ReadWholeFile(const std::string& path, std::string& bytes, int64_t maxBytes) {
  return ReadWholeFileInto(path, bytes, maxBytes);
}

TReadResult ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, int64_t maxBytes) {
  return ReadWholeFileInto(path, bytes, maxBytes);
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) {
      errno = ENOSPC;  // a descriptor that takes nothing and names no reason
      return false;
    }
    bytes.remove_prefix(size_t(n));
  }
  return true;
}

std::string TWriteResult::Message() const { return Errno == 0 ? std::string() : SystemMessage(Errno); }

TWriteResult WriteFileAtomically(const std::string& path, std::string_view bytes,
                                 std::optional<mode_t> newFileMode) {
  if (path.empty()) return {ENOENT};
  const std::string target = FinalTarget(path);
  struct stat old;
  const bool existed = ::stat(target.c_str(), &old) == 0;
  if (existed && !S_ISREG(old.st_mode)) return {S_ISDIR(old.st_mode) ? EISDIR : EINVAL};
  // The rename would replace a read-only file too; it stays, as an editor would leave it.
  if (existed && ::access(target.c_str(), W_OK) != 0) return {errno};

  std::string temporary;
  TDescriptor fd(CreateTemporaryBeside(target, temporary));
  if (fd.Get() < 0) return {errno};
  int error = 0;
  if (!TakeOverAttributes(fd.Get(), existed ? &old : nullptr, newFileMode) || !WriteAll(fd.Get(), bytes) ||
      ::fsync(fd.Get()) != 0)
    error = errno;
  if (!fd.Close() && error == 0) error = errno;
  if (error == 0 && ::rename(temporary.c_str(), target.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temporary.c_str());
    return {error};
  }
  FlushFolderOf(target);
  return {};
}

}  // namespace base
