// The folder's file commands on the headless services and the real file system: the trash is a
// folder inside the test's temporary folder, the clipboard lives in memory, conflict questions
// take scripted answers and the shell records what it was asked to show.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

#include "../platform/OrdinaryUser.h"
#include "../platform/TempFolder.h"
#include "config/NV_LocaleManager.h"
#include "config/NV_PathMacros.h"
#include "config/NV_Settings.h"
#include "data/NV_FileCommands.h"
#include "platform/Clipboard.h"
#include "platform/Fs.h"
#include "platform/headless/HeadlessBackend.h"

namespace {

using platform::TClipFiles;
using platform::TConflictChoice;
using platform::TFileClipOp;
using platform::TFileOpReport;
using platform::TItemOutcome;
using platform::headless::TShellVerb;

constexpr uint64_t kPatienceMs = 60000;  // a hang guard, not a measurement

bool IsFolder(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsLink(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool Mentions(const TFileOpReport& report, const std::string& part) {
  for (const platform::TFileOpItem& item : report.Items)
    for (const std::string& error : item.Errors)
      if (error.find(part) != std::string::npos) return true;
  return false;
}

class FileCommands : public ::testing::Test {
 protected:
  FileCommands() { Backend.Trash.Folder = Tmp.Path("trash"); }

  // The folder the commands work in, spelled as the folder model keeps it.
  std::string Folder() const { return Tmp.Root() + "/"; }

  // Runs the interface thread until every file operation has reported back.
  void FinishOperations() {
    ASSERT_TRUE(Backend.Loop.RunUntil([&] { return Backend.FileOps.Running() == 0; }, kPatienceMs));
  }

  std::optional<TClipFiles> ClipboardFiles() {
    TClipFiles files;
    if (!Backend.Clip.GetFiles(files)) return std::nullopt;
    return files;
  }

  platform::headless::THeadlessBackend Backend{platform::headless::TClock::ckReal};
  fstest::TTempFolder Tmp;
};

TEST_F(FileCommands, FreeFolderNamePassesOverEveryKindOfEntry) {
  struct TCase {
    const char* Label;
    std::vector<std::string> Folders, Files, DanglingLinks;
    const char* Expected;
  };
  const TCase cases[] = {
      {"empty folder", {}, {}, {}, "New Folder"},
      {"name taken", {"New Folder"}, {}, {}, "New Folder (1)"},
      {"name and (1) taken", {"New Folder", "New Folder (1)"}, {}, {}, "New Folder (2)"},
      {"only (1) taken", {"New Folder (1)"}, {}, {}, "New Folder"},
      {"a file holds the name", {}, {"New Folder"}, {}, "New Folder (1)"},
      {"a dangling link holds the name", {}, {}, {"New Folder"}, "New Folder (1)"},
      {"a gap after (2)",
       {"New Folder", "New Folder (1)", "New Folder (3)"},
       {"New Folder (2)"},
       {},
       "New Folder (4)"},
      {"other names do not count",
       {"new folder", "New Folder(1)"},
       {"New Folder (1).txt"},
       {},
       "New Folder"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Label);
    const std::string folder = Tmp.Folder(c.Label) + "/";
    for (const std::string& name : c.Folders) Tmp.Folder(std::string(c.Label) + "/" + name);
    for (const std::string& name : c.Files) Tmp.File(std::string(c.Label) + "/" + name, "keep");
    for (const std::string& name : c.DanglingLinks)
      ASSERT_EQ(symlink("nowhere", (folder + name).c_str()), 0);

    EXPECT_EQ(data::FreeFolderName(folder, "New Folder"), c.Expected);
    // Making the folder takes the same name and leaves what held the others as it was.
    const data::TCreateFolderResult made = data::CreateFolder(folder, false, {});
    ASSERT_TRUE(made) << made.Error.Message();
    EXPECT_EQ(made.Path, folder + c.Expected + "/");
    EXPECT_TRUE(IsFolder(made.Path));
    for (const std::string& name : c.Files) EXPECT_EQ(fstest::ReadFile(folder + name), "keep");
    for (const std::string& name : c.DanglingLinks) EXPECT_TRUE(IsLink(folder + name));
  }
}

TEST_F(FileCommands, PasteGoesIntoTheSelectedFolderElseIntoTheFolder) {
  const struct {
    const char* Folder;
    const char* SelectedFolder;
    const char* Target;
  } cases[] = {
      {"/home/u/Docs/", "", "/home/u/Docs/"},
      {"/home/u/Docs/", "/home/u/Docs/Sub", "/home/u/Docs/Sub"},
      {"/", "/tmp", "/tmp"},
  };
  for (const auto& c : cases) EXPECT_EQ(data::PasteTarget(c.Folder, c.SelectedFolder), c.Target);

  // A copy pasted into a selected folder lands there; the original and the clipboard stay.
  const std::string file = Tmp.File("report.txt", "numbers");
  const std::string sub = Tmp.Folder("Sub");
  ASSERT_TRUE(data::CopyToClipboard({file}));
  ASSERT_TRUE(data::PasteFromClipboard(data::PasteTarget(Folder(), sub)));
  FinishOperations();
  EXPECT_EQ(fstest::ReadFile(sub + "/report.txt"), "numbers");
  EXPECT_EQ(fstest::ReadFile(file), "numbers");
  const std::optional<TClipFiles> still = ClipboardFiles();
  ASSERT_TRUE(still);
  EXPECT_EQ(still->Op, TFileClipOp::fcCopy);
  EXPECT_EQ(still->Paths, std::vector<std::string>{file});
}

TEST_F(FileCommands, ClipboardTakesTheEntriesAsTheFileSystemNamesThem) {
  const std::string link = Tmp.Path("link");
  ASSERT_EQ(symlink(Tmp.Folder("target").c_str(), link.c_str()), 0);
  // Group headers come with empty paths; a folder's path may end with "/".
  ASSERT_TRUE(data::CutToClipboard({"", Tmp.Path("a.txt"), link + "/", ""}));
  std::optional<TClipFiles> files = ClipboardFiles();
  ASSERT_TRUE(files);
  EXPECT_EQ(files->Op, TFileClipOp::fcCut);
  EXPECT_EQ(files->Paths, (std::vector<std::string>{Tmp.Path("a.txt"), link}));

  // Nothing to put there leaves the clipboard as it was.
  EXPECT_FALSE(data::CopyToClipboard({}));
  EXPECT_FALSE(data::CopyToClipboard({""}));
  files = ClipboardFiles();
  ASSERT_TRUE(files);
  EXPECT_EQ(files->Op, TFileClipOp::fcCut);
}

TEST_F(FileCommands, CutAndPasteMovesOnceAndASecondPasteDoesNothing) {
  const std::string a = Tmp.File("a.txt", "alpha");
  const std::string folder = Tmp.Folder("folder");
  Tmp.File("folder/inner.txt", "inner");
  const std::string dst = Tmp.Folder("dst");
  ASSERT_TRUE(data::CutToClipboard({a, folder}));

  std::optional<TFileOpReport> report;
  ASSERT_TRUE(data::PasteFromClipboard(dst, [&](const TFileOpReport& r) { report = r; }));
  // While the move runs, the cut is no longer there to be pasted again.
  EXPECT_FALSE(data::PasteFromClipboard(dst));
  FinishOperations();

  ASSERT_TRUE(report);
  ASSERT_EQ(report->Items.size(), 2u);
  for (const platform::TFileOpItem& item : report->Items)
    EXPECT_EQ(item.Outcome, TItemOutcome::ioDone) << item.Source;
  EXPECT_EQ(fstest::ReadFile(dst + "/a.txt"), "alpha");
  EXPECT_EQ(fstest::ReadFile(dst + "/folder/inner.txt"), "inner");
  EXPECT_FALSE(fstest::Exists(a));
  EXPECT_FALSE(fstest::Exists(folder));

  // The moved files are no longer offered: a second paste starts nothing.
  EXPECT_FALSE(ClipboardFiles());
  const size_t opened = Backend.FileOpUi.Opened;
  EXPECT_FALSE(data::PasteFromClipboard(Tmp.Root()));
  FinishOperations();
  EXPECT_EQ(Backend.FileOpUi.Opened, opened);
  EXPECT_EQ(fstest::ReadFile(dst + "/a.txt"), "alpha");
  EXPECT_FALSE(fstest::Exists(Tmp.Path("a.txt")));
}

TEST_F(FileCommands, ACutThatStaysBehindIsOfferedAgainUnlessTheClipboardChanged) {
  for (const bool clipboardChanged : {false, true}) {
    SCOPED_TRACE(clipboardChanged ? "the user copied text meanwhile" : "clipboard untouched");
    const std::string sub = clipboardChanged ? "changed" : "untouched";
    const std::string moves = Tmp.File(sub + "/moves.txt", "m");
    const std::string stays = Tmp.File(sub + "/stays.txt", "new");
    const std::string dst = Tmp.Folder(sub + "/dst");
    Tmp.File(sub + "/dst/stays.txt", "old");
    Backend.FileOpUi.ConflictAnswers = {{TConflictChoice::ccSkip, false}};
    ASSERT_TRUE(data::CutToClipboard({moves, stays}));
    ASSERT_TRUE(data::PasteFromClipboard(dst));
    if (clipboardChanged) Backend.Clip.SetText("some words");
    FinishOperations();

    EXPECT_EQ(fstest::ReadFile(dst + "/moves.txt"), "m");
    EXPECT_EQ(fstest::ReadFile(dst + "/stays.txt"), "old");
    EXPECT_EQ(fstest::ReadFile(stays), "new");
    const std::optional<TClipFiles> offered = ClipboardFiles();
    if (clipboardChanged) {
      EXPECT_FALSE(offered);
      EXPECT_EQ(Backend.Clip.GetText(), "some words");
    } else {
      ASSERT_TRUE(offered);
      EXPECT_EQ(offered->Op, TFileClipOp::fcCut);
      EXPECT_EQ(offered->Paths, std::vector<std::string>{stays});
    }
  }
}

TEST_F(FileCommands, PastingOverAnExistingNameAsksAndKeepsBothWhenTold) {
  const std::string file = Tmp.File("src/notes.txt", "new");
  const std::string dst = Tmp.Folder("dst");
  Tmp.File("dst/notes.txt", "old");
  Backend.FileOpUi.ConflictAnswers = {{TConflictChoice::ccKeepBoth, false}};
  ASSERT_TRUE(data::CopyToClipboard({file}));
  ASSERT_TRUE(data::PasteFromClipboard(dst + "/"));
  FinishOperations();

  ASSERT_EQ(Backend.FileOpUi.Conflicts.size(), 1u);
  EXPECT_EQ(Backend.FileOpUi.Conflicts[0].Source, file);
  EXPECT_EQ(Backend.FileOpUi.Conflicts[0].Target, dst + "/notes.txt");
  EXPECT_EQ(fstest::ReadFile(dst + "/notes.txt"), "old");
  EXPECT_EQ(fstest::ReadFile(dst + "/notes (2).txt"), "new");
  EXPECT_EQ(fstest::ReadFile(file), "new");
}

TEST_F(FileCommands, AFolderPastedIntoItselfIsRefusedInTheOperationsWindow) {
  const std::string folder = Tmp.Folder("Projects");
  Tmp.File("Projects/plan.txt", "plan");
  for (const bool cut : {false, true}) {
    SCOPED_TRACE(cut ? "cut" : "copy");
    Backend.FileOpUi.Reports.clear();
    ASSERT_TRUE(cut ? data::CutToClipboard({folder}) : data::CopyToClipboard({folder}));
    ASSERT_TRUE(data::PasteFromClipboard(data::PasteTarget(Folder(), folder)));
    FinishOperations();

    // The window's report is what the user is shown; it names the refusal.
    ASSERT_EQ(Backend.FileOpUi.Reports.size(), 1u);
    const TFileOpReport& report = Backend.FileOpUi.Reports[0];
    ASSERT_EQ(report.Items.size(), 1u);
    EXPECT_EQ(report.Items[0].Outcome, TItemOutcome::ioFailed);
    EXPECT_TRUE(Mentions(report, "into itself"));
    EXPECT_FALSE(fstest::Exists(folder + "/Projects"));
    EXPECT_EQ(fstest::ReadFile(folder + "/plan.txt"), "plan");
  }
  // The refused cut is offered again.
  const std::optional<TClipFiles> offered = ClipboardFiles();
  ASSERT_TRUE(offered);
  EXPECT_EQ(offered->Paths, std::vector<std::string>{folder});
}

TEST_F(FileCommands, DeleteMovesToTheTrashAndNeverRemoves) {
  const std::string file = Tmp.File("work/letter.txt", "dear");
  const std::string folder = Tmp.Folder("work/drafts");
  Tmp.File("work/drafts/one.txt", "1");
  const std::string gone = Tmp.Path("work/deleted-meanwhile.txt");

  std::optional<TFileOpReport> report;
  ASSERT_TRUE(data::DeleteSelected({file, "", folder + "/", gone},
                                   [&](const TFileOpReport& r) { report = r; }));
  FinishOperations();

  ASSERT_TRUE(report);
  EXPECT_EQ(report->Kind, platform::TFileOpKind::okTrash);
  ASSERT_EQ(report->Items.size(), 3u);
  EXPECT_EQ(report->Items[0].Outcome, TItemOutcome::ioDone);
  EXPECT_EQ(report->Items[1].Outcome, TItemOutcome::ioDone);
  EXPECT_EQ(report->Items[2].Outcome, TItemOutcome::ioFailed);  // shown in the window
  EXPECT_FALSE(fstest::Exists(file));
  EXPECT_FALSE(fstest::Exists(folder));
  const std::string trash = Backend.Trash.Folder;
  EXPECT_EQ(fstest::ReadFile(trash + "/files/letter.txt"), "dear");
  EXPECT_EQ(fstest::ReadFile(trash + "/files/drafts/one.txt"), "1");
  EXPECT_EQ(platform::trashfolder::OriginalPath(trash, "letter.txt"), file);
  EXPECT_EQ(platform::trashfolder::OriginalPath(trash, "drafts"), folder);
  // Trashing is all it did: no question about deleting permanently was needed.
  EXPECT_TRUE(Backend.Dialog.Calls.empty());

  // Nothing selected: no operation at all.
  const size_t opened = Backend.FileOpUi.Opened;
  EXPECT_FALSE(data::DeleteSelected({}));
  EXPECT_FALSE(data::DeleteSelected({"", ""}));
  EXPECT_EQ(Backend.FileOpUi.Opened, opened);
}

TEST_F(FileCommands, DeleteWhereThereIsNoTrashAsksAndKeepsWhenDeclined) {
  const std::string file = Tmp.File("usb/photo.jpg", "pixels");
  Backend.Trash.NoTrashUnder = {Tmp.Path("usb")};
  Backend.Dialog.MessageAnswers = {platform::TMsgResult::mrNo};
  ASSERT_TRUE(data::DeleteSelected({file}));
  FinishOperations();
  EXPECT_EQ(Backend.Dialog.Calls.size(), 1u);
  EXPECT_EQ(fstest::ReadFile(file), "pixels");
}

TEST_F(FileCommands, NewGroupGathersTheSelectionAndReportsWhatStayed) {
  const std::string a = Tmp.File("a.txt", "A");
  const std::string b = Tmp.File("b.txt", "B");
  const std::string link = Tmp.Path("to-docs");
  const std::string docs = Tmp.Folder("docs");
  ASSERT_EQ(symlink(docs.c_str(), link.c_str()), 0);
  Tmp.Folder("New Group");
  // Another program deletes b.txt after it was selected.
  ASSERT_EQ(unlink(b.c_str()), 0);

  const data::TCreateFolderResult result =
      data::CreateFolder(Folder(), true, {"", a, b, link + "/"});

  ASSERT_TRUE(result) << result.Error.Message();
  const std::string group = Tmp.Path("New Group (1)");
  EXPECT_EQ(result.Path, group + "/");
  EXPECT_EQ(result.Moved, (std::vector<std::string>{a, link}));
  ASSERT_EQ(result.Failed.size(), 1u);
  EXPECT_EQ(result.Failed[0].Path, b);
  EXPECT_NE(result.Failed[0].Message.find(b), std::string::npos);
  EXPECT_TRUE(result.Handed.empty());
  EXPECT_EQ(fstest::ReadFile(group + "/a.txt"), "A");
  // The link moved, not the folder it leads to.
  EXPECT_TRUE(IsLink(group + "/to-docs"));
  EXPECT_TRUE(IsFolder(docs));
  EXPECT_FALSE(fstest::Exists(a));
}

TEST_F(FileCommands, NewGroupNeverReplacesAndMovesAcrossFileSystemsByAnOperation) {
  // Two selected entries of one name: the second can not take the first one's place.
  const std::string first = Tmp.File("one/same.txt", "first");
  const std::string second = Tmp.File("two/same.txt", "second");
  data::TCreateFolderResult result = data::CreateFolder(Folder(), true, {first, second});
  ASSERT_TRUE(result);
  EXPECT_EQ(result.Moved, std::vector<std::string>{first});
  ASSERT_EQ(result.Failed.size(), 1u);
  EXPECT_EQ(result.Failed[0].Path, second);
  EXPECT_EQ(fstest::ReadFile(result.Path + "same.txt"), "first");
  EXPECT_EQ(fstest::ReadFile(second), "second");

  struct stat here, shm;
  if (stat("/dev/shm", &shm) != 0 || access("/dev/shm", W_OK) != 0 ||
      stat(Tmp.Root().c_str(), &here) != 0 || here.st_dev == shm.st_dev)
    GTEST_SKIP() << "no second file system at /dev/shm";
  fstest::TTempFolder far("/dev/shm");
  const std::string away = far.File("away.txt", "far");
  result = data::CreateFolder(Folder(), true, {away});
  ASSERT_TRUE(result);
  EXPECT_EQ(result.Handed, std::vector<std::string>{away});
  EXPECT_TRUE(result.Failed.empty());
  FinishOperations();
  EXPECT_EQ(fstest::ReadFile(result.Path + "away.txt"), "far");
  EXPECT_FALSE(fstest::Exists(away));
}

TEST_F(FileCommands, TheOptionAndTheLanguageChooseTheNewFolder) {
  const std::string selected = Tmp.File("pick.txt", "p");
  const config::TOptions before = *config::Options();
  const auto restore = [&] { config::SetOptions(before); };

  config::TOptions options = before;
  options.General.FolderGroup = false;
  config::SetOptions(options);
  data::TCreateFolderResult result = data::CreateFolder(Folder(), {selected});
  restore();
  EXPECT_EQ(result.Path, Folder() + "New Folder/");
  EXPECT_TRUE(result.Moved.empty());
  EXPECT_EQ(fstest::ReadFile(selected), "p");

  ASSERT_TRUE(config::Options()->General.FolderGroup);  // on by default
  result = data::CreateFolder(Folder(), {});
  EXPECT_EQ(result.Path, Folder() + "New Folder (1)/");  // nothing selected: a plain folder
  result = data::CreateFolder(Folder(), {selected});
  EXPECT_EQ(result.Path, Folder() + "New Group/");
  EXPECT_EQ(result.Moved, std::vector<std::string>{selected});

  // The names come from the language file; a text that is no name gives way to English.
  const std::string app = Tmp.Folder("app");
  Tmp.File("app/Data/Language/English.NVL",
           "[General]\nFolderName=Neuer Ordner\nGroupName=Gruppe/Neu\n");
  const config::TPathContext oldContext = *config::PathContext();
  config::TPathContext context = oldContext;
  context.AppFolder = app;
  config::SetPathContext(context);
  config::TLocaleManager language;
  config::SetLocaleManager(&language);
  const std::string other = Tmp.File("other.txt", "o");
  const data::TCreateFolderResult plain = data::CreateFolder(Folder(), false, {other});
  const data::TCreateFolderResult grouped = data::CreateFolder(Folder(), true, {other});
  config::SetLocaleManager(nullptr);
  config::SetPathContext(oldContext);
  EXPECT_EQ(plain.Path, Folder() + "Neuer Ordner/");
  EXPECT_EQ(grouped.Path, Folder() + "New Group (1)/");
  EXPECT_EQ(grouped.Moved, std::vector<std::string>{other});
}

TEST_F(FileCommands, CreateFolderFailsVisiblyWhereNoFolderCanBeMade) {
  // No parent, and no path at all (which must not mean "the current folder").
  for (const std::string& parent : {Tmp.Path("missing/"), std::string()}) {
    const data::TCreateFolderResult result = data::CreateFolder(parent, false, {});
    EXPECT_FALSE(result) << parent;
    EXPECT_EQ(result.Error.Error, ENOENT) << parent;
  }

  const std::string locked = Tmp.Folder("locked");
  const std::string selected = Tmp.File("locked/keep.txt", "k");
  Tmp.Folder("locked/New Group");
  ASSERT_EQ(chmod(locked.c_str(), 0555), 0);
  std::string why;
  if (!fstest::RunAsOrdinaryUser(
          Tmp.Root(),
          [&] {
            const data::TCreateFolderResult result =
                data::CreateFolder(locked + "/", true, {selected});
            EXPECT_FALSE(result);
            EXPECT_EQ(result.Error.Error, EACCES);
            EXPECT_TRUE(result.Path.empty());
            EXPECT_TRUE(result.Moved.empty());
            EXPECT_EQ(fstest::ReadFile(selected), "k");
            EXPECT_FALSE(fstest::Exists(locked + "/New Group (1)"));
          },
          why))
    GTEST_SKIP() << why;
}

TEST_F(FileCommands, PropertiesAndTheFileBrowserShowTheSelectionOrTheFolder) {
  const std::string a = Tmp.File("a.txt"), sub = Tmp.Folder("sub");
  EXPECT_FALSE(data::DisplayProperties({""}));
  EXPECT_TRUE(data::DisplayProperties({a, "", sub + "/"}));
  std::string error;
  EXPECT_TRUE(data::OpenInFileBrowser(Folder(), {}, error));
  EXPECT_TRUE(data::OpenInFileBrowser(Folder(), {"", a}, error));

  const std::vector<platform::headless::TShellCall> calls = Backend.Shell.Calls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].Verb, TShellVerb::svProperties);
  EXPECT_EQ(calls[0].Args, (std::vector<std::string>{a, sub}));
  EXPECT_EQ(calls[1].Verb, TShellVerb::svShowInFileBrowser);
  EXPECT_EQ(calls[1].Args, std::vector<std::string>{Folder()});
  EXPECT_EQ(calls[2].Args, std::vector<std::string>{a});

  Backend.Shell.FailWith = "no file browser";
  EXPECT_FALSE(data::OpenInFileBrowser(Folder(), {a}, error));
  EXPECT_EQ(error, "no file browser");
}

// Names are the file system's bytes: not UTF-8, holding a line break, as long as a name can be.
TEST_F(FileCommands, OddNamesSurviveEveryCommand) {
  std::string longest;
  while (longest.size() + 2 <= 252) longest += "\xC3\xA9";  // "é", two bytes each
  longest += "xyz";
  ASSERT_EQ(longest.size(), 255u);
  const std::vector<std::string> names = {"caf\xE9 \xFF\xFE.txt", "two\nlines.txt", longest};
  std::vector<std::string> sources;
  for (const std::string& name : names) sources.push_back(Tmp.File("src/" + name, name));

  ASSERT_TRUE(data::CopyToClipboard(sources));
  ASSERT_TRUE(data::PasteFromClipboard(Tmp.Folder("copies")));
  FinishOperations();
  for (const std::string& name : names)
    EXPECT_EQ(fstest::ReadFile(Tmp.Path("copies/" + name)), name);

  ASSERT_TRUE(data::CutToClipboard(sources));
  ASSERT_TRUE(data::PasteFromClipboard(Tmp.Folder("moved")));
  FinishOperations();
  std::vector<std::string> moved;
  for (const std::string& name : names) {
    EXPECT_EQ(fstest::ReadFile(Tmp.Path("moved/" + name)), name);
    EXPECT_FALSE(fstest::Exists(Tmp.Path("src/" + name)));
    moved.push_back(Tmp.Path("moved/" + name));
  }

  const data::TCreateFolderResult group = data::CreateFolder(Tmp.Path("moved/"), true, moved);
  ASSERT_TRUE(group);
  EXPECT_EQ(group.Moved, moved);
  std::vector<std::string> grouped;
  for (const std::string& name : names) {
    EXPECT_EQ(fstest::ReadFile(group.Path + name), name);
    grouped.push_back(group.Path + name);
  }

  EXPECT_TRUE(data::DisplayProperties(grouped));
  std::string error;
  EXPECT_TRUE(data::OpenInFileBrowser(group.Path, grouped, error));
  const std::vector<platform::headless::TShellCall> calls = Backend.Shell.Calls();
  ASSERT_EQ(calls.size(), 2u);
  for (const platform::headless::TShellCall& call : calls) EXPECT_EQ(call.Args, grouped);

  std::optional<TFileOpReport> report;
  ASSERT_TRUE(data::DeleteSelected(grouped, [&](const TFileOpReport& r) { report = r; }));
  FinishOperations();
  ASSERT_TRUE(report);
  ASSERT_EQ(report->Items.size(), names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    SCOPED_TRACE(i);
    const platform::TFileOpItem& item = report->Items[i];
    // A name of full length is kept under a shorter one (its record could not be named
    // otherwise); the record still leads back to where it came from.
    if (names[i] == longest) {
      EXPECT_EQ(item.Outcome, TItemOutcome::ioDone);
      EXPECT_FALSE(fstest::Exists(grouped[i]));
      bool recorded = false;
      platform::Fs::List(Backend.Trash.Folder + "/files", [&](const platform::Fs::TFileEntry& kept) {
        recorded = recorded || platform::trashfolder::OriginalPath(Backend.Trash.Folder, kept.Name) == grouped[i];
        return true;
      });
      EXPECT_TRUE(recorded);
      continue;
    }
    EXPECT_EQ(item.Outcome, TItemOutcome::ioDone);
    EXPECT_FALSE(fstest::Exists(grouped[i]));
    EXPECT_EQ(fstest::ReadFile(Backend.Trash.Folder + "/files/" + names[i]), names[i]);
    EXPECT_EQ(platform::trashfolder::OriginalPath(Backend.Trash.Folder, names[i]), grouped[i]);
  }
}

}  // namespace
