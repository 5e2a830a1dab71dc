// How a sender takes an object argument: borrowed for the call, from a
// pointer, nothing or a reference.
#pragma once

#include <cstddef>
#include <type_traits>

#include "objc/NSObject.h"
#include "objc/Ref.h"

namespace objc {

template <class T>
inline constexpr bool is_object_pointer_v =
    std::is_pointer_v<T>&& std::is_convertible_v<std::remove_cv_t<std::remove_pointer_t<T>>*, NSObject*>;

// An object argument, borrowed for the length of the call. It takes a
// pointer, nothing, or a reference; a temporary reference lives to the end of
// the full expression, so it outlives the call it is passed to.
template <class T>
class Borrowed {
 public:
  Borrowed(T* p) noexcept : p_(p) {}
  Borrowed(std::nullptr_t) noexcept {}
  template <class U>
  requires std::is_convertible_v<U*, T*> Borrowed(const Ref<U>& r)
  noexcept : p_(r.get()) {}
  template <class U>
  requires std::is_convertible_v<U*, T*> Borrowed(Ref<U>&& r)
  noexcept : p_(r.get()) {}
  T* get() const noexcept { return p_; }

 private:
  T* p_ = nullptr;
};

template <class T>
struct is_borrowed : std::false_type {};
template <class T>
struct is_borrowed<Borrowed<T>> : std::true_type {};

// What a sender's parameter of type A accepts.
template <class A>
struct Param {
  using type = A;
};
template <class A>
requires is_object_pointer_v<A>
struct Param<A> {
  using type = Borrowed<std::remove_pointer_t<A>>;
};
template <class A>
using ParamT = typename Param<A>::type;

}  // namespace objc
