// The desktop's shared thumbnail cache: the folder under the user's cache folder where every
// program keeps the thumbnails it made, so each picture is decoded once for all of them.
//
// A thumbnail is a PNG file named after the MD5 digest of its file's URI (base/FileUri.h) in
// the folder of its size class, and it carries the file's URI and modification time in text
// chunks; it counts only while both still match. The files belong to every program at once:
// ones that do not match are passed over, never deleted, and every write replaces a file in one
// step, so a reader in any program sees a whole thumbnail or none.
//
// A path is taken as given: a symbolic link has its own entry (keyed by the link's URI, as
// other programs key it) but is checked against the modification time of the file it leads
// to, which is the picture shown; a link turned to another file therefore shows that file.
//
// Threads: every member is const and shares nothing but the file system, so any number of
// icon workers may use one cache at once.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gfx/Bitmap32.h"

namespace data {

// A size class: thumbnails at most Size pixels on their longer side.
struct TThumbnailFolder {
  const char* Name;
  int Size;
};

// A file as it was when it was looked at, the state its thumbnail is checked against.
struct TThumbnailSource {
  std::string Path;
  std::string Uri;  // empty: nothing that can have a thumbnail is there
  int64_t MTime = 0;  // whole seconds, as thumbnails record it
  int64_t MTimeNanos = 0;
  int64_t Size = 0;
  explicit operator bool() const { return !Uri.empty(); }
};

class TThumbnailCache {
 public:
  static constexpr TThumbnailFolder kFolders[] = {
      {"normal", 128}, {"large", 256}, {"x-large", 512}, {"xx-large", 1024}};

  // The user's cache: thumbnails under $XDG_CACHE_HOME, else under $HOME/.cache.
  TThumbnailCache();
  // A cache at Root (a test's own folder).
  explicit TThumbnailCache(std::string root);

  // $XDG_CACHE_HOME/thumbnails when that is an absolute path, else $HOME/.cache/thumbnails;
  // empty when neither is set, and then nothing is ever found or stored.
  static std::string DefaultRoot();
  const std::string& Root() const { return FRoot; }

  // The smallest size class at least Size large (256 gives "large"); nullptr for a size of 0
  // or less, or beyond the largest class.
  static const TThumbnailFolder* FolderFor(int size);

  // The regular file at the absolute Path as it is now, links followed for its time and size;
  // empty for a relative path or anything else.
  static TThumbnailSource Describe(const std::string& path);

  // A thumbnail of the file that still matches it, fitted into Size x Size (never enlarged).
  // The size class of Size is tried first, then the larger ones, whose thumbnail is scaled down.
  bool Lookup(const std::string& path, int size, gfx::TBitmap32& out) const;
  bool Lookup(const TThumbnailSource& source, int size, gfx::TBitmap32& out) const;

  // Writes Picture (fitted into the size class of Size if larger) as the file's thumbnail, the
  // folders made as needed with permissions for the user alone (0700), the file likewise (0600).
  // Given a source described before the picture was decoded, nothing is written when the file
  // has changed since. False, and nothing said, when it is not written: for a file inside the
  // cache, a cache that cannot be made or written, a full disk.
  bool Store(const std::string& path, int size, const gfx::TBitmap32& picture) const;
  bool Store(const TThumbnailSource& source, int size, const gfx::TBitmap32& picture) const;

  // Failures are kept by each program in its own folder: a file that did not decode is not
  // tried again until its modification time changes.
  bool RecordFailure(const std::string& path) const;
  bool RecordFailure(const TThumbnailSource& source) const;
  bool KnownFailure(const std::string& path) const;
  bool KnownFailure(const TThumbnailSource& source) const;

  // Whether Path lies inside the cache, by its text or (WithLinks) where its links lead.
  bool Contains(const std::string& path, bool withLinks) const;

  // Where the thumbnail of the file with URI Uri in Folder, and its failure record, are kept.
  std::string ThumbnailPath(const std::string& uri, const TThumbnailFolder& folder) const;
  std::string FailurePath(const std::string& uri) const;

 private:
  bool ReadMatching(const std::string& file, const TThumbnailSource& source,
                    gfx::TBitmap32& picture) const;
  bool WriteEntry(const std::string& file, const TThumbnailSource& source,
                  const gfx::TBitmap32& picture, bool withSize) const;

  std::string FRoot;
};

}  // namespace data
