// Message sends, type encodings and implementations made from C++ functions.
//
// Selector to C++ member name: drop the colons and capitalise the first letter
// of every keyword after the first. `setHidden:` is `setHidden`,
// `tableView:heightForRowAtIndexPath:` is `tableViewHeightForRowAtIndexPath`,
// `_setPageControlHidden:animated:` is `_setPageControlHiddenAnimated`. A
// selector that is a C++ keyword gets a trailing underscore (`class_`).
//
// Canonical signature: every object parameter is passed as `id` (borrowed);
// every object result is a `Ref<NSObject>` (owned by the caller). Senders and
// implementations may use narrower object types; the adapters below convert.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <type_traits>

#include "objc/NSObject.h"
#include "objc/runtime.h"

namespace objc {

// ---------------------------------------------------------------- selectors

template <std::size_t N>
struct SelName {
  char text[N];
  constexpr SelName(const char (&s)[N]) { std::copy_n(s, N, text); }
};

// The interned selector for a literal, looked up once per call site's type.
template <SelName S>
[[gnu::always_inline]] inline SEL sel() {
  static const SEL s = sel_registerName(S.text);
  return s;
}

// ---------------------------------------------------------------- encodings

template <class T, class = void>
struct TypeEncoding;  // no encoding: not a type a method may take or give

template <> struct TypeEncoding<void> { static constexpr const char* value = "v"; };
template <> struct TypeEncoding<id> { static constexpr const char* value = "@"; };
template <> struct TypeEncoding<Ref<NSObject>> { static constexpr const char* value = "@"; };
template <> struct TypeEncoding<SEL> { static constexpr const char* value = ":"; };
template <> struct TypeEncoding<bool> { static constexpr const char* value = "B"; };
template <> struct TypeEncoding<char> { static constexpr const char* value = "c"; };
template <> struct TypeEncoding<unsigned char> { static constexpr const char* value = "C"; };
template <> struct TypeEncoding<short> { static constexpr const char* value = "s"; };
template <> struct TypeEncoding<unsigned short> { static constexpr const char* value = "S"; };
template <> struct TypeEncoding<int> { static constexpr const char* value = "i"; };
template <> struct TypeEncoding<unsigned> { static constexpr const char* value = "I"; };
template <> struct TypeEncoding<long> { static constexpr const char* value = "q"; };
template <> struct TypeEncoding<unsigned long> { static constexpr const char* value = "Q"; };
template <> struct TypeEncoding<float> { static constexpr const char* value = "f"; };
template <> struct TypeEncoding<double> { static constexpr const char* value = "d"; };
template <> struct TypeEncoding<const char*> { static constexpr const char* value = "*"; };
template <> struct TypeEncoding<void*> { static constexpr const char* value = "^v"; };
template <> struct TypeEncoding<const void*> { static constexpr const char* value = "r^v"; };

// ------------------------------------------------------ canonical conversion

template <class T>
inline constexpr bool is_object_pointer_v =
    std::is_pointer_v<T> && std::is_convertible_v<std::remove_cv_t<std::remove_pointer_t<T>>*, NSObject*>;

template <class T>
struct is_ref : std::false_type {};
template <class T>
struct is_ref<Ref<T>> : std::true_type {};

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
    return ref_cast<Pointee>(std::forward<C>(v));
  } else if constexpr (is_object_pointer_v<T>) {
    return static_cast<T>(v);
  } else {
    return static_cast<T>(v);
  }
}

std::string encodingFor(std::initializer_list<const char*> parts);

// The interned encoding of a canonical signature: result, self, _cmd, args.
template <class R, class... A>
[[gnu::always_inline]] inline const char* typesOf() {
  static const char* const t = internTypes(encodingFor(
      {TypeEncoding<R>::value, TypeEncoding<id>::value, TypeEncoding<SEL>::value, TypeEncoding<A>::value...}));
  return t;
}

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

  template <class... X>
  [[gnu::always_inline]] static R invoke(Imp imp, id self, SEL sel, X&&... args) {
    if (!imp) {
      if (!self) return R();
      throwUnrecognized(self, sel);
    }
    if (imp.types != types()) throwSignatureMismatch(self, sel, imp.types, types());
    auto fn = reinterpret_cast<Fn>(imp.fn);
    if constexpr (std::is_void_v<R>) {
      fn(self, sel, toCanon(static_cast<A>(std::forward<X>(args)))...);
    } else {
      return fromCanon<R>(fn(self, sel, toCanon(static_cast<A>(std::forward<X>(args)))...));
    }
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
inline id asId(std::nullptr_t) noexcept { return nullptr; }

// send<R(A...), "selector:">(receiver, args...): a message to an object or a
// class. A message to nothing returns the zero value of R.
template <class Sig, SelName S, class Recv, class... X>
[[gnu::always_inline]] inline auto send(const Recv& receiver, X&&... args) {
  id self = asId(receiver);
  SEL s = sel<S>();
  using C = Call<Sig>;
  if (!self) return decltype(C::invoke(Imp{}, self, s, std::forward<X>(args)...))();
  return C::invoke(lookup(self->isa(), s), self, s, std::forward<X>(args)...);
}

// The same with a selector known only at run time.
template <class Sig, class Recv, class... X>
auto sendSel(const Recv& receiver, SEL s, X&&... args) {
  id self = asId(receiver);
  using C = Call<Sig>;
  if (!self) return decltype(C::invoke(Imp{}, self, s, std::forward<X>(args)...))();
  return C::invoke(lookup(self->isa(), s), self, s, std::forward<X>(args)...);
}

// A call to the superclass of `definingClass`, the class whose method is
// running (not the receiver's class, which may be a subclass).
template <class Sig, SelName S, class Recv, class... X>
auto sendSuper(Class definingClass, const Recv& receiver, X&&... args) {
  id self = asId(receiver);
  SEL s = sel<S>();
  return Call<Sig>::invoke(lookup(class_getSuperclass(definingClass), s), self, s, std::forward<X>(args)...);
}

// Calls an implementation held in a slot, such as the previous one of a hook.
template <class Sig, class Recv, class... X>
auto invoke(Imp imp, const Recv& receiver, SEL s, X&&... args) {
  return Call<Sig>::invoke(imp, asId(receiver), s, std::forward<X>(args)...);
}

// ------------------------------------------------------------ implementations

namespace detail {
template <class T>
decltype(auto) fromCanonArg(CanonArg<T> v) {
  if constexpr (is_ref<std::remove_cvref_t<T>>::value) {
    return std::remove_cvref_t<T>(static_cast<decltype(std::declval<std::remove_cvref_t<T>>().get())>(v));
  } else if constexpr (is_object_pointer_v<std::remove_cvref_t<T>>) {
    return static_cast<std::remove_cvref_t<T>>(v);
  } else {
    return static_cast<std::remove_cvref_t<T>>(v);
  }
}

template <class R>
CanonRet<R> toCanonRet(R&& r) {
  if constexpr (is_ref<std::remove_cvref_t<R>>::value) {
    return Ref<NSObject>(std::move(r));
  } else if constexpr (is_object_pointer_v<std::remove_cvref_t<R>>) {
    static_assert(!is_object_pointer_v<std::remove_cvref_t<R>>,
                  "object results are Ref<T>: the caller owns them");
  } else {
    return static_cast<CanonRet<R>>(r);
  }
}

template <auto F, class FnT>
struct Adapter;

// R f(Self* self, SEL cmd, A... args)
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

// R Self::f(A... args)
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
}  // namespace detail

// An implementation made from a free function `R f(Self*, SEL, A...)` or a
// member function `R Self::f(A...)`, with the encoding of its signature.
template <auto F>
Imp method() {
  using A = detail::Adapter<F, decltype(F)>;
  return Imp{reinterpret_cast<RawFn>(&A::trampoline), Call<typename A::Sig>::types()};
}

// The encoding of a signature, as class_addMethod wants it.
template <class Sig>
const char* typesFor() {
  return Call<Sig>::types();
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

inline Ref<NSObject> NSObject::init() { return objc::send<Ref<NSObject>(), "init">(this); }
inline bool NSObject::isKindOfClass(Class c) { return objc::send<bool(id), "isKindOfClass:">(this, c); }
inline bool NSObject::isMemberOfClass(Class c) { return objc::send<bool(id), "isMemberOfClass:">(this, c); }
inline bool NSObject::respondsToSelector(SEL s) { return objc::send<bool(SEL), "respondsToSelector:">(this, s); }
inline Class NSObject::class_() { return object_getClass(this); }
inline bool NSObject::isEqual(id other) { return objc::send<bool(id), "isEqual:">(this, other); }
inline unsigned long NSObject::hash() { return objc::send<unsigned long(), "hash">(this); }
