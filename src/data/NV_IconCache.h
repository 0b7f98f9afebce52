// The icon cache: the picture sources shared by every tab's icon handles, one per key.
//
// A handle claims its source with FindOrInsert, which finds or makes the source and enters
// the handle's owner in one step under the cache's lock, so workers asking for one key at the
// same time share one source. The owner entries count the claims: the cache forgets a source
// when its last claim is released, and a release goes straight to its own entry (no search).
//
// Memory: pictures read from files (path keys) are kept within a budget of bytes. When it is
// exceeded, the sources least recently drawn that are out of view give up their pictures and
// are "not loaded" again; the next draw of such a source asks the loader hook to load it anew.
// File type icons (extension keys) are few and never let go, and nothing is let go before a
// loader is installed.
//
// Out of view: the painter calls BeginFrame before and EndFrame after every paint; each draw
// stamps its source with the paint's frame number. A source drawn in the last finished paint
// or in the one under way is in view. EndFrame brings the cache back within its budget; a
// publication does too, as far as it can without touching what is in view.
//
// Threads: FindOrInsert, Publish, PublishFailed and releases may run on any thread (icon
// workers); frames, draws and the loader hook belong to the interface thread. The hook is
// called outside the cache's lock. The cache outlives every claim on it (the holder manager
// owns it and closes its tabs first).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "data/NV_SourceData.h"
#include "gfx/Bitmap32.h"
#include "tasks/NV_Locked.h"

namespace data {

class TIconCache;

// One handle's claim on a source: its owner entry in the source. Releasing it (or destroying
// it) takes the entry out again.
class TIconClaim {
 public:
  TIconClaim() = default;
  TIconClaim(TIconClaim&& other) noexcept;
  TIconClaim& operator=(TIconClaim&& other) noexcept;
  ~TIconClaim() { Release(); }

  const std::shared_ptr<TSourceData>& Source() const { return FSource; }
  // True for the claim that made the source: its maker loads the picture.
  bool Inserted() const { return FInserted; }
  const std::string& Owner() const { return *FEntry; }
  TIconCache* Cache() const { return FCache; }
  bool Valid() const { return FCache != nullptr; }
  void Release();

 private:
  friend class TIconCache;
  TIconCache* FCache = nullptr;
  std::shared_ptr<TSourceData> FSource;
  TSourceData::TOwners::iterator FEntry;
  bool FInserted = false;
};

class TIconCache {
 public:
  // Loads the picture of Key anew for the item Owner and publishes it (Publish or
  // PublishFailed); it should hand the work to a worker and return at once.
  using TLoader = std::function<void(const std::string& key, const std::string& owner)>;
  static constexpr int64_t kMiB = int64_t{1} << 20;

  TIconCache();  // the budget of the options ("Cache", "PictureMiB")
  explicit TIconCache(int64_t budgetBytes);
  TIconCache(const TIconCache&) = delete;
  TIconCache& operator=(const TIconCache&) = delete;

  TIconClaim FindOrInsert(std::string_view key, std::string_view owner);
  std::shared_ptr<TSourceData> Find(std::string_view key) const;
  int SourceCount() const;

  // Swaps a decoded picture into Source and counts it. False (and the picture is dropped)
  // when the cache no longer holds that source: its last claim went while it was decoded.
  bool Publish(TSourceData& source, gfx::TBitmap32&& picture);
  void PublishFailed(TSourceData& source);

  // Interface thread.
  void SetLoader(TLoader loader);
  void BeginFrame();
  void EndFrame();
  uint64_t Frame() const { return FFrame.load(std::memory_order_relaxed); }
  // A handle draws Source for Owner: stamps it and, when its picture was let go, asks the
  // loader for it once.
  void Drawn(TSourceData& source, const std::string& owner);

  // The bytes of the path-keyed pictures held, and the budget they are kept within.
  int64_t PictureBytes() const;
  int64_t Budget() const { return FBudget.load(std::memory_order_relaxed); }
  void SetBudget(int64_t bytes);

 private:
  friend class TIconClaim;
  struct TState {
    std::unordered_map<std::string, std::shared_ptr<TSourceData>> Sources;
    // The loaded path-keyed sources and the bytes each is counted with.
    std::unordered_map<TSourceData*, int64_t> Resident;
    int64_t Bytes = 0;
  };

  void Release(TIconClaim& claim);
  static bool Holds(const TState& state, const TSourceData& source);
  static void Forget(TState& state, TSourceData& source);  // its bytes no longer count
  void TrimLocked(TState& state, const TSourceData* published = nullptr) const;

  tasks::Locked<TState> FState;
  std::atomic<int64_t> FBudget;
  std::atomic<uint64_t> FFrame{1};
  std::atomic<uint64_t> FViewFrame{1};  // draws stamped from this frame on are in view
  TLoader FLoader;
  std::atomic<bool> FCanReload{false};  // a loader is installed: pictures may be let go
};

}  // namespace data
