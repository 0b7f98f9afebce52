#include "data/NV_NameOrder.h"

#include <algorithm>

#include "platform/Unicode.h"

namespace data {

int CompareFileNames(std::string_view a, std::string_view b) { return platform::CompareFileNames(a, b); }

std::string NameSortKey(std::string_view name) { return platform::FileNameSortKey(name); }

void SortByName(TItemData::TItemList& items, bool ascending, std::vector<std::string>& keys) {
  struct TKeyed {
    const std::string* Key;
    TItemData* Item;
    size_t From;
  };
  std::vector<std::string> made;  // keys of entries without a place in the flat list
  std::vector<TKeyed> keyed;
  keyed.reserve(items.size());
  for (size_t i = 0; i < items.size(); ++i) {
    TItemData* item = items[i].get();
    const size_t place = size_t(item->idPointer);
    if (item->idPointer >= 0 && place < keys.size()) {
      if (keys[place].empty()) keys[place] = NameSortKey(item->ID_FILE_DATA.FD_NAME);
      keyed.push_back({&keys[place], item, i});
    } else {
      keyed.push_back({nullptr, item, i});
    }
  }
  for (TKeyed& k : keyed)
    if (k.Key == nullptr) made.push_back(NameSortKey(k.Item->ID_FILE_DATA.FD_NAME));
  // The made keys are addressed only now: the vector no longer grows.
  size_t next = 0;
  for (TKeyed& k : keyed)
    if (k.Key == nullptr) k.Key = &made[next++];
  auto less = [](const TKeyed& a, const TKeyed& b) {
    if (const int order = a.Key->compare(*b.Key); order != 0) return order < 0;
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
