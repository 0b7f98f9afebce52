#include "data/NV_ThumbnailCache.h"

#include <sys/stat.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <string_view>

#include "base/FileIo.h"
#include "base/FileUri.h"
#include "base/Md5.h"
#include "base/Path.h"
#include "gfx/Draw.h"
#include "gfx/PngCodec.h"

namespace data {

namespace {

constexpr const char* kUriKey = "Thumb::URI";
constexpr const char* kMTimeKey = "Thumb::MTime";
constexpr const char* kSizeKey = "Thumb::Size";
// Each program records its failures under its own name and version: another version may
// decode what this one could not.
constexpr const char* kFailureFolder = "norvo-" NORVO_VERSION;

// Thumbnails are small; a file claiming to be one beyond these is no thumbnail of ours to show.
constexpr int64_t kMaxThumbnailFileBytes = int64_t{32} << 20;
constexpr int64_t kMaxThumbnailPixels = int64_t{2048} * 2048;

const std::string* TextOf(const std::vector<gfx::TPngText>& texts, std::string_view key) {
  for (const gfx::TPngText& text : texts)
    if (text.Key == key) return &text.Value;
  return nullptr;
}

// The whole text as a decimal number, sign allowed; nothing else counts.
bool ParseWhole(const std::string& text, int64_t& value) {
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  return error == std::errc() && stop == end && !text.empty();
}

// The thumbnail describes Source: same URI, same modification time in whole seconds.
bool DescribesSource(const std::vector<gfx::TPngText>& texts, const TThumbnailSource& source) {
  const std::string* uri = TextOf(texts, kUriKey);
  const std::string* mtime = TextOf(texts, kMTimeKey);
  int64_t seconds = 0;
  return uri && mtime && *uri == source.Uri && ParseWhole(*mtime, seconds) &&
         seconds == source.MTime;
}

// Folder made for the user alone, and the missing folders above it up to Highest.
bool MakeFolder(const std::string& folder, const std::string& highest) {
  if (::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST) return true;
  if (errno != ENOENT || folder.size() <= highest.size()) return false;
  if (!MakeFolder(base::ParentOf(folder), highest)) return false;
  return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

// Picture as large as it may be for a box of Size a side: scaled down, never up.
gfx::TBitmap32 FittedInto(const gfx::TBitmap32& picture, int size) {
  const gfx::TPoint fitted = gfx::FitIntoBox(picture.Width(), picture.Height(), size, size);
  if (fitted.X == picture.Width() && fitted.Y == picture.Height()) return picture;
  return gfx::Resampled(picture, fitted.X, fitted.Y);
}

// The file is still as Source saw it, to the nanosecond and the byte.
bool Unchanged(const TThumbnailSource& source) {
  const TThumbnailSource now = TThumbnailCache::Describe(source.Path);
  return now && now.MTime == source.MTime && now.MTimeNanos == source.MTimeNanos &&
         now.Size == source.Size;
}

}  // namespace

TThumbnailCache::TThumbnailCache() : FRoot(DefaultRoot()) {}

TThumbnailCache::TThumbnailCache(std::string root) : FRoot(base::WithoutTrailingSlash(root)) {}

std::string TThumbnailCache::DefaultRoot() {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  if (cache && cache[0] == '/') return base::JoinPath(base::WithoutTrailingSlash(cache), "thumbnails");
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/')
    return base::JoinPath(base::WithoutTrailingSlash(home), ".cache/thumbnails");
  return {};
}

const TThumbnailFolder* TThumbnailCache::FolderFor(int size) {
  if (size <= 0) return nullptr;
  for (const TThumbnailFolder& folder : kFolders)
    if (folder.Size >= size) return &folder;
  return nullptr;
}

TThumbnailSource TThumbnailCache::Describe(const std::string& path) {
  TThumbnailSource source;
  struct stat st {};
  if (path.empty() || path[0] != '/' || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
    return source;
  source.Path = path;
  source.Uri = base::FileUriOf(path);
  source.MTime = int64_t(st.st_mtim.tv_sec);
  source.MTimeNanos = int64_t(st.st_mtim.tv_nsec);
  source.Size = int64_t(st.st_size);
  return source;
}

bool TThumbnailCache::Contains(const std::string& path, bool withLinks) const {
  if (FRoot.empty()) return false;
  const auto inside = [](const std::string& file, const std::string& root) {
    return !root.empty() && file.starts_with(base::WithTrailingSlash(root));
  };
  if (inside(path, FRoot)) return true;
  if (!withLinks) return false;
  // The file itself need not be there yet; the folder it would be in must.
  const std::string folder = base::RealPath(base::ParentOf(path));
  const std::string root = base::RealPath(FRoot);
  return !folder.empty() && (folder == root || inside(folder, root));
}

std::string TThumbnailCache::ThumbnailPath(const std::string& uri,
                                           const TThumbnailFolder& folder) const {
  return FRoot + "/" + folder.Name + "/" + base::Md5Hex(uri) + ".png";
}

std::string TThumbnailCache::FailurePath(const std::string& uri) const {
  return FRoot + "/fail/" + kFailureFolder + "/" + base::Md5Hex(uri) + ".png";
}

bool TThumbnailCache::ReadMatching(const std::string& file, const TThumbnailSource& source,
                                   gfx::TBitmap32& picture) const {
  std::vector<uint8_t> bytes;
  if (!base::ReadWholeFile(file, bytes, kMaxThumbnailFileBytes)) return false;
  gfx::TDecodeLimits limits;
  limits.MaxPixels = kMaxThumbnailPixels;
  std::vector<gfx::TPngText> texts;
  return gfx::DecodePng(bytes.data(), bytes.size(), picture, texts, limits) &&
         DescribesSource(texts, source);
}

bool TThumbnailCache::Lookup(const std::string& path, int size, gfx::TBitmap32& out) const {
  return Lookup(Describe(path), size, out);
}

bool TThumbnailCache::Lookup(const TThumbnailSource& source, int size, gfx::TBitmap32& out) const {
  const TThumbnailFolder* first = FolderFor(size);
  if (!source || !first || FRoot.empty() || Contains(source.Path, false)) return false;
  for (const TThumbnailFolder* folder = first; folder != std::end(kFolders); ++folder) {
    gfx::TBitmap32 picture;
    if (!ReadMatching(ThumbnailPath(source.Uri, *folder), source, picture)) continue;
    out = FittedInto(picture, size);
    return !out.Empty();
  }
  return false;
}

bool TThumbnailCache::WriteEntry(const std::string& file, const TThumbnailSource& source,
                                 const gfx::TBitmap32& picture, bool withSize) const {
  std::vector<gfx::TPngText> texts = {{kUriKey, source.Uri},
                                      {kMTimeKey, std::to_string(source.MTime)}};
  if (withSize) texts.push_back({kSizeKey, std::to_string(source.Size)});
  texts.push_back({"Software", "Norvo"});
  const std::vector<uint8_t> png = gfx::EncodePng(picture, texts);
  // Missing folders are made from the user's cache folder down, as every such program does.
  if (png.empty() || !MakeFolder(base::ParentOf(file), base::ParentOf(FRoot))) return false;
  const std::string_view bytes(reinterpret_cast<const char*>(png.data()), png.size());
  return bool(base::WriteFileAtomically(file, bytes, 0600));
}

bool TThumbnailCache::Store(const std::string& path, int size, const gfx::TBitmap32& picture) const {
  return Store(Describe(path), size, picture);
}

bool TThumbnailCache::Store(const TThumbnailSource& source, int size,
                            const gfx::TBitmap32& picture) const {
  const TThumbnailFolder* folder = FolderFor(size);
  if (!source || !folder || FRoot.empty() || picture.Empty() || Contains(source.Path, true))
    return false;
  // A picture of what the file was is no thumbnail of what it is now.
  if (!Unchanged(source)) return false;
  return WriteEntry(ThumbnailPath(source.Uri, *folder), source, FittedInto(picture, folder->Size),
                    true);
}

bool TThumbnailCache::RecordFailure(const std::string& path) const {
  return RecordFailure(Describe(path));
}

bool TThumbnailCache::RecordFailure(const TThumbnailSource& source) const {
  if (!source || FRoot.empty() || Contains(source.Path, true) || !Unchanged(source)) return false;
  // The record is a picture only because the format asks for one; its text is what counts.
  return WriteEntry(FailurePath(source.Uri), source, gfx::TBitmap32(1, 1), false);
}

bool TThumbnailCache::KnownFailure(const std::string& path) const {
  return KnownFailure(Describe(path));
}

bool TThumbnailCache::KnownFailure(const TThumbnailSource& source) const {
  if (!source || FRoot.empty()) return false;
  gfx::TBitmap32 record;
  return ReadMatching(FailurePath(source.Uri), source, record);
}

}  // namespace data
