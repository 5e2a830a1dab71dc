// A strong reference to a runtime object.
#pragma once

#include <cstddef>
#include <type_traits>
#include <utility>

// Object results of sends arrive as Refs: the caller owns one count, so
// nothing needs an autorelease pool.
template <class T>
class Ref {
 public:
  struct AdoptTag {};

  Ref() noexcept = default;
  Ref(std::nullptr_t) noexcept {}
  Ref(T* p) noexcept : p_(p) {
    if (p_) p_->retain();
  }
  Ref(T* p, AdoptTag) noexcept : p_(p) {}
  Ref(const Ref& o) noexcept : Ref(o.p_) {}
  Ref(Ref&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  Ref(const Ref<U>& o) noexcept : Ref(static_cast<T*>(o.get())) {}
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  Ref(Ref<U>&& o) noexcept : p_(static_cast<T*>(o.leak())) {}
  ~Ref() {
    if (p_) p_->release();
  }

  Ref& operator=(Ref o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }

  // Takes over a count the caller already holds.
  static Ref adopt(T* p) noexcept { return Ref(p, AdoptTag{}); }

  T* get() const noexcept { return p_; }
  T* operator->() const noexcept { return p_; }
  T& operator*() const noexcept { return *p_; }
  explicit operator bool() const noexcept { return p_ != nullptr; }
  // Borrowing is implicit only from a reference that outlives the statement:
  // a pointer taken from a temporary would dangle at the semicolon.
  operator T*() const& noexcept { return p_; }
  operator T*() const&& = delete;
  // Gives up ownership without releasing.
  [[nodiscard]] T* leak() noexcept { return std::exchange(p_, nullptr); }

 private:
  T* p_ = nullptr;
};

namespace objc {
template <class T>
struct is_ref : std::false_type {};
template <class T>
struct is_ref<Ref<T>> : std::true_type {};
}  // namespace objc
