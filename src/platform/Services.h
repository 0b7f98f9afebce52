// Installing a backend's services in one step: every service a backend provides, installed
// with the loop first and uninstalled in reverse order, so a backend lists them once.
#pragma once

namespace platform {

class UiLoop;
class Clipboard;
class Dialogs;
class Sound;
class Volumes;
class Shell;
class Trash;
class FileOpUi;
class TDirWatcher;
class TFileOps;
class Icons;

struct TServices {
  UiLoop* Loop = nullptr;
  Clipboard* Clip = nullptr;
  Dialogs* Dialog = nullptr;
  Sound* Audio = nullptr;
  Volumes* Drives = nullptr;
  Shell* Desktop = nullptr;
  Trash* Bin = nullptr;
  FileOpUi* OpUi = nullptr;
  TDirWatcher* Watcher = nullptr;
  TFileOps* Ops = nullptr;
  Icons* Pictures = nullptr;
};

void InstallServices(const TServices& services);
void UninstallServices();

}  // namespace platform
