// A text list whose every operation runs under one lock, shared by workers and the interface
// thread. Duplicates are allowed and the list is never kept sorted. Names and values are the
// "Name=Value" form of an entry; names and IndexOf compare letters A-Z without regard to case.
//
// An operation that fails (an index out of range throws std::out_of_range) leaves the lock
// released. A reader that needs several operations to agree (count, then entries) takes them
// in one WithLock call, or works on a Snapshot.
#pragma once

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace tasks {

class TThreadStringList {
 public:
  using TStrings = std::vector<std::string>;

  // Enters the lock and hands out the inner list; UnlockList leaves it. Prefer WithLock.
  TStrings& LockList();
  void UnlockList();
  template <typename Fn>
  decltype(auto) WithLock(Fn&& fn) {
    std::lock_guard<std::mutex> guard(FLock);
    return fn(FStringList);
  }

  int Add(std::string_view s);  // the new entry's index
  void AddStrings(const TStrings& strings);
  void Insert(int index, std::string_view s);  // 0 <= index <= Count
  void Delete(int index);
  void Clear();
  void Exchange(int index1, int index2);
  int IndexOf(std::string_view s) const;  // -1 when missing
  int IndexOfName(std::string_view name) const;
  void Sort();  // A-Z without regard to case, then byte order

  int Count() const;
  std::string GetStrings(int index) const;
  void SetStrings(int index, std::string_view s);
  std::string Names(int index) const;  // the text before the first "=", empty without one
  std::string GetValues(std::string_view name) const;
  // Replaces the value of the first entry of that name or appends "Name=Value"; an empty value
  // removes the entry.
  void SetValues(std::string_view name, std::string_view value);

  // The entries one a line ("\n" after each); setting splits at "\n" (a "\r" before it is
  // dropped).
  std::string GetText() const;
  void SetText(std::string_view text);
  TStrings Snapshot() const;

  // False when the file cannot be read or written; the list is then unchanged.
  bool LoadFromFile(const std::string& path);
  bool SaveToFile(const std::string& path) const;

 private:
  mutable std::mutex FLock;
  TStrings FStringList;
};

}  // namespace tasks
