// Support for the tests of the real window: a virtual display started for the test program when
// there is none, and child programs (xdotool, xclip) run while the GTK loop keeps serving.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/gtk/GtkBackend.h"

namespace gtktest {

// Why the GTK tests cannot run here, or empty when they can. Starts Xvfb once per process
// when DISPLAY is unset.
const std::string& DisplayUnavailableReason();

// Runs Argv, pumping the loop until it exits (or TimeoutMs pass); returns its standard output.
// Stdin, when given, is written to the program first.
struct TChildResult {
  int ExitCode = -1;
  std::string Output;
};
TChildResult RunPumping(platform::gtk::TGtkLoop& loop, const std::vector<std::string>& argv, int timeoutMs = 10000,
                        const std::string& stdinText = {});

// A child left running (for programs that serve the clipboard until stopped); stopped by its
// PID when destroyed.
class TBackgroundChild {
 public:
  TBackgroundChild(const std::vector<std::string>& argv, const std::string& stdinText);
  ~TBackgroundChild();

 private:
  int FPid = -1;
  int FOutput = -1;  // kept open so the child never writes into a closed pipe
};

// Pumps until Done() or TimeoutMs; returns Done().
bool PumpUntil(platform::gtk::TGtkLoop& loop, const std::function<bool()>& done, int timeoutMs = 5000);

bool HaveProgram(const std::string& name);

}  // namespace gtktest
