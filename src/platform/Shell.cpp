#include "platform/Shell.h"

#include "platform/ServiceSlot.h"

namespace platform {

namespace {
TServiceSlot<Shell> gShell;
}

void SetShell(Shell* shell) { gShell.Set(shell); }
Shell& TheShell() { return gShell.Get(); }

std::vector<TMenuEntry> ContextMenuEntries(size_t nameCount, const std::vector<TAppInfo>& apps,
                                           const TContextMenuActions& actions) {
  const bool any = nameCount > 0;
  auto entry = [](TMenuCommand command, const char* caption, bool enabled) {
    TMenuEntry item;
    item.Command = command;
    item.Caption = caption;
    item.Enabled = enabled;
    return item;
  };
  const TMenuEntry separator;
  TMenuEntry openWith = entry(TMenuCommand::mcOpenWith, "Open _With", false);
  if (any && actions.OpenWith)
    for (const TAppInfo& app : apps) {
      TMenuEntry item = entry(TMenuCommand::mcOpenWith, app.Name.c_str(), true);
      item.AppId = app.Id;
      openWith.Submenu.push_back(std::move(item));
    }
  openWith.Enabled = !openWith.Submenu.empty();
  // Underscores in application names are their own, not access keys.
  for (TMenuEntry& item : openWith.Submenu) {
    std::string caption;
    for (char c : item.Caption) caption += c == '_' ? std::string("__") : std::string(1, c);
    item.Caption = caption;
  }
  return {entry(TMenuCommand::mcOpen, "_Open", any && bool(actions.Open)),
          std::move(openWith),
          separator,
          entry(TMenuCommand::mcCut, "Cu_t", any && bool(actions.Cut)),
          entry(TMenuCommand::mcCopy, "_Copy", any && bool(actions.Copy)),
          entry(TMenuCommand::mcPaste, "_Paste", bool(actions.Paste)),
          separator,
          entry(TMenuCommand::mcTrash, "Move to _Trash", any && bool(actions.Trash)),
          entry(TMenuCommand::mcRename, "_Rename", nameCount == 1 && bool(actions.Rename)),
          separator,
          entry(TMenuCommand::mcProperties, "P_roperties", any && bool(actions.Properties))};
}

void RunMenuEntry(const TMenuEntry& entry, const TContextMenuActions& actions) {
  if (!entry.Enabled) return;
  auto run = [](const std::function<void()>& action) {
    if (action) action();
  };
  switch (entry.Command) {
    case TMenuCommand::mcOpen: run(actions.Open); break;
    case TMenuCommand::mcOpenWith:
      if (actions.OpenWith && !entry.AppId.empty()) actions.OpenWith(entry.AppId);
      break;
    case TMenuCommand::mcCut: run(actions.Cut); break;
    case TMenuCommand::mcCopy: run(actions.Copy); break;
    case TMenuCommand::mcPaste: run(actions.Paste); break;
    case TMenuCommand::mcTrash: run(actions.Trash); break;
    case TMenuCommand::mcRename: run(actions.Rename); break;
    case TMenuCommand::mcProperties: run(actions.Properties); break;
    case TMenuCommand::mcSeparator: break;
  }
}

}  // namespace platform
