// Listing, stat, rename and removal on the real file system, in temporary folders.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <set>
#include <thread>

#include "OrdinaryUser.h"
#include "TempFolder.h"
#include "platform/Fs.h"

using namespace platform;
using fstest::TTempFolder;

namespace {

std::map<std::string, Fs::TFileEntry> ListAll(const std::string& dir) {
  std::map<std::string, Fs::TFileEntry> entries;
  EXPECT_TRUE(Fs::List(dir, [&](const Fs::TFileEntry& e) {
    entries[e.Name] = e;
    return true;
  }));
  return entries;
}

void SetTimes(const std::string& path, int64_t accessed, int64_t written) {
  const timespec times[2] = {{accessed, 250}, {written, 500}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

}  // namespace

TEST(FsList, EachKindOfEntryGetsItsFlags) {
  TTempFolder tmp;
  tmp.File("plain.txt", "hello");
  tmp.File(".hidden");
  tmp.File("ThemeData.NVS");
  tmp.File("Folder.NVB");
  tmp.Folder("sub");
  ASSERT_EQ(symlink("plain.txt", tmp.Path("to-file").c_str()), 0);
  ASSERT_EQ(symlink("sub", tmp.Path("to-folder").c_str()), 0);
  ASSERT_EQ(symlink("nowhere", tmp.Path("dangling").c_str()), 0);
  ASSERT_EQ(mkfifo(tmp.Path("pipe").c_str(), 0644), 0);
  tmp.File("caf\xE9.txt", "1234");  // Latin-1 bytes: no valid UTF-8

  struct TCase {
    const char* Name;
    int64_t Size;
    bool Hidden, System, Directory, Link;
  };
  const TCase cases[] = {
      {"plain.txt", 5, false, false, false, false},
      {".hidden", 0, true, false, false, false},
      // The program's own folder files are the browsing model's business (data/NV_FileRules).
      {"ThemeData.NVS", 0, false, false, false, false},
      {"Folder.NVB", 0, false, false, false, false},
      {"sub", 0, false, false, true, false},
      {"to-file", 5, false, false, false, true},
      {"to-folder", 0, false, false, true, true},
      {"dangling", 0, false, true, false, true},
      {"pipe", 0, false, true, false, false},
      {"caf\xE9.txt", 4, false, false, false, false},
  };
  const auto entries = ListAll(tmp.Root());
  ASSERT_EQ(entries.size(), std::size(cases));  // "." and ".." are not entries
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    auto it = entries.find(c.Name);
    ASSERT_NE(it, entries.end());
    const Fs::TFileEntry& e = it->second;
    EXPECT_EQ(e.Size, c.Size);
    EXPECT_EQ(e.Hidden, c.Hidden);
    EXPECT_EQ(e.System, c.System);
    EXPECT_EQ(e.Directory, c.Directory);
    EXPECT_EQ(e.Link, c.Link);
    // The identity is the entry's own, also for a link, so renames can be matched.
    struct stat own;
    ASSERT_EQ(lstat(tmp.Path(c.Name).c_str(), &own), 0);
    EXPECT_EQ(e.Inode, own.st_ino);
    EXPECT_EQ(e.Device, own.st_dev);
  }
}

TEST(FsList, TimesComeFromTheTargetAndCreationSurvivesARename) {
  TTempFolder tmp;
  const std::string file = tmp.File("a.txt", "x");
  SetTimes(file, 1000000000, 1100000000);
  ASSERT_EQ(symlink("a.txt", tmp.Path("link").c_str()), 0);
  Fs::TFileEntry before;
  ASSERT_TRUE(Fs::Stat(file, before));
  EXPECT_EQ(before.Accessed, (Fs::TFileTime{1000000000, 250}));
  EXPECT_EQ(before.Written, (Fs::TFileTime{1100000000, 500}));
  const auto entries = ListAll(tmp.Root());
  EXPECT_EQ(entries.at("link").Written, before.Written);

  // The change time moves on a rename; the creation time must not.
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_TRUE(Fs::Rename(file, "b.txt"));
  Fs::TFileEntry after;
  ASSERT_TRUE(Fs::Stat(tmp.Path("b.txt"), after));
  EXPECT_EQ(after.Created, before.Created);
  EXPECT_EQ(after.Name, "b.txt");
}

TEST(FsList, ReadOnlyFollowsTheUsersWritePermission) {
  TTempFolder tmp;
  const std::string locked = tmp.File("locked.txt");
  tmp.File("open.txt");
  ASSERT_EQ(chmod(locked.c_str(), 0444), 0);
  std::string why;
  const bool ran = fstest::RunAsOrdinaryUser(tmp.Root(), [&] {
    const auto entries = ListAll(tmp.Root());
    EXPECT_TRUE(entries.at("locked.txt").ReadOnly);
    EXPECT_FALSE(entries.at("open.txt").ReadOnly);
  }, why);
  if (!ran) GTEST_SKIP() << why;
}

TEST(FsList, UnreadableFolderIsListedButCannotBeOpened) {
  TTempFolder tmp;
  const std::string closed = tmp.Folder("closed");
  tmp.File("closed/inside");
  ASSERT_EQ(chmod(closed.c_str(), 0), 0);
  std::string why;
  const bool ran = fstest::RunAsOrdinaryUser(tmp.Root(), [&] {
    EXPECT_TRUE(ListAll(tmp.Root()).at("closed").Directory);
    int calls = 0;
    EXPECT_FALSE(Fs::List(closed, [&](const Fs::TFileEntry&) { return ++calls, true; }));
    EXPECT_EQ(calls, 0);
  }, why);
  if (!ran) GTEST_SKIP() << why;
}

TEST(FsList, TenThousandEntriesAllArriveOnceAndTheCallbackCanStop) {
  TTempFolder tmp;
  constexpr int kCount = 10000;
  for (int i = 0; i < kCount; ++i)
    tmp.File("f" + std::to_string(i), i % 1000 == 0 ? std::string(size_t(i / 1000), 'z') : "");
  std::set<std::string> seen;
  int duplicates = 0;
  ASSERT_TRUE(Fs::List(tmp.Root(), [&](const Fs::TFileEntry& e) {
    if (!seen.insert(e.Name).second) ++duplicates;
    if (e.Name == "f7000") {
      EXPECT_EQ(e.Size, 7);
    }
    return true;
  }));
  EXPECT_EQ(seen.size(), size_t(kCount));
  EXPECT_EQ(duplicates, 0);
  int calls = 0;
  EXPECT_TRUE(Fs::List(tmp.Root(), [&](const Fs::TFileEntry&) { return ++calls < 3; }));
  EXPECT_EQ(calls, 3);
}

TEST(FsList, MissingFolderOrFileIsNoListing) {
  TTempFolder tmp;
  auto never = [](const Fs::TFileEntry&) {
    ADD_FAILURE() << "no entry expected";
    return true;
  };
  EXPECT_FALSE(Fs::List(tmp.Path("missing"), never));
  EXPECT_FALSE(Fs::List(tmp.File("file"), never));
  Fs::TFileEntry e;
  EXPECT_FALSE(Fs::Stat(tmp.Path("missing"), e));
  EXPECT_FALSE(Fs::Stat("", e));
  ASSERT_TRUE(Fs::Stat(tmp.Root() + "/", e));  // a trailing "/" names the folder itself
  EXPECT_TRUE(e.Directory);
}

TEST(FsRename, RejectsBadNamesAndNeverReplaces) {
  TTempFolder tmp;
  const std::string file = tmp.File("a.txt", "A");
  tmp.File("taken.txt", "T");
  struct TCase {
    std::string NewName;
    int Error;
  };
  const TCase cases[] = {{"", EINVAL},
                         {".", EINVAL},
                         {"..", EINVAL},
                         {"x/y", EINVAL},
                         {std::string("x\0y", 3), EINVAL},
                         {"taken.txt", EEXIST}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.NewName);
    const Fs::TFsResult r = Fs::Rename(file, c.NewName);
    EXPECT_EQ(r.Error, c.Error);
    EXPECT_EQ(r.Path, file);
    EXPECT_FALSE(r.Message().empty());
  }
  EXPECT_EQ(fstest::ReadFile(file), "A");
  EXPECT_EQ(fstest::ReadFile(tmp.Path("taken.txt")), "T");
  EXPECT_TRUE(Fs::Rename(file, "a.txt"));  // the same name changes nothing
  EXPECT_EQ(Fs::Rename(tmp.Path("missing"), "b").Error, ENOENT);
}

TEST(FsRename, FoldersLinksAndNamesThatAreNotUtf8) {
  TTempFolder tmp;
  tmp.Folder("dir");
  tmp.File("dir/inside", "i");
  ASSERT_EQ(symlink("nowhere", tmp.Path("dangling").c_str()), 0);
  const std::string odd = "\xFF\xFE name";
  ASSERT_TRUE(Fs::Rename(tmp.Path("dir") + "/", odd));
  EXPECT_EQ(fstest::ReadFile(tmp.Path(odd + "/inside")), "i");
  ASSERT_TRUE(Fs::Rename(tmp.Path(odd), "dir2"));
  ASSERT_TRUE(Fs::Rename(tmp.Path("dangling"), "still-dangling"));  // the link itself moves
  EXPECT_EQ(Fs::SymlinkTarget(tmp.Path("still-dangling")), tmp.Path("nowhere"));
  EXPECT_EQ(Fs::RenameNoReplace(tmp.Path("dir2"), tmp.Path("still-dangling")).Error, EEXIST);
}

TEST(FsCreateFolder, MakesOneLevelAndNeverReusesAnEntry) {
  TTempFolder tmp;
  EXPECT_TRUE(Fs::CreateFolder(tmp.Path("new")));
  EXPECT_TRUE(Fs::DirectoryExists(tmp.Path("new")));
  EXPECT_EQ(Fs::CreateFolder(tmp.Path("new")).Error, EEXIST);
  EXPECT_EQ(Fs::CreateFolder(tmp.Path("no/parent")).Error, ENOENT);
}

TEST(FsRemoveTree, RemovesLinksNotWhatTheyPointToAndStopsWhenAsked) {
  TTempFolder tmp;
  tmp.File("outside/keep.txt", "");
  tmp.Folder("tree/a/b");
  tmp.File("tree/a/b/f", "x");
  ASSERT_EQ(symlink(tmp.Path("outside").c_str(), tmp.Path("tree/a/link").c_str()), 0);
  std::vector<std::string> order;
  EXPECT_TRUE(Fs::RemoveTree(tmp.Path("tree"), [&](const std::string& p) {
    order.push_back(p.substr(tmp.Root().size()));
    return true;
  }));
  EXPECT_FALSE(fstest::Exists(tmp.Path("tree")));
  EXPECT_TRUE(fstest::Exists(tmp.Path("outside/keep.txt")));
  ASSERT_FALSE(order.empty());
  EXPECT_EQ(order.back(), "/tree");  // contents before their folder

  tmp.Folder("again/sub");
  const Fs::TFsResult stopped =
      Fs::RemoveTree(tmp.Path("again"), [](const std::string&) { return false; });
  EXPECT_EQ(stopped.Error, ECANCELED);
  EXPECT_TRUE(fstest::Exists(tmp.Path("again/sub")));
  EXPECT_EQ(Fs::RemoveTree(tmp.Path("missing")).Error, ENOENT);
}
