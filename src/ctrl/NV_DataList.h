// An owning list of objects shared by workers and the interface thread: every operation holds
// the list's lock. Objects removed from the list are freed after the lock is left, so a
// destructor that reaches the list again cannot deadlock.
//
// A pointer handed out (Add, GetItem, List) stays valid only while the object is in the list;
// code that must read several entries consistently does so inside WithLock (or between
// LockList and UnlockList). Out-of-range indexes raise std::out_of_range.
#pragma once

#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace ctrl {

template <typename T>
class TDataList {
 public:
  using TItems = std::vector<std::unique_ptr<T>>;

  TDataList() = default;
  TDataList(const TDataList&) = delete;
  TDataList& operator=(const TDataList&) = delete;

  TItems& LockList() {
    FLock.lock();
    return dlList;
  }
  void UnlockList() { FLock.unlock(); }
  template <typename Fn>
  decltype(auto) WithLock(Fn&& fn) {
    std::lock_guard<std::mutex> guard(FLock);
    return fn(dlList);
  }

  T* Add(std::unique_ptr<T> object) {
    std::lock_guard<std::mutex> guard(FLock);
    dlList.push_back(std::move(object));
    return dlList.back().get();
  }

  void Delete(int index) {
    std::unique_ptr<T> removed;
    {
      std::lock_guard<std::mutex> guard(FLock);
      auto at = dlList.begin() + std::ptrdiff_t(Checked(index));
      removed = std::move(*at);
      dlList.erase(at);
    }
  }

  int GetCount() const {
    std::lock_guard<std::mutex> guard(FLock);
    return int(dlList.size());
  }

  // The entries at this moment.
  std::vector<T*> List() const {
    std::lock_guard<std::mutex> guard(FLock);
    std::vector<T*> items;
    items.reserve(dlList.size());
    for (const auto& item : dlList) items.push_back(item.get());
    return items;
  }

  void Clear() {
    TItems removed;
    {
      std::lock_guard<std::mutex> guard(FLock);
      removed.swap(dlList);
    }
  }

  T* GetItem(int index) const {
    std::lock_guard<std::mutex> guard(FLock);
    return dlList[Checked(index)].get();
  }

  // Replaces the entry; the object it held is freed.
  void SetItem(int index, std::unique_ptr<T> object) {
    std::unique_ptr<T> replaced = std::move(object);
    {
      std::lock_guard<std::mutex> guard(FLock);
      std::swap(dlList[Checked(index)], replaced);
    }
  }

  // Takes the entry out at CurIndex and puts it in at NewIndex.
  void Move(int curIndex, int newIndex) {
    std::lock_guard<std::mutex> guard(FLock);
    const size_t from = Checked(curIndex), to = Checked(newIndex);
    std::unique_ptr<T> item = std::move(dlList[from]);
    dlList.erase(dlList.begin() + std::ptrdiff_t(from));
    dlList.insert(dlList.begin() + std::ptrdiff_t(to), std::move(item));
  }

 private:
  size_t Checked(int index) const {  // lock held
    if (index < 0 || size_t(index) >= dlList.size())
      throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    return size_t(index);
  }

  mutable std::mutex FLock;
  TItems dlList;
};

}  // namespace ctrl
