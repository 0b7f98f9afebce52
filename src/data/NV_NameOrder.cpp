#include "data/NV_NameOrder.h"

#include <algorithm>

#include "platform/Unicode.h"

namespace data {

int CompareFileNames(std::string_view a, std::string_view b) { return platform::CompareFileNames(a, b); }

std::string NameSortKey(std::string_view name) { return platform::FileNameSortKey(name); }

TNameRank MakeNameRank(std::string_view key, std::string_view name, uint32_t index) {
  uint64_t prefix = 0;
  for (size_t i = 0; i < 8; ++i) prefix = (prefix << 8) | (i < key.size() ? uint8_t(key[i]) : 0);
  return {prefix, key, name, index};
}

bool NameRankLess(const TNameRank& a, const TNameRank& b) {
  if (a.Prefix != b.Prefix) return a.Prefix < b.Prefix;
  if (const int order = a.Key.compare(b.Key); order != 0) return order < 0;
  return a.Name < b.Name;  // equal keys: the bytes decide
}

void SortNameRanks(std::vector<TNameRank>& ranks, bool ascending) {
  auto descending = [](const TNameRank& a, const TNameRank& b) { return NameRankLess(b, a); };
  // A list that is in order already (a listing added in name order) is only checked.
  if (ascending) {
    if (!std::is_sorted(ranks.begin(), ranks.end(), NameRankLess))
      std::sort(ranks.begin(), ranks.end(), NameRankLess);
  } else if (!std::is_sorted(ranks.begin(), ranks.end(), descending)) {
    std::sort(ranks.begin(), ranks.end(), descending);
  }
}

void SortByName(TItemData::TItemList& items, bool ascending, std::vector<std::string>& keys) {
  auto placed = [&](const TItemData& item) {
    return item.idPointer >= 0 && size_t(item.idPointer) < keys.size();
  };
  // Entries without a place in the flat list get keys of their own, made first so that the
  // views into them stay valid.
  std::vector<std::string> made;
  for (const auto& item : items)
    if (!placed(*item)) made.push_back(NameSortKey(item->ID_FILE_DATA.FD_NAME));
  std::vector<TNameRank> ranks;
  ranks.reserve(items.size());
  size_t next = 0;
  for (size_t i = 0; i < items.size(); ++i) {
    const TItemData& item = *items[i];
    const std::string& name = item.ID_FILE_DATA.FD_NAME;
    if (!placed(item)) {
      ranks.push_back(MakeNameRank(made[next++], name, uint32_t(i)));
      continue;
    }
    std::string& key = keys[size_t(item.idPointer)];
    if (key.empty()) key = NameSortKey(name);
    ranks.push_back(MakeNameRank(key, name, uint32_t(i)));
  }
  SortNameRanks(ranks, ascending);
  bool moved = false;
  for (size_t i = 0; i < ranks.size() && !moved; ++i) moved = ranks[i].Index != i;
  if (!moved) return;
  TItemData::TItemList sorted;
  sorted.reserve(items.size());
  for (const TNameRank& rank : ranks) sorted.push_back(std::move(items[rank.Index]));
  items = std::move(sorted);
}

}  // namespace data
