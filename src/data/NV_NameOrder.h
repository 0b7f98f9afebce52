// The order of names: file names compared by the user's locale without regard to case, with
// the raw bytes breaking ties so that two different names never compare equal.
//
// Sorting a large list compares precomputed collation keys: one key per name, made once (by
// the listing worker when it can), instead of collating on every comparison.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/NV_ItemData.h"

namespace data {

// Negative, 0 or positive; 0 only for identical bytes.
int CompareFileNames(std::string_view a, std::string_view b);
// The collation key of a name: comparing keys byte by byte gives the order above (ties left
// to the bytes of the names).
std::string NameSortKey(std::string_view name);

// One name in a sort: the first bytes of its key inline (so most comparisons of a large sort
// never leave the array), the key, the name for ties, and where it came from.
struct TNameRank {
  uint64_t Prefix;   // the key's first eight bytes, then the next eight
  uint64_t Prefix2;
  std::string_view Key;
  std::string_view Name;
  uint32_t Index;
};
TNameRank MakeNameRank(std::string_view key, std::string_view name, uint32_t index);
bool NameRankLess(const TNameRank& a, const TNameRank& b);
// Sorts by name; a list already in order is only checked.
void SortNameRanks(std::vector<TNameRank>& ranks, bool ascending);

// Sorts items by name. Keys holds the keys of entries by their place in the flat list
// (idPointer); an entry without one gets it made here, and stored there when it has a place.
void SortByName(TItemData::TItemList& items, bool ascending, std::vector<std::string>& keys);

}  // namespace data
