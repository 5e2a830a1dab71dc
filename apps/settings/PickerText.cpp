#include "PickerText.h"

#include <cmath>
#include <regex>

#include "foundation/NSDateComponentsFormatter.h"
#include "foundation/NSDateFormatter.h"
#include "uikit/UIDatePicker.h"

namespace settings {

namespace {

// The patterns of the bundle's value labels and page-list defaults.
const char* labelPattern(long mode) {
  switch (mode) {
    case UIDatePickerModeTime:
      return "hh:mm a";
    case UIDatePickerModeDateAndTime:
      return "EEE MMM d hh:mm a";
    default:
      return "MMMM d yyyy";
  }
}

Ref<NSDateFormatter> formatter(const char* pattern, bool posix = false) {
  auto f = NSDateFormatter::make();
  f->setDateFormat(NSString::make(pattern));
  f->setLocale(posix ? NSLocale::localeWithLocaleIdentifier("en_US_POSIX"_ns) : NSLocale::currentLocale());
  return f;
}

std::string format(const char* pattern, NSDate* date) {
  Ref<NSString> s = formatter(pattern, true)->stringFromDate(date);
  return s ? s->utf8() : std::string();
}

Ref<NSDate> parse(const char* pattern, const std::string& text, bool posix = false) {
  return formatter(pattern, posix)->dateFromString(NSString::make(text));
}

Ref<NSDate> parseIso8601(const std::string& text) {
  for (const char* pattern : {"yyyy-MM-dd'T'HH:mm:ssXXX", "yyyy-MM-dd'T'HH:mmXXX", "yyyy-MM-dd'T'HH:mm:ss",
                              "yyyy-MM-dd'T'HH:mm", "yyyy-MM-dd"})
    if (Ref<NSDate> d = parse(pattern, text, true)) return d;
  return nullptr;
}

Ref<NSDate> firstOf(std::initializer_list<const char*> patterns, const std::string& text) {
  for (const char* p : patterns)
    if (Ref<NSDate> d = parse(p, text)) return d;
  return nullptr;
}

// A day and a time of day, each as its own wheels show it.
Ref<NSDate> join(NSDate* day, NSDate* time) {
  return parse("yyyy-MM-dd HH:mm:ss", format("yyyy-MM-dd", day) + " " + format("HH:mm:ss", time), true);
}

}  // namespace

std::string pickerDateText(long mode, NSDate* date) {
  if (!date) return std::string();
  Ref<NSString> s = formatter(labelPattern(mode))->stringFromDate(date);
  return s ? s->utf8() : std::string();
}

std::string pickerDurationText(double seconds) {
  auto f = NSDateComponentsFormatter::make();
  f->setAllowedUnits(NSCalendarUnitHour | NSCalendarUnitMinute);
  f->setZeroFormattingBehavior(NSDateComponentsFormatterZeroFormattingBehaviorPad);
  Ref<NSString> s = f->stringFromTimeInterval(seconds);
  return s ? s->utf8() : std::string();
}

Ref<NSDate> pickerDateFromText(long mode, NSDate* current, const std::string& text) {
  if (Ref<NSDate> d = parseIso8601(text)) return d;
  Ref<NSDate> now = current ? Ref<NSDate>(current) : NSDate::date();
  switch (mode) {
    case UIDatePickerModeTime:
      if (Ref<NSDate> t = firstOf({"hh:mm a", "h:mm a", "HH:mm", "H:mm"}, text)) return join(now.get(), t.get());
      return nullptr;
    case UIDatePickerModeDateAndTime: {
      if (Ref<NSDate> d = firstOf({"MM-dd-yyyy hh:mm a", "MM-dd-yyyy HH:mm"}, text)) return d;
      // The row leaves the year out: it is the one the wheels show.
      return firstOf({"EEE MMM d hh:mm a yyyy", "MMM d hh:mm a yyyy"}, text + " " + format("yyyy", now.get()));
    }
    default:
      if (Ref<NSDate> d = firstOf({"MM-dd-yyyy", "MMMM d yyyy", "MMM d yyyy"}, text)) return join(d.get(), now.get());
      return nullptr;
  }
}

std::optional<double> pickerDurationFromText(const std::string& text) {
  static const std::regex clock("(\\d{1,2}):(\\d{2})"), minutes("\\d{1,4}"),
      iso("PT(?:(\\d+)H)?(?:(\\d+)M)?(?:(\\d+)S)?");
  std::smatch m;
  if (std::regex_match(text, m, clock)) {
    int mm = std::stoi(m[2]);
    if (mm > 59) return std::nullopt;
    return std::stoi(m[1]) * 3600.0 + mm * 60.0;
  }
  if (std::regex_match(text, minutes)) return std::stoi(text) * 60.0;
  if (text.size() > 2 && std::regex_match(text, m, iso)) {
    auto part = [&](int i) { return m[i].matched ? std::stod(m[i]) : 0.0; };
    double seconds = part(1) * 3600 + part(2) * 60 + part(3);
    if (std::fmod(seconds, 60) != 0) return std::nullopt;
    return seconds;
  }
  return std::nullopt;
}

std::string pickerTextForms(long mode) {
  switch (mode) {
    case UIDatePickerModeTime:
      return "a time such as 07:15, 07:15 PM or 2024-03-05T19:15:00Z";
    case UIDatePickerModeDateAndTime:
      return "a date and time such as 03-05-2024 08:30 PM, Tue Mar 5 08:30 PM or 2024-03-05T20:30:00Z";
    case UIDatePickerModeCountDownTimer:
      return "a duration such as 0:45, 45 (minutes) or PT45M, from 0:01 to 23:59";
    default:
      return "a date such as 12-25-2023, December 25 2023 or 2023-12-25T00:00:00Z";
  }
}

}  // namespace settings
