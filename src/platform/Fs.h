// Plain POSIX questions about paths, shared by every backend: they ask the real file system.
// Paths are the file system's bytes; a symbolic link counts as what it points to in the
// existence tests, while listing describes its target under the link's own name and identity,
// and renaming and removing act on the link itself. Every function may be called from any
// thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace platform::Fs {

bool Exists(const std::string& path);           // anything is there
bool FileExists(const std::string& path);       // something that is not a folder is there
bool DirectoryExists(const std::string& path);  // a folder is there

// Where the symbolic link Path points, made absolute against the link's folder; empty when Path
// is no symbolic link. The target need not exist.
std::string SymlinkTarget(const std::string& path);

// A point in time as the file system keeps it: seconds since 1970-01-01 UTC plus nanoseconds.
struct TFileTime {
  int64_t Sec = 0;
  uint32_t Nsec = 0;
  friend bool operator==(const TFileTime&, const TFileTime&) = default;
};

// What a folder listing tells about one entry. A symbolic link that resolves describes its
// target (size, times, kind, permissions) but keeps its own name and identity.
struct TFileEntry {
  std::string Name;   // the entry's name, the file system's bytes
  int64_t Size = 0;   // bytes; 0 for folders and for links that lead nowhere
  TFileTime Created;  // birth time where the file system records one, else the write time
  TFileTime Accessed;
  TFileTime Written;
  bool Hidden = false;     // the name starts with "."
  bool System = false;     // neither a regular file nor a folder, nor a link to one
  bool ReadOnly = false;   // this user may not write to it
  bool Directory = false;  // a folder, or a link to one
  bool Executable = false; // a regular file (or a link to one) with an execute permission bit
  bool Link = false;       // a symbolic link, whether it resolves or not
  uint64_t Device = 0;     // the entry's own device and inode (a link's, not its target's)
  uint64_t Inode = 0;
};

// Calls Fn for every entry of the folder Dir except "." and "..", in the order the file system
// gives them, until Fn returns false. An entry that vanishes while the folder is read is left
// out. False when Dir cannot be opened as a folder; Fn is then never called.
bool List(const std::string& dir, const std::function<bool(const TFileEntry&)>& fn);
// The entry at Path, described as List would; false when nothing is there.
bool Stat(const std::string& path, TFileEntry& entry);

// The outcome of a change to the file system: Error is 0 or the errno value, Path names what
// failed (the path asked for, or the entry inside a folder that stopped the work).
struct TFsResult {
  int Error = 0;
  std::string Path;
  explicit operator bool() const { return Error == 0; }
  std::string Message() const;  // the system's text for Error
};

// A name a folder entry may carry: not empty, not "." or "..", no "/" and no NUL.
bool ValidName(const std::string& name);
// Creates the folder Path (its parent must exist); fails with EEXIST when anything is there.
TFsResult CreateFolder(const std::string& path);
// Moves From to To on the same file system, never replacing an entry at To (EEXIST then).
// Where the file system cannot refuse atomically, a hard link or a checked rename stands in.
TFsResult RenameNoReplace(const std::string& from, const std::string& to);
// Gives the entry at Path the name NewName in the same folder. An invalid name fails with
// EINVAL, an existing entry of that name with EEXIST; the same name succeeds without change.
TFsResult Rename(const std::string& path, const std::string& newName);
// Deletes Path and, for a folder, everything in it; symbolic links are removed, never
// followed. Before each removal OnEntry (when given) gets the path and may return false to stop
// (the result is then ECANCELED). Stops at the first failure.
TFsResult RemoveTree(const std::string& path,
                     const std::function<bool(const std::string&)>& onEntry = {});

// --- Walking a tree ---
// A walk visits a file or folder and everything below it, never following a symbolic link:
// a link is an entry of its own, wherever it leads. Bytes are counted once, by one rule: the
// length of each regular file (its apparent size, st_size); folders, links and special files
// count no bytes. Entries are visited depth first, a folder before what it holds.

enum class TWalkKind { wkFile, wkFolder, wkLink, wkSpecial };

struct TWalkEntry {
  std::string Path;      // the root as given (without trailing "/"), then joined names
  std::string Relative;  // the path below the root: "" for the root, "sub/name" below it
  TWalkKind Kind = TWalkKind::wkFile;
  int64_t Size = 0;      // the bytes the entry counts with: a regular file's length, else 0
  uint32_t Mode = 0;     // type and permission bits, as lstat gives them
  uint64_t Device = 0;   // the entry's own device and inode (a link's, not its target's)
  uint64_t Inode = 0;
  TFileTime Written;
  int Depth = 0;         // 0 for the root
};

struct TWalkTotals {
  uint64_t Files = 0;    // everything that is not a folder: files, links and special files
  uint64_t Folders = 0;  // the root too, when it is a folder
  uint64_t Bytes = 0;
  void Add(const TWalkEntry& entry);  // counts one entry by the rule above
};

// What the per-entry callback tells the walk: go on, leave out what this folder holds (the
// folder itself is counted), or stop altogether.
enum class TWalkStep { wsContinue, wsSkipContents, wsStop };

struct TWalkResult {
  TWalkTotals Totals;               // of the entries visited
  bool Stopped = false;             // the callback or the stop flag ended the walk early
  bool RootMissing = false;         // nothing was at the root; nothing was visited
  std::vector<TFsResult> Unlisted;  // folders whose entries could not be read, with the reason
};

// Walks the tree at Root. OnEntry (when given) sees each entry before it is counted; an entry
// that vanishes between the folder's listing and its visit is left out, and a folder replaced
// by something else after it was seen is not entered. Stop (when given) is tested before each
// entry, so another thread can end the walk. May be called from any thread.
TWalkResult Walk(const std::string& root,
                 const std::function<TWalkStep(const TWalkEntry&)>& onEntry = {},
                 const std::atomic<bool>* stop = nullptr);

}  // namespace platform::Fs
