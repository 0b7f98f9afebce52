// A temporary folder for tests on the real file system, made under the system's temporary folder
// and removed with everything in it (permissions restored first) when the test ends.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace fstest {

inline bool MakeFile(const std::string& path, const std::string& content = {}) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const bool ok = write(fd, content.data(), content.size()) == ssize_t(content.size());
  return close(fd) == 0 && ok;
}

inline std::string ReadFile(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return "<missing>";
  std::string text;
  char buffer[65536];
  for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, size_t(n));
  close(fd);
  return text;
}

inline bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

class TTempFolder {
 public:
  // Under Base when given (another file system, for instance), else the system's temp folder.
  explicit TTempFolder(const std::string& base = {}) {
    std::string pattern = (base.empty() ? std::filesystem::temp_directory_path().string() : base) +
                          "/norvo-test-XXXXXX";
    if (!mkdtemp(pattern.data())) throw std::runtime_error("no temporary folder in " + pattern);
    FPath = pattern;
  }
  ~TTempFolder() {
    std::error_code ignored;
    for (auto it = std::filesystem::recursive_directory_iterator(FPath, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored))
      if (it->is_directory(ignored) && !it->is_symlink(ignored))
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
    std::filesystem::permissions(FPath, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(FPath, ignored);
  }
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  const std::string& Root() const { return FPath; }
  std::string Path(const std::string& relative) const { return FPath + "/" + relative; }
  // Parent folders are made as needed.
  std::string File(const std::string& relative, const std::string& content = {}) const {
    std::filesystem::create_directories(std::filesystem::path(Path(relative)).parent_path());
    if (!MakeFile(Path(relative), content))
      throw std::runtime_error("can not write " + Path(relative));
    return Path(relative);
  }
  std::string Folder(const std::string& relative) const {
    std::filesystem::create_directories(Path(relative));
    return Path(relative);
  }

 private:
  std::string FPath;
};

}  // namespace fstest
