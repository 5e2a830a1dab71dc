// Implementations made from C++ functions, adapted to the canonical signature
// and checked against their message's at compile time.
#pragma once

#include <type_traits>

#include "objc/canonical.h"
#include "objc/message.h"
#include "objc/runtime.h"
#include "objc/send.h"

namespace objc {

namespace detail {
template <class T>
decltype(auto) fromCanonArg(CanonArg<T> v) {
  using D = std::remove_cvref_t<T>;
  if constexpr (is_ref<D>::value) {
    return D(static_cast<decltype(std::declval<D>().get())>(v));
  } else {
    return static_cast<D>(v);
  }
}

template <class R>
CanonRet<R> toCanonRet(R&& r) {
  if constexpr (is_ref<std::remove_cvref_t<R>>::value) {
    return Ref<NSObject>(std::move(r));
  } else if constexpr (is_object_pointer_v<std::remove_cvref_t<R>>) {
    static_assert(!is_object_pointer_v<std::remove_cvref_t<R>>, "object results are Ref<T>: the caller owns them");
  } else {
    return static_cast<CanonRet<R>>(r);
  }
}

template <auto F, class FnT>
struct Adapter;

// R f(Self* self, SEL cmd, A... args): hooks, and methods made at run time.
template <auto F, class R, class Self, class... A>
struct Adapter<F, R (*)(Self*, SEL, A...)> {
  using Sig = R(A...);
  static CanonRet<R> trampoline(id self, SEL cmd, CanonArg<A>... args) {
    if constexpr (std::is_void_v<R>) {
      F(static_cast<Self*>(self), cmd, fromCanonArg<A>(args)...);
    } else {
      return toCanonRet<R>(F(static_cast<Self*>(self), cmd, fromCanonArg<A>(args)...));
    }
  }
};

// R Self::f(A... args): a class's own methods.
template <auto F, class R, class Self, class... A>
struct Adapter<F, R (Self::*)(A...)> {
  using Sig = R(A...);
  static CanonRet<R> trampoline(id self, SEL, CanonArg<A>... args) {
    if constexpr (std::is_void_v<R>) {
      (static_cast<Self*>(self)->*F)(fromCanonArg<A>(args)...);
    } else {
      return toCanonRet<R>((static_cast<Self*>(self)->*F)(fromCanonArg<A>(args)...));
    }
  }
};

// static R f(Receiver* self, A... args): class methods (the receiver is the
// class) and category methods (the receiver is an instance of the target).
template <auto F, class FnT>
struct StaticAdapter;
template <auto F, class R, class Receiver, class... A>
struct StaticAdapter<F, R (*)(Receiver*, A...)> {
  using Sig = R(A...);
  static CanonRet<R> trampoline(id self, SEL, CanonArg<A>... args) {
    if constexpr (std::is_void_v<R>) {
      F(static_cast<Receiver*>(self), fromCanonArg<A>(args)...);
    } else {
      return toCanonRet<R>(F(static_cast<Receiver*>(self), fromCanonArg<A>(args)...));
    }
  }
};

template <class M, class A>
Imp checkedImp() {
  static_assert(SignaturesAgree<SignatureOf<M>, typename A::Sig>::value,
                "the implementation's signature disagrees with its message's");
  return Imp{reinterpret_cast<RawFn>(&A::trampoline), Call<SignatureOf<M>>::types()};
}
}  // namespace detail

// The implementation of message M by F: a member function `R Self::f(A...)`
// or a free function `R f(Self*, SEL, A...)`. A signature that disagrees
// with M's does not compile.
template <MessageType M, auto F>
Imp implementation() {
  return detail::checkedImp<M, detail::Adapter<F, decltype(F)>>();
}

// The same for a static function whose first parameter is the receiver.
template <MessageType M, auto F>
Imp staticImplementation() {
  return detail::checkedImp<M, detail::StaticAdapter<F, decltype(F)>>();
}

// An implementation with whatever signature F has, for what only meets at
// run time: a method built by a test, or a hook whose target it cannot see.
// The encoding still travels with it and is checked at every send.
template <auto F>
Imp uncheckedImplementation() {
  using A = detail::Adapter<F, decltype(F)>;
  return Imp{reinterpret_cast<RawFn>(&A::trampoline), Call<typename A::Sig>::types()};
}

// The encoding of a message, as class_addMethod wants it.
template <MessageType M>
const char* typesFor() {
  return Call<SignatureOf<M>>::types();
}

}  // namespace objc
