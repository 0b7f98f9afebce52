#include "GtkTestSupport.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

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

}  // namespace gtktest
