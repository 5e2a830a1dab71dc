#include "foundation/NSNumber.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <functional>
#include <string>

#include "Internal.h"

OBJC_IMPLEMENT(NSNumber)

struct NumberAccess {
  static Ref<NSNumber> make(Class cls, NSNumber::Kind kind, long long i, double d) {
    Ref<NSNumber> n = foundation::detail::allocAs<NSNumber>(cls);
    n->kind_ = kind;
    n->i_ = i;
    n->d_ = d;
    return n;
  }
};

namespace foundation::detail {
// The two booleans are never released: every Ref to them is balanced, and the
// one extra count they are born with is never given back.
NSNumber* sharedBoolean(bool value) {
  static NSNumber* const yes = NumberAccess::make(NSNumber::cls(), NSNumber::Kind::Boolean, 1, 0).leak();
  static NSNumber* const no = NumberAccess::make(NSNumber::cls(), NSNumber::Kind::Boolean, 0, 0).leak();
  return value ? yes : no;
}
}  // namespace foundation::detail

NSNumber* const kCFBooleanTrue = foundation::detail::sharedBoolean(true);
NSNumber* const kCFBooleanFalse = foundation::detail::sharedBoolean(false);

using Kind = NSNumber::Kind;

Ref<NSNumber> NSNumber::numberWithBoolImpl(Class, bool v) {
  return Ref<NSNumber>(foundation::detail::sharedBoolean(v));
}
Ref<NSNumber> NSNumber::numberWithIntImpl(Class c, int v) { return NumberAccess::make(c, Kind::Integer, v, 0); }
Ref<NSNumber> NSNumber::numberWithIntegerImpl(Class c, long v) { return NumberAccess::make(c, Kind::Integer, v, 0); }
Ref<NSNumber> NSNumber::numberWithLongLongImpl(Class c, long long v) {
  return NumberAccess::make(c, Kind::Integer, v, 0);
}
Ref<NSNumber> NSNumber::numberWithDoubleImpl(Class c, double v) { return NumberAccess::make(c, Kind::Real, 0, v); }
Ref<NSNumber> NSNumber::numberWithFloatImpl(Class c, float v) { return NumberAccess::make(c, Kind::Real, 0, v); }

Ref<NSNumber> NSNumber::makeInteger(long long v) { return NumberAccess::make(cls(), Kind::Integer, v, 0); }
Ref<NSNumber> NSNumber::makeReal(double v) { return NumberAccess::make(cls(), Kind::Real, 0, v); }

bool NSNumber::boolValueImpl() { return kind_ == Kind::Real ? d_ != 0.0 : i_ != 0; }
long long NSNumber::longLongValueImpl() { return kind_ == Kind::Real ? foundation::saturatingTruncate(d_) : i_; }
int NSNumber::intValueImpl() {
  // Integers wrap like a C cast, reals saturate: both are what the device gives.
  return kind_ == Kind::Real ? foundation::saturatingInt(foundation::saturatingTruncate(d_)) : static_cast<int>(i_);
}
long NSNumber::integerValueImpl() { return static_cast<long>(longLongValueImpl()); }
unsigned long NSNumber::unsignedIntegerValueImpl() { return static_cast<unsigned long>(longLongValueImpl()); }
double NSNumber::doubleValueImpl() { return kind_ == Kind::Real ? d_ : static_cast<double>(i_); }
float NSNumber::floatValueImpl() { return static_cast<float>(doubleValueImpl()); }

Ref<NSString> NSNumber::stringValueImpl() {
  if (kind_ != Kind::Real) return NSString::make(std::to_string(i_));
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, d_);
  return NSString::make(std::string_view(buf, ec == std::errc() ? static_cast<std::size_t>(end - buf) : 0));
}

long NSNumber::compareImpl(NSNumber* other) {
  if (!other) return 1;
  if (kind_ != Kind::Real && other->kind_ != Kind::Real) return i_ < other->i_ ? -1 : (i_ > other->i_ ? 1 : 0);
  // long double holds every 64-bit integer exactly, so mixed kinds compare truly.
  long double a = kind_ == Kind::Real ? d_ : static_cast<long double>(i_);
  long double b = other->kind_ == Kind::Real ? other->d_ : static_cast<long double>(other->i_);
  return a < b ? -1 : (a > b ? 1 : 0);
}

bool NSNumber::isEqualToNumberImpl(NSNumber* other) {
  if (!other) return false;
  if (kind_ == Kind::Real && std::isnan(d_)) return other->kind_ == Kind::Real && std::isnan(other->d_);
  return compareImpl(other) == 0;
}

bool NSNumber::isEqualImpl(NSObject* other) {
  if (other == this) return true;
  auto* n = objc_cast<NSNumber>(other);
  return n && isEqualToNumberImpl(n);
}

// Equal numbers of different kinds (1, 1.0 and YES) hash alike.
unsigned long NSNumber::hashImpl() {
  if (kind_ != Kind::Real) return std::hash<long long>{}(i_);
  if (std::isfinite(d_) && d_ == std::trunc(d_) && std::fabs(d_) < 9.2e18)
    return std::hash<long long>{}(static_cast<long long>(d_));
  return std::hash<std::uint64_t>{}(std::bit_cast<std::uint64_t>(d_));
}
