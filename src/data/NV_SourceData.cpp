#include "data/NV_SourceData.h"

#include <utility>

namespace data {

bool TSourceData::CopyImage(gfx::TBitmap32& into, uint64_t& version) const {
  return sdImage.WithLock([&](const gfx::TBitmap32& image) {
    if (!sdLoaded.load(std::memory_order_acquire)) return false;
    into = image;
    version = Version();
    return true;
  });
}

int TSourceData::OwnerCount() const {
  return sdOwners.WithLock([](const TOwners& owners) { return int(owners.size()); });
}

// The flags change with the picture under its lock, so a copy taken under the lock never
// belongs to another state.
void TSourceData::Change(gfx::TBitmap32& picture, TState state) {
  sdImage.WithLock([&](gfx::TBitmap32& image) {
    image.SwapPixels(picture);
    if (state == TState::Loaded) FVersion.fetch_add(1, std::memory_order_acq_rel);
    FDropped.store(state == TState::Dropped, std::memory_order_release);
    sdError.store(state == TState::Failed, std::memory_order_release);
    sdLoaded.store(state == TState::Loaded, std::memory_order_release);
    sdLoading.store(state == TState::Dropped, std::memory_order_release);
    if (state == TState::Dropped) FTaken.store(false, std::memory_order_release);
  });
}

void TSourceData::Publish(gfx::TBitmap32& picture) { Change(picture, TState::Loaded); }

void TSourceData::Fail() {
  gfx::TBitmap32 none;
  Change(none, TState::Failed);
}

void TSourceData::Drop() {
  gfx::TBitmap32 none;
  Change(none, TState::Dropped);  // the pixels are freed here, outside the lock
}

}  // namespace data
