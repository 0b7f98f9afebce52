#include "data/NV_NameOrder.h"

#include <algorithm>
#include <cstdint>

#include "platform/Unicode.h"

namespace data {

int CompareFileNames(std::string_view a, std::string_view b) { return platform::CompareFileNames(a, b); }

std::string NameSortKey(std::string_view name) { return platform::FileNameSortKey(name); }

void SortByName(TItemData::TItemList& items, bool ascending, std::vector<std::string>& keys) {
  // The first bytes of the key sit in the sorted record itself, so most comparisons of a large
  // sort never leave the array; the rest of the key is one step away.
  struct TKeyed {
    uint64_t Prefix;
    std::string_view Key;
    TItemData* Item;
    size_t From;
  };
  auto prefixOf = [](std::string_view key) {
    uint64_t prefix = 0;
    for (size_t i = 0; i < 8; ++i) prefix = (prefix << 8) | (i < key.size() ? uint8_t(key[i]) : 0);
    return prefix;
  };
  auto placed = [&](const TItemData& item) {
    return item.idPointer >= 0 && size_t(item.idPointer) < keys.size();
  };
  // Entries without a place in the flat list get keys of their own, made first so that the
  // views into them stay valid.
  std::vector<std::string> made;
  for (const auto& item : items)
    if (!placed(*item)) made.push_back(NameSortKey(item->ID_FILE_DATA.FD_NAME));
  std::vector<TKeyed> keyed;
  keyed.reserve(items.size());
  size_t next = 0;
  for (size_t i = 0; i < items.size(); ++i) {
    TItemData* item = items[i].get();
    if (!placed(*item)) {
      keyed.push_back({prefixOf(made[next]), made[next], item, i});
      ++next;
      continue;
    }
    std::string& key = keys[size_t(item->idPointer)];
    if (key.empty()) key = NameSortKey(item->ID_FILE_DATA.FD_NAME);
    keyed.push_back({prefixOf(key), key, item, i});
  }
  auto less = [](const TKeyed& a, const TKeyed& b) {
    if (a.Prefix != b.Prefix) return a.Prefix < b.Prefix;
    if (const int order = a.Key.compare(b.Key); order != 0) return order < 0;
    return a.Item->ID_FILE_DATA.FD_NAME < b.Item->ID_FILE_DATA.FD_NAME;
  };
  if (ascending)
    std::sort(keyed.begin(), keyed.end(), less);
  else
    std::sort(keyed.begin(), keyed.end(), [&](const TKeyed& a, const TKeyed& b) { return less(b, a); });
  TItemData::TItemList sorted;
  sorted.reserve(items.size());
  for (const TKeyed& k : keyed) sorted.push_back(std::move(items[k.From]));
  items = std::move(sorted);
}

}  // namespace data
