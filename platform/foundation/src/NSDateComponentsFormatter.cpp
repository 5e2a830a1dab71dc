#include "foundation/NSDateComponentsFormatter.h"

#include <unicode/measure.h>

#include <cmath>
#include <vector>

#include "IcuFormats.h"
#include "foundation/NSLocale.h"

OBJC_IMPLEMENT(NSDateComponentsFormatter)

namespace {
// Beyond this, whole seconds no longer fit the measures ICU formats.
constexpr double kLargestSeconds = 9.2e15;
}  // namespace

Ref<NSString> NSDateComponentsFormatter::stringFromTimeIntervalImpl(double seconds) {
  if (!std::isfinite(seconds) || std::fabs(seconds) > kLargestSeconds) return nullptr;
  if (unitsStyle_ != NSDateComponentsFormatterUnitsStylePositional) return nullptr;
  unsigned long units = allowedUnits_ & (NSCalendarUnitHour | NSCalendarUnitMinute | NSCalendarUnitSecond);
  if (units == 0) units = NSCalendarUnitHour | NSCalendarUnitMinute | NSCalendarUnitSecond;
  icu::MeasureFormat* f = foundation::detail::numericDurationFormat(NSLocale::currentLocale()->icuName());
  if (!f) return nullptr;

  bool negative = seconds < 0;
  auto rest = static_cast<long long>(std::trunc(std::fabs(seconds)));
  UErrorCode status = U_ZERO_ERROR;
  std::vector<icu::Measure> measures;
  using Create = icu::MeasureUnit* (*)(UErrorCode&);
  auto take = [&](unsigned long unit, long long size, Create create) {
    if (!(units & unit)) return;
    long long amount = rest / size;
    rest %= size;
    measures.emplace_back(icu::Formattable(static_cast<int64_t>(amount)), create(status), status);
  };
  take(NSCalendarUnitHour, 3600, &icu::MeasureUnit::createHour);
  take(NSCalendarUnitMinute, 60, &icu::MeasureUnit::createMinute);
  take(NSCalendarUnitSecond, 1, &icu::MeasureUnit::createSecond);
  icu::UnicodeString out;
  icu::FieldPosition ignore;
  f->formatMeasures(measures.data(), static_cast<int32_t>(measures.size()), out, ignore, status);
  if (U_FAILURE(status)) return nullptr;
  std::string text = foundation::detail::utf8(out);
  return NSString::make(negative ? "-" + text : text);
}
