#include "data/NV_SharedText.h"

#include <mutex>
#include <unordered_set>

namespace data {

namespace {

struct THash {
  using is_transparent = void;
  size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

struct TPool {
  std::mutex Lock;
  // Nodes never move, so pointers to the texts stay valid.
  std::unordered_set<std::string, THash, std::equal_to<>> Texts;
};

TPool& Pool() {
  static TPool* pool = new TPool;  // never destroyed: texts may be read during shut-down
  return *pool;
}

const std::string* Share(std::string_view text) {
  TPool& pool = Pool();
  std::lock_guard lock(pool.Lock);
  if (auto found = pool.Texts.find(text); found != pool.Texts.end()) return &*found;
  return &*pool.Texts.emplace(text).first;
}

const std::string* Empty() {
  static const std::string* empty = Share({});
  return empty;
}

}  // namespace

TSharedText::TSharedText() : FText(Empty()) {}
TSharedText::TSharedText(std::string_view text) : FText(text.empty() ? Empty() : Share(text)) {}

}  // namespace data
