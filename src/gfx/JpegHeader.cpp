#include "gfx/JpegHeader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace gfx {

namespace {

enum class TScan { scFound, scFailed, scNeedMore };

uint16_t Read16Be(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }

bool IsStartOfFrame(uint8_t marker) {
  // C4 (Huffman tables), C8 (reserved) and CC (arithmetic conditioning) share the range.
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Markers without a length: TEM and the restart markers.
bool IsStandalone(uint8_t marker) { return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7); }

// The walk itself; NeedMore when the data ends before the answer, so a file reader knows to read
// on.
TScan ScanHeader(const uint8_t* data, size_t size, int& width, int& height) {
  if (size < 2) return size == 0 || data[0] == 0xFF ? TScan::scNeedMore : TScan::scFailed;
  if (data[0] != 0xFF || data[1] != 0xD8) return TScan::scFailed;
  size_t at = 2;
  for (;;) {
    if (at >= size) return TScan::scNeedMore;
    if (data[at] != 0xFF) return TScan::scFailed;  // a marker was due
    while (at < size && data[at] == 0xFF) ++at;     // fill bytes
    if (at >= size) return TScan::scNeedMore;
    const uint8_t marker = data[at++];
    if (IsStandalone(marker)) continue;
    // Nothing but entropy-coded data follows a scan header, and nothing after the end.
    if (marker == 0x00 || marker == 0xD8 || marker == 0xD9 || marker == 0xDA)
      return TScan::scFailed;
    if (size - at < 2) return TScan::scNeedMore;
    const size_t length = Read16Be(data + at);
    if (length < 2) return TScan::scFailed;
    if (size - at < length) return TScan::scNeedMore;
    if (IsStartOfFrame(marker)) {
      // Precision, height, width.
      if (length < 7) return TScan::scFailed;
      height = Read16Be(data + at + 3);
      width = Read16Be(data + at + 5);
      if (width == 0 || height == 0) return TScan::scFailed;
      return TScan::scFound;
    }
    at += length;
  }
}

TScan ScanAndReport(const uint8_t* data, size_t size, int& width, int& height) {
  width = height = 0;
  const TScan scan = ScanHeader(data, size, width, height);
  if (scan != TScan::scFound) width = height = 0;
  return scan;
}

}  // namespace

bool JpegHeaderSize(const uint8_t* data, size_t size, int& width, int& height) {
  return ScanAndReport(data, size, width, height) == TScan::scFound;
}

bool JpegFileSize(const std::string& path, int& width, int& height) {
  width = height = 0;
  // Non-blocking, so that a named pipe is refused below instead of waited on.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat info{};
  bool found = false;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    // The file may grow or shrink while it is read: its end as read decides, within the cap.
    std::vector<uint8_t> bytes;
    constexpr size_t kChunk = 64 * 1024;
    TScan scan = TScan::scNeedMore;
    while (scan == TScan::scNeedMore && bytes.size() < kMaxJpegHeaderBytes) {
      const size_t had = bytes.size();
      bytes.resize(had + std::min(kChunk, kMaxJpegHeaderBytes - had));
      const ssize_t got = ::read(fd, bytes.data() + had, bytes.size() - had);
      if (got < 0 && errno == EINTR) {
        bytes.resize(had);
        continue;
      }
      bytes.resize(had + size_t(std::max<ssize_t>(got, 0)));
      if (got <= 0) break;
      scan = ScanAndReport(bytes.data(), bytes.size(), width, height);
    }
    found = scan == TScan::scFound;
  }
  ::close(fd);
  if (!found) width = height = 0;
  return found;
}

}  // namespace gfx
