// The properties window of one or several paths: a small GTK window with the quick facts at
// once and the size below folders counted on a worker, filled in as the count goes on.
// Interface thread; the window owns itself and goes when the user closes it.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/Properties.h"

namespace platform::gtk {

class TGtkPropertiesWindow {
 public:
  // Opens the window (transient for Parent, a GtkWindow* or nullptr) and starts the count.
  static TGtkPropertiesWindow* Open(const std::vector<std::string>& paths, void* parent);
  // Closes every window still open (at shut-down).
  static void CloseAll();

  // What the window shows, for tests: the value of the line with Caption ("Size", "Name" ...).
  std::string Value(const std::string& caption) const;
  bool Counting() const { return !FCountDone; }
  void Close();

 private:
  TGtkPropertiesWindow(const std::vector<std::string>& paths, void* parent);
  ~TGtkPropertiesWindow();
  static void OnDestroy(void* widget, void* self);
  void AddLine(const std::string& caption, const std::string& value);
  void StartCount();
  void ShowTotals(const TTreeTotals& totals, bool final);

  std::vector<std::string> FPaths;
  void* FWindow = nullptr;  // GtkWidget*
  void* FGrid = nullptr;    // GtkWidget*
  void* FSizeLabel = nullptr;
  int FRows = 0;
  std::vector<std::pair<std::string, void*>> FLabels;  // caption -> GtkLabel*
  std::atomic<bool> FCancel{false};
  std::shared_ptr<std::atomic<bool>> FAlive = std::make_shared<std::atomic<bool>>(true);
  std::thread FCounter;
  bool FCountDone = false;
};

}  // namespace platform::gtk
