#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "TaskTestSupport.h"
#include "platform/UiLoop.h"
#include "tasks/NV_SmartTask.h"
#include "tasks/NV_TaskManager.h"

using namespace tasks;
using platform::headless::TClock;
using platform::headless::THeadlessBackend;
using tasktest::Nap;
using tasktest::PumpUntil;
using tasktest::WaitFor;

namespace {

// What the passes of one task did, written by its worker and read by the test.
struct TPassLog {
  std::atomic<int> Entered{0};    // execute callbacks begun
  std::atomic<int> Current{0};    // the pass the worker is in (worker only)
  std::atomic<bool> Gate{false};  // lets a blocked pass return
  std::mutex Lock;
  std::vector<int> Finished;  // pass numbers that delivered a finish
  std::atomic<int> Stopped{0};

  std::vector<int> Finishes() {
    std::lock_guard<std::mutex> guard(Lock);
    return Finished;
  }
};

// Execute: number the pass, then hold until the task stops being active or the gate opens.
void HoldingWork(TSmartTask& task, TPassLog& log) {
  task.OnTaskExecute([&log](TSmartTask& t) {
        log.Current = ++log.Entered;
        while (t.Active() && !log.Gate) Nap();
      })
      .OnTaskFinish([&log](TSmartTask&) {
        std::lock_guard<std::mutex> guard(log.Lock);
        log.Finished.push_back(log.Current);
      })
      .OnTaskStopped([&log](TSmartTask&) { ++log.Stopped; });
}

// The worker sleeps with nothing pending: every pass so far has delivered what it will.
bool Idle(TSmartTask& task) {
  return WaitFor([&] { return task.Thread() && task.Thread()->Suspended() && !task.Active(); });
}

class SmartTaskThreads : public ::testing::Test {
 protected:
  THeadlessBackend Backend{TClock::ckReal};
  TTaskManager Tasks;
};

}  // namespace

TEST_F(SmartTaskThreads, PassRunsItsCallbacksInOrderOnOneReusedWorker) {
  std::mutex lock;
  std::vector<std::string> log;
  std::set<std::thread::id> threads;
  std::atomic<int> finished{0};
  std::atomic<bool> activeInWork{false};
  auto note = [&](const char* what) {
    std::lock_guard<std::mutex> guard(lock);
    log.push_back(what);
    threads.insert(std::this_thread::get_id());
  };
  TSmartTask& task = Tasks.CreateTask("A", false);
  EXPECT_EQ(task.Thread(), nullptr);
  EXPECT_EQ(task.StopFlag(), nullptr);
  task.OnTaskExecute([&](TSmartTask& t) {
        activeInWork = t.Active() && TSmartTask::Current() == &t;
        note("execute");
      })
      .OnTaskBeforeFinish([&](TSmartTask&) { note("before"); })
      .OnTaskFinish([&](TSmartTask&) {
        note("finish");
        ++finished;
      })
      .Start();
  ASSERT_TRUE(PumpUntil(Backend, [&] { return finished == 1; }));
  ASSERT_TRUE(Idle(task));
  const uint32_t firstWorker = task.ThreadHandle();
  task.Start();
  ASSERT_TRUE(PumpUntil(Backend, [&] { return finished == 2; }));
  ASSERT_TRUE(Idle(task));
  EXPECT_EQ(log, (std::vector<std::string>{"execute", "before", "finish", "execute", "before",
                                           "finish"}));
  EXPECT_TRUE(activeInWork);
  ASSERT_EQ(threads.size(), 1u);
  EXPECT_NE(*threads.begin(), std::this_thread::get_id());
  EXPECT_NE(firstWorker, 0u);
  EXPECT_EQ(task.ThreadHandle(), firstWorker);
  EXPECT_EQ(TSmartTask::Current(), nullptr);
}

TEST_F(SmartTaskThreads, StartWhileRunningSupersedesThePassAndOnlyTheLastFinishes) {
  TPassLog log;
  TSmartTask& task = Tasks.CreateTask("List", false);
  HoldingWork(task, log);
  task.Start();
  ASSERT_TRUE(WaitFor([&] { return log.Entered == 1; }));
  task.Start();
  ASSERT_TRUE(WaitFor([&] { return log.Entered == 2; }));
  task.Start();
  ASSERT_TRUE(WaitFor([&] { return log.Entered == 3; }));
  log.Gate = true;
  ASSERT_TRUE(Idle(task));
  EXPECT_EQ(log.Finishes(), std::vector<int>{3});
  EXPECT_EQ(log.Stopped, 0);
}

TEST_F(SmartTaskThreads, SoftStopFinishesNowAndALaterStartUsesTheSameWorker) {
  TPassLog log;
  TSmartTask& task = Tasks.CreateTask("Soft", false);
  HoldingWork(task, log);
  task.Start();
  ASSERT_TRUE(WaitFor([&] { return log.Entered == 1; }));
  task.Stop(false);
  ASSERT_TRUE(Idle(task));
  EXPECT_EQ(log.Finishes(), std::vector<int>{1});
  const uint32_t worker = task.ThreadHandle();
  task.Start();
  ASSERT_TRUE(WaitFor([&] { return log.Entered == 2; }));
  task.Stop(false);
  ASSERT_TRUE(Idle(task));
  EXPECT_EQ(log.Finishes(), (std::vector<int>{1, 2}));
  EXPECT_EQ(log.Stopped, 0);
  EXPECT_EQ(task.ThreadHandle(), worker);
}

TEST_F(SmartTaskThreads, StartRightAfterASoftStopRunsANewPass) {
  TPassLog log;
  TSmartTask& task = Tasks.CreateTask("Soft", false);
  // Pass 1 ignores the stop until the gate opens, so the Start surely finds it still in progress.
  task.OnTaskExecute([&](TSmartTask&) {
        log.Current = ++log.Entered;
        while (!log.Gate) Nap();
      })
      .OnTaskFinish([&](TSmartTask&) {
        std::lock_guard<std::mutex> guard(log.Lock);
        log.Finished.push_back(log.Current);
      });
  task.Start();
  ASSERT_TRUE(WaitFor([&] { return log.Entered == 1; }));
  task.Stop(false);
  task.Start();
  log.Gate = true;
  ASSERT_TRUE(WaitFor([&] { return log.Entered == 2; }));
  ASSERT_TRUE(Idle(task));
  EXPECT_EQ(log.Finishes(), std::vector<int>{2});  // the superseded pass delivers nothing
}

TEST_F(SmartTaskThreads, StartDuringTheFinishRunsAnotherPass) {
  // The moment between the end of a pass and the worker's sleep: a Start there is not lost.
  std::atomic<int> finished{0};
  TSmartTask& task = Tasks.CreateTask("Again", false);
  task.OnTaskFinish([&](TSmartTask& t) {
    if (++finished == 1) t.Start();
  });
  task.Start();
  ASSERT_TRUE(WaitFor([&] { return finished == 2; }));
  ASSERT_TRUE(Idle(task));
  EXPECT_EQ(finished, 2);
}

TEST_F(SmartTaskThreads, FullStopEndsTheTaskSilentlyAndForGood) {
  TPassLog log;
  std::atomic<bool> workReturned{false};
  std::atomic<int> before{0};
  TSmartTask& task = Tasks.CreateTask("Full", false);
  HoldingWork(task, log);
  task.OnTaskExecute([&](TSmartTask& t) {
        ++log.Entered;
        while (t.Active()) Nap();
        Nap();  // still busy for a moment after the stop was seen
        workReturned = true;
      })
      .OnTaskBeforeFinish([&](TSmartTask&) { ++before; });
  task.Start();
  ASSERT_TRUE(WaitFor([&] { return log.Entered == 1; }));
  task.Stop(true);
  EXPECT_TRUE(workReturned);  // the full stop returned after the work did
  ASSERT_NE(task.Thread(), nullptr);
  EXPECT_TRUE(task.Thread()->Terminated());
  EXPECT_FALSE(task.Active());
  EXPECT_FALSE(task.UserStop());  // reset when the worker ended
  task.Start();                   // the worker is gone for good
  Backend.Loop.RunUntilIdle();
  EXPECT_EQ(log.Entered, 1);
  EXPECT_EQ(before, 0);
  EXPECT_TRUE(log.Finishes().empty());
  EXPECT_EQ(log.Stopped, 0);
}

TEST_F(SmartTaskThreads, FullStopFromInsideItsOwnPassOrHandOverDoesNotWaitForItself) {
  for (bool fromHandOver : {false, true}) {
    SCOPED_TRACE(fromHandOver ? "in the hand-over" : "in the work");
    std::atomic<bool> stopped{false}, finished{false};
    auto task = std::make_unique<TSmartTask>("Self");
    task->OnTaskExecute([&](TSmartTask& t) {
          if (fromHandOver)
            t.Synchronize(
                [&] { t.Stop(true); });  // on the interface thread, while the worker waits
          else
            t.Stop(true);
          stopped = true;
        })
        .OnTaskFinish([&](TSmartTask&) { finished = true; });
    tasktest::THangGuard guard;
    task->Start();
    ASSERT_TRUE(PumpUntil(Backend, [&] { return stopped.load(); }));
    EXPECT_TRUE(task->Thread()->Terminated());
    task.reset();
    EXPECT_FALSE(finished);
  }
}

TEST_F(SmartTaskThreads, DestroyingReturnsWhereverTheWorkerWaits) {
  enum class TWhere { Asleep, Paused, InSynchronize, InRunOnUiThread };
  struct TCase {
    TWhere Where;
    const char* Name;
    bool RequestRuns;  // the hand-over the worker waits on is served rather than dropped
  };
  const TCase cases[] = {
      {TWhere::Asleep, "asleep", false},
      {TWhere::Paused, "paused", false},
      {TWhere::InSynchronize, "in its own hand-over", false},
      {TWhere::InRunOnUiThread, "in a plain hand-over", true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    std::atomic<bool> inside{false}, ran{false};
    auto task = std::make_unique<TSmartTask>("T");
    task->OnTaskExecute([&](TSmartTask& t) {
      inside = true;
      switch (c.Where) {
        case TWhere::Asleep:
          break;
        case TWhere::Paused:
          while (t.Active()) Nap();
          break;
        case TWhere::InSynchronize:
          t.Synchronize([&] { ran = true; });
          break;
        case TWhere::InRunOnUiThread:
          platform::RunOnUiThread([&] { ran = true; });
          break;
      }
    });
    task->Start();
    ASSERT_TRUE(WaitFor([&] { return inside.load(); }));
    if (c.Where == TWhere::Asleep) {
      ASSERT_TRUE(Idle(*task));
    }
    if (c.Where == TWhere::Paused) {
      task->Pause();
      ASSERT_TRUE(WaitFor([&] { return task->Thread()->Suspended(); }));
    }
    {
      tasktest::THangGuard guard;
      task.reset();  // the interface thread does not pump meanwhile, except inside the wait
    }
    Backend.Loop.RunUntilIdle();
    EXPECT_EQ(ran, c.RequestRuns);
  }
}

TEST_F(SmartTaskThreads, SynchronizeRunsOnTheInterfaceThread) {
  std::thread::id ranOn;
  std::atomic<bool> finished{false};
  TSmartTask& task = Tasks.CreateTask("Sync", false);
  task.OnTaskExecute(
          [&](TSmartTask& t) { t.Synchronize([&] { ranOn = std::this_thread::get_id(); }); })
      .OnTaskFinish([&](TSmartTask&) { finished = true; })
      .Start();
  ASSERT_TRUE(PumpUntil(Backend, [&] { return finished.load(); }));
  EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST_F(SmartTaskThreads, PauseHoldsTheWorkAtItsNextFlagTestAndNests) {
  std::atomic<int> steps{0}, pauses{0};
  std::thread::id pausedOn, resumedOn;
  std::atomic<bool> finished{false};
  TSmartTask& task = Tasks.CreateTask("Anim", false);
  task.OnTaskExecute([&](TSmartTask& t) {
        while (t.Active()) {
          ++steps;
          Nap();
        }
      })
      .OnTaskPaused([&](TSmartTask&) {
        ++pauses;
        pausedOn = std::this_thread::get_id();
      })
      .OnTaskResumed([&](TSmartTask&) { resumedOn = std::this_thread::get_id(); })
      .OnTaskFinish([&](TSmartTask&) { finished = true; });
  task.Pause();  // no worker yet: nothing happens
  EXPECT_EQ(pauses, 0);
  EXPECT_FALSE(task.Paused());

  task.Start();
  ASSERT_TRUE(WaitFor([&] { return steps > 0; }));
  task.Pause();
  task.Pause();
  EXPECT_TRUE(task.Paused());
  EXPECT_EQ(pausedOn, std::this_thread::get_id());
  ASSERT_TRUE(WaitFor([&] { return task.Thread()->Suspended(); }));
  const int held = steps;
  task.Resume();  // one of two pauses undone: still held
  EXPECT_FALSE(task.Paused());
  EXPECT_EQ(resumedOn, std::this_thread::get_id());
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(steps, held);
  EXPECT_TRUE(task.Thread()->Suspended());
  task.Resume();
  ASSERT_TRUE(WaitFor([&] { return steps > held; }));
  task.Stop(false);
  ASSERT_TRUE(WaitFor([&] { return finished.load(); }));
}

TEST_F(SmartTaskThreads, SetParamWithStopTaskStopsARunningPassSoftly) {
  TPassLog log;
  TSmartTask& task = Tasks.CreateTask("Icons", false);
  HoldingWork(task, log);
  task.Start();
  ASSERT_TRUE(WaitFor([&] { return log.Entered == 1; }));
  task.SetParam("IDX", 5, true);
  ASSERT_TRUE(Idle(task));
  EXPECT_EQ(log.Finishes(), std::vector<int>{1});
  int32_t idx = 0;
  task.GetParam("IDX", idx);
  EXPECT_EQ(idx, 5);
}

TEST_F(SmartTaskThreads, CreateTaskWithStopIfActiveStopsTheRunningPassSoftly) {
  TPassLog log;
  TSmartTask& task = Tasks.CreateTask("BuildList", false);
  HoldingWork(task, log);
  task.Start();
  ASSERT_TRUE(WaitFor([&] { return log.Entered == 1; }));
  EXPECT_EQ(&Tasks.CreateTask("BuildList", true), &task);
  ASSERT_TRUE(Idle(task));
  EXPECT_EQ(log.Finishes(), std::vector<int>{1});  // its callbacks stayed
}

TEST_F(SmartTaskThreads, ACallbackThatThrowsEndsOnlyItsOwnPass) {
  enum TThrower { thExecute, thBeforeFinish, thFinish };
  for (TThrower thrower : {thExecute, thBeforeFinish, thFinish}) {
    SCOPED_TRACE(int(thrower));
    std::atomic<bool> armed{true};
    std::atomic<int> before{0}, finished{0};
    auto maybeThrow = [&](TThrower at) {
      if (armed && thrower == at) throw std::runtime_error("callback failed");
    };
    TSmartTask task("Throws");
    task.OnTaskExecute([&](TSmartTask&) { maybeThrow(thExecute); })
        .OnTaskBeforeFinish([&](TSmartTask&) {
          ++before;
          maybeThrow(thBeforeFinish);
        })
        .OnTaskFinish([&](TSmartTask&) {
          maybeThrow(thFinish);
          ++finished;
        })
        .Start();
    ASSERT_TRUE(Idle(task));
    EXPECT_EQ(before, thrower == thExecute ? 0 : 1);
    EXPECT_EQ(finished, 0);
    armed = false;
    task.Start();  // the worker survived and serves the next pass as usual
    ASSERT_TRUE(WaitFor([&] { return finished == 1; }));
  }
}

TEST_F(SmartTaskThreads, ThrowingPauseAndResumeCallbacksStayInside) {
  TSmartTask& task = Tasks.CreateTask("P", false);
  task.OnTaskPaused([](TSmartTask&) { throw std::runtime_error("pause"); })
      .OnTaskResumed([](TSmartTask&) { throw std::runtime_error("resume"); })
      .Start();
  ASSERT_TRUE(Idle(task));
  EXPECT_NO_THROW(task.Pause());
  EXPECT_TRUE(task.Paused());
  EXPECT_NO_THROW(task.Resume());
  EXPECT_FALSE(task.Paused());
}

TEST_F(SmartTaskThreads, ThousandRapidStartsStopsAndRestartsLoseNoStartAndFinishNoPassTwice) {
  std::atomic<int> passes{0}, stopped{0};
  std::mutex lock;
  std::vector<std::pair<int, int>> finishes;  // (pass, the generation it worked for)
  thread_local int passOfWorker = 0, genOfWorker = 0;
  TSmartTask& task = Tasks.CreateTask("Cycle", false);
  task.OnTaskExecute([&](TSmartTask& t) {
        passOfWorker = ++passes;
        t.GetParam("Gen", genOfWorker);
        for (int i = 0; i < 20 && t.Active(); ++i)
          std::this_thread::sleep_for(std::chrono::microseconds(20));
      })
      .OnTaskFinish([&](TSmartTask&) {
        std::lock_guard<std::mutex> guard(lock);
        finishes.emplace_back(passOfWorker, genOfWorker);
        passOfWorker = 0;  // a pass stopped before its work began finishes as pass 0
      })
      .OnTaskStopped([&](TSmartTask&) { ++stopped; });

  std::mt19937 random(20240605);
  int gen = 0, starts = 0;
  for (int cycle = 0; cycle < 1000; ++cycle) {
    switch (random() % 3) {
      case 0:
        task.SetParam("Gen", ++gen).Start();
        ++starts;
        break;
      case 1:
        task.Stop(false);
        break;
      case 2:
        task.Start();
        ++starts;
        break;
    }
    // Irregular gaps, so the operations land in every phase of a pass.
    if (random() % 2) std::this_thread::sleep_for(std::chrono::microseconds(random() % 40));
  }
  task.SetParam("Gen", ++gen).Start();
  ++starts;
  const int last = gen;
  auto lastDelivered = [&] {
    std::lock_guard<std::mutex> guard(lock);
    return !finishes.empty() && finishes.back().second == last;
  };
  ASSERT_TRUE(WaitFor(lastDelivered));  // the final start was not lost
  ASSERT_TRUE(Idle(task));

  std::lock_guard<std::mutex> guard(lock);
  std::set<int> distinct;
  for (auto [pass, g] : finishes) {
    EXPECT_TRUE(pass == 0 || distinct.insert(pass).second) << "pass " << pass << " finished twice";
    EXPECT_LE(g, last);
  }
  EXPECT_LE(passes, starts);
  EXPECT_EQ(finishes.back().first, passes.load());  // the very last pass finished, after all others
  EXPECT_EQ(stopped, 0);
}

TEST_F(SmartTaskThreads, LockIsARealMutexAcrossThreads) {
  TSmartTask& task = Tasks.CreateTask("Locked", false);
  task.Lock();  // before the first start there is no lock to take
  EXPECT_FALSE(task.Locked());
  task.Start();
  ASSERT_TRUE(Idle(task));

  task.Lock();
  task.Lock();  // again on the holding thread: no deadlock
  EXPECT_TRUE(task.Locked());
  task.UnLock();
  EXPECT_FALSE(task.Locked());

  int counter = 0;  // plain: only the lock keeps the two threads apart
  auto add = [&] {
    for (int i = 0; i < 2000; ++i) {
      task.Lock();
      ++counter;
      task.UnLock();
    }
  };
  std::thread a(add), b(add);
  a.join();
  b.join();
  EXPECT_EQ(counter, 4000);
}

TEST_F(SmartTaskThreads, PriorityIsGivenToTheWorker) {
  const int base = getpriority(PRIO_PROCESS, id_t(gettid()));
  if (base > 5) GTEST_SKIP() << "this process already runs below the priorities tested";
  std::atomic<int> niceInWork{-100};
  std::atomic<bool> finished{false};
  TSmartTask& task = Tasks.CreateTask("Prio", false);
  task.OnTaskExecute([&](TSmartTask&) { niceInWork = getpriority(PRIO_PROCESS, id_t(gettid())); })
      .Priority(tpLower)
      .OnTaskFinish([&](TSmartTask&) { finished = true; })
      .Start();
  ASSERT_TRUE(WaitFor([&] { return finished.load(); }));
  EXPECT_EQ(niceInWork, 5);
  task.Priority(tpLowest);  // applied to the existing worker at once
  EXPECT_EQ(getpriority(PRIO_PROCESS, id_t(task.ThreadHandle())), 10);
  EXPECT_EQ(task.GetPriority(), tpLowest);
}

TEST(TaskParams, EachSetterFillsOnlyItsSlotOfTheExactlyNamedParameter) {
  TSmartTask task("P");
  int object = 0;
  task.SetParam("Path", "/home")
      .SetParam("Path", 7)
      .SetParam("Path", &object)
      .SetParam("path", "other");
  std::string s;
  int32_t i = -1;
  void* o = nullptr;
  task.GetParam("Path", s);
  task.GetParam("Path", i);
  task.GetParam("Path", o);
  EXPECT_EQ(s, "/home");
  EXPECT_EQ(i, 7);
  EXPECT_EQ(o, &object);
  task.GetParam("path", s);
  task.GetParam("path", i);
  EXPECT_EQ(s, "other");
  EXPECT_EQ(i, 0);

  s = "stale";
  i = 9;
  o = &object;
  task.GetParam("Missing", s);
  task.GetParam("Missing", i);
  task.GetParam("Missing", o);
  EXPECT_EQ(s, "");
  EXPECT_EQ(i, 0);
  EXPECT_EQ(o, nullptr);
  EXPECT_FALSE(task.GetParam("Missing").has_value());
  ASSERT_TRUE(task.GetParam("Path").has_value());
  EXPECT_EQ(task.GetParam("Path")->tpID, "Path");
}

TEST(TaskGroup, MembersAreUniqueByExactName) {
  TTaskGroup group("G");
  TSmartTask* a = group.AddTask(std::make_unique<TSmartTask>("A"));
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->TaskGroup(), &group);
  EXPECT_EQ(group.AddTask(std::make_unique<TSmartTask>("A")), nullptr);
  EXPECT_NE(group.AddTask(std::make_unique<TSmartTask>("a")), nullptr);
  EXPECT_EQ(group.Count(), 2u);
  EXPECT_TRUE(group.TaskExists("A"));
  EXPECT_FALSE(group.TaskExists("B"));
}

TEST(TaskGroupThreads, StartsItsMembersAndStopsThemOnlySoftly) {
  THeadlessBackend backend(TClock::ckReal);
  TPassLog logs[2];
  TTaskGroup group("G");
  TSmartTask* members[2];
  for (int i = 0; i < 2; ++i) {
    members[i] = group.AddTask(std::make_unique<TSmartTask>("M" + std::to_string(i)));
    HoldingWork(*members[i], logs[i]);
  }
  group.Start();
  for (auto& log : logs) ASSERT_TRUE(WaitFor([&] { return log.Entered == 1; }));
  EXPECT_EQ(group.Thread(), nullptr);
  group.Stop(true);  // soft for every member: they finish and stay startable
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(Idle(*members[i]));
    EXPECT_EQ(logs[i].Finishes(), std::vector<int>{1});
    EXPECT_FALSE(members[i]->Thread()->Terminated());
  }
}
