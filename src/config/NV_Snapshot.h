// A value that one thread replaces while others read it: readers take the whole current value
// and keep it as long as they need it, so a reload never tears what a reader sees.
#pragma once

#include <memory>
#include <mutex>

namespace config {

template <typename T>
class TSnapshot {
 public:
  explicit TSnapshot(std::shared_ptr<const T> initial = std::make_shared<const T>())
      : FValue(std::move(initial)) {}

  std::shared_ptr<const T> Get() const {
    std::lock_guard<std::mutex> guard(FLock);
    return FValue;
  }
  void Set(std::shared_ptr<const T> value) {
    std::lock_guard<std::mutex> guard(FLock);
    FValue.swap(value);  // the old value is released outside the lock, when Value goes
  }

 private:
  mutable std::mutex FLock;
  std::shared_ptr<const T> FValue;
};

}  // namespace config
