// Worker results handed over to the interface thread: the one pattern for background work whose
// result the interface shows (a theme, a listing, a thumbnail).
//
//   1. The interface thread calls RunThenReply(task, work, owner, generation, apply).
//   2. work(task) runs on the task's worker and returns a value it built privately; it touches
//      nothing that the interface thread reads while it paints or hit-tests.
//   3. apply(*owner, value) runs later on the interface thread (posted), where it may change the
//      owner's structures, arrange and redraw.
//
// The value is dropped, and apply never runs, when
//   - the pass was stopped or superseded before work returned (the task's Active flag), or
//   - the owner died: its handle's Get() gives none on the interface thread, or
//   - a newer generation was begun meanwhile: another RunThenReply on the same generation, or
//     an explicit Begin() when the owner no longer wants the result (the folder moved on, the
//     tile scrolled away).
//
// Threads: the handle is dereferenced on the interface thread only. A generation is a shared
// counter, so a reply in flight may outlive the owner that held the generation. Work and Apply
// must be copyable (they travel in std::function).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>

#include "platform/UiLoop.h"
#include "tasks/NV_SmartTask.h"

namespace tasks {

class TGeneration {
 public:
  // One generation, as seen when it was begun; it stays current until the next Begin.
  class TTicket {
   public:
    bool Current() const { return FCounter && FCounter->load(std::memory_order_acquire) == FValue; }

   private:
    friend class TGeneration;
    TTicket(std::shared_ptr<const std::atomic<uint64_t>> counter, uint64_t value)
        : FCounter(std::move(counter)), FValue(value) {}
    std::shared_ptr<const std::atomic<uint64_t>> FCounter;
    uint64_t FValue;
  };

  // A new generation: every older ticket is stale from now on.
  TTicket Begin() { return TTicket(FCounter, FCounter->fetch_add(1, std::memory_order_acq_rel) + 1); }
  // The generation now in force, for work that must not supersede what runs already.
  TTicket Ticket() const { return TTicket(FCounter, FCounter->load(std::memory_order_acquire)); }

 private:
  std::shared_ptr<std::atomic<uint64_t>> FCounter = std::make_shared<std::atomic<uint64_t>>(0);
};

// Handle is a weak handle of the owner: a copyable value whose Get() gives the live owner or
// none (ctrl::Weak<T>). Work: Value(TSmartTask&). Apply: void(Owner&, Value&&).
template <typename Handle, typename Work, typename Apply>
void RunThenReply(TSmartTask& task, Work work, Handle owner, TGeneration& generation, Apply apply) {
  using TValue = std::invoke_result_t<Work&, TSmartTask&>;
  const TGeneration::TTicket ticket = generation.Begin();
  task.OnTaskExecute([work = std::move(work), owner = std::move(owner), ticket,
                      apply = std::move(apply)](TSmartTask& pass) mutable {
    auto value = std::make_shared<TValue>(work(pass));
    if (!pass.Active() || !ticket.Current()) return;  // stopped, superseded or no longer wanted
    platform::Post([owner, ticket, apply, value]() mutable {
      auto* target = owner.Get();
      if (target == nullptr || !ticket.Current()) return;
      apply(*target, std::move(*value));
    });
  });
  task.Start();
}

}  // namespace tasks
