#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "TaskTestSupport.h"
#include "tasks/NV_TaskManager.h"

using namespace tasks;
using platform::headless::TClock;
using platform::headless::THeadlessBackend;
using tasktest::Nap;
using tasktest::WaitFor;

TEST(TaskManager, CreateTaskFindsByExactNameAndKeepsCallbacks) {
  TTaskManager manager;
  TSmartTask& a = manager.CreateTask("A", false);
  a.OnTaskExecute([](TSmartTask&) {});
  EXPECT_EQ(&manager.CreateTask("A", false), &a);
  EXPECT_EQ(manager.Count(), 1);
  EXPECT_EQ(a.TaskManager(), &manager);
  EXPECT_EQ(a.ID(), "A");

  TSmartTask* found = &a;
  EXPECT_FALSE(manager.GetTask("a", found));
  EXPECT_EQ(found, nullptr);
  EXPECT_TRUE(manager.GetTask("A", found));
  EXPECT_EQ(found, &a);
  TSmartTask& b = manager.CreateTask("a", false);  // another name
  EXPECT_NE(&b, &a);
  for (int idx : {-1, 2}) EXPECT_FALSE(manager.GetTask(idx, found)) << idx;
  ASSERT_TRUE(manager.GetTask(1, found));
  EXPECT_EQ(found, &b);
  EXPECT_FALSE(manager.TaskActive("nothing"));
}

namespace {

struct TRunning {
  std::atomic<int> Entered{0}, Finished{0}, Paused{0}, Resumed{0};
  std::atomic<bool> Returned{false};
};

// A task that holds its pass until stopped.
TSmartTask& Running(TTaskManager& manager, const std::string& id, TRunning& state) {
  return manager.CreateTask(id, false)
      .OnTaskExecute([&state](TSmartTask& t) {
        ++state.Entered;
        while (t.Active()) Nap();
        state.Returned = true;
      })
      .OnTaskFinish([&state](TSmartTask&) { ++state.Finished; })
      .OnTaskPaused([&state](TSmartTask&) { ++state.Paused; })
      .OnTaskResumed([&state](TSmartTask&) { ++state.Resumed; });
}

}  // namespace

TEST(TaskManagerThreads, NamesInTheStopPauseAndResumeFormsIgnoreCase) {
  THeadlessBackend backend(TClock::ckReal);
  TRunning a, b;
  TTaskManager manager;
  TSmartTask& taskA = Running(manager, "Alpha", a);
  TSmartTask& taskB = Running(manager, "Beta", b);
  taskA.Start();
  taskB.Start();
  ASSERT_TRUE(WaitFor([&] { return a.Entered == 1 && b.Entered == 1; }));
  EXPECT_TRUE(manager.TaskActive("ALPHA"));

  manager.PauseTask({"alpha", "nobody"});
  EXPECT_EQ(a.Paused, 1);
  EXPECT_EQ(b.Paused, 0);
  manager.ResumeTask("ALPHA");
  EXPECT_EQ(a.Resumed, 1);

  manager.StopTask(std::vector<std::string>{"beta"}, false);
  ASSERT_TRUE(WaitFor([&] { return b.Finished == 1; }));
  EXPECT_TRUE(manager.TaskActive("alpha"));
  EXPECT_FALSE(manager.TaskActive("beta"));

  // The list-wide forms touch only the tasks in the state they concern.
  manager.PauseTasks();
  EXPECT_EQ(a.Paused, 2);
  EXPECT_EQ(b.Paused, 0);  // asleep, not active
  manager.ResumeTasks();
  EXPECT_EQ(a.Resumed, 2);
  EXPECT_EQ(b.Resumed, 0);

  manager.StopTask("alpha", true);
  EXPECT_TRUE(a.Returned);
  EXPECT_EQ(a.Finished, 0);
  EXPECT_TRUE(taskA.Thread()->Terminated());
  EXPECT_FALSE(taskB.Thread()->Terminated());
}

TEST(TaskManagerThreads, DestroyingTheManagerWaitsForEveryPassAndDeliversNothing) {
  THeadlessBackend backend(TClock::ckReal);
  TRunning states[3];
  auto manager = std::make_unique<TTaskManager>();
  for (int i = 0; i < 3; ++i) Running(*manager, "T" + std::to_string(i), states[i]).Start();
  for (auto& s : states) ASSERT_TRUE(WaitFor([&] { return s.Entered == 1; }));
  {
    tasktest::THangGuard guard;
    manager.reset();
  }
  for (auto& s : states) {
    EXPECT_TRUE(s.Returned);
    EXPECT_EQ(s.Finished, 0);
  }
}

TEST(TaskManagerThreads, WorkersCreateTasksOfAnotherOwnerWhileTheInterfaceReadsIt) {
  THeadlessBackend backend(TClock::ckReal);
  constexpr int kCreated = 60;
  std::atomic<int> finished{0};
  TTaskManager other;
  TTaskManager mine;
  mine.CreateTask("Spawner", false)
      .OnTaskExecute([&](TSmartTask&) {
        for (int i = 0; i < kCreated; ++i)
          other.CreateTask("Child" + std::to_string(i), false)
              .OnTaskFinish([&](TSmartTask&) { ++finished; })
              .Start();
      })
      .Start();
  // Meanwhile the interface thread walks the list that grows.
  bool hole = false;
  auto walked = [&] {
    TSmartTask* task = nullptr;
    for (int i = 0; i < other.Count(); ++i)
      hole = hole || !other.GetTask(i, task) || task->ID().empty();
    other.TaskActive("child0");
    return finished == kCreated;
  };
  ASSERT_TRUE(WaitFor(walked));
  EXPECT_FALSE(hole);
  EXPECT_EQ(other.Count(), kCreated);
}
