// State shared between threads, reachable only under its lock.
//
// A Locked<T> keeps its value and its mutex together, so no code can touch the value without
// holding the lock: WithLock(fn) runs fn(value) inside the lock and returns what fn returns.
// Keep fn short (copy out, swap in); never call back into code that may take the same lock.
//
//   Locked<std::vector<std::string>> names;
//   names.WithLock([&](auto& list) { list.push_back(name); });
//   size_t count = names.WithLock([](const auto& list) { return list.size(); });
#pragma once

#include <mutex>
#include <utility>

namespace tasks {

template <typename T>
class Locked {
 public:
  Locked() = default;
  template <typename... Args>
  explicit Locked(std::in_place_t, Args&&... args) : FValue(std::forward<Args>(args)...) {}
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;

  template <typename Fn>
  decltype(auto) WithLock(Fn&& fn) {
    std::lock_guard<std::mutex> guard(FLock);
    return std::forward<Fn>(fn)(FValue);
  }
  template <typename Fn>
  decltype(auto) WithLock(Fn&& fn) const {
    std::lock_guard<std::mutex> guard(FLock);
    return std::forward<Fn>(fn)(static_cast<const T&>(FValue));
  }

  // A copy of the value, taken under the lock.
  T Copy() const {
    return WithLock([](const T& value) { return value; });
  }
  // Swaps Other in under the lock and returns what was there.
  T Exchange(T other) {
    return WithLock([&](T& value) { return std::exchange(value, std::move(other)); });
  }

 private:
  mutable std::mutex FLock;
  T FValue{};
};

}  // namespace tasks
