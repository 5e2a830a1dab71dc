// printf-style formatting with the platform's %@, made type-safe: the
// arguments are captured with their C++ types, so a conversion that does not
// fit its argument is marked in the output instead of reading garbage.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "objc/Borrowed.h"
#include "objc/Ref.h"

class NSString;

namespace foundation {

// One captured argument. Texts and objects are borrowed for the duration of
// the call that formats them.
struct FormatArg {
  enum class Kind : unsigned char { Signed, Unsigned, Real, Text, Object, Pointer };
  Kind kind;
  union {
    long long i;
    unsigned long long u;
    double d;
    const void* p;
    NSObject* obj;
    struct {
      const char* data;  // nullptr: a null C string
      std::size_t size;
    } text;
  };
};

template <class T>
FormatArg formatArg(const T& v) {
  using D = std::remove_cvref_t<T>;
  FormatArg a;
  if constexpr (std::is_same_v<D, std::nullptr_t>) {
    a.kind = FormatArg::Kind::Object;
    a.obj = nullptr;
  } else if constexpr (objc::is_ref<D>::value) {
    a.kind = FormatArg::Kind::Object;
    a.obj = v.get();
  } else if constexpr (objc::is_object_pointer_v<D>) {
    a.kind = FormatArg::Kind::Object;
    a.obj = const_cast<NSObject*>(static_cast<const NSObject*>(v));
  } else if constexpr (std::is_same_v<D, const char*> || std::is_same_v<D, char*>) {
    a.kind = FormatArg::Kind::Text;
    a.text = {v, v ? std::char_traits<char>::length(v) : 0};
  } else if constexpr (std::is_array_v<D> && std::is_same_v<std::remove_cv_t<std::remove_extent_t<D>>, char>) {
    a.kind = FormatArg::Kind::Text;
    a.text = {v, std::char_traits<char>::length(v)};
  } else if constexpr (std::is_same_v<D, std::string> || std::is_same_v<D, std::string_view>) {
    a.kind = FormatArg::Kind::Text;
    a.text = {v.data(), v.size()};
  } else if constexpr (std::is_enum_v<D>) {
    return formatArg(static_cast<std::underlying_type_t<D>>(v));
  } else if constexpr (std::is_same_v<D, bool>) {
    a.kind = FormatArg::Kind::Signed;
    a.i = v ? 1 : 0;
  } else if constexpr (std::is_integral_v<D> && std::is_signed_v<D>) {
    a.kind = FormatArg::Kind::Signed;
    a.i = v;
  } else if constexpr (std::is_integral_v<D>) {
    a.kind = FormatArg::Kind::Unsigned;
    a.u = v;
  } else if constexpr (std::is_floating_point_v<D>) {
    a.kind = FormatArg::Kind::Real;
    a.d = static_cast<double>(v);
  } else if constexpr (std::is_pointer_v<D>) {
    a.kind = FormatArg::Kind::Pointer;
    a.p = static_cast<const void*>(v);
  } else {
    static_assert(!sizeof(D), "this type cannot be a format argument");
  }
  return a;
}

// Formats `fmt` with the captured arguments. Supports flags, width and
// precision (also `*`), positional arguments (`%2$@`), the length modifiers
// hh h l ll q z t j L, the conversions @ d i u x X o c s p f F e E g G a A %,
// and `{…}` qualifiers such as `%{public}s`, which are accepted and ignored.
// A conversion whose argument is missing or of an unfitting kind prints
// `%!d(missing)` or `%!d(text=…)`; extra arguments are ignored, as in C.
std::string formatString(std::string_view fmt, std::span<const FormatArg> args);

template <class... A>
std::string format(std::string_view fmt, const A&... args) {
  if constexpr (sizeof...(A) == 0) {
    return formatString(fmt, {});
  } else {
    const FormatArg captured[] = {formatArg(args)...};
    return formatString(fmt, captured);
  }
}

// What %@ prints: the object's `description`, "(null)" for nothing.
std::string describe(objc::Borrowed<NSObject> obj);

// A format given as a C string, a C++ string or an NSString.
struct FormatText {
  FormatText(const char* s) : text(s ? s : "") {}
  FormatText(std::string_view s) : text(s) {}
  FormatText(const std::string& s) : text(s) {}
  FormatText(const NSString* s);
  template <class T>
  requires std::is_convertible_v<T*, const NSString*> FormatText(const Ref<T>& s)
      : FormatText(static_cast<const NSString*>(s.get())) {}
  std::string_view text;
};

}  // namespace foundation
