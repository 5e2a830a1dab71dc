// Points in time, as seconds since the reference date 2001-01-01 00:00 UTC.
#pragma once

#include "foundation/NSString.h"
#include "objc/define.h"

using NSTimeInterval = double;
inline constexpr NSTimeInterval NSTimeIntervalSince1970 = 978307200.0;

class NSDate : public NSObject {
  OBJC_CLASS(NSDate, NSObject)
 public:
  static Ref<NSDate> date() { return ref_cast<NSDate>(objc::send<Ref<NSObject>(), "date">(cls())); }
  static Ref<NSDate> dateWithTimeIntervalSinceNow(NSTimeInterval t) {
    return ref_cast<NSDate>(objc::send<Ref<NSObject>(double), "dateWithTimeIntervalSinceNow:">(cls(), t));
  }
  static Ref<NSDate> dateWithTimeIntervalSinceReferenceDate(NSTimeInterval t) {
    return ref_cast<NSDate>(objc::send<Ref<NSObject>(double), "dateWithTimeIntervalSinceReferenceDate:">(cls(), t));
  }
  static Ref<NSDate> dateWithTimeIntervalSince1970(NSTimeInterval t) {
    return ref_cast<NSDate>(objc::send<Ref<NSObject>(double), "dateWithTimeIntervalSince1970:">(cls(), t));
  }

  NSTimeInterval timeIntervalSinceReferenceDate() {
    return objc::send<double(), "timeIntervalSinceReferenceDate">(this);
  }
  NSTimeInterval timeIntervalSince1970() { return objc::send<double(), "timeIntervalSince1970">(this); }
  NSTimeInterval timeIntervalSinceNow() { return objc::send<double(), "timeIntervalSinceNow">(this); }
  NSTimeInterval timeIntervalSinceDate(NSDate* other) {
    return objc::send<double(id), "timeIntervalSinceDate:">(this, other);
  }
  Ref<NSDate> dateByAddingTimeInterval(NSTimeInterval t) {
    return ref_cast<NSDate>(objc::send<Ref<NSObject>(double), "dateByAddingTimeInterval:">(this, t));
  }
  bool isEqualToDate(NSDate* other) { return objc::send<bool(id), "isEqualToDate:">(this, other); }
  long compare(NSDate* other) { return objc::send<long(id), "compare:">(this, other); }
  // "2026-12-09 03:27:06 +0000"
  Ref<NSString> description() { return ref_cast<NSString>(objc::send<Ref<NSObject>(), "description">(this)); }

  static Ref<NSDate> make(NSTimeInterval sinceReferenceDate);
  NSTimeInterval storage() const noexcept { return t_; }

 private:
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

  friend struct DateAccess;
  double t_;
};

namespace foundation {
// The clock NSDate reads, in seconds since the reference date. Tests may put a
// fake in its place; nullptr brings the real one back.
using Clock = double (*)();
void setClock(Clock clock);
NSTimeInterval now();
}  // namespace foundation
