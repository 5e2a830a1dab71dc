// Making an object: alloc, then the initialiser its arguments pick.
#pragma once

#include <utility>

#include "objc/NSObject.h"
#include "objc/Ref.h"
#include "objc/cast.h"
#include "objc/send.h"

namespace objc {

// alloc, then the initialiser whose parameters take `args`.
template <class T, class... X>
Ref<T> make(X&&... args) {
  using Init = decltype(T::initOverload(InitTag{}, std::declval<X>()...));
  Ref<NSObject> fresh = send<NSObject::allocMessage>(T::cls());
  return downcast<T>(Ref<NSObject>(send<Init>(fresh, std::forward<X>(args)...)));
}

}  // namespace objc
