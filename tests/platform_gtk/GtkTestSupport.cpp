#include "GtkTestSupport.h"

#include <fcntl.h>
#include <gio/gio.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <memory>

#include "../platform/TempFolder.h"

extern char** environ;

namespace gtktest {

namespace {

uint64_t NowMs() {
  using namespace std::chrono;
  return uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

std::vector<char*> ArgvOf(const std::vector<std::string>& argv) {
  std::vector<char*> out;
  for (const std::string& a : argv) out.push_back(const_cast<char*>(a.c_str()));
  out.push_back(nullptr);
  return out;
}

// Starts Argv with pipes for stdin and stdout; returns the pid or -1.
int Spawn(const std::vector<std::string>& argv, int& inWrite, int& outRead) {
  int in[2], out[2];
  if (pipe2(in, O_CLOEXEC) != 0) return -1;
  if (pipe2(out, O_CLOEXEC) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  // Each child leads its own process group, so stopping it also stops what it started.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  pid_t pid = -1;
  std::vector<char*> args = ArgvOf(argv);
  if (posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), environ) != 0) pid = -1;
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  close(out[1]);
  inWrite = in[1];
  outRead = out[0];
  return pid;
}

struct TXvfb {
  pid_t Pid = -1;
  std::string Reason;

  TXvfb() {
    if (getenv("DISPLAY") && *getenv("DISPLAY")) return;
    if (!HaveProgram("Xvfb")) {
      Reason = "Xvfb is not installed (Debian package xvfb); the tests of the real window are skipped";
      return;
    }
    int fds[2];
    if (pipe(fds) != 0) {
      Reason = "no pipe for Xvfb";
      return;
    }
    const std::string fd = std::to_string(fds[1]);
    std::vector<std::string> argv{"Xvfb", "-displayfd", fd, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"};
    std::vector<char*> args = ArgvOf(argv);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    if (posix_spawnp(&Pid, "Xvfb", &actions, nullptr, args.data(), environ) != 0) Pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    std::string number;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (Pid < 0 || number.empty()) {
      Reason = "Xvfb did not start";
      return;
    }
    setenv("DISPLAY", (":" + number).c_str(), 1);
  }

  ~TXvfb() {
    if (Pid > 0) {
      kill(Pid, SIGTERM);
      waitpid(Pid, nullptr, 0);
    }
  }
};

}  // namespace

bool HaveProgram(const std::string& name) {
  const char* path = getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    const size_t end = dirs.find(':', start);
    const std::string dir = dirs.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!dir.empty() && access((dir + "/" + name).c_str(), X_OK) == 0) return true;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return false;
}

const std::string& DisplayUnavailableReason() {
  static TXvfb xvfb;
  return xvfb.Reason;
}

bool PumpUntil(platform::gtk::TGtkLoop& loop, const std::function<bool()>& done, int timeoutMs) {
  const uint64_t deadline = NowMs() + uint64_t(timeoutMs);
  while (!done()) {
    if (NowMs() > deadline) return false;
    loop.Iterate(false);
    usleep(1000);
  }
  return true;
}

TChildResult RunPumping(platform::gtk::TGtkLoop& loop, const std::vector<std::string>& argv, int timeoutMs,
                        const std::string& stdinText) {
  TChildResult result;
  int in = -1, out = -1;
  const int pid = Spawn(argv, in, out);
  if (pid < 0) return result;
  if (!stdinText.empty() && write(in, stdinText.data(), stdinText.size()) < 0) {
  }
  close(in);
  fcntl(out, F_SETFL, O_NONBLOCK);
  const uint64_t deadline = NowMs() + uint64_t(timeoutMs);
  int status = 0;
  bool exited = false;
  while (!exited && NowMs() < deadline) {
    char buffer[4096];
    ssize_t n;
    while ((n = read(out, buffer, sizeof buffer)) > 0) result.Output.append(buffer, size_t(n));
    loop.Iterate(false);  // the child may be talking to this process through the display
    if (waitpid(pid, &status, WNOHANG) == pid) exited = true;
    else usleep(1000);
  }
  if (!exited) {
    kill(-pid, SIGKILL);
    waitpid(pid, &status, 0);
  }
  char buffer[4096];
  ssize_t n;
  while ((n = read(out, buffer, sizeof buffer)) > 0) result.Output.append(buffer, size_t(n));
  close(out);
  result.ExitCode = exited && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

TBackgroundChild::TBackgroundChild(const std::vector<std::string>& argv, const std::string& stdinText) {
  int in = -1, out = -1;
  FPid = Spawn(argv, in, out);
  FOutput = out;
  if (FPid < 0) return;
  if (write(in, stdinText.data(), stdinText.size()) < 0) {
  }
  close(in);
}

TBackgroundChild::~TBackgroundChild() {
  if (FPid > 0) {
    kill(-FPid, SIGTERM);
    waitpid(FPid, nullptr, 0);
  }
  if (FOutput >= 0) close(FOutput);
}

TChild::TChild(const std::vector<std::string>& argv, const std::string& outFile,
               const std::vector<std::string>& extraEnv) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  int pipeFds[2] = {-1, -1};
  if (outFile.empty()) {
    if (pipe2(pipeFds, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  } else {
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  }
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::vector<char*> args = ArgvOf(argv);
  std::vector<char*> env;
  for (const std::string& e : extraEnv) env.push_back(const_cast<char*>(e.c_str()));
  for (char** e = environ; *e; ++e) env.push_back(*e);  // the first of a name counts
  env.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), env.data()) != 0) pid = -1;
  FPid = pid;
  posix_spawn_file_actions_destroy(&actions);
  if (pipeFds[1] >= 0) close(pipeFds[1]);
  FOut = pipeFds[0];
}

TChild::~TChild() {
  if (FPid > 0) {
    kill(FPid, SIGTERM);
    waitpid(FPid, nullptr, 0);
  }
  if (FOut >= 0) close(FOut);
}

int TChild::Wait() {
  int status = 0;
  const bool ended = FPid > 0 && waitpid(FPid, &status, 0) == FPid;
  FPid = -1;
  return ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string TChild::FirstLine() {
  std::string line;
  char c;
  while (FOut >= 0 && read(FOut, &c, 1) == 1 && c != '\n') line += c;
  return line;
}

TPrivateSessionBus::TPrivateSessionBus(const std::string& folder, bool allowActivation) {
  if (!HaveProgram("dbus-daemon")) return;
  // Every client may do anything, eavesdropping included (for dbus-monitor).
  const std::string policy = std::string(allowActivation ? "<standard_session_servicedirs/>" : "") +
                             "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                             "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy>";
  const std::string config = folder + "/bus.conf";
  const std::string text =
      "<busconfig><type>session</type><listen>unix:tmpdir=" + folder + "</listen>" + policy + "</busconfig>\n";
  if (!fstest::MakeFile(config, text)) return;
  FDaemon = std::make_unique<TChild>(
      std::vector<std::string>{"dbus-daemon", "--config-file=" + config, "--nofork", "--print-address=1"},
      std::string());
  if (FDaemon->Started()) FAddress = FDaemon->FirstLine();
  if (FAddress.empty()) return;
  const char* earlier = getenv("DBUS_SESSION_BUS_ADDRESS");
  FHadEarlierAddress = earlier != nullptr;
  if (earlier) FEarlierAddress = earlier;
  setenv("DBUS_SESSION_BUS_ADDRESS", FAddress.c_str(), 1);
  if (!ServesThisProcess()) {
    RestoreEarlierAddress();
    FAddress.clear();
  }
}

bool TPrivateSessionBus::ServesThisProcess() const {
  // A process keeps its first session connection for good: when an earlier test connected it
  // to a bus of its own, this bus cannot serve the process.
  GDBusConnection* shared = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
  if (!shared) return false;
  const bool ours = !g_dbus_connection_is_closed(shared) &&
                    FAddress.find(std::string("guid=") + g_dbus_connection_get_guid(shared)) != std::string::npos;
  g_object_unref(shared);
  return ours;
}

void TPrivateSessionBus::RestoreEarlierAddress() {
  if (FHadEarlierAddress)
    setenv("DBUS_SESSION_BUS_ADDRESS", FEarlierAddress.c_str(), 1);
  else
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
}

TPrivateSessionBus::~TPrivateSessionBus() {
  if (FAddress.empty()) return;
  // The process's shared session connection ends the process when its bus goes away, and
  // here the bus going away is expected.
  if (GDBusConnection* shared = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr)) {
    g_dbus_connection_set_exit_on_close(shared, FALSE);
    g_object_unref(shared);
  }
  RestoreEarlierAddress();
}

}  // namespace gtktest
