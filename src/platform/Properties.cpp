#include "platform/Properties.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>

#include <cstdio>
#include <ctime>

#include "platform/Fs.h"

namespace platform {

namespace {

constexpr uint64_t kProgressEvery = 2000;  // entries between two progress reports

void CountFolder(const std::string& dir, const std::atomic<bool>& cancel, TTreeTotals& totals,
                 const std::function<void(const TTreeTotals&)>& progress, uint64_t& seen) {
  std::vector<std::string> folders;
  Fs::List(dir, [&](const Fs::TFileEntry& e) {
    if (cancel.load(std::memory_order_relaxed)) return false;
    if (e.Directory && !e.Link) {
      ++totals.Folders;
      folders.push_back(dir + (dir.back() == '/' ? "" : "/") + e.Name);
    } else {
      ++totals.Files;
      if (!e.Directory && !e.Link) totals.Bytes += uint64_t(e.Size);  // a link adds no bytes of its own
    }
    if (++seen % kProgressEvery == 0 && progress) progress(totals);
    return true;
  });
  for (const std::string& folder : folders) {
    if (cancel.load(std::memory_order_relaxed)) return;
    CountFolder(folder, cancel, totals, progress, seen);
  }
}

std::string Grouped(uint64_t n) {
  std::string digits = std::to_string(n), out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

std::string ShortSize(uint64_t bytes) {
  static const char* const kUnits[] = {"bytes", "KB", "MB", "GB", "TB"};
  double value = double(bytes);
  int unit = 0;
  while (value >= 1000 && unit < 4) {
    value /= 1000;
    ++unit;
  }
  char text[32];
  if (unit == 0)
    std::snprintf(text, sizeof text, "%llu bytes", static_cast<unsigned long long>(bytes));
  else
    std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
  return text;
}

std::string LocalTime(const Fs::TFileTime& t) {
  const time_t seconds = time_t(t.Sec);
  tm local{};
  if (!localtime_r(&seconds, &local)) return {};
  char text[40];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

std::string Permissions(const std::string& path) {
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0) return {};
  std::string bits = "---------";
  const mode_t flags[9] = {S_IRUSR, S_IWUSR, S_IXUSR, S_IRGRP, S_IWGRP, S_IXGRP, S_IROTH, S_IWOTH, S_IXOTH};
  for (int i = 0; i < 9; ++i)
    if (st.st_mode & flags[i]) bits[size_t(i)] = "rwx"[i % 3];
  char buffer[1024];
  passwd user{}, *userFound = nullptr;
  group grp{}, *groupFound = nullptr;
  getpwuid_r(st.st_uid, &user, buffer, sizeof buffer, &userFound);
  const std::string owner = userFound ? userFound->pw_name : std::to_string(st.st_uid);
  getgrgid_r(st.st_gid, &grp, buffer, sizeof buffer, &groupFound);
  const std::string groupName = groupFound ? groupFound->gr_name : std::to_string(st.st_gid);
  return bits + "  " + owner + " : " + groupName;
}

std::string NameOf(const std::string& path) {
  const size_t slash = path.find_last_of('/', path.size() > 1 ? path.size() - 2 : 0);
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.size() > 1 && name.back() == '/') name.pop_back();
  return name.empty() ? path : name;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/', path.size() > 1 ? path.size() - 2 : 0);
  if (slash == std::string::npos) return {};
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

TTreeTotals CountTrees(const std::vector<std::string>& paths, const std::atomic<bool>& cancel,
                       const std::function<void(const TTreeTotals&)>& progress) {
  TTreeTotals totals;
  uint64_t seen = 0;
  for (const std::string& path : paths) {
    if (cancel.load()) break;
    Fs::TFileEntry entry;
    if (!Fs::Stat(path, entry)) continue;
    if (entry.Directory && !entry.Link) {
      ++totals.Folders;
      CountFolder(path, cancel, totals, progress, seen);
    } else {
      ++totals.Files;
      if (!entry.Directory && !entry.Link) totals.Bytes += uint64_t(entry.Size);
    }
  }
  return totals;
}

std::vector<TPropertyLine> PropertyLines(const std::vector<std::string>& paths,
                                         const std::function<std::string(const std::string&)>& kindOf) {
  std::vector<TPropertyLine> lines;
  if (paths.empty()) return lines;
  if (paths.size() > 1) {
    lines.push_back({"Name", std::to_string(paths.size()) + " items"});
    const std::string folder = FolderOf(paths.front());
    bool sameFolder = true;
    for (const std::string& p : paths) sameFolder = sameFolder && FolderOf(p) == folder;
    lines.push_back({"Location", sameFolder ? folder : "several folders"});
    return lines;
  }
  const std::string& path = paths.front();
  lines.push_back({"Name", NameOf(path)});
  lines.push_back({"Kind", kindOf ? kindOf(path) : std::string()});
  lines.push_back({"Location", FolderOf(path)});
  if (const std::string target = Fs::SymlinkTarget(path); !target.empty()) lines.push_back({"Link to", target});
  Fs::TFileEntry entry;
  if (Fs::Stat(path, entry)) {
    lines.push_back({"Created", LocalTime(entry.Created)});
    lines.push_back({"Modified", LocalTime(entry.Written)});
    lines.push_back({"Accessed", LocalTime(entry.Accessed)});
  }
  lines.push_back({"Permissions", Permissions(path)});
  return lines;
}

std::string TotalsText(const TTreeTotals& totals, bool final) {
  std::string text = final ? "" : "Counting… ";
  text += ShortSize(totals.Bytes);
  if (totals.Bytes >= 1000) text += " (" + Grouped(totals.Bytes) + " bytes)";
  text += ", " + Grouped(totals.Files) + (totals.Files == 1 ? " file" : " files");
  if (totals.Folders > 0) text += ", " + Grouped(totals.Folders) + (totals.Folders == 1 ? " folder" : " folders");
  return text;
}

}  // namespace platform
