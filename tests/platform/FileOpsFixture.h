// What the file operation tests share: a worker-backed TFileOps on the real file system with the
// headless windows answering conflicts from a script, and ways to look at trees before and after.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "platform/FileOps.h"
#include "platform/Fs.h"
#include "platform/headless/HeadlessBackend.h"
#include "platform/headless/HeadlessFileOpUi.h"
#include "platform/headless/HeadlessTrash.h"

namespace fstest {

constexpr uint64_t kPatienceMs = 60000;  // a hang guard, not a measurement

// Everything about a tree that a copy must keep: kinds, contents, permissions, write times and
// link targets, by path relative to Root.
inline std::map<std::string, std::string> Snapshot(const std::string& root,
                                                   const std::string& relative = "") {
  std::map<std::string, std::string> tree;
  const std::string path = relative.empty() ? root : root + "/" + relative;
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return tree;
  const std::string mode = std::to_string(st.st_mode & 07777);
  if (S_ISDIR(st.st_mode)) {
    tree[relative] = "dir " + mode;
    platform::Fs::List(path, [&](const platform::Fs::TFileEntry& e) {
      tree.merge(Snapshot(root, relative.empty() ? e.Name : relative + "/" + e.Name));
      return true;
    });
  } else if (S_ISLNK(st.st_mode)) {
    char target[4096];
    const ssize_t n = readlink(path.c_str(), target, sizeof target);
    tree[relative] = "link " + std::string(target, size_t(n > 0 ? n : 0));
  } else if (S_ISREG(st.st_mode)) {
    tree[relative] = "file " + mode + " " + std::to_string(st.st_mtim.tv_sec) + "." +
                     std::to_string(st.st_mtim.tv_nsec) + " " + ReadFile(path);
  } else {
    tree[relative] = "special " + mode;
  }
  return tree;
}

// Names of work in progress must never be left behind.
inline bool HasWorkLeftovers(const std::string& folder) {
  bool found = false;
  platform::Fs::List(folder, [&](const platform::Fs::TFileEntry& e) {
    found = found || e.Name.rfind(".norvo-", 0) == 0 ||
            (e.Directory && !e.Link && HasWorkLeftovers(folder + "/" + e.Name));
    return true;
  });
  return found;
}

inline std::string Big(size_t bytes, char seed) {
  std::string data(bytes, 0);
  for (size_t i = 0; i < bytes; ++i) data[i] = char(seed + i * 7 + i / 4096);
  return data;
}

inline void SetWriteTime(const std::string& path, int64_t sec) {
  const timespec times[2] = {{sec, 0}, {sec, 123456789}};
  utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

// A second file system for moves between file systems, when the machine has one.
inline std::string OtherFileSystemReason(const std::string& here) {
  struct stat shm, tmp;
  if (stat("/dev/shm", &shm) != 0 || access("/dev/shm", W_OK) != 0) return "/dev/shm is missing";
  if (stat(here.c_str(), &tmp) != 0 || shm.st_dev == tmp.st_dev)
    return "/dev/shm is on the same file system as the temporary folder";
  return {};
}

inline bool Contains(const std::vector<std::string>& texts, const std::string& part) {
  for (const std::string& text : texts)
    if (text.find(part) != std::string::npos) return true;
  return false;
}

class TFileOpsFixture : public ::testing::Test {
 protected:
  platform::headless::THeadlessBackend Backend{platform::headless::TClock::ckReal};
  TTempFolder Tmp;
  platform::headless::THeadlessFileOpUi Ui;
  platform::headless::THeadlessTrash TrashCan{Tmp.Path("trash")};
  std::unique_ptr<platform::TFileOps> Ops =
      std::make_unique<platform::TFileOps>(Backend.Loop, Ui, TrashCan, Backend.Dialog);
  bool MoveByCopying = false;  // passed on with every request

  platform::TFileOpReport Run(platform::TFileOpKind kind, std::vector<std::string> sources,
                              const std::string& target = {},
                              std::function<bool(const platform::TFileOpProgress&)> onWorker = {}) {
    std::optional<platform::TFileOpReport> report;
    platform::TFileOpRequest request;
    request.Kind = kind;
    request.Sources = std::move(sources);
    request.TargetFolder = target;
    request.OnDone = [&](const platform::TFileOpReport& r) { report = r; };
    request.OnWorkerProgress = std::move(onWorker);
    request.MoveByCopying = MoveByCopying;
    Ops->Start(std::move(request));
    EXPECT_TRUE(Backend.Loop.RunUntil([&] { return report.has_value(); }, kPatienceMs));
    return report.value_or(platform::TFileOpReport{});
  }

  // A folder on another file system than Tmp, for moves that must copy and delete. On a machine
  // with one file system it lies in Tmp, and moves are told to copy as between two.
  const TTempFolder& Far() {
    if (!FFar) {
      const bool other = OtherFileSystemReason(Tmp.Root()).empty();
      FFar = std::make_unique<TTempFolder>(other ? "/dev/shm" : Tmp.Root());
      MoveByCopying = !other;
    }
    return *FFar;
  }

 private:
  std::unique_ptr<TTempFolder> FFar;
};

}  // namespace fstest
