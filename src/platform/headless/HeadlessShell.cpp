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

}  // namespace platform::headless
