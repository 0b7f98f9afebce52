// Whole files in and out: reading a regular file into memory within a size limit, writing every
// byte to a descriptor, and replacing a file in one step so that a reader (or a crash) sees
// either the old contents or the complete new ones, never a mixture.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace base {

enum class TReadError {
  reNone,
  reNotFound,    // nothing at the path, or a part of it is no folder
  reUnreadable,  // no permission, not a regular file, or an I/O error
  reTooLarge,    // longer than the limit, or more than memory holds
};

struct TReadResult {
  TReadError Error = TReadError::reNone;
  int Errno = 0;  // the system's reason: EISDIR or EINVAL for a folder or special file, EFBIG
                  // or ENOMEM when too large
  explicit operator bool() const { return Error == TReadError::reNone; }
  std::string Message() const;  // for people; empty on success
};

// Reads the regular file at Path, at most MaxBytes long, into Bytes; Bytes is empty after any
// failure. A named pipe or device is refused without waiting for it. A file that grows while it
// is read is read to its end as long as it stays within the limit.
TReadResult ReadWholeFile(const std::string& path, std::string& bytes, int64_t maxBytes);
TReadResult ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, int64_t maxBytes);

// Writes all of Bytes to Fd, resuming after signals and short writes. False with errno set when
// the descriptor takes no more.
bool WriteAll(int fd, std::string_view bytes);

struct TWriteResult {
  int Errno = 0;  // 0, or the reason the file was left as it was
  explicit operator bool() const { return Errno == 0; }
  std::string Message() const;  // for people; empty on success
};

// Replaces the file at Path by Bytes in one step: a hidden temporary file in the same folder is
// written, flushed to the disk and renamed over the old one. The new file keeps the old one's
// permissions and, where the process may, its owner; a new file gets the default permissions
// (0666 less the umask), or exactly NewFileMode when one is given (0600 for a private file).
// When Path is a symbolic link, the file it leads to is replaced and the link stays a link.
// A folder or special file, or a file this user may not write, is refused. After a failure the
// old file is as it was and no temporary file is left behind.
TWriteResult WriteFileAtomically(const std::string& path, std::string_view bytes,
                                 std::optional<mode_t> newFileMode = std::nullopt);

}  // namespace base
