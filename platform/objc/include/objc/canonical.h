// The canonical signature every implementation is called with: each object
// parameter is passed as `id` (borrowed), each object result is a
// `Ref<NSObject>` (owned by the caller). Senders and implementations may use
// narrower object types; these convert.
#pragma once

#include <cstddef>
#include <type_traits>
#include <utility>

#include "objc/Borrowed.h"
#include "objc/Ref.h"
#include "objc/cast.h"
#include "objc/runtime.h"

namespace objc {

template <class T>
struct CanonArgT {
  using type = T;
};
template <class T>
requires is_object_pointer_v<T>
struct CanonArgT<T> {
  using type = id;
};
template <class T>
struct CanonArgT<Ref<T>> {
  using type = id;
};
template <class T>
struct CanonArgT<Borrowed<T>> {
  using type = id;
};
template <>
struct CanonArgT<long long> {
  using type = long;
};
template <>
struct CanonArgT<unsigned long long> {
  using type = unsigned long;
};
template <class T>
using CanonArg = typename CanonArgT<std::remove_cvref_t<T>>::type;

template <class T>
struct CanonRetT {
  using type = CanonArg<T>;
};
template <class T>
struct CanonRetT<Ref<T>> {
  using type = Ref<NSObject>;
};
template <>
struct CanonRetT<void> {
  using type = void;
};
template <class T>
using CanonRet = typename CanonRetT<T>::type;

template <class T>
decltype(auto) toCanon(T&& v) {
  using D = std::remove_cvref_t<T>;
  if constexpr (is_ref<D>::value) {
    return static_cast<id>(v.get());
  } else if constexpr (is_borrowed<D>::value) {
    return static_cast<id>(const_cast<std::remove_cv_t<std::remove_pointer_t<decltype(v.get())>>*>(v.get()));
  } else if constexpr (is_object_pointer_v<D>) {
    return static_cast<id>(const_cast<std::remove_cv_t<std::remove_pointer_t<D>>*>(v));
  } else if constexpr (std::is_same_v<D, std::nullptr_t>) {
    return static_cast<id>(nullptr);
  } else {
    return static_cast<CanonArg<D>>(v);
  }
}

template <class T, class C>
T fromCanon(C&& v) {
  if constexpr (is_ref<T>::value) {
    using Pointee = std::remove_pointer_t<decltype(std::declval<T>().get())>;
    return downcast<Pointee>(std::forward<C>(v));
  } else {
    return static_cast<T>(v);
  }
}

}  // namespace objc
