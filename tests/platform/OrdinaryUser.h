// What permissions forbid cannot be seen as root, who may read and write everything. Checks of
// it run as an ordinary user: directly when the tests do, else in a child process that hands
// the test's files to the user "nobody" and becomes that user.
#pragma once

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

namespace fstest {

constexpr uid_t kNobody = 65534;

// Runs Check as an ordinary user; the files below Root (Root included) belong to that user
// while it runs. Check's failures fail the test. False, with Why set, when no ordinary user is
// to be had here: the test should then skip.
inline bool RunAsOrdinaryUser(const std::string& root, const std::function<void()>& check, std::string& why) {
  if (geteuid() != 0) {
    check();
    return true;
  }
  std::error_code ignored;
  if (lchown(root.c_str(), kNobody, kNobody) != 0) {
    why = "could not hand " + root + " to the user nobody";
    return false;
  }
  for (auto it = std::filesystem::recursive_directory_iterator(root, ignored);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ignored))
    if (lchown(it->path().c_str(), kNobody, kNobody) != 0) {
      why = "could not hand " + it->path().string() + " to the user nobody";
      return false;
    }
  fflush(nullptr);  // nothing buffered is written twice
  const pid_t pid = fork();
  if (pid == 0) {
    if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(3);
    check();
    fflush(nullptr);
    // _exit: the test's own clean-up belongs to the parent.
    _exit(::testing::Test::HasFailure() ? 1 : 0);
  }
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid) {
    why = "no child process for the user nobody";
    return false;
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 3) {
    why = "could not become the user nobody";
    return false;
  }
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
      << "the check run as the user nobody failed; its messages are above";
  return true;
}

}  // namespace fstest
