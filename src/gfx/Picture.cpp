#include "gfx/Picture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <new>
#include <system_error>

#include "gfx/BmpCodec.h"
#include "gfx/JpegCodec.h"
#include "gfx/PngCodec.h"

namespace gfx {

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
  // Closes now and reports whether the last buffered writes reached the file.
  bool Close() {
    const int fd = FFd;
    FFd = -1;
    return ::close(fd) == 0;
  }

 private:
  int FFd;
};

TPictureError OpenFailureKind(int error) {
  return error == ENOENT || error == ENOTDIR ? TPictureError::peNotFound
                                             : TPictureError::peUnreadable;
}

bool WriteAll(int fd, const uint8_t* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= size_t(n);
  }
  return true;
}

// A name in the target's folder that the folder's listing hides, unique per process and call.
std::string TemporaryNameFor(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return folder + "." + name + "." + std::to_string(::getpid()) + "." +
         std::to_string(counter.fetch_add(1)) + ".tmp";
}

}  // namespace

TPictureResult CheckPixelBudget(int64_t width, int64_t height, const TDecodeLimits& limits) {
  if (width <= 0 || height <= 0) return PictureFailure(TPictureError::peCorrupt, "no pixels");
  const int64_t budget = std::min(limits.MaxPixels, TBitmap32::kMaxPixels);
  // Each side is checked first so that the product cannot overflow.
  if (width > budget || height > budget || width * height > budget)
    return PictureFailure(TPictureError::peTooLarge,
                          std::to_string(width) + " x " + std::to_string(height) +
                              " pixels is beyond the budget of " + std::to_string(budget));
  return {};
}

TPictureFormat DetectPictureFormat(const uint8_t* data, size_t size) {
  static const uint8_t png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (size >= 8 && std::memcmp(data, png, 8) == 0) return TPictureFormat::pfPng;
  if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF)
    return TPictureFormat::pfJpeg;
  if (size >= 2 && data[0] == 'B' && data[1] == 'M') return TPictureFormat::pfBmp;
  return TPictureFormat::pfUnknown;
}

TPictureResult ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes,
                             int64_t maxBytes) {
  bytes.clear();
  // Non-blocking, so that opening a named pipe cannot wait for a writer.
  TDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (fd.Get() < 0) {
    const int error = errno;
    return PictureFailure(OpenFailureKind(error), path + ": " + SystemMessage(error));
  }
  struct stat info {};
  if (::fstat(fd.Get(), &info) != 0)
    return PictureFailure(TPictureError::peUnreadable, path + ": " + SystemMessage(errno));
  if (!S_ISREG(info.st_mode))
    return PictureFailure(TPictureError::peUnreadable, path + ": not a regular file");
  const int64_t cap = std::clamp<int64_t>(maxBytes, 0, int64_t{1} << 40);
  if (info.st_size > cap)
    return PictureFailure(TPictureError::peTooLarge,
                          path + ": file is larger than " + std::to_string(cap) + " bytes");
  try {
    // One byte more than the file holds, so that the read ends without growing the buffer.
    bytes.resize(size_t(std::min<int64_t>(info.st_size, cap) + 1));
    size_t filled = 0;
    for (;;) {
      if (filled == bytes.size()) {
        // The file grew since it was measured.
        if (int64_t(filled) > cap) {
          bytes.clear();
          return PictureFailure(TPictureError::peTooLarge,
                                path + ": file is larger than " + std::to_string(cap) + " bytes");
        }
        bytes.resize(size_t(std::min<int64_t>(int64_t(filled) * 2, cap + 1)));
      }
      const ssize_t n = ::read(fd.Get(), bytes.data() + filled, bytes.size() - filled);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        const int error = errno;
        bytes.clear();
        return PictureFailure(TPictureError::peUnreadable, path + ": " + SystemMessage(error));
      }
      if (n == 0) break;
      filled += size_t(n);
    }
    bytes.resize(filled);
  } catch (const std::bad_alloc&) {
    bytes.clear();
    bytes.shrink_to_fit();
    return PictureFailure(TPictureError::peTooLarge, path + ": not enough memory to read it");
  }
  return {};
}

TPictureResult WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes) {
  auto failure = [&](const std::string& what, int error) {
    return PictureFailure(TPictureError::peWriteFailed,
                          path + ": " + what + ": " + SystemMessage(error));
  };
  std::string temporary;
  int fdNumber = -1;
  for (int attempt = 0; attempt < 16 && fdNumber < 0; ++attempt) {
    temporary = TemporaryNameFor(path);
    fdNumber = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fdNumber < 0 && errno != EEXIST) return failure("cannot create a file", errno);
  }
  if (fdNumber < 0) return failure("cannot create a file", EEXIST);
  TDescriptor fd(fdNumber);
  // Flushed before the rename, so that a crash cannot leave an empty file under the real name.
  const bool written = WriteAll(fd.Get(), bytes.data(), bytes.size()) && ::fsync(fd.Get()) == 0;
  const int writeError = errno;
  if (!fd.Close() || !written) {
    const int error = written ? errno : writeError;
    ::unlink(temporary.c_str());
    return failure("cannot write", error);
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    const int error = errno;
    ::unlink(temporary.c_str());
    return failure("cannot replace", error);
  }
  return {};
}

TPictureResult DecodePicture(const uint8_t* data, size_t size, TBitmap32& bitmap,
                             const TDecodeLimits& limits) {
  switch (DetectPictureFormat(data, size)) {
    case TPictureFormat::pfPng:
      return DecodePng(data, size, bitmap, limits);
    case TPictureFormat::pfJpeg:
      return DecodeJpeg(data, size, bitmap, 1, limits);
    case TPictureFormat::pfBmp:
      return DecodeBmp(data, size, bitmap, limits);
    case TPictureFormat::pfUnknown:
      break;
  }
  bitmap.SetSize(0, 0);
  return PictureFailure(TPictureError::peUnsupported, "not a PNG, JPEG or BMP picture");
}

TPictureResult LoadPictureFile(const std::string& path, TBitmap32& bitmap,
                               const TDecodeLimits& limits) {
  bitmap.SetSize(0, 0);
  std::vector<uint8_t> bytes;
  TPictureResult result = ReadWholeFile(path, bytes, limits.MaxFileBytes);
  if (!result) return result;
  result = DecodePicture(bytes.data(), bytes.size(), bitmap, limits);
  if (!result) result.Message = path + ": " + result.Message;
  return result;
}

TPoint FitIntoBox(int width, int height, int boxWidth, int boxHeight) {
  if (width <= 0 || height <= 0 || boxWidth <= 0 || boxHeight <= 0) return {0, 0};
  if (width <= boxWidth && height <= boxHeight) return {width, height};
  const int64_t w = width, h = height, bw = boxWidth, bh = boxHeight;
  // The side that overflows the box more decides the scale; the other is rounded to nearest.
  if (w * bh >= h * bw) {
    const int64_t fitted = (2 * h * bw + w) / (2 * w);
    return {boxWidth, int(std::clamp<int64_t>(fitted, 1, bh))};
  }
  const int64_t fitted = (2 * w * bh + h) / (2 * h);
  return {int(std::clamp<int64_t>(fitted, 1, bw)), boxHeight};
}

}  // namespace gfx
