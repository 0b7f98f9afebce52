// File operations that may take long: copying or moving a list of entries into a folder,
// deleting them, moving them to the trash. Each runs on a worker of its own; its window (progress,
// questions about conflicts, errors) is the backend's FileOpUi on the interface thread.
//
// What the user can rely on:
// - An entry appears under its final name only once it is complete: files are written under a
//   temporary name first. A replaced entry is set aside until its replacement is complete.
// - Each requested entry succeeds whole or not at all: when one of its files fails, or the work
//   is cancelled while it is handled, everything made for it is removed again and what it
//   replaced comes back. Entries finished before stay finished.
// - A move within one file system renames. A move to another one copies, checks the copy (every
//   byte written, the source unchanged meanwhile, the copy flushed to its disk), and only then
//   deletes the originals, and only those that were copied and are still the same file (device,
//   inode, size and write time looked at just before each removal). One that changed after its
//   copy was made stays where it is, and the entry is reported as partly moved.
// - A folder is never copied or moved into itself or below itself, however it is reached (links,
//   other mounts of its file system), and an entry is never replaced by something inside it.
// - Completion is reported on the interface thread with what was done to each entry.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Dialogs.h"
#include "platform/Trash.h"
#include "platform/UiLoop.h"

namespace platform {

enum class TFileOpKind {
  okCopy,
  okMove,
  okDelete,  // permanently; asking first is the caller's part
  okTrash
};

struct TFileOpProgress {
  uint64_t BytesDone = 0;
  uint64_t BytesTotal = 0;
  uint64_t FilesDone = 0;  // entries other than folders
  uint64_t FilesTotal = 0;
  std::string Current;  // path of the entry being handled
};

// An entry of the same name is already where a copy or move would put Source.
struct TConflict {
  std::string Source;
  std::string Target;
  bool SourceIsFolder = false;
  bool TargetIsFolder = false;  // both folders: "replace" merges the contents
};

enum class TConflictChoice { ccReplace, ccSkip, ccKeepBoth, ccCancel };

struct TConflictAnswer {
  TConflictChoice Choice = TConflictChoice::ccSkip;
  bool ApplyToAll = false;  // the same choice for every further conflict of the operation
};

enum class TItemOutcome {
  ioDone,         // copied, moved, deleted or trashed as asked
  ioPartlyMoved,  // moved, but some originals stayed where they were: those that changed after
                  // they were copied, or could not be removed (Errors name each and say why)
  ioDeleted,      // trashing: its file system has no trash, and the user agreed to delete it
  ioSkipped,      // a conflict answered "skip", a move onto itself, or permanent deletion declined
  ioFailed,       // Errors say why; nothing of it was changed (a deletion may have begun)
  ioCancelled     // not handled, or handled and undone, because the work was cancelled
};

struct TFileOpItem {
  std::string Source;
  std::string Target;  // where it is now, for copies and moves that were done
  TItemOutcome Outcome = TItemOutcome::ioCancelled;
  std::vector<std::string> Errors;  // each names the path it concerns
};

struct TFileOpReport {
  TFileOpKind Kind = TFileOpKind::okCopy;
  std::vector<TFileOpItem> Items;  // one for each requested source, in order
  bool Cancelled = false;
  TFileOpProgress Progress;  // the final counts
};

// The window of one operation. Made, called and destroyed on the interface thread.
class TFileOpView {
 public:
  virtual ~TFileOpView() = default;
  // The latest state; calls are dropped while the interface thread is busy, never queued up.
  virtual void Progress(const TFileOpProgress& progress) = 0;
  // A modal question; the worker waits for the answer.
  virtual TConflictAnswer AskConflict(const TConflict& conflict) = 0;
  // The operation has ended; the place to show what failed.
  virtual void Finished(const TFileOpReport& report) = 0;
};

// The backend's windows for file operations. Interface thread only.
class FileOpUi {
 public:
  // Work that ends sooner shows no window.
  static constexpr int kShowAfterMs = 500;

  virtual ~FileOpUi() = default;
  // A view for an operation on Count entries; Cancel, called on the interface thread, asks the
  // operation to stop.
  virtual std::unique_ptr<TFileOpView> Open(TFileOpKind kind, size_t count,
                                            std::function<void()> cancel) = 0;
};

void SetFileOpUi(FileOpUi* ui);
FileOpUi& TheFileOpUi();

struct TFileOpRequest {
  TFileOpKind Kind = TFileOpKind::okCopy;
  std::vector<std::string> Sources;  // absolute paths
  std::string TargetFolder;          // copies and moves
  // Runs on the interface thread when the operation has ended.
  std::function<void(const TFileOpReport&)> OnDone;
  // Runs on the worker after each step (a chunk of a file, an entry); returning false cancels.
  // For callers that must act at an exact point, such as a test that cancels halfway.
  std::function<bool(const TFileOpProgress&)> OnWorkerProgress;
  // Moves copy, check and delete even within one file system, as they do between two; lets
  // that path be tested on a machine with a single file system.
  bool MoveByCopying = false;
};

class TFileOps {
 public:
  using TOpId = uint64_t;

  // The services must outlive this object; Loop runs the views and the completion calls.
  TFileOps(UiLoop& loop, FileOpUi& ui, Trash& trash, Dialogs& dialogs);
  // Cancels running operations and waits for their workers; their OnDone does not run.
  ~TFileOps();
  TFileOps(const TFileOps&) = delete;
  TFileOps& operator=(const TFileOps&) = delete;

  // Interface thread: starts the work on a worker of its own.
  TOpId Start(TFileOpRequest request);
  // Interface thread: asks the operation to stop; an ended or unknown one is ignored.
  void Cancel(TOpId id);
  // Interface thread: operations whose completion has not been reported yet.
  size_t Running() const { return FOps.size(); }

 private:
  struct TOp;

  void Finish(const std::shared_ptr<TOp>& op, TFileOpReport report);

  UiLoop& FLoop;
  FileOpUi& FUi;
  Trash& FTrash;
  Dialogs& FDialogs;
  std::map<TOpId, std::shared_ptr<TOp>> FOps;  // interface thread only
  TOpId FNextId = 1;
};

void SetFileOps(TFileOps* ops);
TFileOps& TheFileOps();

}  // namespace platform
