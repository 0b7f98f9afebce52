// How one operation runs. The interface thread makes the operation's view and starts a worker;
// the worker walks the sources, publishes progress (one posted update at a time, the latest
// state wins), asks conflict questions through a blocking hand-over to the interface thread,
// and posts the report as its last act. The interface thread then joins the worker, lets the
// view show the outcome and calls the owner back.
//
// Each requested entry is one transaction: the worker writes down every change it makes for it
// (entries made, entries renamed, replaced entries set aside, originals copied) and, when the
// entry cannot be finished, undoes them in reverse order; when it is finished, it deletes what
// was set aside and, for a move between file systems, the originals that were copied.
#include "platform/FileOps.h"

#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <mutex>
#include <optional>
#include <thread>

#include "base/Path.h"
#include "platform/Fs.h"
#include "platform/ServiceSlot.h"
#include "platform/ThreadCheck.h"

namespace platform {

namespace {
TServiceSlot<FileOpUi> gFileOpUi;
TServiceSlot<TFileOps> gFileOps;

// One copy step: cancelling and progress react within this many bytes.
constexpr size_t kChunkBytes = 8u << 20;

std::string ErrorText(const std::string& what, const std::string& path, int error) {
  return what + " " + path + ": " + Fs::TFsResult{error, path}.Message();
}

// Hidden names in the target folder for work in progress; unique within the process, and the
// process id keeps two programs apart.
std::string WorkName(const std::string& folder, const char* kind) {
  static std::atomic<uint64_t> counter{0};
  return base::JoinPath(folder, std::string(".norvo-") + kind + "-" + std::to_string(getpid()) +
                                    "-" + std::to_string(counter.fetch_add(1) + 1));
}

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// The longest start of Text that fits in Bytes and does not end inside a UTF-8 character.
std::string CutAtCharacter(const std::string& text, size_t bytes) {
  if (text.size() <= bytes) return text;
  size_t cut = bytes;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return text.substr(0, cut);
}

// Name with " (N)" added before its extension, shortened so that it is still a valid name: the
// stem gives way first; an extension too long to leave room for a stem goes with it.
std::string NumberedName(const std::string& stem, const std::string& ext, int n) {
  const std::string number = " (" + std::to_string(n) + ")";
  const size_t room = NAME_MAX - number.size();
  constexpr size_t kLongestCharacter = 4;  // bytes of one UTF-8 character
  if (stem.size() + ext.size() <= room) return stem + number + ext;
  if (ext.size() + kLongestCharacter <= room)
    return CutAtCharacter(stem, room - ext.size()) + number + ext;
  return CutAtCharacter(stem + ext, room) + number;
}

// "name (2).ext", "name (3).ext", ... for the first name nothing holds. Folders and names
// whose only dot is the first character have no extension.
std::string FreeName(const std::string& target, bool folder) {
  const std::string folderPath = base::ParentOf(target), name = base::BaseName(target);
  const size_t dot = folder ? std::string::npos : name.rfind('.');
  const bool hasExt = dot != std::string::npos && dot > 0;
  const std::string stem = hasExt ? name.substr(0, dot) : name,
                    ext = hasExt ? name.substr(dot) : "";
  for (int n = 2;; ++n) {
    const std::string candidate = base::JoinPath(folderPath, NumberedName(stem, ext, n));
    if (!Exists(candidate)) return candidate;
  }
}

bool SameEntry(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether the folder at Path is the folder Dir or lies below it, found by walking up through
// ".." and comparing device and inode, so that neither links nor a second mount of the same file
// system (a bind mount) hide the relation. Nothing when a parent can not be looked up.
std::optional<bool> ParentsReach(const std::string& path, const struct stat& dir) {
  int fd = open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  std::optional<bool> reached;
  struct stat here, up;
  while (!reached && fd >= 0 && fstat(fd, &here) == 0) {
    const int parent = openat(fd, "..", O_PATH | O_DIRECTORY | O_CLOEXEC);
    close(fd);
    fd = parent;
    if (SameEntry(here, dir))
      reached = true;
    else if (fd >= 0 && fstat(fd, &up) == 0 && SameEntry(up, here))
      reached = false;  // the root: its parent is itself
  }
  if (fd >= 0) close(fd);
  return reached;
}

// The same question answered on the resolved path's parents.
bool ResolvedParentsReach(const std::string& path, const struct stat& dir) {
  for (std::string folder = base::RealPath(path); !folder.empty();
       folder = folder == "/" ? std::string() : base::ParentOf(folder)) {
    struct stat st;
    if (stat(folder.c_str(), &st) == 0 && SameEntry(st, dir)) return true;
  }
  return false;
}

bool FolderLiesIn(const std::string& path, const struct stat& dir) {
  const std::optional<bool> reached = ParentsReach(path, dir);
  return reached ? *reached : ResolvedParentsReach(path, dir);
}

std::vector<std::string> Names(const std::string& folder, bool& ok) {
  std::vector<std::string> names;
  ok = Fs::List(folder, [&](const Fs::TFileEntry& e) {
    names.push_back(e.Name);
    return true;
  });
  return names;
}

bool SameTime(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// Whether an original is still the file that was copied: saving anew (a new file renamed over
// it) changes the inode, writing to it the size or the write time.
bool SameFileAsCopied(const struct stat& now, const struct stat& copied) {
  return SameEntry(now, copied) && now.st_size == copied.st_size &&
         SameTime(now.st_mtim, copied.st_mtim);
}

// Files of /proc, /sys and the like report 0 or one page as their size whatever they hold:
// their contents are made as they are read.
bool SizeUnknownInAdvance(const struct stat& st) {
  return S_ISREG(st.st_mode) && (st.st_size == 0 || st.st_size == sysconf(_SC_PAGESIZE));
}

std::string RawLinkTarget(const std::string& path, size_t sizeHint) {
  std::vector<char> buffer(sizeHint + 1 > 256 ? sizeHint + 1 : 256);
  for (;;) {
    const ssize_t n = readlink(path.c_str(), buffer.data(), buffer.size());
    if (n < 0) return {};
    if (size_t(n) < buffer.size()) return std::string(buffer.data(), size_t(n));
    buffer.resize(buffer.size() * 2);
  }
}

// What the worker needs of its operation and of the interface thread.
struct TWorkerLink {
  const TFileOpRequest& Request;
  std::atomic<bool>& Cancel;
  std::function<void(const TFileOpProgress&)> Publish;
  std::function<TConflictAnswer(const TConflict&)> Ask;
  UiLoop& Loop;
  Trash& TrashCan;
  Dialogs& Dialog;
};

class TWorker {
 public:
  explicit TWorker(TWorkerLink link) : L(std::move(link)) {}
  TFileOpReport Run();

 private:
  enum class TStep { stOk, stSkipped, stFailed, stCancelled };
  enum class TDid { dMade, dMadeFolder, dRenamed, dSetAside, dCopied, dCopiedFolder };
  struct TChange {
    TDid What;
    std::string A;            // the entry made, renamed (from), set aside (where it went), copied
    std::string B;            // renamed (to), set aside (where it was), copied (where the copy is)
    struct stat Original {};  // copied: the original as it was read
  };

  bool Cancelled() const { return L.Cancel.load(std::memory_order_acquire); }
  bool Moving() const { return L.Request.Kind == TFileOpKind::okMove; }
  const char* Verb() const { return Moving() ? "move" : "copy"; }
  void Publish() { L.Publish(FProgress); }
  TStep Fail(std::string text) {
    FErrors.push_back(std::move(text));
    return TStep::stFailed;
  }

  void RunTransfer(TFileOpReport& report);
  void RunDelete(TFileOpReport& report);
  void RunTrash(TFileOpReport& report);

  TFileOpItem TransferItem(const std::string& source);
  TStep TransferEntry(const std::string& source, const std::string& folder, std::string* placed);
  TStep Merge(const std::string& source, const std::string& target);
  TStep CopyEntry(const std::string& source, const struct stat& st, const std::string& target);
  TStep CopyFileData(const std::string& source, const struct stat& st, const std::string& work);
  TStep Pump(int in, int out, const std::string& source, bool plainReads, uint64_t& copied);
  TStep CopyLink(const std::string& source, const struct stat& st, const std::string& work);
  TStep CopySpecial(const std::string& source, const struct stat& st, const std::string& work);
  TStep SetAside(const std::string& target);
  TConflictAnswer Answer(const TConflict& conflict);
  bool Flush(const std::string& folder);
  bool Commit();
  bool RemoveOriginal(const TChange& copied);
  void Rollback();

  TWorkerLink L;
  TFileOpProgress FProgress;
  std::optional<TConflictAnswer> FForAll;  // "apply to all"
  // The current item's transaction:
  std::vector<TChange> FChanges;
  std::vector<std::string> FErrors;
  bool FCrossFs = false;  // a rename was refused across file systems: copy from now on
};

TFileOpReport TWorker::Run() {
  TFileOpReport report;
  report.Kind = L.Request.Kind;
  switch (L.Request.Kind) {
    case TFileOpKind::okCopy:
    case TFileOpKind::okMove:
      RunTransfer(report);
      break;
    case TFileOpKind::okDelete:
      RunDelete(report);
      break;
    case TFileOpKind::okTrash:
      RunTrash(report);
      break;
  }
  report.Cancelled = Cancelled();
  report.Progress = FProgress;
  return report;
}

void TWorker::RunTransfer(TFileOpReport& report) {
  if (!Fs::DirectoryExists(L.Request.TargetFolder)) {
    for (const std::string& source : L.Request.Sources)
      report.Items.push_back({source,
                              {},
                              TItemOutcome::ioFailed,
                              {std::string("Can not ") + Verb() + " " + source + " into " +
                               L.Request.TargetFolder + ": there is no such folder"}});
    return;
  }
  std::vector<Fs::TWalkTotals> totals(L.Request.Sources.size());
  for (size_t i = 0; i < totals.size() && !Cancelled(); ++i) {
    totals[i] = Fs::Walk(L.Request.Sources[i], {}, &L.Cancel).Totals;
    FProgress.FilesTotal += totals[i].Files;
    FProgress.BytesTotal += totals[i].Bytes;
  }
  Publish();
  uint64_t filesBefore = 0, bytesBefore = 0;
  for (size_t i = 0; i < totals.size(); ++i) {
    report.Items.push_back(TransferItem(L.Request.Sources[i]));
    // Renames move whole trees at once, and undone work counts as handled: the counts catch up
    // with the scan after each entry.
    filesBefore += totals[i].Files;
    bytesBefore += totals[i].Bytes;
    FProgress.FilesDone = filesBefore;
    FProgress.BytesDone = bytesBefore;
    Publish();
  }
}

TFileOpItem TWorker::TransferItem(const std::string& source) {
  TFileOpItem item;
  item.Source = source;
  if (Cancelled()) return item;
  FChanges.clear();
  FErrors.clear();
  FCrossFs = L.Request.MoveByCopying;
  std::string placed;
  TStep step;
  struct stat st;
  if (lstat(source.c_str(), &st) != 0)
    step = Fail(ErrorText("Can not find", source, errno));
  else if (S_ISDIR(st.st_mode) && FolderLiesIn(L.Request.TargetFolder, st))
    step = Fail(std::string("Can not ") + Verb() + " " + source + " into itself");
  else
    step = TransferEntry(source, L.Request.TargetFolder, &placed);
  if (step == TStep::stOk && Moving() && FCrossFs && !Flush(L.Request.TargetFolder))
    step = TStep::stFailed;
  switch (step) {
    case TStep::stOk:
      item.Outcome = Commit() ? TItemOutcome::ioDone : TItemOutcome::ioPartlyMoved;
      item.Target = placed;
      break;
    case TStep::stSkipped:
      item.Outcome = TItemOutcome::ioSkipped;
      item.Target = placed;
      break;
    case TStep::stFailed:
      Rollback();
      item.Outcome = TItemOutcome::ioFailed;
      break;
    case TStep::stCancelled:
      Rollback();
      item.Outcome = TItemOutcome::ioCancelled;
      break;
  }
  item.Errors = std::move(FErrors);
  FErrors.clear();
  return item;
}

TWorker::TStep TWorker::TransferEntry(const std::string& source, const std::string& folder,
                                      std::string* placed) {
  struct stat st, existing;
  if (lstat(source.c_str(), &st) != 0) return Fail(ErrorText("Can not read", source, errno));
  std::string target = base::JoinPath(folder, base::BaseName(source));
  bool merge = false;
  if (lstat(target.c_str(), &existing) == 0) {
    if (existing.st_dev == st.st_dev && existing.st_ino == st.st_ino) {
      // Into its own folder: a copy gets a name of its own, a move has nothing to do.
      if (Moving()) {
        if (placed) *placed = source;
        return TStep::stSkipped;
      }
      target = FreeName(target, S_ISDIR(st.st_mode));
    } else {
      const TConflictAnswer answer =
          Answer({source, target, S_ISDIR(st.st_mode), S_ISDIR(existing.st_mode)});
      switch (answer.Choice) {
        case TConflictChoice::ccSkip:
          return TStep::stSkipped;
        case TConflictChoice::ccCancel:
          L.Cancel.store(true);
          return TStep::stCancelled;
        case TConflictChoice::ccKeepBoth:
          target = FreeName(target, S_ISDIR(st.st_mode));
          break;
        case TConflictChoice::ccReplace:
          merge = S_ISDIR(st.st_mode) && S_ISDIR(existing.st_mode);
          // Setting aside a folder that holds the source would take the source with it.
          if (!merge && S_ISDIR(existing.st_mode) && FolderLiesIn(base::ParentOf(source), existing))
            return Fail("Can not replace " + target + " with " + source +
                        ": it is inside the folder it would replace");
          if (!merge && SetAside(target) != TStep::stOk) return TStep::stFailed;
          break;
      }
    }
  } else if (errno != ENOENT) {
    return Fail(std::string("Can not ") + Verb() + " to " + target + ": " +
                Fs::TFsResult{errno, target}.Message());
  }
  if (placed) *placed = target;
  if (Cancelled()) return TStep::stCancelled;
  if (merge) return Merge(source, target);
  if (Moving() && !FCrossFs) {
    const Fs::TFsResult renamed = Fs::RenameNoReplace(source, target);
    if (renamed) {
      FChanges.push_back({TDid::dRenamed, source, target});
      return TStep::stOk;
    }
    if (renamed.Error != EXDEV) return Fail(ErrorText("Can not move", source, renamed.Error));
    FCrossFs = true;
  }
  return CopyEntry(source, st, target);
}

TWorker::TStep TWorker::Merge(const std::string& source, const std::string& target) {
  bool listed = false;
  const std::vector<std::string> names = Names(source, listed);
  if (!listed) return Fail(ErrorText("Can not read", source, errno));
  for (const std::string& name : names) {
    if (Cancelled()) return TStep::stCancelled;
    const TStep step = TransferEntry(base::JoinPath(source, name), target, nullptr);
    if (step == TStep::stFailed || step == TStep::stCancelled) return step;
  }
  // Emptied by the move, the source folder goes at the end (it stays if anything was skipped).
  if (Moving()) FChanges.push_back({TDid::dCopiedFolder, source, {}});
  return TStep::stOk;
}

TWorker::TStep TWorker::CopyEntry(const std::string& source, const struct stat& st,
                                  const std::string& target) {
  if (Cancelled()) return TStep::stCancelled;
  FProgress.Current = source;
  if (S_ISDIR(st.st_mode)) {
    // Writable for us while it fills; its own permissions and times come last.
    if (mkdir(target.c_str(), 0700) != 0) return Fail(ErrorText("Can not create", target, errno));
    FChanges.push_back({TDid::dMadeFolder, target, {}});
    bool listed = false;
    const std::vector<std::string> names = Names(source, listed);
    if (!listed) return Fail(ErrorText("Can not read", source, errno));
    for (const std::string& name : names) {
      const std::string child = base::JoinPath(source, name);
      struct stat cs;
      if (lstat(child.c_str(), &cs) != 0) return Fail(ErrorText("Can not read", child, errno));
      const TStep step = CopyEntry(child, cs, base::JoinPath(target, name));
      if (step != TStep::stOk) return step;
    }
    const timespec times[2] = {st.st_atim, st.st_mtim};
    if (chmod(target.c_str(), st.st_mode & 07777) != 0 ||
        utimensat(AT_FDCWD, target.c_str(), times, 0) != 0)
      return Fail(ErrorText("Can not set the permissions of", target, errno));
    if (Moving()) FChanges.push_back({TDid::dCopiedFolder, source, {}});
    return TStep::stOk;
  }
  const std::string work = WorkName(base::ParentOf(target), "part");
  const TStep made = S_ISREG(st.st_mode)   ? CopyFileData(source, st, work)
                     : S_ISLNK(st.st_mode) ? CopyLink(source, st, work)
                                           : CopySpecial(source, st, work);
  if (made != TStep::stOk) return made;
  const Fs::TFsResult placed = Fs::RenameNoReplace(work, target);
  if (!placed) {
    unlink(work.c_str());
    return Fail(ErrorText("Can not create", target, placed.Error));
  }
  FChanges.push_back({TDid::dMade, target, {}});
  if (Moving()) FChanges.push_back({TDid::dCopied, source, target, st});
  ++FProgress.FilesDone;
  Publish();
  return TStep::stOk;
}

TWorker::TStep TWorker::CopyFileData(const std::string& source, const struct stat& st,
                                     const std::string& work) {
  const int in = open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (in < 0) return Fail(ErrorText("Can not read", source, errno));
  const int out = open(work.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (out < 0) {
    const int error = errno;
    close(in);
    return Fail(ErrorText("Can not write into", base::ParentOf(work), error));
  }
  const bool sizeUnknown = SizeUnknownInAdvance(st);
  uint64_t copied = 0;
  TStep step = Pump(in, out, source, sizeUnknown, copied);
  struct stat after;
  if (step == TStep::stOk) {
    // The check before an original may go: every byte arrived and nobody wrote to the
    // original meanwhile. A file whose size is not known in advance is copied as it read.
    const bool read = fstat(in, &after) == 0;
    const bool whole =
        read && (copied == uint64_t(after.st_size) || (sizeUnknown && after.st_size == st.st_size));
    if (!whole || (Moving() && !SameFileAsCopied(after, st)))
      step =
          Fail(std::string("Can not ") + Verb() + " " + source + ": it changed while it was read");
  }
  if (step == TStep::stOk) {
    const timespec times[2] = {st.st_atim, st.st_mtim};
    if (fchmod(out, st.st_mode & 07777) != 0 || futimens(out, times) != 0)
      step = Fail(ErrorText("Can not set the permissions of", work, errno));
  }
  close(in);
  // Some file systems report a failed write only when the file is closed.
  if (close(out) != 0 && step == TStep::stOk)
    step = Fail(ErrorText("Can not write", source, errno));
  if (step != TStep::stOk) unlink(work.c_str());
  return step;
}

TWorker::TStep TWorker::Pump(int in, int out, const std::string& source, bool plainReads,
                             uint64_t& copied) {
  // In the kernel where it can (no trip through our memory), else a plain read and write. The
  // kernel's copies stop at the reported size, so files whose size is not known in advance are
  // read plainly.
  enum { kRange, kSendfile, kReadWrite } method = plainReads ? kReadWrite : kRange;
  std::vector<char> buffer;
  for (;;) {
    if (Cancelled()) return TStep::stCancelled;
    ssize_t n;
    if (method == kRange) {
      n = copy_file_range(in, nullptr, out, nullptr, kChunkBytes, 0);
    } else if (method == kSendfile) {
      n = sendfile(out, in, nullptr, kChunkBytes);
    } else {
      if (buffer.empty()) buffer.resize(1 << 20);
      n = read(in, buffer.data(), buffer.size());
      for (ssize_t done = 0; n > 0 && done < n;) {
        const ssize_t w = write(out, buffer.data() + done, size_t(n - done));
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0)
          return Fail(ErrorText(std::string("Can not ") + Verb(), source, w < 0 ? errno : ENOSPC));
        done += w;
      }
    }
    if (n == 0) return TStep::stOk;
    if (n < 0) {
      const int error = errno;
      if (error == EINTR) continue;
      const bool refused = error == EXDEV || error == EINVAL || error == ENOSYS ||
                           error == EOPNOTSUPP || error == EBADF;
      if (method == kRange && refused && copied == 0) {
        method = kSendfile;
        continue;
      }
      if (method == kSendfile && (error == EINVAL || error == ENOSYS) && copied == 0) {
        method = kReadWrite;
        continue;
      }
      return Fail(ErrorText(std::string("Can not ") + Verb(), source, error));
    }
    copied += uint64_t(n);
    FProgress.BytesDone += uint64_t(n);
    Publish();
  }
}

TWorker::TStep TWorker::CopyLink(const std::string& source, const struct stat& st,
                                 const std::string& work) {
  const std::string target = RawLinkTarget(source, size_t(st.st_size));
  if (target.empty()) return Fail(ErrorText("Can not read", source, errno));
  if (symlink(target.c_str(), work.c_str()) != 0)
    return Fail(ErrorText("Can not write into", base::ParentOf(work), errno));
  const timespec times[2] = {st.st_atim, st.st_mtim};
  utimensat(AT_FDCWD, work.c_str(), times,
            AT_SYMLINK_NOFOLLOW);  // not every file system keeps link times
  return TStep::stOk;
}

TWorker::TStep TWorker::CopySpecial(const std::string& source, const struct stat& st,
                                    const std::string& work) {
  // Pipes, sockets and devices are made anew; their contents are not files to read.
  if (mknod(work.c_str(), st.st_mode, st.st_rdev) != 0)
    return Fail(ErrorText(std::string("Can not ") + Verb(), source, errno));
  const timespec times[2] = {st.st_atim, st.st_mtim};
  if (chmod(work.c_str(), st.st_mode & 07777) != 0 ||
      utimensat(AT_FDCWD, work.c_str(), times, 0) != 0) {
    const int error = errno;
    unlink(work.c_str());
    return Fail(ErrorText("Can not set the permissions of", source, error));
  }
  return TStep::stOk;
}

TWorker::TStep TWorker::SetAside(const std::string& target) {
  const std::string aside = WorkName(base::ParentOf(target), "old");
  const Fs::TFsResult moved = Fs::RenameNoReplace(target, aside);
  if (!moved) return Fail(ErrorText("Can not replace", target, moved.Error));
  FChanges.push_back({TDid::dSetAside, aside, target});
  return TStep::stOk;
}

TConflictAnswer TWorker::Answer(const TConflict& conflict) {
  if (FForAll) return *FForAll;
  const TConflictAnswer answer = L.Ask(conflict);
  if (answer.ApplyToAll && answer.Choice != TConflictChoice::ccCancel) FForAll = answer;
  return answer;
}

bool TWorker::Flush(const std::string& folder) {
  // The originals go next: the copies must be on the disk first, not only in its cache.
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  const bool ok = fd >= 0 && syncfs(fd) == 0;
  const int error = errno;
  if (fd >= 0) close(fd);
  if (!ok) Fail(ErrorText("Can not write", folder, error));
  return ok;
}

bool TWorker::Commit() {
  bool allRemoved = true;
  for (const TChange& change : FChanges) {
    if (change.What == TDid::dSetAside) {
      if (const Fs::TFsResult r = Fs::RemoveTree(change.A); !r)
        FErrors.push_back("The replaced " + change.B + " was kept as " + change.A + ": " +
                          ErrorText("can not delete", r.Path, r.Error));
    } else if (change.What == TDid::dCopied) {
      allRemoved = RemoveOriginal(change) && allRemoved;
    } else if (change.What == TDid::dCopiedFolder) {
      // A folder that still holds anything keeps it: only what was moved out goes.
      if (rmdir(change.A.c_str()) != 0 && errno != ENOTEMPTY && errno != EEXIST)
        FErrors.push_back(ErrorText("Moved, but can not remove the original", change.A, errno));
    }
  }
  FChanges.clear();
  return allRemoved;
}

bool TWorker::RemoveOriginal(const TChange& copied) {
  // By path, so only after making sure the path still holds what was copied: an editor may have
  // saved a new version over it, or written to it, since.
  struct stat now;
  if (lstat(copied.A.c_str(), &now) != 0) {
    if (errno == ENOENT) return true;  // already gone: nothing to lose
  } else if (!SameFileAsCopied(now, copied.Original)) {
    FErrors.push_back("Kept " + copied.A + ": it changed after it was copied, so " + copied.B +
                      " holds its earlier version");
    return false;
  } else if (unlink(copied.A.c_str()) == 0) {
    return true;
  }
  FErrors.push_back(ErrorText("Moved, but can not remove the original", copied.A, errno));
  return false;
}

void TWorker::Rollback() {
  // Folders we made got their final permissions, perhaps read-only; emptying them needs write
  // access again.
  for (const TChange& change : FChanges)
    if (change.What == TDid::dMadeFolder) chmod(change.A.c_str(), 0700);
  for (auto it = FChanges.rbegin(); it != FChanges.rend(); ++it) {
    switch (it->What) {
      case TDid::dMade:
        unlink(it->A.c_str());
        break;
      case TDid::dMadeFolder:
        rmdir(it->A.c_str());
        break;
      case TDid::dRenamed:
        if (const Fs::TFsResult r = Fs::RenameNoReplace(it->B, it->A); !r)
          FErrors.push_back("Can not put " + it->B + " back to " + it->A + ": " + r.Message());
        break;
      case TDid::dSetAside:
        if (const Fs::TFsResult r = Fs::RenameNoReplace(it->A, it->B); !r)
          FErrors.push_back("The entry " + it->B + " was kept as " + it->A + ": " + r.Message());
        break;
      case TDid::dCopied:
      case TDid::dCopiedFolder:
        break;  // the originals were never touched
    }
  }
  FChanges.clear();
}

void TWorker::RunDelete(TFileOpReport& report) {
  for (const std::string& source : L.Request.Sources) {
    const Fs::TWalkTotals totals = Fs::Walk(source, {}, &L.Cancel).Totals;
    FProgress.FilesTotal += totals.Files + totals.Folders;
  }
  Publish();
  for (const std::string& source : L.Request.Sources) {
    TFileOpItem& item = report.Items.emplace_back();
    item.Source = source;
    if (Cancelled()) continue;
    const Fs::TFsResult r = Fs::RemoveTree(source, [this](const std::string& path) {
      if (Cancelled()) return false;
      FProgress.Current = path;
      ++FProgress.FilesDone;
      Publish();
      return true;
    });
    if (r) {
      item.Outcome = TItemOutcome::ioDone;
    } else if (r.Error == ECANCELED) {
      item.Outcome = TItemOutcome::ioCancelled;
      if (Exists(source) && r.Path != source)
        item.Errors.push_back("Deleting " + source + " was cancelled part way");
    } else {
      item.Outcome = TItemOutcome::ioFailed;
      item.Errors.push_back(ErrorText("Can not delete", r.Path, r.Error));
    }
  }
}

void TWorker::RunTrash(TFileOpReport& report) {
  FProgress.FilesTotal = L.Request.Sources.size();
  Publish();
  const std::vector<TTrashResult> results = MoveToTrash(
      L.Loop, L.TrashCan, L.Dialog, L.Request.Sources, &L.Cancel, [this](const std::string& path) {
        FProgress.Current = path;
        Publish();
      });
  for (const TTrashResult& result : results) {
    TFileOpItem& item = report.Items.emplace_back();
    item.Source = result.Path;
    switch (result.Outcome) {
      case TTrashOutcome::toTrashed:
        item.Outcome = TItemOutcome::ioDone;
        break;
      case TTrashOutcome::toDeleted:
        item.Outcome = TItemOutcome::ioDeleted;
        break;
      case TTrashOutcome::toKept:
        item.Outcome = Cancelled() ? TItemOutcome::ioCancelled : TItemOutcome::ioSkipped;
        break;
      case TTrashOutcome::toFailed:
        item.Outcome = TItemOutcome::ioFailed;
        break;
    }
    if (!result.Error.empty()) item.Errors.push_back(result.Error);
    if (item.Outcome != TItemOutcome::ioCancelled) ++FProgress.FilesDone;
  }
  Publish();
}

}  // namespace

void SetFileOpUi(FileOpUi* ui) { gFileOpUi.Set(ui); }
FileOpUi& TheFileOpUi() { return gFileOpUi.Get(); }
void SetFileOps(TFileOps* ops) { gFileOps.Set(ops); }
TFileOps& TheFileOps() { return gFileOps.Get(); }

struct TFileOps::TOp {
  TOpId Id = 0;
  TFileOpRequest Request;
  std::atomic<bool> Cancel{false};
  std::mutex Lock;         // guards Latest
  TFileOpProgress Latest;  // what the view shows next
  std::atomic<bool> ProgressPending{false};
  std::unique_ptr<TFileOpView> View;  // interface thread only, like the fields below
  std::thread Worker;
  bool Abandoned = false;  // the operations object is gone: posted calls do nothing
};

TFileOps::TFileOps(UiLoop& loop, FileOpUi& ui, Trash& trash, Dialogs& dialogs)
    : FLoop(loop), FUi(ui), FTrash(trash), FDialogs(dialogs) {}

TFileOps::~TFileOps() {
  for (auto& [id, op] : FOps) {
    op->Abandoned = true;
    op->Cancel.store(true, std::memory_order_release);
  }
  FLoop.WakeServing();
  for (auto& [id, op] : FOps) {
    // A worker waiting for a question sees its cancel flag and returns; nothing else blocks it.
    if (op->Worker.joinable()) op->Worker.join();
    op->View.reset();
  }
}

TFileOps::TOpId TFileOps::Start(TFileOpRequest request) {
  NV_ASSERT_UI_THREAD();
  auto op = std::make_shared<TOp>();
  op->Id = FNextId++;
  op->Request = std::move(request);
  const TOpId id = op->Id;
  op->View = FUi.Open(op->Request.Kind, op->Request.Sources.size(), [this, id] { Cancel(id); });
  FOps[id] = op;
  op->Worker = std::thread([this, op] {
    auto publish = [this, op](const TFileOpProgress& progress) {
      if (op->Request.OnWorkerProgress && !op->Request.OnWorkerProgress(progress))
        op->Cancel.store(true, std::memory_order_release);
      {
        std::lock_guard<std::mutex> guard(op->Lock);
        op->Latest = progress;
      }
      if (op->ProgressPending.exchange(true, std::memory_order_acq_rel)) return;
      FLoop.Post([op] {
        op->ProgressPending.store(false, std::memory_order_release);
        if (op->Abandoned || !op->View) return;
        TFileOpProgress latest;
        {
          std::lock_guard<std::mutex> guard(op->Lock);
          latest = op->Latest;
        }
        op->View->Progress(latest);
      });
    };
    auto ask = [this, op](const TConflict& conflict) {
      // Unanswered (the operation is cancelled meanwhile) means cancel.
      TConflictAnswer answer{TConflictChoice::ccCancel, false};
      FLoop.RunOnUiThread(
          [&] {
            if (!op->Abandoned && op->View) answer = op->View->AskConflict(conflict);
          },
          &op->Cancel);
      return answer;
    };
    TWorker worker({op->Request, op->Cancel, publish, ask, FLoop, FTrash, FDialogs});
    TFileOpReport report = worker.Run();
    FLoop.Post([this, op, report = std::move(report)]() mutable {
      if (!op->Abandoned) Finish(op, std::move(report));
    });
  });
  return id;
}

void TFileOps::Cancel(TOpId id) {
  auto it = FOps.find(id);
  if (it == FOps.end()) return;
  it->second->Cancel.store(true, std::memory_order_release);
  FLoop.WakeServing();
}

void TFileOps::Finish(const std::shared_ptr<TOp>& op, TFileOpReport report) {
  op->Worker.join();  // it posted this as its last act
  FOps.erase(op->Id);
  if (op->View) {
    op->View->Finished(report);
    op->View.reset();
  }
  if (op->Request.OnDone) op->Request.OnDone(report);
}

}  // namespace platform
