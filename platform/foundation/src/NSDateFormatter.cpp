#include "foundation/NSDateFormatter.h"

#include <cmath>

#include "IcuFormats.h"
#include "Internal.h"

OBJC_IMPLEMENT(NSDateFormatter)

namespace {

constexpr double kMillisecondsPerSecond = 1000.0;

icu::SimpleDateFormat* formatterFor(NSString* pattern, NSLocale* locale) {
  if (!pattern) return nullptr;
  Ref<NSLocale> current;
  if (!locale) {
    current = NSLocale::currentLocale();
    locale = current.get();
  }
  return foundation::detail::dateFormat(pattern->utf8(), locale->icuName());
}

}  // namespace

Ref<NSDate> NSDateFormatter::dateFromStringImpl(NSString* text) {
  icu::SimpleDateFormat* f = formatterFor(dateFormat_.get(), locale_.get());
  if (!f || !text) return nullptr;
  icu::UnicodeString input = icu::UnicodeString::fromUTF8(text->utf8());
  icu::ParsePosition pos(0);
  UDate ms = f->parse(input, pos);
  if (pos.getErrorIndex() >= 0 || pos.getIndex() != input.length()) return nullptr;
  return NSDate::dateWithTimeIntervalSince1970(ms / kMillisecondsPerSecond);
}

Ref<NSString> NSDateFormatter::stringFromDateImpl(NSDate* date) {
  icu::SimpleDateFormat* f = formatterFor(dateFormat_.get(), locale_.get());
  if (!date) return nullptr;
  double seconds = date->timeIntervalSince1970();
  if (!f || !std::isfinite(seconds)) return NSString::string();
  icu::UnicodeString out;
  f->format(seconds * kMillisecondsPerSecond, out);
  return NSString::make(foundation::detail::utf8(out));
}
