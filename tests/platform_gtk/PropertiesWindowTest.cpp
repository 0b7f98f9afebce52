// The properties window on the real display: quick facts at once, the size once counted.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "GtkTestSupport.h"
#include "platform/gtk/GtkPropertiesWindow.h"

using namespace platform::gtk;

TEST(PropertiesWindow, ShowsTheFactsAndTheCountedSize) {
  const std::string& reason = gtktest::DisplayUnavailableReason();
  if (!reason.empty()) GTEST_SKIP() << reason;
  auto backend = TGtkBackend::Init();
  ASSERT_TRUE(backend);
  const std::filesystem::path root = std::filesystem::temp_directory_path() / ("norvo-props-" + std::to_string(getpid()));
  std::filesystem::create_directories(root / "inner");
  std::ofstream(root / "one.txt") << "hello";
  std::ofstream(root / "inner" / "two.txt") << std::string(2000, 'x');

  TGtkPropertiesWindow* window = TGtkPropertiesWindow::Open({root.string()}, nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->Value("Name"), root.filename().string());
  EXPECT_EQ(window->Value("Kind"), "Folder");
  EXPECT_EQ(window->Value("Location"), root.parent_path().string());
  ASSERT_TRUE(gtktest::PumpUntil(backend->Loop, [&] { return !window->Counting(); }));
  EXPECT_EQ(window->Value("Size"), "2.0 KB (2,005 bytes), 2 files, 2 folders");

  // Several paths, closed while the count may still run.
  TGtkPropertiesWindow* both =
      TGtkPropertiesWindow::Open({(root / "one.txt").string(), (root / "inner").string()}, nullptr);
  EXPECT_EQ(both->Value("Name"), "2 items");
  both->Close();
  TGtkPropertiesWindow::CloseAll();
  gtktest::PumpUntil(backend->Loop, [] { return false; }, 100);  // posted counts of gone windows are dropped
  std::filesystem::remove_all(root);
}
