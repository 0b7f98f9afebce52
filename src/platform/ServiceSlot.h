// The installed instance of one platform service. A backend installs its services at start-up
// (the GTK backend in main, the headless backend in each test) and uninstalls them (nullptr)
// before it goes; each service header pairs a SetX with a TheX built on one slot.
#pragma once

#include <atomic>
#include <cstdlib>

namespace platform {

template <typename T>
class TServiceSlot {
 public:
  void Set(T* service) { FService.store(service, std::memory_order_release); }
  T& Get() const {
    T* service = FService.load(std::memory_order_acquire);
    if (!service) std::abort();  // using a service no backend installed is a programming error
    return *service;
  }
  bool Installed() const { return FService.load(std::memory_order_acquire) != nullptr; }

 private:
  std::atomic<T*> FService{nullptr};
};

}  // namespace platform
