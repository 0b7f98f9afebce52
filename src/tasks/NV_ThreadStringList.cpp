#include "tasks/NV_ThreadStringList.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "base/Ascii.h"

namespace tasks {

namespace {

// A-Z case ignored first; texts equal but for case then go by their bytes, so the order is total.
bool SortsBefore(const std::string& a, const std::string& b) {
  if (base::LessTextAscii(a, b)) return true;
  return !base::LessTextAscii(b, a) && a < b;
}

std::string_view NameOf(std::string_view entry) {
  const size_t eq = entry.find('=');
  return eq == std::string_view::npos ? std::string_view() : entry.substr(0, eq);
}

int IndexOfNameIn(const std::vector<std::string>& list, std::string_view name) {
  for (size_t i = 0; i < list.size(); ++i) {
    const size_t eq = list[i].find('=');
    if (eq != std::string::npos && base::SameTextAscii(std::string_view(list[i]).substr(0, eq), name))
      return int(i);
  }
  return -1;
}

size_t CheckedIndex(const std::vector<std::string>& list, int index, bool endAllowed) {
  const size_t limit = list.size() + (endAllowed ? 1 : 0);
  if (index < 0 || size_t(index) >= limit)
    throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
  return size_t(index);
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    start = end + 1;
  }
  return lines;
}

}  // namespace

TThreadStringList::TStrings& TThreadStringList::LockList() {
  FLock.lock();
  return FStringList;
}

void TThreadStringList::UnlockList() { FLock.unlock(); }

int TThreadStringList::Add(std::string_view s) {
  std::lock_guard<std::mutex> guard(FLock);
  FStringList.emplace_back(s);
  return int(FStringList.size()) - 1;
}

void TThreadStringList::AddStrings(const TStrings& strings) {
  std::lock_guard<std::mutex> guard(FLock);
  FStringList.insert(FStringList.end(), strings.begin(), strings.end());
}

void TThreadStringList::Insert(int index, std::string_view s) {
  std::lock_guard<std::mutex> guard(FLock);
  FStringList.emplace(FStringList.begin() + ptrdiff_t(CheckedIndex(FStringList, index, true)), s);
}

void TThreadStringList::Delete(int index) {
  std::lock_guard<std::mutex> guard(FLock);
  FStringList.erase(FStringList.begin() + ptrdiff_t(CheckedIndex(FStringList, index, false)));
}

void TThreadStringList::Clear() {
  std::lock_guard<std::mutex> guard(FLock);
  FStringList.clear();
}

void TThreadStringList::Exchange(int index1, int index2) {
  std::lock_guard<std::mutex> guard(FLock);
  std::swap(FStringList[CheckedIndex(FStringList, index1, false)],
            FStringList[CheckedIndex(FStringList, index2, false)]);
}

int TThreadStringList::IndexOf(std::string_view s) const {
  std::lock_guard<std::mutex> guard(FLock);
  for (size_t i = 0; i < FStringList.size(); ++i)
    if (base::SameTextAscii(FStringList[i], s)) return int(i);
  return -1;
}

int TThreadStringList::IndexOfName(std::string_view name) const {
  std::lock_guard<std::mutex> guard(FLock);
  return IndexOfNameIn(FStringList, name);
}

void TThreadStringList::Sort() {
  std::lock_guard<std::mutex> guard(FLock);
  std::stable_sort(FStringList.begin(), FStringList.end(), SortsBefore);
}

int TThreadStringList::Count() const {
  std::lock_guard<std::mutex> guard(FLock);
  return int(FStringList.size());
}

std::string TThreadStringList::GetStrings(int index) const {
  std::lock_guard<std::mutex> guard(FLock);
  return FStringList[CheckedIndex(FStringList, index, false)];
}

void TThreadStringList::SetStrings(int index, std::string_view s) {
  std::lock_guard<std::mutex> guard(FLock);
  FStringList[CheckedIndex(FStringList, index, false)] = s;
}

std::string TThreadStringList::Names(int index) const {
  std::lock_guard<std::mutex> guard(FLock);
  return std::string(NameOf(FStringList[CheckedIndex(FStringList, index, false)]));
}

std::string TThreadStringList::GetValues(std::string_view name) const {
  std::lock_guard<std::mutex> guard(FLock);
  const int i = IndexOfNameIn(FStringList, name);
  if (i < 0) return {};
  const std::string& entry = FStringList[size_t(i)];
  return entry.substr(entry.find('=') + 1);
}

void TThreadStringList::SetValues(std::string_view name, std::string_view value) {
  std::lock_guard<std::mutex> guard(FLock);
  const int i = IndexOfNameIn(FStringList, name);
  if (value.empty()) {
    if (i >= 0) FStringList.erase(FStringList.begin() + i);
    return;
  }
  std::string entry = std::string(name) + "=" + std::string(value);
  if (i >= 0)
    FStringList[size_t(i)] = std::move(entry);
  else
    FStringList.push_back(std::move(entry));
}

std::string TThreadStringList::GetText() const {
  std::lock_guard<std::mutex> guard(FLock);
  std::string text;
  for (const std::string& s : FStringList) text.append(s).push_back('\n');
  return text;
}

void TThreadStringList::SetText(std::string_view text) {
  std::vector<std::string> lines = SplitLines(text);
  std::lock_guard<std::mutex> guard(FLock);
  FStringList.swap(lines);
}

TThreadStringList::TStrings TThreadStringList::Snapshot() const {
  std::lock_guard<std::mutex> guard(FLock);
  return FStringList;
}

bool TThreadStringList::LoadFromFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) return false;
  SetText(content.str());
  return true;
}

bool TThreadStringList::SaveToFile(const std::string& path) const {
  const std::string text = GetText();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.flush();
  return bool(out);
}

}  // namespace tasks
