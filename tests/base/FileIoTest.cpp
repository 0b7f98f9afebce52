#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <thread>

#include "../platform/OrdinaryUser.h"
#include "FileSizeLimit.h"
#include "../platform/TempFolder.h"
#include "base/FileIo.h"

using base::TReadError;
using fstest::ReadFile;
using fstest::TTempFolder;

namespace {

std::vector<std::string> NamesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777;
}

std::string Patterned(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = char(i * 7 + i / 1000);
  return bytes;
}

TEST(FileIoTest, ReadsTheExactBytesUpToTheLimit) {
  TTempFolder temp;
  const std::string data = Patterned(300'001);
  const std::string path = temp.File("data", data);
  std::string text;
  ASSERT_TRUE(base::ReadWholeFile(path, text, int64_t(data.size())));
  EXPECT_EQ(text, data);
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(base::ReadWholeFile(path, bytes, int64_t(data.size())));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), data);

  const base::TReadResult tooLarge = base::ReadWholeFile(path, text, int64_t(data.size()) - 1);
  EXPECT_EQ(tooLarge.Error, TReadError::reTooLarge);
  EXPECT_EQ(tooLarge.Errno, EFBIG);
  EXPECT_TRUE(text.empty());
  ASSERT_TRUE(base::ReadWholeFile(temp.File("empty"), text, 0));
  EXPECT_TRUE(text.empty());
}

// Files of the proc file system claim to be empty and hold text all the same: the size measured
// before reading is no promise, the limit still is.
TEST(FileIoTest, AFileLongerThanItsMeasuredSizeIsReadOrRefusedByTheLimit) {
  std::string text;
  ASSERT_TRUE(base::ReadWholeFile("/proc/self/status", text, 1 << 20));
  EXPECT_NE(text.find("Umask:"), std::string::npos);
  const base::TReadResult result = base::ReadWholeFile("/proc/self/status", text, 10);
  EXPECT_EQ(result.Error, TReadError::reTooLarge);
  EXPECT_TRUE(text.empty());
}

TEST(FileIoTest, EachReadProblemHasItsKindAndReason) {
  TTempFolder temp;
  temp.File("plain", "x");
  ASSERT_EQ(mkfifo(temp.Path("pipe").c_str(), 0600), 0);
  const struct {
    std::string Path;
    TReadError Error;
    int Errno;
  } cases[] = {
      {temp.Path("missing"), TReadError::reNotFound, ENOENT},
      {temp.Path("plain/below"), TReadError::reNotFound, ENOTDIR},
      {temp.Root(), TReadError::reUnreadable, EISDIR},
      {temp.Path("pipe"), TReadError::reUnreadable, EINVAL},  // refused, not waited on
      {"/dev/null", TReadError::reUnreadable, EINVAL},
  };
  for (const auto& c : cases) {
    std::string text = "old";
    const base::TReadResult result = base::ReadWholeFile(c.Path, text, 100);
    EXPECT_EQ(result.Error, c.Error) << c.Path;
    EXPECT_EQ(result.Errno, c.Errno) << c.Path;
    EXPECT_FALSE(result.Message().empty()) << c.Path;
    EXPECT_TRUE(text.empty()) << c.Path;
  }
  ASSERT_EQ(chmod(temp.File("secret", "s").c_str(), 0), 0);
  std::string why;
  if (!fstest::RunAsOrdinaryUser(temp.Root(), [&] {
        std::string text;
        const base::TReadResult result = base::ReadWholeFile(temp.Path("secret"), text, 100);
        EXPECT_EQ(result.Error, TReadError::reUnreadable);
        EXPECT_EQ(result.Errno, EACCES);
      }, why))
    GTEST_SKIP() << why;
}

TEST(FileIoTest, WriteAllDeliversEverythingThroughShortWrites) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  // A pipe takes at most its buffer (64 KiB) per write: a megabyte needs many partial writes.
  const std::string data = Patterned(1 << 20);
  std::string received;
  std::thread reader([&] {
    char buffer[4096];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) received.append(buffer, size_t(n));
  });
  const bool written = base::WriteAll(fds[1], data);
  close(fds[1]);
  reader.join();
  close(fds[0]);
  EXPECT_TRUE(written);
  EXPECT_EQ(received, data);
}

TEST(FileIoTest, WriteAllReportsAFullDisk) {
  const int fd = open("/dev/full", O_WRONLY | O_CLOEXEC);
  if (fd < 0) GTEST_SKIP() << "no /dev/full here";
  errno = 0;
  EXPECT_FALSE(base::WriteAll(fd, "bytes"));
  EXPECT_EQ(errno, ENOSPC);
  close(fd);
}

class AtomicWriteTest : public ::testing::Test {
 protected:
  TTempFolder Temp;
};

TEST_F(AtomicWriteTest, ReplacesTheFileKeepingItsModeAndOwner) {
  const std::string path = Temp.File("settings.ini", "old");
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  const bool asRoot = geteuid() == 0;
  if (asRoot) {
    ASSERT_EQ(chown(path.c_str(), fstest::kNobody, fstest::kNobody), 0);
  }
  struct stat before {};
  ASSERT_EQ(stat(path.c_str(), &before), 0);

  ASSERT_TRUE(base::WriteFileAtomically(path, "new contents"));
  EXPECT_EQ(ReadFile(path), "new contents");
  struct stat after {};
  ASSERT_EQ(stat(path.c_str(), &after), 0);
  EXPECT_NE(after.st_ino, before.st_ino);  // a new file took the name, the old was not rewritten
  EXPECT_EQ(after.st_mode & 07777, 0640u);
  if (asRoot) {
    EXPECT_EQ(after.st_uid, fstest::kNobody);
    EXPECT_EQ(after.st_gid, fstest::kNobody);
  }
  EXPECT_EQ(NamesIn(Temp.Root()), std::vector<std::string>{"settings.ini"});
}

TEST_F(AtomicWriteTest, ANewFileGetsTheDefaultPermissions) {
  const mode_t old = umask(027);
  const base::TWriteResult result = base::WriteFileAtomically(Temp.Path("fresh"), "");
  umask(old);
  ASSERT_TRUE(result) << result.Message();
  EXPECT_EQ(ReadFile(Temp.Path("fresh")), "");
  EXPECT_EQ(ModeOf(Temp.Path("fresh")), 0640u);
}

// A private file is private from its first byte on, whatever the umask allows; a file that is
// already there keeps the permissions it had.
TEST_F(AtomicWriteTest, ANewFileGetsTheModeAskedForAndAnOldOneKeepsItsOwn) {
  const mode_t old = umask(0);
  const base::TWriteResult fresh = base::WriteFileAtomically(Temp.Path("private"), "a", 0600);
  umask(old);
  ASSERT_TRUE(fresh) << fresh.Message();
  EXPECT_EQ(ModeOf(Temp.Path("private")), 0600u);

  const std::string shared = Temp.File("shared", "old");
  ASSERT_EQ(chmod(shared.c_str(), 0644), 0);
  ASSERT_TRUE(base::WriteFileAtomically(shared, "new", 0600));
  EXPECT_EQ(ReadFile(shared), "new");
  EXPECT_EQ(ModeOf(shared), 0644u);
}

TEST_F(AtomicWriteTest, WritesThroughLinksToTheirTarget) {
  Temp.File("real/target.txt", "old");
  ASSERT_EQ(chmod(Temp.Path("real/target.txt").c_str(), 0600), 0);
  // A relative link to a relative link, in another folder than the file.
  ASSERT_EQ(symlink("real/target.txt", Temp.Path("first").c_str()), 0);
  Temp.Folder("links");
  ASSERT_EQ(symlink("../first", Temp.Path("links/second").c_str()), 0);
  ASSERT_EQ(symlink("made-by-writing", Temp.Path("dangling").c_str()), 0);

  ASSERT_TRUE(base::WriteFileAtomically(Temp.Path("links/second"), "through"));
  ASSERT_TRUE(base::WriteFileAtomically(Temp.Path("dangling"), "created"));
  EXPECT_EQ(ReadFile(Temp.Path("real/target.txt")), "through");
  EXPECT_EQ(ModeOf(Temp.Path("real/target.txt")), 0600u);
  EXPECT_EQ(ReadFile(Temp.Path("made-by-writing")), "created");
  for (const char* link : {"first", "links/second", "dangling"})
    EXPECT_TRUE(std::filesystem::is_symlink(Temp.Path(link))) << link;
  EXPECT_EQ(NamesIn(Temp.Path("real")), std::vector<std::string>{"target.txt"});
}

TEST_F(AtomicWriteTest, RefusesWhatIsNoFileAndWhereNothingCanBeMade) {
  Temp.Folder("folder");
  const struct {
    std::string Path;
    int Errno;
  } cases[] = {
      {Temp.Path("folder"), EISDIR},
      {"/dev/null", EINVAL},
      {Temp.Path("no/such/folder"), ENOENT},
      {"", ENOENT},
  };
  for (const auto& c : cases) {
    const base::TWriteResult result = base::WriteFileAtomically(c.Path, "x");
    EXPECT_EQ(result.Errno, c.Errno) << c.Path;
  }
  EXPECT_EQ(NamesIn(Temp.Root()), std::vector<std::string>{"folder"});
  EXPECT_TRUE(NamesIn(Temp.Path("folder")).empty());
}

TEST_F(AtomicWriteTest, ARefusedWriteLeavesTheOldFileAndNoTemporary) {
  const std::string locked = Temp.File("locked/settings.ini", "old");
  const std::string readOnly = Temp.File("open/readonly.ini", "old");
  ASSERT_EQ(chmod(Temp.Path("locked").c_str(), 0555), 0);
  ASSERT_EQ(chmod(readOnly.c_str(), 0444), 0);
  std::string why;
  if (!fstest::RunAsOrdinaryUser(Temp.Root(), [&] {
        EXPECT_EQ(base::WriteFileAtomically(locked, "new").Errno, EACCES);
        EXPECT_EQ(base::WriteFileAtomically(readOnly, "new").Errno, EACCES);
      }, why))
    GTEST_SKIP() << why;
  EXPECT_EQ(ReadFile(locked), "old");
  EXPECT_EQ(ReadFile(readOnly), "old");
  EXPECT_EQ(NamesIn(Temp.Path("locked")), std::vector<std::string>{"settings.ini"});
  EXPECT_EQ(NamesIn(Temp.Path("open")), std::vector<std::string>{"readonly.ini"});
}

// A disk that fills up half way: the file size limit makes the writes fail the same way.
TEST_F(AtomicWriteTest, AWriteFailingHalfWayLeavesTheOldFileAndNoTemporary) {
  const std::string path = Temp.File("big.bin", "old");
  base::TWriteResult result;
  {
    const fstest::TFileSizeLimit small(4096);
    ASSERT_TRUE(small.Active());
    result = base::WriteFileAtomically(path, Patterned(100'000));
  }
  EXPECT_EQ(result.Errno, EFBIG);
  EXPECT_EQ(ReadFile(path), "old");
  EXPECT_EQ(NamesIn(Temp.Root()), std::vector<std::string>{"big.bin"});
}

}  // namespace
