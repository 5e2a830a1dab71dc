// Type encodings: the text that states a method's signature at run time and
// travels with every implementation, so a send can check it.
#pragma once

#include <atomic>
#include <initializer_list>
#include <string>

#include "objc/Ref.h"
#include "objc/runtime.h"

namespace objc {

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

}  // namespace objc
