// Message sends: through a send site's cache, by a selector known only at run
// time, to the superclass, and through an implementation held in a slot. A
// message to nothing returns the zero value of the result.
#pragma once

#include <atomic>
#include <cstddef>
#include <type_traits>
#include <utility>

#include "objc/Borrowed.h"
#include "objc/NSObject.h"
#include "objc/Ref.h"
#include "objc/canonical.h"
#include "objc/class.h"
#include "objc/encoding.h"
#include "objc/message.h"
#include "objc/runtime.h"
#include "objc/selector.h"

namespace objc {

template <class Sig>
struct Call;

template <class R, class... A>
struct Call<R(A...)> {
  using CR = CanonRet<R>;
  using Fn = CR (*)(id, SEL, CanonArg<A>...);

  [[gnu::always_inline]] static const char* types() { return typesOf<CR, CanonArg<A>...>(); }

  // The parameters are the message's own types: arguments convert here,
  // with C++'s ordinary implicit conversions and error messages.
  // Everything but the matching case is out of line, so a hook calling its
  // previous implementation needs no stack frame of its own for it.
  [[gnu::always_inline]] static R invoke(Imp imp, id self, SEL sel, ParamT<A>... args) {
    if (imp && imp.types == typesOf<CR, CanonArg<A>...>()) [[likely]]
      return call(imp.fn, self, sel, args...);
    return invokeSlow(imp, self, sel, args...);
  }

  [[gnu::noinline]] static R invokeSlow(Imp imp, id self, SEL sel, ParamT<A>... args) {
    if (!imp) {
      if (!self) return R();
      throwUnrecognized(self, sel);
    }
    if (imp.types != types()) throwSignatureMismatch(self, sel, imp.types, types());
    return call(imp.fn, self, sel, args...);
  }

  // An implementation whose encoding is already known to match.
  [[gnu::always_inline]] static R call(RawFn raw, id self, SEL sel, ParamT<A>... args) {
    auto fn = reinterpret_cast<Fn>(raw);
    if constexpr (std::is_void_v<R>) {
      fn(self, sel, toCanon(args)...);
    } else {
      return fromCanon<R>(fn(self, sel, toCanon(args)...));
    }
  }

  // A send site's miss, kept out of line so the inline part stays small.
  template <class Sel>
  [[gnu::noinline]] static R miss(SendSite& site, id self, ParamT<A>... args) {
    if (!self) [[unlikely]]
      return invoke(Imp{}, self, Sel::sel(), args...);
    // A polymorphic site (whose second entry the inline part already tried)
    // refills that entry from the receiver class's cache, with the selector
    // and encoding its first entry resolved; a stale first entry of this
    // class is brought up to date instead.
    if (site.refills.load(std::memory_order_relaxed) >= kMonomorphicRefills) {
      Class cls = self->isa();
      const SiteEntry* e = site.entry.load(std::memory_order_acquire);
      Imp imp = e->cls == cls ? refillSite(site, cls, e->sel, e->types) : refillSecond(site, cls, e->sel, e->types);
      return invoke(imp, self, e->sel, args...);
    }
    SEL sel = Sel::sel();
    return invoke(refillSite(site, self->isa(), sel, types()), self, sel, args...);
  }
};

template <class T>
id asId(T* p) noexcept {
  return static_cast<id>(const_cast<std::remove_cv_t<T>*>(p));
}
template <class T>
id asId(const Ref<T>& r) noexcept {
  return static_cast<id>(r.get());
}
template <class T>
id asId(const Borrowed<T>& r) noexcept {
  return asId(r.get());
}
inline id asId(std::nullptr_t) noexcept { return nullptr; }

// The site of every send of message M to a receiver of static type Recv in
// one library (hidden, so reaching it costs no indirection). Zero until its
// first send fills it; a site is a cache, so sharing one is always correct.
template <class M, class Recv>
[[gnu::visibility("hidden")]] inline constinit SendSite sendSite{};

// send<Message>(receiver, args...): a message to an object or a class. A
// message to nothing returns the zero value of the result.
//
// The site's entry answers when the receiver's class is the one it saw and no
// method table has changed since: then the send is one compare of the class,
// one of the epoch and the call, with the selector taken from the entry.
template <MessageType M, class Recv, class... X>
[[gnu::always_inline]] inline ResultOf<M> send(const Recv& receiver, X&&... args) {
  id self = asId(receiver);
  using C = Call<SignatureOf<M>>;
  SendSite& site = sendSite<M, Recv>;
  const SiteEntry* e = site.entry.load(std::memory_order_acquire);
  if (e && self && e->cls == self->isa() &&
      e->epoch.load(std::memory_order_relaxed) == methodEpoch.load(std::memory_order_acquire)) [[likely]]
    return C::call(e->fn, self, e->sel, std::forward<X>(args)...);
  // A polymorphic site's second class, before the out-of-line miss.
  const SiteEntry* s = site.second.load(std::memory_order_acquire);
  if (s && self && s->cls == self->isa() &&
      s->epoch.load(std::memory_order_relaxed) == methodEpoch.load(std::memory_order_acquire))
    return C::call(s->fn, self, s->sel, std::forward<X>(args)...);
  return C::template miss<M>(site, self, std::forward<X>(args)...);
}

// A message whose selector is known only at run time (a row's action named
// in a page list, a selector read from a request).
template <class Sig, class Recv, class... X>
requires std::is_function_v<Sig>
typename ResultOfT<Sig>::type sendSel(const Recv& receiver, SEL s, X&&... args) {
  id self = asId(receiver);
  return Call<Sig>::invoke(self ? lookup(self->isa(), s) : Imp{}, self, s, std::forward<X>(args)...);
}

// A call to the superclass of `definingClass`, the class whose method is
// running (not the receiver's class, which may be a subclass). Classes reach
// it through their own `sendSuper<Message>(…)`, which names the class itself.
template <MessageType M, class Recv, class... X>
ResultOf<M> sendSuper(Class definingClass, const Recv& receiver, X&&... args) {
  id self = asId(receiver);
  SEL s = M::sel();
  return Call<SignatureOf<M>>::invoke(lookup(class_getSuperclass(definingClass), s), self, s, std::forward<X>(args)...);
}

// Calls an implementation held in a slot, such as the previous one of a hook.
template <MessageType M, class Recv, class... X>
ResultOf<M> invoke(Imp imp, const Recv& receiver, SEL s, X&&... args) {
  return Call<SignatureOf<M>>::invoke(imp, asId(receiver), s, std::forward<X>(args)...);
}

}  // namespace objc

// ------------------------------------------------- root class typed senders

inline Ref<NSObject> NSObject::init() { return objc::send<initMessage>(this); }
inline bool NSObject::isKindOfClass(Class c) { return objc::send<isKindOfClassMessage>(this, c); }
inline bool NSObject::isMemberOfClass(Class c) { return objc::send<isMemberOfClassMessage>(this, c); }
inline bool NSObject::respondsToSelector(SEL s) { return objc::send<respondsToSelectorMessage>(this, s); }
inline Class NSObject::class_() { return object_getClass(this); }
inline bool NSObject::isEqual(id other) { return objc::send<isEqualMessage>(this, other); }
inline unsigned long NSObject::hash() { return objc::send<hashMessage>(this); }
inline Ref<NSObject> NSObject::description() { return objc::send<descriptionMessage>(this); }
