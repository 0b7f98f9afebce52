// The order of names: file names compared by the user's locale without regard to case, with
// the raw bytes breaking ties so that two different names never compare equal.
//
// Sorting a large list compares precomputed collation keys: one key per name, made once (by
// the listing worker when it can), instead of collating on every comparison.
#pragma once

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

// Sorts items by name. Keys holds the keys of entries by their place in the flat list
// (idPointer); an entry without one gets it made here, and stored there when it has a place.
void SortByName(TItemData::TItemList& items, bool ascending, std::vector<std::string>& keys);

}  // namespace data
