// What the formatters share: ICU locale and time-zone resolution, and a
// per-thread cache of ICU formatters. Creating an ICU date formatter costs
// tens of microseconds, more than a label refresh should; formatters are kept
// per thread (ICU's are not thread-safe), pattern and locale, and all of a
// thread's are dropped when the environment's locale or time zone changes.
#pragma once

#include <unicode/measfmt.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <string>
#include <string_view>

namespace foundation::detail {

inline constexpr const char* kFallbackIcuLocale = "en_US_POSIX";

// The ICU locale for an identifier: itself when ICU has data for its
// language, else the fallback (logged once per name).
std::string icuLocaleFor(const std::string& identifier);

// The current time zone, resolved again whenever TZ changes (per thread).
const icu::TimeZone& currentTimeZone();

// A strict (non-lenient) formatter for the pattern in the locale and the
// current time zone, or nullptr when ICU refuses the pattern. Owned by the
// calling thread's cache: valid until that thread's next call.
icu::SimpleDateFormat* dateFormat(std::string_view pattern, const std::string& icuLocale);

// A numeric-width duration formatter ("1:30") for the locale, or nullptr.
icu::MeasureFormat* numericDurationFormat(const std::string& icuLocale);

// How many ICU formatters this thread has created; the benchmark and tests
// see whether the cache works.
unsigned long formattersCreated();

std::string utf8(const icu::UnicodeString& s);

}  // namespace foundation::detail
