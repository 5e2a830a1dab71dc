// Date formatting and parsing with Unicode date-format patterns ("MMMM d
// yyyy"), on ICU, in a locale (the current one unless set) and the current
// time zone. Parsing is strict: the whole text must match the pattern, or
// there is no date. Fields the pattern lacks take fixed values, the same on
// every parse: 1970-01-01 00:00 in the current time zone, so "hh:mm a" parses
// to a time on that day and "HH:mm" texts differ by their hours and minutes.
#pragma once

#include "foundation/NSDate.h"
#include "foundation/NSLocale.h"
#include "objc/define.h"

class NSDateFormatter : public NSObject {
  OBJC_CLASS(NSDateFormatter, NSObject)
  OBJC_PROPERTY(dateFormat, setDateFormat, Ref<NSString>)
  // Nothing means the current locale at each use.
  OBJC_PROPERTY(locale, setLocale, Ref<NSLocale>)
  OBJC_METHOD(dateFromString, "dateFromString:", Ref<NSDate>(NSString*))
  OBJC_METHOD(stringFromDate, "stringFromDate:", Ref<NSString>(NSDate*))

 private:
  Ref<NSDate> dateFromStringImpl(NSString* text);
  Ref<NSString> stringFromDateImpl(NSDate* date);
};

namespace foundation {
// ICU formatters made by this thread so far (they are cached per thread,
// pattern and locale); for tests and the benchmark.
unsigned long formattersCreatedOnThisThread();
}  // namespace foundation
