// A temporary application folder with a Data folder, made the current path context, with the
// headless volumes and shell installed. Files are named relative to the folder.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "config/NV_PathMacros.h"
#include "platform/headless/HeadlessShell.h"
#include "platform/headless/HeadlessVolumes.h"

namespace config::testing {

class AppFolderTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::string PathOf(std::string_view relative) const { return Root + "/" + std::string(relative); }
  // Writes the file (and its folders) and returns its full path.
  std::string WriteFile(std::string_view relative, std::string_view bytes) const;
  std::string ReadFile(std::string_view relative) const;
  // Makes the application folder the current folder until the test ends, so that code that
  // looks for the application folder finds it.
  void EnterAppFolder();

  std::string Root;      // the application folder
  std::string Settings;  // its Data/Settings.NVS (not made)
  platform::headless::THeadlessVolumes Volumes;
  platform::headless::THeadlessShell Shell;

 private:
  std::string FOldCurrent;
  TPathContext FOldContext;
};

}  // namespace config::testing
