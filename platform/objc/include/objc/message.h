// What a message's signature means: the result its senders give back, and
// when an implementation's signature agrees with it. A message itself (a
// selector with its C++ signature) is objc/selector.h; sending one is
// objc/send.h, implementing one objc/implementation.h.
#pragma once

#include <type_traits>

#include "objc/Ref.h"
#include "objc/canonical.h"
#include "objc/selector.h"

namespace objc {

template <class M>
using SignatureOf = typename M::Signature;

template <class Sig>
struct ResultOfT;
template <class R, class... A>
struct ResultOfT<R(A...)> {
  using type = R;
};
// Senders state their result type instead of deducing it, so that their
// bodies are compiled where every argument's class is complete.
template <class M>
using ResultOf = typename ResultOfT<SignatureOf<M>>::type;

template <class M>
concept MessageType = is_message<M>::value;

// An implementation agrees with a message when both have the same canonical
// signature and each object type could be the other's (objects are loosely
// typed, as on the device, but a view is never a colour).
template <class A, class B>
constexpr bool objectTypesMeet() {
  if constexpr (is_object_pointer_v<A> && is_object_pointer_v<B>) {
    using PA = std::remove_cv_t<std::remove_pointer_t<A>>;
    using PB = std::remove_cv_t<std::remove_pointer_t<B>>;
    return std::is_convertible_v<PA*, PB*> || std::is_convertible_v<PB*, PA*>;
  } else if constexpr (is_ref<A>::value && is_ref<B>::value) {
    using PA = std::remove_pointer_t<decltype(std::declval<A>().get())>;
    using PB = std::remove_pointer_t<decltype(std::declval<B>().get())>;
    return std::is_convertible_v<PA*, PB*> || std::is_convertible_v<PB*, PA*>;
  } else {
    return true;
  }
}

template <class MsgSig, class ImplSig>
struct SignaturesAgree : std::false_type {};
template <class R, class... A, class R2, class... B>
requires(sizeof...(A) == sizeof...(B)) struct SignaturesAgree<R(A...), R2(B...)>
    : std::bool_constant<std::is_same_v<CanonRet<R>, CanonRet<std::remove_cvref_t<R2>>> &&
                         objectTypesMeet<R, std::remove_cvref_t<R2>>() &&
                         ((std::is_same_v<CanonArg<A>, CanonArg<B>> &&
                           objectTypesMeet<std::remove_cvref_t<A>, std::remove_cvref_t<B>>()) &&
                          ...)> {
};

}  // namespace objc
