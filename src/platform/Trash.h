// The desktop's trash (the recycle bin): moving entries into it, how much it holds, emptying it
// and where it can be shown. The backend decides what a trash is; the rules that keep the user's
// data safe around it (ask before deleting permanently, report only what was done) are shared.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Dialogs.h"
#include "platform/UiLoop.h"

namespace platform {

enum class TTrashMove {
  tmMoved,
  tmUnsupported,  // the entry's file system has no trash; nothing was changed
  tmFailed
};

struct TTrashInfo {
  uint64_t Count = 0;  // items at the top level of the trash
  uint64_t Bytes = 0;  // their size, folders with everything in them
};

// Threads: every call may be made from any thread, and each may take a while (a large trash is
// walked to sum its size): callers on the interface thread keep to small work.
class Trash {
 public:
  virtual ~Trash() = default;
  // Moves the entry at Path (a folder with its contents) into the trash. Error explains
  // tmFailed.
  virtual TTrashMove Move(const std::string& path, std::string& error) = 0;
  virtual TTrashInfo Info() = 0;
  // Deletes everything in the trash without asking; false, with Error, when something stayed.
  virtual bool Empty(std::string& error) = 0;
  // A location the system can open to show the trash ("trash:///", or a folder).
  virtual std::string Location() = 0;
};

void SetTrash(Trash* trash);
Trash& TheTrash();

enum class TTrashOutcome {
  toTrashed,
  toDeleted,  // its file system has no trash and the user agreed to delete it permanently
  toKept,     // not touched: the user declined permanent deletion, or the work was cancelled
  toFailed
};

struct TTrashResult {
  std::string Path;
  TTrashOutcome Outcome = TTrashOutcome::toKept;
  std::string Error;  // names the path and the reason, for toFailed
};

// Moves each of Paths to Trash, in order. The ones whose file system has no trash are collected
// and, after one question through Dialogs on the interface thread of Loop, deleted permanently
// or kept. When Cancel turns true the remaining paths are kept (a question not yet shown is not
// shown). OnEach, when given, runs on the calling thread before each path is handled. Any
// thread; a worker waits while the question is open.
std::vector<TTrashResult> MoveToTrash(UiLoop& loop, Trash& trash, Dialogs& dialogs,
                                      const std::vector<std::string>& paths,
                                      const std::atomic<bool>* cancel = nullptr,
                                      const std::function<void(const std::string&)>& onEach = {});
// The same with the installed loop, trash and dialogs.
std::vector<TTrashResult> MoveToTrash(const std::vector<std::string>& paths);

// Interface thread: tells how many items the trash holds and asks whether to delete them all;
// then empties it. True when it was emptied; false when it was empty already, the user said no,
// or emptying failed (which is then shown).
bool EmptyTrashAsking(Trash& trash, Dialogs& dialogs);

// A trash kept in one folder the way desktops keep theirs: the entries in TrashDir/files and,
// for each, a TrashDir/info/NAME.trashinfo that records where it came from and when.
namespace trashfolder {
// Moves Path into TrashDir, which must be on the same file system (tmUnsupported otherwise).
TTrashMove Move(const std::string& trashDir, const std::string& path, std::string& error);
TTrashInfo Info(const std::string& trashDir);
bool Empty(const std::string& trashDir, std::string& error);
// The original path recorded for the trashed entry Name, empty when there is no record.
std::string OriginalPath(const std::string& trashDir, const std::string& name);
// The original path a record's text holds (its "Path=" line, with the "%XX" escapes undone);
// empty when it holds none.
std::string ParseTrashInfo(std::string_view text);
}  // namespace trashfolder

}  // namespace platform
