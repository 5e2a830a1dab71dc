// Durations as text. The positional style ("1:30") over ICU's numeric
// measure format in the current locale; the largest allowed unit is not
// capped, so 25 hours with hours and minutes allowed reads "25:00".
#pragma once

#include "foundation/NSString.h"
#include "objc/define.h"

enum NSCalendarUnit : unsigned long {
  NSCalendarUnitHour = 1UL << 5,
  NSCalendarUnitMinute = 1UL << 6,
  NSCalendarUnitSecond = 1UL << 7,
};

enum NSDateComponentsFormatterUnitsStyle : long {
  NSDateComponentsFormatterUnitsStylePositional = 0,
};

enum NSDateComponentsFormatterZeroFormattingBehavior : unsigned long {
  NSDateComponentsFormatterZeroFormattingBehaviorDefault = 1,
  NSDateComponentsFormatterZeroFormattingBehaviorPad = 1UL << 16,
};

class NSDateComponentsFormatter : public NSObject {
  OBJC_CLASS(NSDateComponentsFormatter, NSObject)
  OBJC_PROPERTY(allowedUnits, setAllowedUnits, unsigned long)
  OBJC_PROPERTY(zeroFormattingBehavior, setZeroFormattingBehavior, unsigned long)
  OBJC_PROPERTY(unitsStyle, setUnitsStyle, long)
  // Nothing for a value that is not finite or a style other than positional.
  // Below the smallest allowed unit the value is cut, not rounded: 89 seconds
  // with hours and minutes allowed is "0:01".
  OBJC_METHOD(stringFromTimeInterval, "stringFromTimeInterval:", Ref<NSString>(double))

 private:
  Ref<NSString> stringFromTimeIntervalImpl(double seconds);
};
