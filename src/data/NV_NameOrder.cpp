#include "data/NV_NameOrder.h"

#include <algorithm>

#include "platform/Unicode.h"

namespace data {

int CompareFileNames(std::string_view a, std::string_view b) { return platform::CompareFileNames(a, b); }

std::string NameSortKey(std::string_view name) { return platform::FileNameSortKey(name); }

namespace {

// Eight bytes of Key from From on, as a number that orders like the bytes (keys hold no NUL, so
// the zeros past a key's end order it before every longer key it starts).
uint64_t KeyBytes(std::string_view key, size_t from) {
  uint64_t bytes = 0;
  for (size_t i = from; i < from + 8; ++i) bytes = (bytes << 8) | (i < key.size() ? uint8_t(key[i]) : 0);
  return bytes;
}

}  // namespace

TNameRank MakeNameRank(std::string_view key, std::string_view name, uint32_t index) {
  return {KeyBytes(key, 0), KeyBytes(key, 8), key, name, index};
}

bool NameRankLess(const TNameRank& a, const TNameRank& b) {
  if (a.Prefix != b.Prefix) return a.Prefix < b.Prefix;
  if (a.Prefix2 != b.Prefix2) return a.Prefix2 < b.Prefix2;
  if (const int order = a.Key.compare(b.Key); order != 0) return order < 0;
  return a.Name < b.Name;  // equal keys: the bytes decide
}

namespace {

bool PrefixLess(const TNameRank& a, const TNameRank& b) {
  return a.Prefix != b.Prefix ? a.Prefix < b.Prefix : a.Prefix2 < b.Prefix2;
}
bool SamePrefix(const TNameRank& a, const TNameRank& b) {
  return a.Prefix == b.Prefix && a.Prefix2 == b.Prefix2;
}

// Puts a run whose keys agree in their first Depth bytes in order: by the next sixteen bytes
// (held inline), then each group that agrees in those too by the bytes after them, and so on.
// Each key is read once per sixteen bytes of common start instead of once per comparison, so
// names that share long starts (IMG_2024..., Screenshot ...) sort without chasing keys around.
void SortRun(std::vector<TNameRank>::iterator first, std::vector<TNameRank>::iterator last, size_t depth) {
  if (last - first < 2) return;
  if (depth > 0)
    for (auto it = first; it != last; ++it) {
      it->Prefix = KeyBytes(it->Key, depth);
      it->Prefix2 = KeyBytes(it->Key, depth + 8);
    }
  std::sort(first, last, PrefixLess);
  for (auto run = first; run != last;) {
    auto end = std::find_if(run + 1, last, [&](const TNameRank& r) { return !SamePrefix(r, *run); });
    if (end - run > 1) {
      if (run->Key.size() <= depth + 16)  // the keys end here, all alike: the bytes decide
        std::sort(run, end, [](const TNameRank& a, const TNameRank& b) { return a.Name < b.Name; });
      else
        SortRun(run, end, depth + 16);
    }
    run = end;
  }
  // The run's records again hold the bytes their callers compare.
  if (depth > 0)
    for (auto it = first; it != last; ++it) {
      it->Prefix = KeyBytes(it->Key, depth - 16);
      it->Prefix2 = KeyBytes(it->Key, depth - 8);
    }
}

}  // namespace

void SortNameRanks(std::vector<TNameRank>& ranks, bool ascending) {
  auto descending = [](const TNameRank& a, const TNameRank& b) { return NameRankLess(b, a); };
  // A list that is in order already (a listing added in name order) is only checked.
  if (ascending ? std::is_sorted(ranks.begin(), ranks.end(), NameRankLess)
                : std::is_sorted(ranks.begin(), ranks.end(), descending))
    return;
  SortRun(ranks.begin(), ranks.end(), 0);
  if (!ascending) std::reverse(ranks.begin(), ranks.end());  // a strict order reads back exactly
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
