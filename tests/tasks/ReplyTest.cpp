#include "tasks/NV_Reply.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/headless/HeadlessBackend.h"
#include "tasks/NV_Locked.h"
#include "tasks/NV_TaskManager.h"

namespace tasks {
namespace {

// An owner of results, and a weak handle to it that reads as none once the owner is gone.
struct TOwner {
  std::vector<std::string> Applied;
  std::thread::id AppliedOn;
};

struct TOwnerHandle {
  std::weak_ptr<TOwner> Owner;
  TOwner* Get() const { return Owner.lock().get(); }
};

class ReplyThread : public ::testing::Test {
 protected:
  platform::headless::THeadlessBackend Backend;
  TTaskManager Tasks;
  std::shared_ptr<TOwner> Owner = std::make_shared<TOwner>();
  TGeneration Generation;

  std::atomic<int> Made{0};  // passes whose work returned
  int AppliedCount = 0;      // replies applied, to any owner

  // Runs Work for Value on the task "Job" and applies what it returns to the owner.
  void Run(std::string value, std::function<void(TSmartTask&)> work = {}) {
    RunThenReply(
        Tasks.CreateTask("Job", false),
        [this, value, work](TSmartTask& pass) {
          if (work) work(pass);
          ++Made;
          return value;
        },
        TOwnerHandle{Owner}, Generation,
        [this](TOwner& owner, std::string&& result) {
          ++AppliedCount;
          owner.Applied.push_back(std::move(result));
          owner.AppliedOn = std::this_thread::get_id();
        });
  }
  // Waits, without pumping, until the pass of run number Count has returned: its reply, if it
  // sent one, waits in the interface thread's queue then.
  void AwaitMade(int count) {
    TSmartTask* task = nullptr;
    ASSERT_TRUE(Tasks.GetTask("Job", task));
    while (Made < count) std::this_thread::yield();
    while (task->Active()) std::this_thread::yield();
  }
};

TEST_F(ReplyThread, TheValueBuiltOnTheWorkerIsAppliedOnTheInterfaceThread) {
  std::atomic<bool> onWorker{false};
  Run("a", [&](TSmartTask&) { onWorker = !platform::IsUiThread(); });
  ASSERT_TRUE(Backend.Loop.RunUntil([&] { return !Owner->Applied.empty(); }, 10000));
  EXPECT_TRUE(onWorker);
  EXPECT_EQ(Owner->Applied, std::vector<std::string>{"a"});
  EXPECT_EQ(Owner->AppliedOn, std::this_thread::get_id());
}

TEST_F(ReplyThread, AResultForAnOwnerThatDiedIsDropped) {
  Run("late");
  AwaitMade(1);  // the reply waits in the queue
  Owner.reset();
  Backend.Loop.RunUntilIdle();
  EXPECT_EQ(AppliedCount, 0);
}

TEST_F(ReplyThread, ANewerGenerationDropsTheOlderResult) {
  Run("old");
  AwaitMade(1);  // "old" is made and its reply posted, but not applied yet
  Run("new");
  AwaitMade(2);
  Backend.Loop.RunUntilIdle();
  EXPECT_EQ(Owner->Applied, std::vector<std::string>{"new"});

  // An owner that stops wanting a result begins a generation of its own.
  Run("unwanted");
  AwaitMade(3);
  Generation.Begin();
  Backend.Loop.RunUntilIdle();
  EXPECT_EQ(Owner->Applied, std::vector<std::string>{"new"});
}

TEST_F(ReplyThread, AStoppedPassDeliversNothing) {
  std::atomic<bool> inPass{false};
  Run("partial", [&](TSmartTask& pass) {
    inPass = true;
    while (pass.Active()) std::this_thread::yield();  // works until told to stop
  });
  while (!inPass) std::this_thread::yield();
  Tasks.StopTask("Job", false);
  AwaitMade(1);
  Backend.Loop.RunUntilIdle();
  EXPECT_EQ(AppliedCount, 0);
  // The task serves the next run as usual.
  Run("whole");
  ASSERT_TRUE(Backend.Loop.RunUntil([&] { return !Owner->Applied.empty(); }, 10000));
  EXPECT_EQ(Owner->Applied, std::vector<std::string>{"whole"});
}

TEST(LockedThread, EveryChangeHappensUnderTheLock) {
  Locked<std::vector<int>> values;
  std::vector<std::thread> writers;
  for (int t = 0; t < 4; ++t)
    writers.emplace_back([&values, t] {
      for (int i = 0; i < 1000; ++i) values.WithLock([&](std::vector<int>& list) { list.push_back(t); });
    });
  size_t seen = 0;
  while (seen < 4000) seen = values.WithLock([](const std::vector<int>& list) { return list.size(); });
  for (std::thread& writer : writers) writer.join();
  EXPECT_EQ(values.Copy().size(), 4000u);
  EXPECT_EQ(values.Exchange({}).size(), 4000u);
  EXPECT_TRUE(values.Copy().empty());
}

}  // namespace
}  // namespace tasks
