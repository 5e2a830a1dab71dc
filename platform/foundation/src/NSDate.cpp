#include "foundation/NSDate.h"

#include <atomic>
#include <bit>
#include <cmath>
#include <ctime>
#include <functional>

#include "Internal.h"

namespace foundation {
namespace {
double realClock() {
  timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  return static_cast<double>(ts.tv_sec) - NSTimeIntervalSince1970 + static_cast<double>(ts.tv_nsec) * 1e-9;
}
std::atomic<Clock> clockFn{&realClock};
}  // namespace

void setClock(Clock clock) { clockFn.store(clock ? clock : &realClock, std::memory_order_release); }
NSTimeInterval now() { return clockFn.load(std::memory_order_acquire)(); }
}  // namespace foundation

OBJC_IMPLEMENT_LEGACY(NSDate)

namespace {
Ref<NSDate> makeIn(NSObject* cls, double t);
}

struct DateAccess {
  static Ref<NSDate> make(NSObject* cls, double t) {
    Ref<NSDate> d = foundation::detail::allocAs<NSDate>(cls);
    d->t_ = t;
    return d;
  }
};

namespace {
Ref<NSDate> makeIn(NSObject* cls, double t) { return DateAccess::make(cls, t); }
Ref<NSDate> classDate(NSObject* c, SEL) { return makeIn(c, foundation::now()); }
Ref<NSDate> classSinceNow(NSObject* c, SEL, double t) { return makeIn(c, foundation::now() + t); }
Ref<NSDate> classSinceReference(NSObject* c, SEL, double t) { return makeIn(c, t); }
Ref<NSDate> classSince1970(NSObject* c, SEL, double t) { return makeIn(c, t - NSTimeIntervalSince1970); }
}  // namespace

Ref<NSDate> NSDate::make(NSTimeInterval t) { return DateAccess::make(cls(), t); }

double NSDate::timeIntervalSinceNowImpl() { return t_ - foundation::now(); }
double NSDate::timeIntervalSinceDateImpl(NSDate* other) { return other ? t_ - other->t_ : t_; }
Ref<NSDate> NSDate::dateByAddingTimeIntervalImpl(double t) { return make(t_ + t); }
bool NSDate::isEqualToDateImpl(NSDate* other) { return other && other->t_ == t_; }
long NSDate::compareImpl(NSDate* other) {
  if (!other) return 1;
  return t_ < other->t_ ? -1 : (t_ > other->t_ ? 1 : 0);
}

Ref<NSString> NSDate::descriptionImpl() {
  double unix = std::floor(t_ + NSTimeIntervalSince1970);
  if (!std::isfinite(unix) || std::fabs(unix) > 1e15) return NSString::make("(invalid date)");
  std::time_t secs = static_cast<std::time_t>(unix);
  std::tm tm{};
  gmtime_r(&secs, &tm);
  char buf[64];
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S +0000", &tm);
  return NSString::make(buf);
}

bool NSDate::isEqualImpl(NSObject* other) {
  auto* d = objc_cast<NSDate>(other);
  return d && d->t_ == t_;
}
unsigned long NSDate::hashImpl() { return std::hash<std::uint64_t>{}(std::bit_cast<std::uint64_t>(t_)); }

void NSDate::registerMethods(objc::ClassBuilder<NSDate>& b) {
  b.classMethod<"date", &classDate>()
      .classMethod<"dateWithTimeIntervalSinceNow:", &classSinceNow>()
      .classMethod<"dateWithTimeIntervalSinceReferenceDate:", &classSinceReference>()
      .classMethod<"dateWithTimeIntervalSince1970:", &classSince1970>()
      .method<"timeIntervalSinceReferenceDate", &NSDate::timeIntervalSinceReferenceDateImpl>()
      .method<"timeIntervalSince1970", &NSDate::timeIntervalSince1970Impl>()
      .method<"timeIntervalSinceNow", &NSDate::timeIntervalSinceNowImpl>()
      .method<"timeIntervalSinceDate:", &NSDate::timeIntervalSinceDateImpl>()
      .method<"dateByAddingTimeInterval:", &NSDate::dateByAddingTimeIntervalImpl>()
      .method<"isEqualToDate:", &NSDate::isEqualToDateImpl>()
      .method<"compare:", &NSDate::compareImpl>()
      .method<"description", &NSDate::descriptionImpl>()
      .method<"isEqual:", &NSDate::isEqualImpl>()
      .method<"hash", &NSDate::hashImpl>()
      .method<"copy", &NSDate::copyImpl>();
}
