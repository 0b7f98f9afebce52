// The desktop's trash through GIO. Entries go where every other program puts them (the user's
// trash, or the trash folder of their own drive), so the desktop's file manager lists and
// restores them. Counting and emptying use the trash:/// location, which covers every drive's
// trash, when the desktop serves it; without it they use the user's trash folder directly.
#pragma once

#include "platform/Trash.h"

namespace platform::gtk {

class TGioTrash : public Trash {
 public:
  TTrashMove Move(const std::string& path, std::string& error) override;
  TTrashInfo Info() override;
  bool Empty(std::string& error) override;
  // trash:/// where it is served, else the user's trash folder of trashed entries.
  std::string Location() override;
  // The user's trash folder (its "files" and "info" inside), in the user's data folder.
  std::string HomeTrashFolder() const;
};

}  // namespace platform::gtk
