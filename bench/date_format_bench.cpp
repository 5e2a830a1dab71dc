// The picker rows' value texts: formatting a label and parsing a default text
// per style. Three ways each: NSDateFormatter made per call (what a row does
// at each refresh; its ICU formatter comes from the per-thread cache), a raw
// ICU formatter made per call (what the cache saves), and one ICU formatter
// kept by the caller (the floor).
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unicode/smpdtfmt.h>

#include "foundation/NSDateComponentsFormatter.h"
#include "foundation/NSDateFormatter.h"

namespace {

struct Style {
  const char* name;
  const char* defaultPattern;
  const char* labelPattern;
  const char* defaultText;
};
// Date, time, date and time.
const Style kStyles[] = {
    {"date", "MM-dd-yyyy", "MMMM d yyyy", "03-05-2024"},
    {"time", "hh:mm a", "hh:mm a", "08:30 PM"},
    {"dateAndTime", "MM-dd-yyyy hh:mm a", "EEE MMM d hh:mm a", "03-05-2024 08:30 PM"},
};
const double kSomeMoment = 731370600.0;  // since the reference date

void fixEnvironment() {
  ::setenv("LC_ALL", "en_US.UTF-8", 1);
  ::setenv("TZ", "America/New_York", 1);
}

void BM_LabelNSDateFormatterPerCall(benchmark::State& state) {
  fixEnvironment();
  const Style& s = kStyles[state.range(0)];
  auto date = NSDate::make(kSomeMoment);
  auto pattern = NSString::make(s.labelPattern);
  for (auto _ : state) {
    auto f = NSDateFormatter::make();
    f->setDateFormat(pattern);
    f->setLocale(NSLocale::currentLocale());
    benchmark::DoNotOptimize(f->stringFromDate(date));
  }
  state.SetLabel(s.name);
}

void BM_LabelIcuPerCall(benchmark::State& state) {
  fixEnvironment();
  const Style& s = kStyles[state.range(0)];
  for (auto _ : state) {
    UErrorCode status = U_ZERO_ERROR;
    icu::SimpleDateFormat f(icu::UnicodeString(s.labelPattern), icu::Locale("en_US"), status);
    icu::UnicodeString out;
    benchmark::DoNotOptimize(f.format((kSomeMoment + NSTimeIntervalSince1970) * 1000, out));
  }
  state.SetLabel(s.name);
}

void BM_LabelIcuKept(benchmark::State& state) {
  fixEnvironment();
  const Style& s = kStyles[state.range(0)];
  UErrorCode status = U_ZERO_ERROR;
  icu::SimpleDateFormat f(icu::UnicodeString(s.labelPattern), icu::Locale("en_US"), status);
  for (auto _ : state) {
    icu::UnicodeString out;
    benchmark::DoNotOptimize(f.format((kSomeMoment + NSTimeIntervalSince1970) * 1000, out));
  }
  state.SetLabel(s.name);
}

void BM_ParseNSDateFormatterPerCall(benchmark::State& state) {
  fixEnvironment();
  const Style& s = kStyles[state.range(0)];
  auto pattern = NSString::make(s.defaultPattern);
  auto text = NSString::make(s.defaultText);
  for (auto _ : state) {
    auto f = NSDateFormatter::make();
    f->setDateFormat(pattern);
    f->setLocale(NSLocale::currentLocale());
    benchmark::DoNotOptimize(f->dateFromString(text));
  }
  state.SetLabel(s.name);
}

void BM_ParseIcuPerCall(benchmark::State& state) {
  fixEnvironment();
  const Style& s = kStyles[state.range(0)];
  icu::UnicodeString text(s.defaultText);
  for (auto _ : state) {
    UErrorCode status = U_ZERO_ERROR;
    icu::SimpleDateFormat f(icu::UnicodeString(s.defaultPattern), icu::Locale("en_US"), status);
    f.setLenient(false);
    icu::ParsePosition pos(0);
    benchmark::DoNotOptimize(f.parse(text, pos));
  }
  state.SetLabel(s.name);
}

void BM_ParseIcuKept(benchmark::State& state) {
  fixEnvironment();
  const Style& s = kStyles[state.range(0)];
  icu::UnicodeString text(s.defaultText);
  UErrorCode status = U_ZERO_ERROR;
  icu::SimpleDateFormat f(icu::UnicodeString(s.defaultPattern), icu::Locale("en_US"), status);
  f.setLenient(false);
  for (auto _ : state) {
    icu::ParsePosition pos(0);
    benchmark::DoNotOptimize(f.parse(text, pos));
  }
  state.SetLabel(s.name);
}

// The time interval style: its label, and its default measured from "00:00".
void BM_DurationLabelPerCall(benchmark::State& state) {
  fixEnvironment();
  for (auto _ : state) {
    auto f = NSDateComponentsFormatter::make();
    f->setAllowedUnits(NSCalendarUnitHour | NSCalendarUnitMinute);
    f->setZeroFormattingBehavior(NSDateComponentsFormatterZeroFormattingBehaviorPad);
    benchmark::DoNotOptimize(f->stringFromTimeInterval(5400));
  }
}

void BM_DurationParsePerCall(benchmark::State& state) {
  fixEnvironment();
  auto pattern = NSString::make("HH:mm");
  auto text = NSString::make("01:30");
  auto zero = NSString::make("00:00");
  for (auto _ : state) {
    auto f = NSDateFormatter::make();
    f->setDateFormat(pattern);
    f->setLocale(NSLocale::currentLocale());
    Ref<NSDate> at = f->dateFromString(text);
    Ref<NSDate> start = f->dateFromString(zero);
    benchmark::DoNotOptimize(at->timeIntervalSinceDate(start));
  }
}

}  // namespace

BENCHMARK(BM_LabelNSDateFormatterPerCall)->DenseRange(0, 2);
BENCHMARK(BM_LabelIcuPerCall)->DenseRange(0, 2);
BENCHMARK(BM_LabelIcuKept)->DenseRange(0, 2);
BENCHMARK(BM_ParseNSDateFormatterPerCall)->DenseRange(0, 2);
BENCHMARK(BM_ParseIcuPerCall)->DenseRange(0, 2);
BENCHMARK(BM_ParseIcuKept)->DenseRange(0, 2);
BENCHMARK(BM_DurationLabelPerCall);
BENCHMARK(BM_DurationParsePerCall);

BENCHMARK_MAIN();
