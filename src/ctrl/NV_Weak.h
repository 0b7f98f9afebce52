// Weak handles to objects that may die while others still name them (hot and focused controls,
// senders, owners). The object carries a TLifeToken; its destructor (or an earlier retirement)
// expires the token, and every Weak<T> that names the object reads as none from then on.
//
// Interface thread only, like the objects that carry tokens.
#pragma once

#include <memory>

namespace ctrl {

class TLifeToken {
 public:
  TLifeToken() = default;
  ~TLifeToken() = default;
  // A copy is a new life: an object copied from another does not share its handles.
  TLifeToken(const TLifeToken&) {}
  TLifeToken& operator=(const TLifeToken&) { return *this; }

  bool Alive() const { return !FExpired; }
  // Every handle to the object expires now; the object itself may still run to its end.
  void Expire() {
    FExpired = true;
    FToken.reset();
  }
  // The token is made when the first handle is: most items of a large folder never get one.
  std::weak_ptr<char> Watch() const {
    if (!FToken && !FExpired) FToken = std::make_shared<char>(0);
    return FToken;
  }

 private:
  mutable std::shared_ptr<char> FToken;
  bool FExpired = false;
};

// T exposes its token as `const TLifeToken& LifeToken() const`. When T has an SC_ID field, an
// object whose identifier is empty counts as dead too.
template <typename T>
class Weak {
 public:
  Weak() = default;
  Weak(std::nullptr_t) {}  // NOLINT: none converts implicitly
  Weak(T* object) { Reset(object); }  // NOLINT: a control converts implicitly

  Weak& operator=(T* object) {
    Reset(object);
    return *this;
  }

  void Reset(T* object = nullptr) {
    FObject = object;
    FWatch = object != nullptr ? object->LifeToken().Watch() : std::weak_ptr<char>();
  }

  // The object when it is live, else none.
  T* Get() const {
    if (FObject == nullptr || FWatch.expired()) return nullptr;
    if constexpr (requires(const T& t) { t.SC_ID.empty(); }) {
      if (FObject->SC_ID.empty()) return nullptr;
    }
    return FObject;
  }
  bool Live() const { return Get() != nullptr; }
  explicit operator bool() const { return Live(); }
  T* operator->() const { return Get(); }

  // Names the same live object as Other (two dead or empty handles name the same: none).
  bool Same(const T* other) const { return Get() == other; }
  friend bool operator==(const Weak& a, const Weak& b) { return a.Get() == b.Get(); }

 private:
  T* FObject = nullptr;
  std::weak_ptr<char> FWatch;
};

}  // namespace ctrl
