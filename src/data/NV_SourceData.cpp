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

void TSourceData::Publish(gfx::TBitmap32& picture) {
  sdImage.WithLock([&](gfx::TBitmap32& image) {
    image.SwapPixels(picture);
    FVersion.fetch_add(1, std::memory_order_acq_rel);
    FDropped.store(false, std::memory_order_release);
    sdError.store(false, std::memory_order_release);
    sdLoaded.store(true, std::memory_order_release);
    sdLoading.store(false, std::memory_order_release);
  });
}

void TSourceData::Fail() {
  sdImage.WithLock([&](gfx::TBitmap32& image) {
    image = gfx::TBitmap32();
    sdLoaded.store(false, std::memory_order_release);
    sdError.store(true, std::memory_order_release);
    sdLoading.store(false, std::memory_order_release);
  });
}

void TSourceData::Drop() {
  sdImage.WithLock([&](gfx::TBitmap32& image) {
    image = gfx::TBitmap32();
    sdLoaded.store(false, std::memory_order_release);
    sdLoading.store(true, std::memory_order_release);
    FDropped.store(true, std::memory_order_release);
  });
}

}  // namespace data
