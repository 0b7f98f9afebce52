// The windows of file operations on GTK: a small progress window (what is being done, a
// progress bar, the counts, Cancel) that appears only once the work has lasted
// FileOpUi::kShowAfterMs, modal questions about conflicts, and a list of what failed at the end.
// Interface thread only.
#pragma once

#include "platform/FileOps.h"

namespace platform::gtk {

class TGtkFileOpUi : public FileOpUi {
 public:
  ~TGtkFileOpUi() override;
  // The GtkWindow* the questions belong to when no progress window is shown; nullptr for none.
  // Forgotten when that window goes.
  void SetParent(void* gtkWindow);

  std::unique_ptr<TFileOpView> Open(TFileOpKind kind, size_t count,
                                    std::function<void()> cancel) override;

 private:
  void* FParent = nullptr;
};

}  // namespace platform::gtk
