// Casts between object types: down a reference whose class the caller knows,
// and checked against the object's class at run time.
#pragma once

#include <type_traits>
#include <utility>

#include "objc/NSObject.h"
#include "objc/Ref.h"
#include "objc/runtime.h"

namespace objc {
void checkCast(NSObject* obj, Class expected) noexcept;

// The downcast generic code needs when T may already be U.
template <class T, class U>
Ref<T> downcast(Ref<U> r) noexcept {
  if constexpr (std::is_same_v<T, U>) {
    return r;
  } else {
#ifndef NDEBUG
    if constexpr (requires { T::cls(); }) checkCast(r.get(), T::cls());
#endif
    return Ref<T>::adopt(static_cast<T*>(r.leak()));
  }
}
}  // namespace objc

// A downcast of a reference whose class the caller knows; debug builds check
// the object's class and stop with a message when it is not a kind of T.
template <class T, class U>
Ref<T> ref_cast(Ref<U> r) noexcept {
  static_assert(!std::is_same_v<T, U>, "ref_cast to the type the reference already has");
  static_assert(std::is_base_of_v<U, T>, "ref_cast only casts down");
  return objc::downcast<T>(std::move(r));
}

// A checked cast: the object when it is a kind of T's class, else nothing.
template <class T>
T* objc_cast(NSObject* obj) {
  return objc_opt_isKindOfClass(obj, T::cls()) ? static_cast<T*>(obj) : nullptr;
}
