// Date and duration formats on ICU, in fixed locales and a fixed time zone.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "foundation/Log.h"
#include "foundation/NSDateComponentsFormatter.h"
#include "foundation/NSDateFormatter.h"

namespace {

// 2024-03-05 20:30 in New York (UTC-5).
const double kMarchFifthEvening = 1709688600.0;

class DateFormat : public testing::Test {
 protected:
  void SetUp() override { use("en_US.UTF-8", "America/New_York"); }
  void TearDown() override {
    ::unsetenv("LC_ALL");
    ::unsetenv("LC_TIME");
    ::unsetenv("LANG");
    ::unsetenv("TZ");
  }
  static void use(const char* locale, const char* zone) {
    ::unsetenv("LC_TIME");
    ::unsetenv("LANG");
    ::setenv("LC_ALL", locale, 1);
    ::setenv("TZ", zone, 1);
  }
  static std::string format(const char* pattern, double unixSeconds) {
    auto f = NSDateFormatter::make();
    f->setDateFormat(NSString::make(pattern));
    f->setLocale(NSLocale::currentLocale());
    return f->stringFromDate(NSDate::dateWithTimeIntervalSince1970(unixSeconds))->utf8();
  }
  static Ref<NSDate> parse(const char* pattern, const std::string& text) {
    auto f = NSDateFormatter::make();
    f->setDateFormat(NSString::make(pattern));
    f->setLocale(NSLocale::currentLocale());
    return f->dateFromString(NSString::make(text));
  }
  static double unix(const Ref<NSDate>& d) { return d ? d->timeIntervalSince1970() : -1; }
};

std::string duration(double seconds) {
  auto f = NSDateComponentsFormatter::make();
  f->setAllowedUnits(NSCalendarUnitHour | NSCalendarUnitMinute);
  f->setZeroFormattingBehavior(NSDateComponentsFormatterZeroFormattingBehaviorPad);
  Ref<NSString> s = f->stringFromTimeInterval(seconds);
  return s ? s->utf8() : "(nil)";
}

}  // namespace

TEST_F(DateFormat, LabelsFollowTheLocaleInNamesAndDayPeriods) {
  EXPECT_EQ(format("MMMM d yyyy", kMarchFifthEvening), "March 5 2024");
  EXPECT_EQ(format("hh:mm a", kMarchFifthEvening), "08:30 PM");
  EXPECT_EQ(format("EEE MMM d hh:mm a", kMarchFifthEvening), "Tue Mar 5 08:30 PM");
  use("es_ES.UTF-8", "America/New_York");
  EXPECT_EQ(format("MMMM d yyyy", kMarchFifthEvening), "marzo 5 2024");
  EXPECT_EQ(format("hh:mm a", kMarchFifthEvening), "08:30 p.\u00a0m.");
  EXPECT_EQ(format("EEE MMM d hh:mm a", kMarchFifthEvening), "mar mar 5 08:30 p.\u00a0m.");
  use("fr_FR.UTF-8", "America/New_York");
  EXPECT_EQ(format("MMMM d yyyy", kMarchFifthEvening), "mars 5 2024");
}

TEST_F(DateFormat, ParsingIsStrictAndInTheCurrentZone) {
  EXPECT_EQ(unix(parse("MM-dd-yyyy", "12-25-2023")), 1703480400.0);  // midnight in New York
  EXPECT_EQ(unix(parse("MM-dd-yyyy hh:mm a", "03-05-2024 08:30 PM")), kMarchFifthEvening);
  for (const char* bad : {"12/25/2023", "12-25-2023 ", "13-01-2024", "02-30-2024", "", "Dec 25 2023"})
    EXPECT_FALSE(parse("MM-dd-yyyy", bad)) << bad;
  EXPECT_FALSE(parse("hh:mm a", "08:30PM"));
  EXPECT_FALSE(parse("HH:mm", "1:30:00"));
  ::setenv("TZ", "Asia/Tokyo", 1);
  EXPECT_EQ(unix(parse("MM-dd-yyyy", "12-25-2023")), 1703430000.0);
}

TEST_F(DateFormat, TextsWithoutADateLandOnOneFixedDay) {
  Ref<NSDate> a = parse("hh:mm a", "08:30 PM");
  Ref<NSDate> b = parse("hh:mm a", "08:30 PM");
  ASSERT_TRUE(a && b);
  EXPECT_EQ(unix(a), unix(b));
  EXPECT_EQ(unix(a), 20 * 3600 + 30 * 60 + 5 * 3600);  // 1970-01-01 in New York
  EXPECT_EQ(parse("HH:mm", "01:30")->timeIntervalSinceDate(parse("HH:mm", "00:00")), 5400);
  EXPECT_EQ(parse("HH:mm", "23:59")->timeIntervalSinceDate(parse("HH:mm", "00:00")), 86340);
  // The other locale's day period is what it reads.
  use("es_ES.UTF-8", "America/New_York");
  EXPECT_EQ(unix(parse("hh:mm a", "08:30 p.\u00a0m.")), unix(a));
  EXPECT_FALSE(parse("hh:mm a", "08:30 PM"));
}

TEST_F(DateFormat, LocaleComesFromTheEnvironmentInOrder) {
  ::unsetenv("LC_ALL");
  ::setenv("LANG", "fr_FR.UTF-8", 1);
  EXPECT_EQ(NSLocale::currentLocale()->localeIdentifier()->utf8(), "fr_FR");
  ::setenv("LC_TIME", "es_ES.UTF-8@euro", 1);
  EXPECT_EQ(NSLocale::currentLocale()->localeIdentifier()->utf8(), "es_ES");
  ::setenv("LC_ALL", "C", 1);
  EXPECT_EQ(NSLocale::currentLocale()->icuName(), "en_US_POSIX");
  EXPECT_EQ(format("MMMM d yyyy", kMarchFifthEvening), "March 5 2024");
}

// "Once" is per process and name, so each run of the test (--gtest_repeat)
// takes names no earlier run has used.
TEST_F(DateFormat, AnUnknownLocaleOrZoneFormatsWithTheFallbackAndLogsOnce) {
  static int run = 0;
  ++run;
  const std::string locale = std::string("xx_Y") + static_cast<char>('A' + run % 26);
  const std::string zone = "Nowhere/Atlantis" + std::to_string(run);
  foundation::LogCapture logs;
  use((locale + ".UTF-8").c_str(), "America/New_York");
  EXPECT_EQ(format("MMMM d yyyy", kMarchFifthEvening), "March 5 2024");
  EXPECT_EQ(format("hh:mm a", kMarchFifthEvening), "08:30 PM");
  EXPECT_THAT(logs.nslogMessages(), testing::ElementsAre(testing::HasSubstr("Unknown locale \"" + locale + "\"")));
  ::setenv("TZ", zone.c_str(), 1);
  EXPECT_FALSE(format("hh:mm a", kMarchFifthEvening).empty());
  EXPECT_FALSE(format("MMMM d yyyy", kMarchFifthEvening).empty());
  EXPECT_THAT(logs.nslogMessages(), testing::ElementsAre(testing::HasSubstr(locale), testing::HasSubstr(zone)));
}

TEST_F(DateFormat, FormattersAreReusedUntilTheZoneOrLocaleChanges) {
  format("MMMM d yyyy", 0);
  unsigned long made = foundation::formattersCreatedOnThisThread();
  for (int i = 0; i < 5; ++i) format("MMMM d yyyy", kMarchFifthEvening);
  EXPECT_EQ(foundation::formattersCreatedOnThisThread(), made);
  ::setenv("TZ", "Asia/Tokyo", 1);
  EXPECT_EQ(format("hh:mm a", kMarchFifthEvening), "10:30 AM");
  EXPECT_EQ(format("MMMM d yyyy", kMarchFifthEvening), "March 6 2024");
  use("es_ES.UTF-8", "Asia/Tokyo");
  EXPECT_EQ(format("MMMM d yyyy", kMarchFifthEvening), "marzo 6 2024");
}

TEST_F(DateFormat, DurationsArePositionalHoursAndMinutes) {
  EXPECT_EQ(duration(5400), "1:30");
  EXPECT_EQ(duration(60), "0:01");
  EXPECT_EQ(duration(0), "0:00");
  EXPECT_EQ(duration(36000), "10:00");
  EXPECT_EQ(duration(90000), "25:00");
  EXPECT_EQ(duration(89), "0:01");  // seconds below a minute are cut
  EXPECT_EQ(duration(std::numeric_limits<double>::quiet_NaN()), "(nil)");
  EXPECT_EQ(duration(std::numeric_limits<double>::infinity()), "(nil)");
}
