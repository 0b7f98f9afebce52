// The context menu's entries for a selection, and choosing from the headless shell's menu.
#include <gtest/gtest.h>

#include "platform/Shell.h"
#include "platform/headless/HeadlessBackend.h"

using namespace platform;
using namespace platform::headless;

namespace {

// "O W | T C P | D R | I": the entries' initials (D: Move to Trash, I: Properties), an enabled
// one in capitals, separators as "|".
std::string Shape(const std::vector<TMenuEntry>& entries) {
  std::string shape;
  for (const TMenuEntry& e : entries) {
    char c = '|';
    switch (e.Command) {
      case TMenuCommand::mcOpen: c = 'o'; break;
      case TMenuCommand::mcOpenWith: c = 'w'; break;
      case TMenuCommand::mcCut: c = 't'; break;
      case TMenuCommand::mcCopy: c = 'c'; break;
      case TMenuCommand::mcPaste: c = 'p'; break;
      case TMenuCommand::mcTrash: c = 'd'; break;
      case TMenuCommand::mcRename: c = 'r'; break;
      case TMenuCommand::mcProperties: c = 'i'; break;
      case TMenuCommand::mcSeparator: break;
    }
    shape += e.Enabled && c != '|' ? char(c - 'a' + 'A') : c;
  }
  return shape;
}

TContextMenuActions AllActions(std::vector<std::string>* log) {
  TContextMenuActions a;
  a.Open = [log] { log->push_back("open"); };
  a.Cut = [log] { log->push_back("cut"); };
  a.Copy = [log] { log->push_back("copy"); };
  a.Paste = [log] { log->push_back("paste"); };
  a.Trash = [log] { log->push_back("trash"); };
  a.Rename = [log] { log->push_back("rename"); };
  a.Properties = [log] { log->push_back("properties"); };
  a.OpenWith = [log](const std::string& id) { log->push_back("with " + id); };
  return a;
}

}  // namespace

TEST(ContextMenuEntries, WhatIsEnabledFollowsTheSelectionAndTheActions) {
  std::vector<std::string> log;
  const TContextMenuActions all = AllActions(&log);
  const std::vector<TAppInfo> apps{{"ed.desktop", "Text_Editor", "ed", "", true}, {"vi.desktop", "Vi", "vi", "", false}};
  TContextMenuActions noPaste = all;
  noPaste.Paste = nullptr;
  TContextMenuActions noOpenWith = all;
  noOpenWith.OpenWith = nullptr;
  struct TCase {
    size_t Names;
    const std::vector<TAppInfo>* Apps;
    const TContextMenuActions* Actions;
    const char* Shape;
  };
  const std::vector<TAppInfo> none;
  const TCase cases[] = {
      {1, &apps, &all, "OW|TCP|DR|I"},
      {3, &apps, &all, "OW|TCP|Dr|I"},        // renaming takes one name
      {0, &apps, &all, "ow|tcP|dr|i"},        // the folder's background: only paste
      {1, &none, &all, "Ow|TCP|DR|I"},        // nothing opens this type
      {1, &apps, &noPaste, "OW|TCp|DR|I"},
      {1, &apps, &noOpenWith, "Ow|TCP|DR|I"},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(Shape(ContextMenuEntries(c.Names, *c.Apps, *c.Actions)), c.Shape) << c.Shape;
  const std::vector<TMenuEntry> menu = ContextMenuEntries(1, apps, all);
  ASSERT_EQ(menu[1].Submenu.size(), 2u);
  EXPECT_EQ(menu[1].Submenu[0].Caption, "Text__Editor");  // not an access key
  EXPECT_EQ(menu[1].Submenu[1].AppId, "vi.desktop");
  RunMenuEntry(menu[1].Submenu[1], all);
  RunMenuEntry(ContextMenuEntries(2, apps, all)[8], all);  // a disabled Rename does nothing
  EXPECT_EQ(log, (std::vector<std::string>{"with vi.desktop"}));
}

TEST(HeadlessContextMenu, ChoosingRunsTheActionOnceAndClosesTheMenu) {
  THeadlessBackend backend;
  THeadlessShell& shell = backend.Shell;
  shell.ContentTypes["/docs/a.txt"] = "text/plain";
  shell.Apps["text/plain"] = {{"ed.desktop", "Editor", "ed", "", true}};
  std::vector<std::string> log;
  shell.ContextMenu("/docs", {"a.txt", "b.txt"}, 10, 20, AllActions(&log));
  ASSERT_EQ(shell.Calls().size(), 1u);
  EXPECT_EQ(shell.Calls()[0].Verb, TShellVerb::svContextMenu);
  EXPECT_EQ(shell.Calls()[0].Args, (std::vector<std::string>{"a.txt", "b.txt"}));
  EXPECT_FALSE(shell.ChooseFromMenu(TMenuCommand::mcRename));  // two names
  EXPECT_FALSE(shell.ChooseFromMenu(TMenuCommand::mcOpenWith, "other.desktop"));
  EXPECT_TRUE(shell.ChooseFromMenu(TMenuCommand::mcOpenWith, "ed.desktop"));
  EXPECT_TRUE(shell.MenuEntries().empty());
  EXPECT_FALSE(shell.ChooseFromMenu(TMenuCommand::mcCopy));  // closed
  EXPECT_EQ(log, (std::vector<std::string>{"with ed.desktop"}));
}
