// The test backend's trash: a trash folder the test chooses (inside its temporary folder), kept
// in the layout desktops use. Entries on another file system have no trash, as on a real desktop
// without one for that drive; so have entries below any folder of NoTrashUnder.
#pragma once

#include <string>
#include <vector>

#include "platform/Trash.h"

namespace platform::headless {

class THeadlessTrash : public Trash {
 public:
  THeadlessTrash() = default;
  explicit THeadlessTrash(std::string folder) : Folder(std::move(folder)) {}

  // Both are set before use and only read afterwards, from any thread. Without a folder
  // nothing can be trashed.
  std::string Folder;
  std::vector<std::string> NoTrashUnder;

  TTrashMove Move(const std::string& path, std::string& error) override;
  TTrashInfo Info() override;
  bool Empty(std::string& error) override;
  std::string Location() override { return Folder; }
};

}  // namespace platform::headless
