// Message sends, type encodings and implementations made from C++ functions.
// Every send and implementation names its message (objc/selector.h), so the
// selector and the signature come from one place.
//
// Canonical signature: every object parameter is passed as `id` (borrowed);
// every object result is a `Ref<NSObject>` (owned by the caller). Senders and
// implementations may use narrower object types; the adapters below convert.
#pragma once

#include <atomic>

#include <algorithm>
#include <cstddef>
#include <string>
#include <type_traits>

#include "objc/NSObject.h"
#include "objc/runtime.h"
#include "objc/selector.h"

namespace objc {

// ---------------------------------------------------------------- encodings

template <class T, class = void>
struct TypeEncoding;  // no encoding: not a type a method may take or give

template <>
struct TypeEncoding<void> {
  static constexpr const char* value = "v";
};
template <>
struct TypeEncoding<id> {
  static constexpr const char* value = "@";
};
template <>
struct TypeEncoding<Ref<NSObject>> {
  static constexpr const char* value = "@";
};
template <>
struct TypeEncoding<SEL> {
  static constexpr const char* value = ":";
};
template <>
struct TypeEncoding<bool> {
  static constexpr const char* value = "B";
};
template <>
struct TypeEncoding<char> {
  static constexpr const char* value = "c";
};
template <>
struct TypeEncoding<unsigned char> {
  static constexpr const char* value = "C";
};
template <>
struct TypeEncoding<short> {
  static constexpr const char* value = "s";
};
template <>
struct TypeEncoding<unsigned short> {
  static constexpr const char* value = "S";
};
template <>
struct TypeEncoding<int> {
  static constexpr const char* value = "i";
};
template <>
struct TypeEncoding<unsigned> {
  static constexpr const char* value = "I";
};
template <>
struct TypeEncoding<long> {
  static constexpr const char* value = "q";
};
template <>
struct TypeEncoding<unsigned long> {
  static constexpr const char* value = "Q";
};
template <>
struct TypeEncoding<float> {
  static constexpr const char* value = "f";
};
template <>
struct TypeEncoding<double> {
  static constexpr const char* value = "d";
};
template <>
struct TypeEncoding<const char*> {
  static constexpr const char* value = "*";
};
template <>
struct TypeEncoding<void*> {
  static constexpr const char* value = "^v";
};
template <>
struct TypeEncoding<const void*> {
  static constexpr const char* value = "r^v";
};

// ------------------------------------------------------ canonical conversion

template <class T>
inline constexpr bool is_object_pointer_v =
    std::is_pointer_v<T>&& std::is_convertible_v<std::remove_cv_t<std::remove_pointer_t<T>>*, NSObject*>;

template <class T>
struct is_ref : std::false_type {};
template <class T>
struct is_ref<Ref<T>> : std::true_type {};

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

std::string encodingFor(std::initializer_list<const char*> parts);

// The interned encoding of a canonical signature: result, self, _cmd, args;
// interned when the library that uses it loads (or at first use, when that
// comes earlier, from another initialiser).
template <class R, class... A>
const char* internTypesOf() {
  return internTypes(encodingFor(
      {TypeEncoding<R>::value, TypeEncoding<id>::value, TypeEncoding<SEL>::value, TypeEncoding<A>::value...}));
}
// Read atomically for the same reason as a selector's slot: load-time code
// on another thread may look before this initialiser has run.
template <class R, class... A>
inline std::atomic<const char*> loadedTypes{nullptr};
template <class R, class... A>
inline const bool typesAtLoad = (loadedTypes<R, A...>.store(internTypesOf<R, A...>(), std::memory_order_release), true);

template <class R, class... A>
[[gnu::always_inline]] inline const char* typesOf() {
  static_cast<void>(&typesAtLoad<R, A...>);  // odr-use, so the encoding is interned at load
  const char* t = loadedTypes<R, A...>.load(std::memory_order_acquire);
  if (t) [[likely]]
    return t;
  t = internTypesOf<R, A...>();
  loadedTypes<R, A...>.store(t, std::memory_order_release);
  return t;
}

// ---------------------------------------------------- signature agreement
//
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

// ------------------------------------------------------------------ lookups

// Lookup through the class's cache; the slow path fills it.
[[gnu::always_inline]] inline Imp lookup(Class cls, SEL sel);

// ----------------------------------------------------------------- invoking

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

// alloc, then the initialiser whose parameters take `args`.
template <class T, class... X>
Ref<T> make(X&&... args) {
  using Init = decltype(T::initOverload(InitTag{}, std::declval<X>()...));
  Ref<NSObject> fresh = send<NSObject::allocMessage>(T::cls());
  return downcast<T>(Ref<NSObject>(send<Init>(fresh, std::forward<X>(args)...)));
}

// ------------------------------------------------------------ implementations

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

// ------------------------------------------------------------ cache fast path

[[gnu::always_inline]] inline Imp lookup(Class cls, SEL sel) {
  if (const MethodCache* c = cls->cache_.load(std::memory_order_acquire)) {
    if (const CacheSlot* e = cacheProbe(c, sel)) return e->imp;
  }
  return lookupSlow(cls, sel);
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
