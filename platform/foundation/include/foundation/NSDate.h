// Points in time, as seconds since the reference date 2001-01-01 00:00 UTC.
#pragma once

#include "foundation/NSString.h"
#include "objc/define.h"

using NSTimeInterval = double;
inline constexpr NSTimeInterval NSTimeIntervalSince1970 = 978307200.0;

class NSDate : public NSObject {
  OBJC_CLASS(NSDate, NSObject)
  OBJC_CLASS_METHOD(date, "date", Ref<NSDate>())
  OBJC_CLASS_METHOD(dateWithTimeIntervalSinceNow, "dateWithTimeIntervalSinceNow:", Ref<NSDate>(double))
  OBJC_CLASS_METHOD(dateWithTimeIntervalSinceReferenceDate,
                    "dateWithTimeIntervalSinceReferenceDate:", Ref<NSDate>(double))
  OBJC_CLASS_METHOD(dateWithTimeIntervalSince1970, "dateWithTimeIntervalSince1970:", Ref<NSDate>(double))
  OBJC_METHOD(timeIntervalSinceReferenceDate, "timeIntervalSinceReferenceDate", double())
  OBJC_METHOD(timeIntervalSince1970, "timeIntervalSince1970", double())
  OBJC_METHOD(timeIntervalSinceNow, "timeIntervalSinceNow", double())
  OBJC_METHOD(timeIntervalSinceDate, "timeIntervalSinceDate:", double(NSDate*))
  OBJC_METHOD(dateByAddingTimeInterval, "dateByAddingTimeInterval:", Ref<NSDate>(double))
  OBJC_METHOD(isEqualToDate, "isEqualToDate:", bool(NSDate*))
  OBJC_METHOD(compare, "compare:", long(NSDate*))
  OBJC_METHOD(copy, "copy", Ref<NSDate>())
  // "2026-12-09 03:27:06 +0000"
  OBJC_OVERRIDE(description)
  OBJC_OVERRIDE(isEqual)
  OBJC_OVERRIDE(hash)

 public:
  // A C++ convenience, not a message.
  static Ref<NSDate> make(NSTimeInterval sinceReferenceDate);
  NSTimeInterval storage() const noexcept { return t_; }

 private:
  static Ref<NSDate> dateImpl(Class self);
  static Ref<NSDate> dateWithTimeIntervalSinceNowImpl(Class self, double t);
  static Ref<NSDate> dateWithTimeIntervalSinceReferenceDateImpl(Class self, double t);
  static Ref<NSDate> dateWithTimeIntervalSince1970Impl(Class self, double t);
  double timeIntervalSinceReferenceDateImpl() { return t_; }
  double timeIntervalSince1970Impl() { return t_ + NSTimeIntervalSince1970; }
  double timeIntervalSinceNowImpl();
  double timeIntervalSinceDateImpl(NSDate* other);
  Ref<NSDate> dateByAddingTimeIntervalImpl(double t);
  bool isEqualToDateImpl(NSDate* other);
  long compareImpl(NSDate* other);
  Ref<NSString> descriptionImpl();
  bool isEqualImpl(NSObject* other);
  unsigned long hashImpl();
  Ref<NSDate> copyImpl() { return Ref<NSDate>(this); }

  static Ref<NSDate> makeIn(Class cls, double t);
  double t_ = 0.0;
};

namespace foundation {
// The clock NSDate reads, in seconds since the reference date. Tests may put a
// fake in its place; nullptr brings the real one back.
using Clock = double (*)();
void setClock(Clock clock);
NSTimeInterval now();
}  // namespace foundation
