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

OBJC_IMPLEMENT(NSDate)

Ref<NSDate> NSDate::makeIn(Class cls, double t) {
  Ref<NSDate> d = foundation::detail::allocAs<NSDate>(cls);
  d->t_ = t;
  return d;
}

Ref<NSDate> NSDate::dateImpl(Class c) { return makeIn(c, foundation::now()); }
Ref<NSDate> NSDate::dateWithTimeIntervalSinceNowImpl(Class c, double t) { return makeIn(c, foundation::now() + t); }
Ref<NSDate> NSDate::dateWithTimeIntervalSinceReferenceDateImpl(Class c, double t) { return makeIn(c, t); }
Ref<NSDate> NSDate::dateWithTimeIntervalSince1970Impl(Class c, double t) {
  return makeIn(c, t - NSTimeIntervalSince1970);
}

Ref<NSDate> NSDate::make(NSTimeInterval t) { return makeIn(cls(), t); }

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
