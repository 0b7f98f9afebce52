// The name sort: however it gets there, it must give exactly the order of the full comparison
// (keys, then bytes), for names that share long starts, equal keys and short lists alike.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "data/NV_NameOrder.h"

namespace {

std::vector<std::string> Names(size_t count, unsigned seed) {
  static const char* const kStarts[] = {"Screenshot from 2024-05-17 ", "IMG_2024", "a", "", "report ",
                                        "Screenshot from 2024-05-17 10", "x\xff", "IMG_2024_"};
  std::mt19937 random(seed);
  std::vector<std::string> names;
  std::set<std::string> seen;  // a folder holds each name once
  while (names.size() < count) {
    std::string name = kStarts[random() % 8];
    name += std::to_string(random() % 500);
    if (random() % 3 == 0) name += random() % 2 ? "B" : "b";  // keys alike, bytes apart
    name += random() % 2 ? ".jpg" : ".JPG";
    if (seen.insert(name).second) names.push_back(name);
  }
  return names;
}

TEST(NameOrder, EverySortGivesTheOrderOfTheFullComparison) {
  for (size_t count : {size_t(2), size_t(40), size_t(3000), size_t(20000)}) {
    const std::vector<std::string> names = Names(count, unsigned(count));
    std::vector<std::string> keys;
    for (const std::string& n : names) keys.push_back(data::NameSortKey(n));
    std::vector<data::TNameRank> ranks, expected;
    for (size_t i = 0; i < names.size(); ++i) ranks.push_back(data::MakeNameRank(keys[i], names[i], uint32_t(i)));
    expected = ranks;
    std::sort(expected.begin(), expected.end(), data::NameRankLess);
    for (bool ascending : {true, false}) {
      std::vector<data::TNameRank> sorted = ranks;
      data::SortNameRanks(sorted, ascending);
      ASSERT_EQ(sorted.size(), expected.size());
      for (size_t i = 0; i < sorted.size(); ++i) {
        const data::TNameRank& want = ascending ? expected[i] : expected[expected.size() - 1 - i];
        ASSERT_EQ(sorted[i].Index, want.Index) << count << " names, place " << i << " ascending " << ascending;
      }
      // Sorting what is in order already changes nothing.
      data::SortNameRanks(sorted, ascending);
      const size_t first = ascending ? expected.front().Index : expected.back().Index;
      EXPECT_EQ(sorted.front().Index, first);
    }
  }
}

}  // namespace
