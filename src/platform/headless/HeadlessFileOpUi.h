// The test backend's windows for file operations: nothing is shown, everything is recorded, and
// conflict questions take their answers from a queue the test fills (an empty queue answers
// "skip"). Interface thread only, like the real windows.
#pragma once

#include <deque>
#include <vector>

#include "platform/FileOps.h"

namespace platform::headless {

class THeadlessFileOpUi : public FileOpUi {
 public:
  ~THeadlessFileOpUi() override;

  std::deque<TConflictAnswer> ConflictAnswers;
  std::vector<TConflict> Conflicts;       // every question, in order
  std::vector<TFileOpProgress> Progress;  // every update a window received
  std::vector<TFileOpReport> Reports;     // every finished operation
  size_t Opened = 0;

  // Presses Cancel in every window that is open.
  void CancelAll();
  size_t OpenWindows() const { return FOpen.size(); }

  std::unique_ptr<TFileOpView> Open(TFileOpKind kind, size_t count,
                                    std::function<void()> cancel) override;

 private:
  class TView;
  std::vector<TView*> FOpen;
};

}  // namespace platform::headless
