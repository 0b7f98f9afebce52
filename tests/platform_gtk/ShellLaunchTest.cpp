// Starting programs, launchers and the file browser through the real shell. Programs here are
// small scripts in the test's temporary folder that write down what they were given; nothing on
// the machine is opened. Needs no display. The file's name sorts after the trash tests' on
// purpose: run in one process, those must be the first to make GIO read the user's folders.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "../platform/TempFolder.h"
#include "GtkTestSupport.h"
#include "platform/gtk/GioShell.h"
#include "platform/gtk/GtkLoop.h"

extern char** environ;

using namespace platform;
using fstest::Exists;
using fstest::ReadFile;
using fstest::TTempFolder;
using platform::gtk::TGioShell;
using platform::gtk::TGtkLoop;

namespace {

// A script that writes its working folder and then each argument on a line of its own into
// the file its first argument names (all at once, so a reader never sees half of it).
const char* kRecorder =
    "#!/bin/sh\n"
    "out=\"$1\"; shift\n"
    "pwd > \"$out.part\"\n"
    "for a in \"$@\"; do printf '%s\\n' \"$a\" >> \"$out.part\"; done\n"
    "mv \"$out.part\" \"$out\"\n";

std::string MakeRecorder(const TTempFolder& tmp) {
  std::string script = tmp.File("bin/recorder", kRecorder);
  chmod(script.c_str(), 0755);
  return script;
}

// Waits, pumping Loop, until the file at Path exists; what it holds, or "<missing>".
std::string AwaitFile(TGtkLoop& loop, const std::string& path) {
  gtktest::PumpUntil(loop, [&] { return Exists(path); }, 10000);
  return ReadFile(path);
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

}  // namespace

TEST(GioShellLaunch, ArgumentsArriveAsTheyAreAndNoShellReadsThem) {
  TTempFolder tmp;
  TGtkLoop loop;
  TGioShell shell;
  const std::string script = MakeRecorder(tmp);
  const std::string work = tmp.Folder("work dir");
  const std::string out = tmp.Path("out");
  const std::vector<std::string> tricky{"two words", "$(touch pwned)", "; touch pwned2", "*", "", "'\"\\"};
  std::vector<std::string> args{out};
  args.insert(args.end(), tricky.begin(), tricky.end());
  std::string error;
  ASSERT_TRUE(shell.Launch(script, args, work, error)) << error;
  std::vector<std::string> expected{work};
  expected.insert(expected.end(), tricky.begin(), tricky.end());
  EXPECT_EQ(AwaitFile(loop, out), Lines(expected));
  EXPECT_FALSE(Exists(work + "/pwned") || Exists(work + "/pwned2") || Exists(tmp.Path("pwned")));
}

TEST(GioShellLaunch, ProgramsThatCannotStartSayWhy) {
  TTempFolder tmp;
  TGioShell shell;
  const std::string plain = tmp.File("notes.txt", "not a program");
  const std::string script = MakeRecorder(tmp);
  struct TCase {
    std::string Program, WorkDir;
  } cases[] = {{plain, ""},
               {tmp.Path("missing"), ""},
               {"no-such-program-anywhere-norvo", ""},
               {"", ""},
               {script, tmp.Path("no such folder")},
               {tmp.File("broken.desktop", "[Desktop Entry]\nType=Application\n"), ""}};
  for (const TCase& c : cases) {
    std::string error;
    EXPECT_FALSE(shell.Launch(c.Program, {tmp.Path("out")}, c.WorkDir, error)) << c.Program;
    EXPECT_FALSE(error.empty()) << c.Program;
  }
  EXPECT_FALSE(Exists(tmp.Path("out")));
}

TEST(GioShellLaunch, ALauncherGetsFilesAndStartsInTheWorkingFolderUnlessItNamesItsOwn) {
  TTempFolder tmp;
  TGtkLoop loop;
  TGioShell shell;
  const std::string script = MakeRecorder(tmp);
  const std::string work = tmp.Folder("work");
  const std::string own = tmp.Folder("own");
  auto launcher = [&](const std::string& name, const std::string& out, const std::string& extra) {
    return tmp.File(name, "[Desktop Entry]\nType=Application\nName=Recorder\nExec=\"" + script +
                              "\" \"" + out + "\" %F\n" + extra);
  };
  std::string error;
  const std::string first = tmp.Path("first");
  ASSERT_TRUE(shell.Launch(launcher("a.desktop", first, ""), {"a file.txt", "/abs/b"}, work, error)) << error;
  EXPECT_EQ(AwaitFile(loop, first), Lines({work, work + "/a file.txt", "/abs/b"}));

  const std::string second = tmp.Path("second");
  ASSERT_TRUE(shell.Launch(launcher("b.desktop", second, "Path=" + own + "\n"), {}, work, error)) << error;
  EXPECT_EQ(AwaitFile(loop, second), Lines({own}));

  // Opening a launcher starts it; OpenWith takes a launcher's file as well as an id.
  const std::string third = tmp.Path("third");
  ASSERT_TRUE(shell.Open(launcher("c.desktop", third, "Path=" + own + "\n"), error)) << error;
  EXPECT_EQ(AwaitFile(loop, third), Lines({own}));
  const std::string fourth = tmp.Path("fourth");
  ASSERT_TRUE(shell.OpenWith(launcher("d.desktop", fourth, "Path=" + own + "\n"), {"/x/y z"}, error)) << error;
  EXPECT_EQ(AwaitFile(loop, fourth), Lines({own, "/x/y z"}));
  EXPECT_FALSE(shell.OpenWith("no-such-app-norvo.desktop", {"/x"}, error));
}


// On a private session bus where no file browser serves ShowItems, the call goes out with the
// entries' URIs and then the folders that hold them are opened instead. (GDBus talks to the bus
// from a thread of its own.)
TEST(GioShellFileBrowserThread, ShowItemsGoesToTheBusThenFallsBackToTheFolders) {
  if (!gtktest::HaveProgram("dbus-daemon") || !gtktest::HaveProgram("dbus-monitor"))
    GTEST_SKIP() << "needs dbus-daemon and dbus-monitor";
  TTempFolder tmp;
  gtktest::TPrivateSessionBus bus(tmp.Root(), false);
  const std::string address = bus.Address();
  if (address.empty())
    GTEST_SKIP() << "no private session bus: dbus-daemon did not start, or an earlier test in this "
                    "process bound it to its own; run this test on its own";
  TGtkLoop loop;
  const std::string monitorLog = tmp.Path("monitor.log");
  gtktest::TChild monitor({"dbus-monitor", "--address", address, "interface='org.freedesktop.FileManager1'"}, monitorLog);
  ASSERT_TRUE(gtktest::PumpUntil(loop, [&] { return ReadFile(monitorLog).find("NameAcquired") != std::string::npos; }));

  auto opened = std::make_shared<std::vector<std::string>>();
  TGioShell shell;
  shell.OpenFolder = [opened](const std::string& folder, std::string&) {
    opened->push_back(folder);
    return true;
  };
  const std::string docs = tmp.Folder("docs");
  std::string error;
  ASSERT_TRUE(shell.ShowInFileBrowser({docs + "/a b.txt", docs + "/c.txt", tmp.Path("other/d")}, error)) << error;
  EXPECT_TRUE(gtktest::PumpUntil(loop, [&] { return !opened->empty(); }, 15000));
  EXPECT_EQ(*opened, (std::vector<std::string>{docs, tmp.Path("other")}));
  EXPECT_TRUE(gtktest::PumpUntil(loop, [&] { return ReadFile(monitorLog).find("c.txt") != std::string::npos; }));
  const std::string log = ReadFile(monitorLog);
  EXPECT_NE(log.find("member=ShowItems"), std::string::npos) << log;
  EXPECT_NE(log.find("\"file://" + docs + "/a%20b.txt\""), std::string::npos) << log;

  EXPECT_FALSE(shell.ShowInFileBrowser({"relative/path"}, error));
}

namespace {

// The applications of a content type come from the desktop entries in the user's data folder
// and the defaults in the user's mimeapps.list. GIO reads the names of those folders once per
// process, so the suite runs in a child of this test program that is given its own folders.
constexpr const char* kChildMark = "NORVO_GIO_APPS_CHILD";

class GioShellApps : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!getenv(kChildMark)) GTEST_SKIP() << "runs in the child that GioShellAppsChild starts";
  }
  TGioShell Shell;
};

}  // namespace

TEST_F(GioShellApps, TheDefaultComesFirstThenTheOthers) {
  std::vector<TAppInfo> apps = Shell.AppsFor("application/x-norvo-probe");
  ASSERT_EQ(apps.size(), 2u);
  EXPECT_EQ(apps[0].Id, "norvo-beta.desktop");
  EXPECT_TRUE(apps[0].IsDefault);
  EXPECT_EQ(apps[0].Name, "norvo-beta");
  EXPECT_EQ(apps[0].Icon, "text-x-generic");
  EXPECT_EQ(apps[1].Id, "norvo-alpha.desktop");
  EXPECT_FALSE(apps[1].IsDefault);
  EXPECT_TRUE(Shell.AppsFor("application/x-norvo-nobody-opens-this").empty());
  EXPECT_TRUE(Shell.AppsFor("").empty());
}

TEST(GioShellAppsChild, RunsTheApplicationTestsWithTheirOwnFolders) {
  TTempFolder home;
  for (const char* id : {"norvo-alpha", "norvo-beta"})
    home.File(std::string("data/applications/") + id + ".desktop",
              std::string("[Desktop Entry]\nType=Application\nName=") + id +
                  "\nExec=true %F\nIcon=text-x-generic\nMimeType=application/x-norvo-probe;\n");
  // What the desktop's database tool writes for them: GIO reads associations only from there.
  home.File("data/applications/mimeinfo.cache",
            "[MIME Cache]\napplication/x-norvo-probe=norvo-alpha.desktop;norvo-beta.desktop;\n");
  home.File("config/mimeapps.list", "[Default Applications]\napplication/x-norvo-probe=norvo-beta.desktop\n");
  const std::string log = home.Path("child.log");
  {
    gtktest::TChild child({"/proc/self/exe", "--gtest_filter=GioShellApps.*"}, log,
                 {"XDG_DATA_HOME=" + home.Path("data"), "XDG_CONFIG_HOME=" + home.Path("config"),
                  std::string(kChildMark) + "=1"});
    ASSERT_TRUE(child.Started());
    EXPECT_EQ(child.Wait(), 0) << ReadFile(log);
  }
  const std::string output = ReadFile(log);
  EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
  EXPECT_EQ(output.find("SKIPPED"), std::string::npos) << output;
}
