#include "platform/Properties.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>

#include <cstdio>
#include <ctime>

#include "base/Path.h"
#include "platform/Fs.h"

namespace platform {

namespace {

constexpr uint64_t kProgressEvery = 2000;  // entries between two progress reports

TTreeTotals TotalsOf(const Fs::TWalkTotals& walked) {
  return {walked.Bytes, walked.Files, walked.Folders};
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

}  // namespace

TTreeTotals CountTrees(const std::vector<std::string>& paths, const std::atomic<bool>& cancel,
                       const std::function<void(const TTreeTotals&)>& progress) {
  Fs::TWalkTotals totals;
  uint64_t seen = 0;
  for (const std::string& path : paths) {
    if (cancel.load()) break;
    Fs::Walk(path, [&](const Fs::TWalkEntry& entry) {
      totals.Add(entry);
      if (++seen % kProgressEvery == 0 && progress) progress(TotalsOf(totals));
      return Fs::TWalkStep::wsContinue;
    }, &cancel);
  }
  return TotalsOf(totals);
}

std::vector<TPropertyLine> PropertyLines(const std::vector<std::string>& paths,
                                         const std::function<std::string(const std::string&)>& kindOf) {
  std::vector<TPropertyLine> lines;
  if (paths.empty()) return lines;
  if (paths.size() > 1) {
    lines.push_back({"Name", std::to_string(paths.size()) + " items"});
    const std::string folder = base::ParentOf(paths.front());
    bool sameFolder = true;
    for (const std::string& p : paths) sameFolder = sameFolder && base::ParentOf(p) == folder;
    lines.push_back({"Location", sameFolder ? folder : "several folders"});
    return lines;
  }
  const std::string& path = paths.front();
  lines.push_back({"Name", base::BaseName(path)});
  lines.push_back({"Kind", kindOf ? kindOf(path) : std::string()});
  lines.push_back({"Location", base::ParentOf(path)});
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
