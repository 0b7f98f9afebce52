#include "platform/headless/HeadlessShell.h"

#include "platform/Fs.h"

namespace platform::headless {

namespace {
template <typename K>
std::string ValueOr(const std::map<K, std::string>& map, const K& key) {
  auto it = map.find(key);
  return it == map.end() ? std::string() : it->second;
}
}  // namespace

std::string THeadlessShell::DefaultProgramFor(const std::string& ext) {
  std::string key = ext;
  for (char& c : key)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return ValueOr(Programs, key);
}

std::string THeadlessShell::ShortcutTarget(const std::string& linkFile) {
  std::string target = Fs::SymlinkTarget(linkFile);
  return target.empty() ? ValueOr(Targets, linkFile) : target;
}

std::string THeadlessShell::SpecialFolder(TSpecialFolder folder) {
  return ValueOr(Folders, folder);
}

bool THeadlessShell::Record(TShellCall call, std::string& error) {
  std::lock_guard<std::mutex> guard(FLock);
  FCalls.push_back(std::move(call));
  if (FailWith.empty()) return true;
  error = FailWith;
  return false;
}

bool THeadlessShell::Open(const std::string& path, std::string& error) {
  return Record({TShellVerb::svOpen, path, {}, {}}, error);
}

bool THeadlessShell::Launch(const std::string& program, const std::vector<std::string>& args,
                            const std::string& workDir, std::string& error) {
  return Record({TShellVerb::svLaunch, program, args, workDir}, error);
}

bool THeadlessShell::ShowInFileBrowser(const std::vector<std::string>& paths, std::string& error) {
  return Record({TShellVerb::svShowInFileBrowser, {}, paths, {}}, error);
}

std::string THeadlessShell::ContentTypeOf(const std::string& path) {
  return ValueOr(ContentTypes, path);
}

std::vector<TAppInfo> THeadlessShell::AppsFor(const std::string& contentType) {
  auto it = Apps.find(contentType);
  return it == Apps.end() ? std::vector<TAppInfo>() : it->second;
}

bool THeadlessShell::OpenWith(const std::string& appId, const std::vector<std::string>& paths,
                              std::string& error) {
  return Record({TShellVerb::svOpenWith, appId, paths, {}}, error);
}

void THeadlessShell::ContextMenu(const std::string& folder, const std::vector<std::string>& names, int,
                                 int, TContextMenuActions actions) {
  std::string ignored;
  Record({TShellVerb::svContextMenu, folder, names, {}}, ignored);
  std::vector<TAppInfo> apps =
      names.empty() ? std::vector<TAppInfo>() : AppsFor(ContentTypeOf(folder + "/" + names[0]));
  FMenu = ContextMenuEntries(names.size(), apps, actions);
  FMenuActions = std::move(actions);
}

void THeadlessShell::ShowProperties(const std::vector<std::string>& paths) {
  std::string ignored;
  Record({TShellVerb::svProperties, {}, paths, {}}, ignored);
}

std::vector<TMenuEntry> THeadlessShell::MenuEntries() const { return FMenu; }

bool THeadlessShell::ChooseFromMenu(TMenuCommand command, const std::string& appId) {
  for (const TMenuEntry& entry : FMenu) {
    const std::vector<TMenuEntry>& choices = entry.Submenu.empty() ? std::vector<TMenuEntry>{entry} : entry.Submenu;
    for (const TMenuEntry& choice : choices)
      if (choice.Command == command && choice.Enabled && choice.AppId == appId) {
        // The menu closes before its action runs, as a real one does.
        TContextMenuActions actions = std::move(FMenuActions);
        FMenu.clear();
        FMenuActions = {};
        RunMenuEntry(choice, actions);
        return true;
      }
  }
  return false;
}

std::vector<TShellCall> THeadlessShell::Calls() const {
  std::lock_guard<std::mutex> guard(FLock);
  return FCalls;
}

void THeadlessShell::ClearCalls() {
  std::lock_guard<std::mutex> guard(FLock);
  FCalls.clear();
}

}  // namespace platform::headless
