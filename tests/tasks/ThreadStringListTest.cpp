#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <thread>

#include "tasks/NV_ThreadStringList.h"

using tasks::TThreadStringList;

TEST(ThreadStringList, NamesAndValuesFollowTheFirstEntryOfAName) {
  TThreadStringList list;
  list.SetText("Path=/home\r\nplain\nPATH=/other\n");
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.GetValues("path"), "/home");
  EXPECT_EQ(list.IndexOfName("Path"), 0);
  EXPECT_EQ(list.Names(1), "");
  list.SetValues("path", "/new");  // the first entry of the name, written with the given name
  EXPECT_EQ(list.GetStrings(0), "path=/new");
  list.SetValues("path", "");  // an empty value removes it; the next one takes its place
  EXPECT_EQ(list.GetValues("Path"), "/other");
  list.SetValues("Size", "12");
  EXPECT_EQ(list.GetText(), "plain\nPATH=/other\nSize=12\n");
  EXPECT_EQ(list.IndexOf("PLAIN"), 0);
  EXPECT_EQ(list.IndexOf("missing"), -1);
}

TEST(ThreadStringList, FailedOperationsRaiseAndLeaveTheLockFree) {
  TThreadStringList list;
  list.Add("a");
  EXPECT_THROW(list.Delete(1), std::out_of_range);
  EXPECT_THROW(list.GetStrings(-1), std::out_of_range);
  EXPECT_THROW(list.Insert(2, "x"), std::out_of_range);
  list.Insert(1, "b");  // at the end is allowed
  list.Exchange(0, 1);
  EXPECT_EQ(list.Snapshot(), (TThreadStringList::TStrings{"b", "a"}));
  list.Sort();
  EXPECT_EQ(list.GetStrings(0), "a");
}

TEST(ThreadStringListThreads, TwoThreadsAddingAtOnceBothSucceed) {
  TThreadStringList list;
  constexpr int kEach = 5000;
  auto add = [&](const char* who) {
    for (int i = 0; i < kEach; ++i) list.Add(who);
  };
  std::thread a(add, "a"), b(add, "b");
  a.join();
  b.join();
  EXPECT_EQ(list.Count(), 2 * kEach);
  const int as = list.WithLock([](TThreadStringList::TStrings& strings) {
    return int(std::count(strings.begin(), strings.end(), "a"));
  });
  EXPECT_EQ(as, kEach);
}
