// The slots of the window host's services, and installing a backend's services at once.
#include "platform/Services.h"

#include "platform/Clipboard.h"
#include "platform/Dialogs.h"
#include "platform/DirWatch.h"
#include "platform/FileOps.h"
#include "platform/Icons.h"
#include "platform/ServiceSlot.h"
#include "platform/Shell.h"
#include "platform/Sound.h"
#include "platform/Trash.h"
#include "platform/UiLoop.h"
#include "platform/Volumes.h"

namespace platform {

namespace {
TServiceSlot<Clipboard> gClipboard;
TServiceSlot<Dialogs> gDialogs;
TServiceSlot<Sound> gSound;
}  // namespace

void SetClipboard(Clipboard* clipboard) { gClipboard.Set(clipboard); }
Clipboard& TheClipboard() { return gClipboard.Get(); }
void SetDialogs(Dialogs* dialogs) { gDialogs.Set(dialogs); }
Dialogs& TheDialogs() { return gDialogs.Get(); }
void SetSound(Sound* sound) { gSound.Set(sound); }
Sound& TheSound() { return gSound.Get(); }

void InstallServices(const TServices& s) {
  SetUiLoop(s.Loop);
  SetClipboard(s.Clip);
  SetDialogs(s.Dialog);
  SetSound(s.Audio);
  SetVolumes(s.Drives);
  SetShell(s.Desktop);
  SetTrash(s.Bin);
  SetFileOpUi(s.OpUi);
  SetDirWatcher(s.Watcher);
  SetFileOps(s.Ops);
  SetIcons(s.Pictures);
}

void UninstallServices() {
  SetIcons(nullptr);
  SetFileOps(nullptr);
  SetDirWatcher(nullptr);
  SetFileOpUi(nullptr);
  SetTrash(nullptr);
  SetShell(nullptr);
  SetVolumes(nullptr);
  SetSound(nullptr);
  SetDialogs(nullptr);
  SetClipboard(nullptr);
  SetUiLoop(nullptr);
}

}  // namespace platform
