#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

#include "ctrl/NV_DataList.h"

using ctrl::TDataList;

namespace {

// Counts its deaths; may look at its list while it dies, as a cached picture releasing its
// owners might.
struct TItem {
  TItem(int value, int* deaths, TDataList<TItem>* home = nullptr)
      : Value(value), Deaths(deaths), Home(home) {}
  TItem(const TItem&) = delete;
  TItem& operator=(const TItem&) = delete;
  int Value;
  int* Deaths;
  TDataList<TItem>* Home;
  ~TItem() {
    ++*Deaths;
    if (Home) Home->GetCount();  // deadlocks if freed with the lock held
  }
};

std::vector<int> Values(TDataList<TItem>& list) {
  std::vector<int> values;
  for (TItem* item : list.List()) values.push_back(item->Value);
  return values;
}

}  // namespace

TEST(DataList, OwnsItsObjectsAndFreesThemOutsideTheLock) {
  int deaths = 0;
  TDataList<TItem> list;
  for (int v = 0; v < 4; ++v) list.Add(std::make_unique<TItem>(v, &deaths, &list));
  list.Move(0, 3);
  EXPECT_EQ(Values(list), (std::vector<int>{1, 2, 3, 0}));
  list.Move(3, 1);
  EXPECT_EQ(Values(list), (std::vector<int>{1, 0, 2, 3}));
  list.Delete(0);
  list.SetItem(0, std::make_unique<TItem>(9, &deaths, &list));
  EXPECT_EQ(deaths, 2);
  EXPECT_EQ(Values(list), (std::vector<int>{9, 2, 3}));
  EXPECT_EQ(list.GetItem(1)->Value, 2);
  list.Clear();
  EXPECT_EQ(deaths, 5);
  EXPECT_EQ(list.GetCount(), 0);
}

TEST(DataList, BadIndexesRaiseAndLeaveTheLockFree) {
  int deaths = 0;
  TDataList<TItem> list;
  list.Add(std::make_unique<TItem>(1, &deaths));
  EXPECT_THROW(list.Delete(1), std::out_of_range);
  EXPECT_THROW(list.GetItem(-1), std::out_of_range);
  EXPECT_THROW(list.Move(0, 1), std::out_of_range);
  EXPECT_THROW(list.SetItem(2, std::make_unique<TItem>(2, &deaths)), std::out_of_range);
  EXPECT_EQ(deaths, 1);  // the rejected replacement
  EXPECT_EQ(list.GetCount(), 1);
}

TEST(DataListThreads, TwoThreadsAddingAtOnceBothSucceed) {
  int deaths = 0;  // not touched until the list is cleared on this thread
  TDataList<TItem> list;
  constexpr int kEach = 3000;
  auto add = [&](int value) {
    for (int i = 0; i < kEach; ++i) list.Add(std::make_unique<TItem>(value, &deaths));
  };
  std::thread a(add, 1), b(add, 2);
  a.join();
  b.join();
  const int ones = list.WithLock([](TDataList<TItem>::TItems& items) {
    int n = 0;
    for (const auto& item : items) n += item->Value == 1;
    return n;
  });
  EXPECT_EQ(list.GetCount(), 2 * kEach);
  EXPECT_EQ(ones, kEach);
}
