#include "data/NV_IconCache.h"

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

#include "config/NV_Settings.h"
#include "platform/ThreadCheck.h"

namespace data {

// ---- Claims --------------------------------------------------------------------------------

TIconClaim::TIconClaim(TIconClaim&& other) noexcept
    : FCache(std::exchange(other.FCache, nullptr)),
      FSource(std::move(other.FSource)),
      FEntry(other.FEntry),
      FInserted(other.FInserted) {}

TIconClaim& TIconClaim::operator=(TIconClaim&& other) noexcept {
  if (this != &other) {
    Release();
    FCache = std::exchange(other.FCache, nullptr);
    FSource = std::move(other.FSource);
    FEntry = other.FEntry;
    FInserted = other.FInserted;
  }
  return *this;
}

void TIconClaim::Release() {
  if (FCache == nullptr) return;
  FCache->Release(*this);
  FCache = nullptr;
  FSource.reset();
}

// ---- The cache -----------------------------------------------------------------------------

namespace {

int64_t PictureBytesOf(const gfx::TBitmap32& picture) {
  return int64_t{picture.Width()} * picture.Height() * int64_t(sizeof(gfx::TColor32));
}

int64_t BudgetFromOptions() { return int64_t{config::Options()->Cache.PictureMiB} * TIconCache::kMiB; }

}  // namespace

TIconCache::TIconCache() : TIconCache(BudgetFromOptions()) {}

TIconCache::TIconCache(int64_t budgetBytes) : FBudget(std::max<int64_t>(budgetBytes, 0)) {}

TIconClaim TIconCache::FindOrInsert(std::string_view key, std::string_view owner) {
  TIconClaim claim;
  FState.WithLock([&](TState& state) {
    auto [found, inserted] = state.Sources.try_emplace(std::string(key));
    if (inserted) found->second = std::make_shared<TSourceData>(found->first);
    claim.FSource = found->second;
    claim.FInserted = inserted;
    claim.FEntry = claim.FSource->sdOwners.WithLock([&](TSourceData::TOwners& owners) {
      owners.emplace_back(owner);
      return std::prev(owners.end());
    });
  });
  claim.FCache = this;
  return claim;
}

std::shared_ptr<TSourceData> TIconCache::Find(std::string_view key) const {
  return FState.WithLock([&](const TState& state) -> std::shared_ptr<TSourceData> {
    auto found = state.Sources.find(std::string(key));
    return found == state.Sources.end() ? nullptr : found->second;
  });
}

int TIconCache::SourceCount() const {
  return FState.WithLock([](const TState& state) { return int(state.Sources.size()); });
}

bool TIconCache::Holds(const TState& state, const TSourceData& source) {
  auto found = state.Sources.find(source.sdID);
  return found != state.Sources.end() && found->second.get() == &source;
}

void TIconCache::Forget(TState& state, TSourceData& source) {
  auto resident = state.Resident.find(&source);
  if (resident == state.Resident.end()) return;
  state.Bytes -= resident->second;
  state.Resident.erase(resident);
}

void TIconCache::Release(TIconClaim& claim) {
  TSourceData& source = *claim.FSource;
  FState.WithLock([&](TState& state) {
    const bool last = source.sdOwners.WithLock([&](TSourceData::TOwners& owners) {
      owners.erase(claim.FEntry);
      return owners.empty();
    });
    if (!last || !Holds(state, source)) return;
    Forget(state, source);
    state.Sources.erase(source.sdID);
  });
}

bool TIconCache::Publish(TSourceData& source, gfx::TBitmap32&& picture) {
  gfx::TBitmap32 previous = std::move(picture);
  const bool held = FState.WithLock([&](TState& state) {
    if (!Holds(state, source)) return false;
    const int64_t bytes = PictureBytesOf(previous);
    source.Publish(previous);
    if (source.PathKeyed()) {
      Forget(state, source);
      state.Resident.emplace(&source, bytes);
      state.Bytes += bytes;
      TrimLocked(state, &source);
    }
    return true;
  });
  return held;  // the replaced pixels are freed here, outside the lock
}

void TIconCache::PublishFailed(TSourceData& source) {
  FState.WithLock([&](TState& state) {
    if (!Holds(state, source)) return;
    source.Fail();
    Forget(state, source);
  });
}

// Only what can be loaded again is let go, the oldest draws first; a picture just published
// goes after the others drawn as long ago. A source in view is never let go, even when the
// budget cannot be kept without it. The stamps are read once: the interface thread may draw
// while a worker trims.
void TIconCache::TrimLocked(TState& state, const TSourceData* published) const {
  const int64_t budget = Budget();
  if (state.Bytes <= budget || !FCanReload.load(std::memory_order_acquire)) return;
  const uint64_t inView = FViewFrame.load(std::memory_order_relaxed);
  struct TCandidate {
    uint64_t Drawn;
    bool Published;
    TSourceData* Source;
  };
  std::vector<TCandidate> outOfView;
  for (const auto& [source, bytes] : state.Resident)
    if (const uint64_t drawn = source->LastDrawn(); drawn < inView)
      outOfView.push_back({drawn, source == published, source});
  std::sort(outOfView.begin(), outOfView.end(), [](const TCandidate& a, const TCandidate& b) {
    return a.Drawn != b.Drawn ? a.Drawn < b.Drawn : a.Published < b.Published;
  });
  for (const TCandidate& candidate : outOfView) {
    if (state.Bytes <= budget) break;
    Forget(state, *candidate.Source);
    candidate.Source->Drop();
  }
}

void TIconCache::SetLoader(TLoader loader) {
  NV_ASSERT_UI_THREAD();
  FLoader = std::move(loader);
  FCanReload.store(bool(FLoader), std::memory_order_release);
}

void TIconCache::BeginFrame() {
  NV_ASSERT_UI_THREAD();
  FFrame.fetch_add(1, std::memory_order_relaxed);
}

void TIconCache::EndFrame() {
  NV_ASSERT_UI_THREAD();
  FViewFrame.store(Frame(), std::memory_order_relaxed);
  FState.WithLock([&](TState& state) { TrimLocked(state); });
}

void TIconCache::Drawn(TSourceData& source, const std::string& owner) {
  NV_ASSERT_UI_THREAD();
  source.MarkDrawn(Frame());
  if (FLoader && source.Dropped() && source.TakeReload()) FLoader(source.sdID, owner);
}

int64_t TIconCache::PictureBytes() const {
  return FState.WithLock([](const TState& state) { return state.Bytes; });
}

void TIconCache::SetBudget(int64_t bytes) {
  FBudget.store(std::max<int64_t>(bytes, 0), std::memory_order_relaxed);
  FState.WithLock([&](TState& state) { TrimLocked(state); });
}

}  // namespace data
