// The progress window of a file operation on a (virtual) display: it appears only after the
// delay, its Cancel button reaches the operation, and it goes with its view.
#include <gtest/gtest.h>

#include "GtkTestSupport.h"
#include "platform/gtk/GtkProgressWindow.h"

using namespace platform;
using namespace platform::gtk;
using gtktest::PumpUntil;
using gtktest::RunPumping;

namespace {

class GtkProgressWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string& reason = gtktest::DisplayUnavailableReason();
    if (!reason.empty()) GTEST_SKIP() << reason;
    if (!gtktest::HaveProgram("xdotool"))
      GTEST_SKIP() << "xdotool is needed to find and press the window";
    Backend = TGtkBackend::Init();
    ASSERT_TRUE(Backend) << "the display did not accept a connection";
  }

  // The X id of the window titled Title, or empty when there is none.
  std::string Find(const std::string& title, bool wait) {
    std::vector<std::string> argv{"xdotool", "search"};
    if (wait) argv.push_back("--sync");
    argv.insert(argv.end(), {"--name", "^" + title + "$"});
    const auto found = RunPumping(Backend->Loop, argv);
    return found.Output.substr(0, found.Output.find('\n'));
  }

  std::unique_ptr<TGtkBackend> Backend;
  TGtkFileOpUi Ui;
};

}  // namespace

TEST_F(GtkProgressWindowTest, AppearsAfterTheDelayAndItsCancelReachesTheOperation) {
  int cancels = 0;
  auto view = Ui.Open(TFileOpKind::okMove, 3, [&] { ++cancels; });
  view->Progress({1 << 20, 4 << 20, 1, 3, "/somewhere/a file"});
  // A search takes milliseconds, far less than the delay: short work shows no window.
  EXPECT_TRUE(Find("Moving 3 items", false).empty());
  const std::string id = Find("Moving 3 items", true);
  ASSERT_FALSE(id.empty()) << "the progress window never appeared";
  // Cancel is the window's only control, so it has the keyboard focus.
  ASSERT_EQ(RunPumping(Backend->Loop,
                       {"xdotool", "windowfocus", "--sync", id, "key", "--window", id, "space"})
                .ExitCode,
            0);
  EXPECT_TRUE(PumpUntil(Backend->Loop, [&] { return cancels == 1; }));
  view.reset();
  EXPECT_TRUE(PumpUntil(Backend->Loop, [&] { return Find("Moving 3 items", false).empty(); }));
}
