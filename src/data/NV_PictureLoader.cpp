#include "data/NV_PictureLoader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "base/FileIo.h"
#include "config/NV_PathMacros.h"
#include "config/NV_Settings.h"
#include "config/NV_System.h"
#include "data/NV_ResizeBitmap.h"
#include "data/NV_ThumbnailCache.h"
#include "gfx/Draw.h"
#include "gfx/ExeIcon.h"
#include "gfx/IcoCodec.h"
#include "gfx/JpegCodec.h"
#include "gfx/JpegHeader.h"
#include "gfx/Picture.h"
#include "gfx/PngCodec.h"
#include "platform/Fs.h"
#include "platform/Icons.h"

namespace data {

namespace {

constexpr std::string_view kUnknown = "FilesThemePath:\\Unknown.png";
constexpr std::string_view kUnknownExe = "FilesThemePath:\\UnknownExe.png";
constexpr std::string_view kUnknownIco = "FilesThemePath:\\UnknownIco.png";

// Programs and icon files are read whole; anything larger shows the fallback picture. The
// icon of a program sits in its resources, which a program of this size still holds in full.
constexpr int64_t kMaxProgramBytes = int64_t{64} << 20;
constexpr int64_t kMaxIconFileBytes = int64_t{16} << 20;
// The smallest request that the desktop's thumbnail cache serves.
constexpr int kThumbnailRequest = 128;

// Target := Picture when it is narrower or lower than the request, else the picture shrunk
// proportionally into Width x Height.
void FitInto(gfx::TBitmap32& picture, gfx::TBitmap32& target, int width, int height) {
  if (picture.Width() < width || picture.Height() < height)
    target = std::move(picture);
  else
    ResizeBitmap(picture, target, width, true, height);
}

TPictureLoad Fallback(std::string_view fallback, gfx::TBitmap32& target) {
  return LoadPng(fallback, target) ? TPictureLoad::plFallback : TPictureLoad::plFailed;
}

// The side of a request as one number, for square icons.
int IconSize(int width, int height) { return std::max(1, std::min(width, height)); }

platform::Icons* IconsOf(const TPictureSources& sources) {
  if (sources.Icons != nullptr) return sources.Icons;
  return platform::HasIcons() ? &platform::TheIcons() : nullptr;
}

// The desktop's icon for File, fitted into the request. An icon that reports no size is taken
// at the item height of the options.
bool DesktopIcon(const TPictureSources& sources, const std::string& file, int width, int height,
                 gfx::TBitmap32& target) {
  platform::Icons* icons = IconsOf(sources);
  if (icons == nullptr) return false;
  gfx::TBitmap32 icon;
  if (!icons->ForPath(file, IconSize(width, height), icon) || icon.Empty()) return false;
  FitInto(icon, target, width, height);
  return true;
}

using TIconDecoder = gfx::TPictureResult (*)(const uint8_t* data, size_t size, int wantWidth, int wantHeight,
                                             gfx::TBitmap32& bitmap, const gfx::TDecodeLimits& limits);

// A program's icon or an icon file: the best image for the request, at its own size, or the
// fallback of its row.
TPictureLoad LoadIcon(const std::string& file, int64_t maxBytes, TIconDecoder decode, std::string_view fallback,
                      gfx::TBitmap32& target, int width, int height) {
  std::vector<uint8_t> bytes;
  gfx::TBitmap32 icon;
  if (!base::ReadWholeFile(file, bytes, maxBytes) ||
      !decode(bytes.data(), bytes.size(), width, height, icon, gfx::TDecodeLimits{}) || icon.Empty())
    return Fallback(fallback, target);
  target = std::move(icon);
  return TPictureLoad::plPicture;
}

// The decoding scale for a header of HeaderWidth x HeaderHeight (a side of 0 counts as 1).
int JpegScaleFor(int headerWidth, int headerHeight, int width, int height) {
  headerWidth = std::max(headerWidth, 1);
  headerHeight = std::max(headerHeight, 1);
  const int ratio = std::max(0, std::min(headerHeight / std::max(width, 1), headerWidth / std::max(height, 1)));
  if (ratio == 0) return 0;
  if (ratio <= 2) return 1;
  if (ratio <= 4) return 2;
  return 3;
}

// The JPEG rule: a decode at the cheapest scale that still covers the request, then shrunk
// keeping the aspect when it is at least as large as the request both ways (a computed side
// of 1 or less becomes 2).
bool DecodeJpegFile(const std::string& file, int width, int height, gfx::TBitmap32& target) {
  std::vector<uint8_t> bytes;
  if (!base::ReadWholeFile(file, bytes, gfx::TDecodeLimits{}.MaxFileBytes)) return false;
  int headerWidth = 0, headerHeight = 0;
  if (!gfx::JpegHeaderSize(bytes.data(), bytes.size(), headerWidth, headerHeight)) headerWidth = headerHeight = 0;
  gfx::TBitmap32 decoded;
  const int scale = JpegScaleFor(headerWidth, headerHeight, width, height);
  if (!gfx::DecodeJpeg(bytes.data(), bytes.size(), decoded, 1 << scale)) return false;
  if (decoded.Width() >= width && decoded.Height() >= height) {
    const gfx::TPoint size = ProportionalSize(decoded.Width(), decoded.Height(), width, height, 2);
    target = gfx::Resampled(decoded, size.X, size.Y);
  } else {
    target = std::move(decoded);
  }
  return !target.Empty();
}

// A bitmap file is decoded by its signature, so a folder picture in any format shows.
bool DecodeBitmapFile(const std::string& file, int width, int height, gfx::TBitmap32& target) {
  gfx::TBitmap32 picture;
  if (!gfx::LoadPictureFile(file, picture)) return false;
  FitInto(picture, target, width, height);
  return true;
}

bool DecodePngFile(const std::string& file, int width, int height, gfx::TBitmap32& target) {
  gfx::TBitmap32 picture;
  if (!LoadPng(file, picture)) return false;
  FitInto(picture, target, width, height);
  return true;
}

using TDecoder = bool (*)(const std::string& file, int width, int height, gfx::TBitmap32& target);

// A picture file: the desktop's thumbnail when it has a valid one, else decoded and offered
// back to it; a file that fails is recorded and shows the fallback from then on. The file is
// described before it is decoded, so a picture of a file that changed meanwhile is never kept
// under the new file's time.
TPictureLoad LoadPictureFile(const TPictureSources& sources, const std::string& file, int width, int height,
                             TDecoder decode, gfx::TBitmap32& target) {
  const int thumbSize = std::max(width, height);
  TThumbnailCache* thumbnails = thumbSize >= kThumbnailRequest ? sources.Thumbnails : nullptr;
  TThumbnailSource source;
  if (thumbnails != nullptr) source = TThumbnailCache::Describe(file);
  if (thumbnails != nullptr && source) {
    if (thumbnails->KnownFailure(source)) return Fallback(kUnknown, target);
    gfx::TBitmap32 found;
    if (thumbnails->Lookup(source, thumbSize, found)) {
      FitInto(found, target, width, height);
      return TPictureLoad::plPicture;
    }
  }
  gfx::TBitmap32 picture;
  if (!decode(file, width, height, picture)) {
    if (thumbnails != nullptr && source) thumbnails->RecordFailure(source);
    return Fallback(kUnknown, target);
  }
  if (thumbnails != nullptr && source) thumbnails->Store(source, thumbSize, picture);
  target = std::move(picture);
  return TPictureLoad::plPicture;
}

bool IsExecutableFile(const std::string& file) {
  struct stat st {};
  return stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0111) != 0;
}

bool IsSymbolicLink(const std::string& file) {
  struct stat st {};
  return lstat(file.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

// Everything without a decoder of its own: the desktop's icon for programs and launchers, the
// theme's picture of the extension, the content type's icon, the opening program's icon.
TPictureLoad LoadOtherFile(const TPictureSources& sources, const std::string& file, const std::string& ext,
                           gfx::TBitmap32& target, int width, int height) {
  if ((ext == ".desktop" || IsExecutableFile(file)) && DesktopIcon(sources, file, width, height, target))
    return TPictureLoad::plPicture;
  if (ext.size() > 1) {
    const std::string themed = config::ExistingPathIgnoringCase(
        config::ResolvePath(std::string("FilesThemePath:\\") + ext.substr(1) + ".png"));
    gfx::TBitmap32 picture;
    if (!themed.empty() && LoadPng(themed, picture)) {
      FitInto(picture, target, width, height);
      return TPictureLoad::plPicture;
    }
  }
  if (DesktopIcon(sources, file, width, height, target)) return TPictureLoad::plPicture;
  if (const std::string program = config::OpenCommandProgram(ext);
      !program.empty() && DesktopIcon(sources, program, width, height, target))
    return TPictureLoad::plPicture;
  return Fallback(kUnknown, target);
}

}  // namespace

gfx::TPictureResult LoadPng(std::string_view path, gfx::TBitmap32& target) {
  std::vector<uint8_t> bytes;
  const std::string file = config::ResolvePath(path);
  gfx::TDecodeLimits limits;
  if (gfx::TPictureResult read = gfx::ReadWholeFile(file, bytes, limits.MaxFileBytes); !read) return read;
  gfx::TBitmap32 picture;
  gfx::TPictureResult decoded = gfx::DecodePng(bytes.data(), bytes.size(), picture, limits);
  if (decoded) target = std::move(picture);
  return decoded;
}

void JpegSize(std::string_view path, int& width, int& height) {
  width = height = 0;
  if (!gfx::JpegFileSize(config::ResolvePath(path), width, height)) width = height = 0;
}

int JpegScale(std::string_view path, int width, int height) {
  int headerWidth = 0, headerHeight = 0;
  JpegSize(path, headerWidth, headerHeight);
  return JpegScaleFor(headerWidth, headerHeight, width, height);
}

TPictureLoad LoadPicture(std::string_view path, gfx::TBitmap32& target, int width, bool skipBitmapFiles,
                         int height, const TPictureSources& sources) {
  std::string file = config::ResolvePath(path);
  std::string ext = config::NameExtension(file);
  // A symbolic link shows what it leads to; a launcher keeps the desktop's icon of its own.
  if (ext != ".desktop" && IsSymbolicLink(file)) {
    if (std::string linked = config::ShortcutTarget(file); !linked.empty()) {
      file = std::move(linked);
      ext = config::NameExtension(file);
    }
  }
  // A folder shows the theme's folder picture, whatever its name looks like.
  if (platform::Fs::DirectoryExists(file)) ext = ".folder";
  if (ext == ".exe") return LoadIcon(file, kMaxProgramBytes, gfx::DecodeExeIcon, kUnknownExe, target, width, height);
  if (ext == ".ico") return LoadIcon(file, kMaxIconFileBytes, gfx::DecodeIco, kUnknownIco, target, width, height);
  if (ext == ".bmp" || ext == ".nvb") {
    if (skipBitmapFiles) return TPictureLoad::plFailed;
    return LoadPictureFile(sources, file, width, height, DecodeBitmapFile, target);
  }
  if (ext == ".jpg" || ext == ".jpeg") return LoadPictureFile(sources, file, width, height, DecodeJpegFile, target);
  if (ext == ".png") return LoadPictureFile(sources, file, width, height, DecodePngFile, target);
  return LoadOtherFile(sources, file, ext, target, width, height);
}

}  // namespace data
