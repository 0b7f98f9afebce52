// The GIO trash in a private data folder: entries land where the desktop's own tools find them.
// Needs no display.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "../platform/TempFolder.h"
#include "GtkTestSupport.h"
#include "platform/gtk/GioTrash.h"

using namespace platform;
using fstest::Exists;
using fstest::ReadFile;
using fstest::TTempFolder;
using platform::gtk::TGioTrash;

namespace {

struct TRun {
  int ExitCode = -1;
  std::string Output;
};

// Runs Argv (found on PATH) and collects its standard output; no shell in between.
TRun RunProgram(const std::vector<std::string>& argv) {
  int out[2];
  if (pipe(out) != 0) return {};
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  close(out[1]);
  TRun run;
  char buffer[4096];
  for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;)
    run.Output.append(buffer, size_t(n));
  close(out[0]);
  int status = 0;
  if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status))
    run.ExitCode = WEXITSTATUS(status);
  return run;
}

class GioTrashTest : public ::testing::Test {
 protected:
  // GIO takes the user's data folder from the environment once per process: one private data
  // folder serves every test of the suite, and each test starts with an empty trash. The suite
  // brings its own session bus, so the desktop's trash service it starts works in that folder
  // too; without one, GIO stays local. Either way the user's own trash is never touched.
  static void SetUpTestSuite() {
    Data = new TTempFolder;
    setenv("XDG_DATA_HOME", Data->Path("data").c_str(), 1);
    Bus = new gtktest::TPrivateSessionBus(Data->Folder("bus"), true);
    if (Bus->Address().empty()) {
      unsetenv("DBUS_SESSION_BUS_ADDRESS");
      setenv("GIO_USE_VFS", "local", 1);
    }
  }
  static void TearDownTestSuite() {
    delete Bus;
    Bus = nullptr;
    delete Data;
    Data = nullptr;
  }
  void SetUp() override {
    if (Trash.HomeTrashFolder() != Data->Path("data/Trash"))
      GTEST_SKIP()
          << "GIO fixed the user's data folder earlier in this process; run this suite on its own";
    std::string error;
    ASSERT_TRUE(Trash.Empty(error)) << error;
  }

  static TTempFolder* Data;
  static gtktest::TPrivateSessionBus* Bus;
  TTempFolder Tmp;
  TGioTrash Trash;
};

TTempFolder* GioTrashTest::Data = nullptr;
gtktest::TPrivateSessionBus* GioTrashTest::Bus = nullptr;

}  // namespace

TEST_F(GioTrashTest, TrashedFileIsRecordedCountedAndEmptied) {
  const std::string file = Tmp.File("docs/paper 1.txt", "paper");
  std::string error;
  ASSERT_EQ(Trash.Move(file, error), TTrashMove::tmMoved) << error;
  EXPECT_FALSE(Exists(file));
  const std::string home = Trash.HomeTrashFolder();
  EXPECT_EQ(ReadFile(home + "/files/paper 1.txt"), "paper");
  EXPECT_EQ(trashfolder::OriginalPath(home, "paper 1.txt"), file);
  const TTrashInfo info = Trash.Info();
  EXPECT_EQ(info.Count, 1u);
  EXPECT_EQ(info.Bytes, 5u);
  EXPECT_FALSE(Trash.Location().empty());
  ASSERT_TRUE(Trash.Empty(error)) << error;
  EXPECT_EQ(Trash.Info().Count, 0u);
  EXPECT_FALSE(Exists(home + "/files/paper 1.txt"));
}

TEST_F(GioTrashTest, MissingFileFailsWithAReason) {
  std::string error;
  EXPECT_EQ(Trash.Move(Tmp.Path("missing"), error), TTrashMove::tmFailed);
  EXPECT_FALSE(error.empty());
}

TEST_F(GioTrashTest, ADriveWithoutATrashIsReportedAndItsFileLeftAlone) {
  if (access("/dev/shm", W_OK) != 0) GTEST_SKIP() << "/dev/shm is missing";
  TTempFolder shm("/dev/shm");  // memory, a mount GIO keeps no trash on
  const std::string file = shm.File("f.txt", "kept");
  std::string error;
  EXPECT_EQ(Trash.Move(file, error), TTrashMove::tmUnsupported) << error;
  EXPECT_EQ(ReadFile(file), "kept");
}

TEST_F(GioTrashTest, TheDesktopsToolListsAndRestoresWhatWeTrashed) {
  if (RunProgram({"gio", "version"}).ExitCode != 0) GTEST_SKIP() << "the gio program is not installed";
  if (RunProgram({"gio", "trash", "--list"}).ExitCode != 0)
    GTEST_SKIP() << "gio trash --list needs the desktop's trash service (trash:///, from gvfs), "
                    "which this machine does not run";
  const std::string file = Tmp.File("docs/restore-me.txt", "back");
  std::string error;
  ASSERT_EQ(Trash.Move(file, error), TTrashMove::tmMoved) << error;
  const TRun listed = RunProgram({"gio", "trash", "--list"});
  ASSERT_EQ(listed.ExitCode, 0);
  EXPECT_NE(listed.Output.find(file), std::string::npos) << listed.Output;
  EXPECT_EQ(RunProgram({"gio", "trash", "--restore", "trash:///restore-me.txt"}).ExitCode, 0);
  EXPECT_EQ(ReadFile(file), "back");
}
