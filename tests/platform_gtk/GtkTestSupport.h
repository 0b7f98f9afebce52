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

// A process the test started, stopped by its PID at the end.
class TChild {
 public:
  // Standard output goes to OutFile, or to a pipe read with FirstLine when OutFile is empty;
  // ExtraEnv ("NAME=value") comes before the test's own environment, so it wins.
  TChild(const std::vector<std::string>& argv, const std::string& outFile,
         const std::vector<std::string>& extraEnv = {});
  ~TChild();
  TChild(const TChild&) = delete;
  TChild& operator=(const TChild&) = delete;

  bool Started() const { return FPid > 0; }
  // Waits for the child to end by itself; its exit status, or -1.
  int Wait();
  std::string FirstLine();

 private:
  int FPid = -1;
  int FOut = -1;
};

// A session bus of the test's own, so nothing the test does reaches the desktop's services.
// With AllowActivation the bus starts the services it knows on demand (the desktop's virtual
// file system, for one); they inherit this process's environment as it is at construction.
// Without it, no service is started. Every client may eavesdrop (for dbus-monitor).
class TPrivateSessionBus {
 public:
  // Puts the bus's address in DBUS_SESSION_BUS_ADDRESS, so it must come before any use of
  // the session bus in the process; the destructor puts the earlier value back.
  TPrivateSessionBus(const std::string& folder, bool allowActivation);
  ~TPrivateSessionBus();
  TPrivateSessionBus(const TPrivateSessionBus&) = delete;
  TPrivateSessionBus& operator=(const TPrivateSessionBus&) = delete;

  // Empty when dbus-daemon did not start, or when the process is already bound to another bus.
  const std::string& Address() const { return FAddress; }

 private:
  bool ServesThisProcess() const;
  void RestoreEarlierAddress();

  std::unique_ptr<TChild> FDaemon;
  std::string FAddress;
  bool FHadEarlierAddress = false;
  std::string FEarlierAddress;
};

// Pumps until Done() or TimeoutMs; returns Done().
bool PumpUntil(platform::gtk::TGtkLoop& loop, const std::function<bool()>& done, int timeoutMs = 5000);

bool HaveProgram(const std::string& name);

}  // namespace gtktest
