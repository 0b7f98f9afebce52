#include "platform/Fs.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/Ascii.h"
#include "base/Path.h"

namespace platform::Fs {

namespace {
bool StatOf(const std::string& path, struct stat& st) {
  return !path.empty() && stat(path.c_str(), &st) == 0;
}

// Only the fields an entry needs; the file system may skip the rest (link counts, blocks).
constexpr unsigned kEntryMask = STATX_TYPE | STATX_MODE | STATX_UID | STATX_GID | STATX_SIZE |
                                STATX_ATIME | STATX_MTIME | STATX_BTIME | STATX_INO;

// Decides "read-only" from the permission bits the way the kernel decides write access for
// this process (access control lists aside). Asked once per listing, not once per entry.
class TWriteAccess {
 public:
  TWriteAccess() : FUid(geteuid()), FGid(getegid()) {
    const int count = getgroups(0, nullptr);
    if (count > 0) {
      FGroups.resize(size_t(count));
      FGroups.resize(size_t(std::max(0, getgroups(count, FGroups.data()))));
    }
  }

  bool MayWrite(const struct statx& st) const {
    if (FUid == 0) return true;
    if (st.stx_uid == FUid) return st.stx_mode & S_IWUSR;
    if (InGroup(st.stx_gid)) return st.stx_mode & S_IWGRP;
    return st.stx_mode & S_IWOTH;
  }

 private:
  bool InGroup(gid_t gid) const {
    if (gid == FGid) return true;
    for (gid_t g : FGroups)
      if (g == gid) return true;
    return false;
  }

  uid_t FUid;
  gid_t FGid;
  std::vector<gid_t> FGroups;
};

TFileTime TimeOf(const struct statx_timestamp& t) { return {t.tv_sec, t.tv_nsec}; }

// The system's own convention; which other names a folder hides is the browsing model's rule.
bool HiddenName(std::string_view name) { return !name.empty() && name[0] == '.'; }

// Fills Entry from the statx records of the entry itself (Own) and, for a link, of what it
// leads to (Target: nullptr when the link leads nowhere).
void Describe(const struct statx& own, const struct statx* target, const TWriteAccess& access,
              bool readOnlyFs, TFileEntry& entry) {
  entry.Device = makedev(own.stx_dev_major, own.stx_dev_minor);
  entry.Inode = own.stx_ino;
  entry.Link = S_ISLNK(own.stx_mode);
  const struct statx& st = entry.Link && target ? *target : own;
  const bool resolves = !entry.Link || target;
  const bool regular = resolves && S_ISREG(st.stx_mode);
  entry.Directory = resolves && S_ISDIR(st.stx_mode);
  entry.System = !regular && !entry.Directory;
  entry.Executable = regular && (st.stx_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0;
  entry.Size = regular ? int64_t(st.stx_size) : 0;
  entry.Accessed = TimeOf(st.stx_atime);
  entry.Written = TimeOf(st.stx_mtime);
  // Never the change time, which moves on every rename.
  entry.Created = (st.stx_mask & STATX_BTIME) ? TimeOf(st.stx_btime) : entry.Written;
  entry.Hidden = HiddenName(entry.Name);
  entry.ReadOnly = readOnlyFs || (st.stx_attributes & STATX_ATTR_IMMUTABLE) || !access.MayWrite(st);
}

// Describes Name inside the folder DirFd (or a path when DirFd is AT_FDCWD).
bool DescribeAt(int dirFd, const char* name, int extraFlags, const TWriteAccess& access,
                bool readOnlyFs, TFileEntry& entry) {
  struct statx own, target;
  if (statx(dirFd, name, AT_SYMLINK_NOFOLLOW | extraFlags, kEntryMask, &own) != 0) return false;
  const bool link = S_ISLNK(own.stx_mode);
  const bool resolves = link && statx(dirFd, name, extraFlags, kEntryMask, &target) == 0;
  Describe(own, resolves ? &target : nullptr, access, readOnlyFs, entry);
  return true;
}

bool ReadOnlyFs(int fd) {
  struct statvfs vfs;
  return fstatvfs(fd, &vfs) == 0 && (vfs.f_flag & ST_RDONLY);
}

TFsResult Failed(const std::string& path, int error = errno) { return {error, path}; }

bool SameEntry(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  return lstat(a.c_str(), &sa) == 0 && lstat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
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
      return base::JoinPath(base::ParentOf(path), target);
    }
    buffer.resize(buffer.size() * 2);
  }
}

bool List(const std::string& dir, const std::function<bool(const TFileEntry&)>& fn) {
  DIR* folder = opendir(dir.c_str());
  if (!folder) return false;
  const int fd = dirfd(folder);
  const TWriteAccess access;
  const bool readOnlyFs = ReadOnlyFs(fd);
  TFileEntry entry;  // reused, so names keep their buffers from entry to entry
  while (const dirent* d = readdir(folder)) {
    const char* name = d->d_name;
    if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
    entry.Name.assign(name);
    // Listing a folder of mount points must not mount them all.
    if (!DescribeAt(fd, name, AT_NO_AUTOMOUNT, access, readOnlyFs, entry)) continue;
    if (!fn(entry)) break;
  }
  closedir(folder);
  return true;
}

bool Stat(const std::string& path, TFileEntry& entry) {
  if (path.empty()) return false;
  const std::string clean = base::WithoutTrailingSlash(path);
  entry.Name = base::BaseName(clean);
  struct statvfs vfs;
  const bool readOnlyFs = statvfs(clean.c_str(), &vfs) == 0 && (vfs.f_flag & ST_RDONLY);
  return DescribeAt(AT_FDCWD, clean.c_str(), 0, TWriteAccess(), readOnlyFs, entry);
}

std::string TFsResult::Message() const {
  return std::error_code(Error, std::generic_category()).message();
}

bool ValidName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string_view("/\0", 2)) == std::string::npos;
}

TFsResult CreateFolder(const std::string& path) {
  if (path.empty()) return Failed(path, ENOENT);
  if (mkdir(path.c_str(), 0777) != 0) return Failed(path);
  return {};
}

TFsResult RenameNoReplace(const std::string& from, const std::string& to) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return {};
  const int error = errno;
  // EINVAL also means "a folder into itself"; the fallbacks below then fail the same way.
  if (error != EINVAL && error != ENOSYS && error != EOPNOTSUPP) return Failed(from, error);
  struct stat st;
  if (lstat(from.c_str(), &st) != 0) return Failed(from);
  if (!S_ISDIR(st.st_mode)) {
    // A hard link is refused atomically when the name is taken; then the old name goes.
    if (linkat(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), 0) == 0) {
      if (unlink(from.c_str()) == 0) return {};
      const int unlinkError = errno;
      unlink(to.c_str());
      return Failed(from, unlinkError);
    }
    if (errno == EEXIST) return Failed(to, EEXIST);
  }
  // No hard links here (or a folder): check, then rename. Only a rival appearing in between can
  // be replaced, and this file system offers nothing better.
  if (lstat(to.c_str(), &st) == 0) return Failed(to, EEXIST);
  if (errno != ENOENT) return Failed(to);
  if (rename(from.c_str(), to.c_str()) != 0) return Failed(from);
  return {};
}

TFsResult Rename(const std::string& path, const std::string& newName) {
  if (!ValidName(newName)) return Failed(path, EINVAL);
  const std::string from = base::WithoutTrailingSlash(path);
  const std::string oldName = base::BaseName(from);
  struct stat st;
  if (lstat(from.c_str(), &st) != 0) return Failed(path);
  if (oldName == newName) return {};
  const std::string to = base::JoinPath(base::ParentOf(from), newName);
  TFsResult result = RenameNoReplace(from, to);
  // On a file system that ignores case, "readme" -> "README" finds itself in the way.
  if (result.Error == EEXIST && base::SameTextAscii(oldName, newName) && SameEntry(from, to)) {
    if (rename(from.c_str(), to.c_str()) != 0) return Failed(path);
    return {};
  }
  if (!result) result.Path = path;
  return result;
}

TFsResult RemoveTree(const std::string& path,
                     const std::function<bool(const std::string&)>& onEntry) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return Failed(path);
  if (S_ISDIR(st.st_mode)) {
    std::vector<std::string> names;
    DIR* folder = opendir(path.c_str());
    if (!folder) return Failed(path);
    while (const dirent* d = readdir(folder)) {
      const std::string_view name(d->d_name);
      if (name != "." && name != "..") names.emplace_back(name);
    }
    closedir(folder);
    for (const std::string& name : names)
      if (TFsResult r = RemoveTree(base::JoinPath(path, name), onEntry); !r) return r;
  }
  if (onEntry && !onEntry(path)) return Failed(path, ECANCELED);
  if ((S_ISDIR(st.st_mode) ? rmdir(path.c_str()) : unlink(path.c_str())) != 0) return Failed(path);
  return {};
}

// --- Walking a tree ---

void TWalkTotals::Add(const TWalkEntry& entry) {
  if (entry.Kind == TWalkKind::wkFolder)
    ++Folders;
  else
    ++Files;
  Bytes += uint64_t(entry.Size);
}

namespace {

TWalkKind WalkKindOf(mode_t mode) {
  if (S_ISREG(mode)) return TWalkKind::wkFile;
  if (S_ISDIR(mode)) return TWalkKind::wkFolder;
  if (S_ISLNK(mode)) return TWalkKind::wkLink;
  return TWalkKind::wkSpecial;
}

void Measure(const struct stat& st, TWalkEntry& entry) {
  entry.Kind = WalkKindOf(st.st_mode);
  entry.Size = entry.Kind == TWalkKind::wkFile ? int64_t(st.st_size) : 0;
  entry.Mode = uint32_t(st.st_mode);
  entry.Device = uint64_t(st.st_dev);
  entry.Inode = uint64_t(st.st_ino);
  entry.Written = {int64_t(st.st_mtim.tv_sec), uint32_t(st.st_mtim.tv_nsec)};
}

// A folder's entries as they were when it was read: names and what each was then.
struct TListed {
  std::string Name;
  struct stat St;
};

class TWalker {
 public:
  TWalker(const std::function<TWalkStep(const TWalkEntry&)>& onEntry, const std::atomic<bool>* stop)
      : FOnEntry(onEntry), FStop(stop) {}

  // Counts Entry and, for a folder, everything below it; false once the walk is to stop.
  bool Visit(const TWalkEntry& entry) {
    if (FStop && FStop->load(std::memory_order_relaxed)) return Stopped();
    const TWalkStep step = FOnEntry ? FOnEntry(entry) : TWalkStep::wsContinue;
    if (step == TWalkStep::wsStop) return Stopped();
    Result.Totals.Add(entry);
    if (entry.Kind != TWalkKind::wkFolder || step == TWalkStep::wsSkipContents) return true;
    std::vector<TListed> listed;
    if (!ReadFolder(entry, listed)) return true;
    TWalkEntry child;
    child.Depth = entry.Depth + 1;
    for (const TListed& item : listed) {
      child.Path = base::JoinPath(entry.Path, item.Name);
      child.Relative = base::JoinPath(entry.Relative, item.Name);
      Measure(item.St, child);
      if (!Visit(child)) return false;
    }
    return true;
  }

  TWalkResult Result;

 private:
  bool Stopped() {
    Result.Stopped = true;
    return false;
  }

  // Reads Folder's entries, measured through the open folder so that no link is followed. The
  // folder is closed again before its entries are visited: a deep tree holds no descriptors.
  bool ReadFolder(const TWalkEntry& folder, std::vector<TListed>& listed) {
    const int fd = open(folder.Path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
      // A folder that went away (or became a link) since it was seen holds nothing to count.
      if (errno != ENOENT && errno != ENOTDIR && errno != ELOOP)
        Result.Unlisted.push_back({errno, folder.Path});
      return false;
    }
    struct stat st;
    // The folder may have been swapped for another one (or a link was put above it): that one
    // is not the folder seen, and is not entered.
    if (fstat(fd, &st) != 0 || uint64_t(st.st_dev) != folder.Device ||
        uint64_t(st.st_ino) != folder.Inode) {
      close(fd);
      return false;
    }
    DIR* dir = fdopendir(fd);
    if (!dir) {
      Result.Unlisted.push_back({errno, folder.Path});
      close(fd);
      return false;
    }
    while (const dirent* d = readdir(dir)) {
      const char* name = d->d_name;
      if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
      TListed item{name, {}};
      // An entry gone since the listing is left out; counting a mount point must not mount it.
      if (fstatat(fd, name, &item.St, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT) == 0)
        listed.push_back(std::move(item));
    }
    closedir(dir);
    return true;
  }

  const std::function<TWalkStep(const TWalkEntry&)>& FOnEntry;
  const std::atomic<bool>* FStop;
};

}  // namespace

TWalkResult Walk(const std::string& root, const std::function<TWalkStep(const TWalkEntry&)>& onEntry,
                 const std::atomic<bool>* stop) {
  TWalker walker(onEntry, stop);
  TWalkEntry entry;
  entry.Path = base::WithoutTrailingSlash(root);
  struct stat st;
  if (entry.Path.empty() || lstat(entry.Path.c_str(), &st) != 0) {
    walker.Result.RootMissing = true;
    return walker.Result;
  }
  Measure(st, entry);
  walker.Visit(entry);
  return walker.Result;
}

}  // namespace platform::Fs
