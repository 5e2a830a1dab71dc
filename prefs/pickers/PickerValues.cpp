#include "PickerValues.h"

#include <cmath>

#include "foundation/Log.h"
#include "foundation/NSDateComponentsFormatter.h"
#include "foundation/NSDateFormatter.h"
#include "foundation/NSNumber.h"

namespace pickers {

namespace {

const char* defaultPattern(CVLODateTimePickerStyle style) {
  switch (style) {
    case CVLODateTimePickerStyleTime:
      return "hh:mm a";
    case CVLODateTimePickerStyleDateAndTime:
      return "MM-dd-yyyy hh:mm a";
    default:
      return "MM-dd-yyyy";
  }
}

const char* labelPattern(CVLODateTimePickerStyle style) {
  switch (style) {
    case CVLODateTimePickerStyleTime:
      return "hh:mm a";
    case CVLODateTimePickerStyleDateAndTime:
      return "EEE MMM d hh:mm a";
    default:
      return "MMMM d yyyy";
  }
}

Ref<NSDateFormatter> formatter(const char* pattern) {
  auto f = NSDateFormatter::make();
  f->setDateFormat(NSString::make(pattern));
  f->setLocale(NSLocale::currentLocale());
  return f;
}

std::string describeKey(NSString* key) { return key ? key->utf8() : std::string("(no key)"); }

}  // namespace

Ref<NSObject> convertDefault(CVLODateTimePickerStyle style, objc::Borrowed<NSString> textArg) {
  NSString* text = textArg.get();
  if (!text) return nullptr;
  if (style != CVLODateTimePickerStyleTimeInterval) return formatter(defaultPattern(style))->dateFromString(text);
  auto f = formatter("HH:mm");
  Ref<NSDate> at = f->dateFromString(text);
  Ref<NSDate> start = f->dateFromString("00:00"_ns);
  double seconds = at && start ? at->timeIntervalSinceDate(start) : 0.0;
  return NSNumber::numberWithDouble(seconds);
}

Ref<NSObject> valueForLabel(CVLODateTimePickerStyle style, objc::Borrowed<NSDictionary> domainArg,
                            objc::Borrowed<NSString> keyArg, objc::Borrowed<NSString> defaultArg) {
  NSDictionary* domain = domainArg.get();
  NSString* key = keyArg.get();
  NSString* defaultText = defaultArg.get();
  if (Ref<NSObject> stored = domain && key ? domain->objectForKey(key) : nullptr) return stored;
  if (defaultText) return convertDefault(style, defaultText);
  if (style == CVLODateTimePickerStyleTimeInterval) return NSNumber::numberWithDouble(kFallbackDuration);
  return NSDate::date();
}

Ref<NSString> labelText(CVLODateTimePickerStyle style, objc::Borrowed<NSObject> valueArg) {
  NSObject* value = valueArg.get();
  if (!value) return NSString::string();
  if (style == CVLODateTimePickerStyleTimeInterval) {
    auto* number = objc_cast<NSNumber>(value);
    if (!number) {
      NSLog("A duration row holds %@, not a number of seconds", value);
      return NSString::string();
    }
    auto f = NSDateComponentsFormatter::make();
    f->setAllowedUnits(NSCalendarUnitHour | NSCalendarUnitMinute);
    f->setZeroFormattingBehavior(NSDateComponentsFormatterZeroFormattingBehaviorPad);
    Ref<NSString> text = f->stringFromTimeInterval(number->doubleValue());
    return text ? text : NSString::string();
  }
  auto* date = objc_cast<NSDate>(value);
  if (!date) {
    NSLog("A date row holds %@, not a date", value);
    return NSString::string();
  }
  return formatter(labelPattern(style))->stringFromDate(date);
}

Ref<NSDate> dateToOffer(objc::Borrowed<NSObject> storedArg, objc::Borrowed<NSString> keyArg) {
  NSObject* stored = storedArg.get();
  NSString* key = keyArg.get();
  if (auto* date = objc_cast<NSDate>(stored)) return Ref<NSDate>(date);
  if (stored) NSLog("The date row %s holds %@, not a date; offering the current date", describeKey(key), stored);
  return NSDate::date();
}

double durationToOffer(objc::Borrowed<NSObject> storedArg, objc::Borrowed<NSString> keyArg) {
  NSObject* stored = storedArg.get();
  NSString* key = keyArg.get();
  auto* number = objc_cast<NSNumber>(stored);
  if (number && std::isfinite(number->doubleValue())) return number->doubleValue();
  if (stored)
    NSLog("The duration row %s holds %@, not a number of seconds; offering one minute", describeKey(key), stored);
  return kFallbackDuration;
}

}  // namespace pickers
