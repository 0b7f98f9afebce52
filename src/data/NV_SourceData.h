// One picture source shared by every icon handle that shows it: a file type's icon (keyed by
// its lower-case extension with the dot, ".txt") or a picture read from a file (keyed by its
// full path).
//
// Threads: icon workers decode a picture privately and publish it through the icon cache,
// which swaps it in under the source's lock and counts its bytes; the interface thread copies
// the picture out under the same lock when it scales. The flags are atomics, written inside
// the picture's lock so that a reader holding the lock sees flags and picture agree.
#pragma once

#include <atomic>
#include <cstdint>
#include <list>
#include <string>

#include "gfx/Bitmap32.h"
#include "tasks/NV_Locked.h"

namespace data {

class TSourceData {
 public:
  using TOwners = std::list<std::string>;

  explicit TSourceData(std::string id) : sdID(std::move(id)) {}
  TSourceData(const TSourceData&) = delete;
  TSourceData& operator=(const TSourceData&) = delete;

  const std::string sdID;
  // The control identifiers of the items whose handles use the source, one entry per handle.
  // The icon cache adds and removes the entries; a list, so that a handle's own entry is
  // removed without a search.
  tasks::Locked<TOwners> sdOwners;
  // The decoded picture, 32-bit with alpha.
  tasks::Locked<gfx::TBitmap32> sdImage;
  std::atomic<bool> sdLoaded{false};   // sdImage holds the decoded picture
  std::atomic<bool> sdLoading{true};   // not ready yet: nothing is drawn from it
  std::atomic<bool> sdError{false};    // decoding failed; it is not tried again

  // A picture read from a file: only these count against the cache's memory budget.
  bool PathKeyed() const { return IsPathKey(sdID); }
  static bool IsPathKey(const std::string& id) { return id.find('/') != std::string::npos; }

  // Copies the picture into Into when it is loaded; Version tells which publication it was.
  // False, and Into untouched, while the source is not loaded.
  bool CopyImage(gfx::TBitmap32& into, uint64_t& version) const;
  // Changes with every picture published, so a scaled copy can tell that it is stale.
  uint64_t Version() const { return FVersion.load(std::memory_order_acquire); }
  int OwnerCount() const;
  // Takes the load of the picture: true for exactly one caller until the picture is let go,
  // so two icon workers never decode one source.
  bool TakeLoad() { return !FTaken.exchange(true, std::memory_order_acq_rel); }
  // Gives a taken load back unfinished (the worker was stopped first).
  void ReturnLoad() { FTaken.store(false, std::memory_order_release); }

  // The paint frame that last drew the source (0: never); the cache keeps what is in view.
  uint64_t LastDrawn() const { return FLastDrawn.load(std::memory_order_relaxed); }
  // True when the picture was let go to keep the cache within its budget and no reload has
  // been asked for yet.
  bool Dropped() const { return FDropped.load(std::memory_order_acquire); }

 private:
  friend class TIconCache;
  // Swaps Picture in (the old pixels come back in Picture): loaded, ready, no error.
  void Publish(gfx::TBitmap32& picture);
  void Fail();
  // Frees the picture: not loaded and loading again until it is reloaded.
  void Drop();
  void MarkDrawn(uint64_t frame) { FLastDrawn.store(frame, std::memory_order_relaxed); }
  // Takes the reload request: true for exactly one caller after a drop.
  bool TakeReload() { return FDropped.exchange(false, std::memory_order_acq_rel); }
  enum class TState { Loaded, Failed, Dropped };
  void Change(gfx::TBitmap32& picture, TState state);

  std::atomic<uint64_t> FVersion{0};
  std::atomic<uint64_t> FLastDrawn{0};
  std::atomic<bool> FDropped{false};
  std::atomic<bool> FTaken{false};
};

}  // namespace data
