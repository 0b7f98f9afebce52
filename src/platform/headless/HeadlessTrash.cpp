#include "platform/headless/HeadlessTrash.h"

namespace platform::headless {

TTrashMove THeadlessTrash::Move(const std::string& path, std::string& error) {
  if (Folder.empty()) {
    error = "the test set no trash folder";
    return TTrashMove::tmFailed;
  }
  for (const std::string& folder : NoTrashUnder)
    if (path.compare(0, folder.size(), folder) == 0 &&
        (path.size() == folder.size() || path[folder.size()] == '/' || folder.back() == '/'))
      return TTrashMove::tmUnsupported;
  return trashfolder::Move(Folder, path, error);
}

TTrashInfo THeadlessTrash::Info() { return Folder.empty() ? TTrashInfo{} : trashfolder::Info(Folder); }

bool THeadlessTrash::Empty(std::string& error) {
  return Folder.empty() || trashfolder::Empty(Folder, error);
}

}  // namespace platform::headless
