// The context menu as a GTK popup, driven from the keyboard with xdotool. Needs a display.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "../platform/TempFolder.h"
#include "GtkTestSupport.h"
#include "platform/gtk/GioShell.h"
#include "platform/gtk/GtkScreen.h"

using namespace platform;
using platform::gtk::TGioShell;
using platform::gtk::TGtkBackend;

namespace {

class GtkContextMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string& reason = gtktest::DisplayUnavailableReason();
    if (!reason.empty()) GTEST_SKIP() << reason;
    if (!gtktest::HaveProgram("xdotool")) GTEST_SKIP() << "xdotool is needed to press keys";
    Backend = TGtkBackend::Init();
    ASSERT_TRUE(Backend) << "the display did not accept a connection";
    Tmp.File("a.txt", "text");
  }

  // Only Copy and Properties can be chosen: the keys then walk over the disabled entries.
  TContextMenuActions Actions() {
    TContextMenuActions actions;
    actions.Copy = [this] { Log.push_back("copy"); };
    actions.Properties = [this] { Log.push_back("properties"); };
    return actions;
  }

  // Keys sent before the menu holds the keyboard would be lost: wait for its grab first.
  void Keys(const std::vector<std::string>& keys) {
    ASSERT_TRUE(gtktest::PumpUntil(Backend->Loop, [] { return platform::gtk::PopupHoldsInput(); }))
        << "the menu never took the keyboard";
    std::vector<std::string> argv{"xdotool", "sleep", "0.1", "key", "--delay", "50"};
    argv.insert(argv.end(), keys.begin(), keys.end());
    gtktest::RunPumping(Backend->Loop, argv);
  }

  fstest::TTempFolder Tmp;
  std::unique_ptr<TGtkBackend> Backend;
  TGioShell Shell;
  std::vector<std::string> Log;
};

}  // namespace

TEST_F(GtkContextMenuTest, KeysChooseAmongTheEnabledEntriesAndEscapeChoosesNothing) {
  Shell.ContextMenu(Tmp.Root(), {"a.txt"}, 40, 40, Actions());
  Keys({"Down", "Down", "Return"});
  EXPECT_TRUE(gtktest::PumpUntil(Backend->Loop, [&] { return !Log.empty(); }));
  EXPECT_EQ(Log, (std::vector<std::string>{"properties"}));

  Shell.ContextMenu(Tmp.Root(), {"a.txt"}, 40, 40, Actions());
  Keys({"Escape"});
  Shell.ContextMenu(Tmp.Root(), {"a.txt"}, 40, 40, Actions());
  Keys({"Down", "Return"});
  EXPECT_TRUE(gtktest::PumpUntil(Backend->Loop, [&] { return Log.size() >= 2; }));
  EXPECT_EQ(Log, (std::vector<std::string>{"properties", "copy"}));
}
