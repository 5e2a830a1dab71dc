// Picker values in their three forms, and how rows seed, write and announce
// them, in fixed locales and a fixed time zone.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "PickerStorage.h"
#include "PickerValues.h"
#include "dispatch/main_loop.h"
#include "foundation/DevicePaths.h"
#include "foundation/Log.h"
#include "foundation/NSDateFormatter.h"
#include "foundation/NSNumber.h"
#include "foundation/NSUserDefaults.h"
#include "notify/CFNotificationCenter.h"
#include "notify/notify.h"

using namespace pickers;

namespace {

constexpr const char* kDomain = "com.tenvarix.pickertest";
constexpr const char* kNotification = "com.tenvarix.pickertest/Changed";
constexpr const char* kSentinel = "com.tenvarix.pickertest/Sentinel";

class PickerValues : public testing::Test {
 protected:
  void SetUp() override {
    ::setenv("LC_ALL", "en_US.UTF-8", 1);
    ::setenv("TZ", "America/New_York", 1);
    // One root for the process: its notification endpoint stays where it opened.
    static const std::string root = [] {
      char tmpl[] = "/tmp/cvpickers-XXXXXX";
      std::string r = ::mkdtemp(tmpl);
      ::setenv("CORVALLO_DEVICE_ROOT", r.c_str(), 1);
      foundation::setDeviceRootOverride(r);
      std::atexit([] { std::filesystem::remove_all(std::getenv("CORVALLO_DEVICE_ROOT")); });
      return r;
    }();
    root_ = root;
    NSUserDefaults::standardUserDefaults()->removePersistentDomainForName(NSString::make(kDomain));
    CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), this, &count, kNotification, nullptr,
                                    CFNotificationSuspensionBehaviorDeliverImmediately);
    CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), this, &sentinel, kSentinel, nullptr,
                                    CFNotificationSuspensionBehaviorDeliverImmediately);
  }
  void TearDown() override {
    CFNotificationCenterRemoveEveryObserver(CFNotificationCenterGetDarwinNotifyCenter(), this);
  }
  static void count(CFNotificationCenterRef, void* observer, CFNotificationName, const void*, CFDictionaryRef) {
    ++static_cast<PickerValues*>(observer)->posts_;
  }
  static void sentinel(CFNotificationCenterRef, void* observer, CFNotificationName, const void*, CFDictionaryRef) {
    ++static_cast<PickerValues*>(observer)->sentinels_;
  }
  // The row's posts that reached this process so far: a post of our own made
  // now arrives after every earlier one.
  int posts() {
    int before = sentinels_;
    notify_post(kSentinel);
    EXPECT_TRUE(dispatch::runMainUntil([&] { return sentinels_ > before; }, std::chrono::seconds(5)));
    return posts_;
  }
  static Binding row(const char* key = "value") {
    return Binding{NSString::make(key), NSString::make(kDomain), NSString::make(kNotification)};
  }
  static Ref<NSDictionary> domain() {
    return NSUserDefaults::standardUserDefaults()->persistentDomainForName(NSString::make(kDomain));
  }
  static std::string label(long style, const char* defaultText, const Ref<NSDictionary>& stored = nullptr) {
    Ref<NSString> text = defaultText ? NSString::make(defaultText) : nullptr;
    return labelText(style, valueForLabel(style, stored, "value"_ns, text))->utf8();
  }
  static double seconds(const char* text) {
    return ref_cast<NSNumber>(convertDefault(CVLODateTimePickerStyleTimeInterval, NSString::make(text)))->doubleValue();
  }

  std::string root_;
  int posts_ = 0;
  int sentinels_ = 0;
};

std::string today(const char* pattern) {
  auto f = NSDateFormatter::make();
  f->setDateFormat(NSString::make(pattern));
  return f->stringFromDate(NSDate::date())->utf8();
}

}  // namespace

TEST_F(PickerValues, DefaultsShowInTheLabelPatterns) {
  EXPECT_EQ(label(CVLODateTimePickerStyleDate, "12-25-2023"), "December 25 2023");
  EXPECT_EQ(label(CVLODateTimePickerStyleTime, "08:05 PM"), "08:05 PM");
  EXPECT_EQ(label(CVLODateTimePickerStyleDateAndTime, "03-05-2024 08:30 PM"), "Tue Mar 5 08:30 PM");
  EXPECT_EQ(label(CVLODateTimePickerStyleTimeInterval, "01:30"), "1:30");
  // What does not match: no date and an empty label, or no time at all.
  EXPECT_EQ(label(CVLODateTimePickerStyleDate, "2023-12-25"), "");
  EXPECT_EQ(label(CVLODateTimePickerStyleTime, "20:05"), "");
  EXPECT_EQ(label(CVLODateTimePickerStyleTimeInterval, "90 minutes"), "0:00");
  // Nothing at all: now, or one minute.
  EXPECT_EQ(label(CVLODateTimePickerStyleDate, nullptr), today("MMMM d yyyy"));
  EXPECT_EQ(label(CVLODateTimePickerStyleTimeInterval, nullptr), "0:01");
}

TEST_F(PickerValues, AnotherLocaleNamesMonthsAndDayPeriodsItsOwnWay) {
  ::setenv("LC_ALL", "es_ES.UTF-8", 1);
  EXPECT_EQ(label(CVLODateTimePickerStyleDate, "12-25-2023"), "diciembre 25 2023");
  EXPECT_EQ(label(CVLODateTimePickerStyleTime, "08:05 p.\u00a0m."), "08:05 p.\u00a0m.");
  EXPECT_EQ(label(CVLODateTimePickerStyleDateAndTime, "03-05-2024 08:30 p.\u00a0m."), "mar mar 5 08:30 p.\u00a0m.");
  EXPECT_EQ(label(CVLODateTimePickerStyleTime, "08:05 PM"), "");  // English day periods do not parse here
}

TEST_F(PickerValues, DurationsReadAsPositionalHoursAndMinutes) {
  auto show = [](double s) {
    return labelText(CVLODateTimePickerStyleTimeInterval, NSNumber::numberWithDouble(s))->utf8();
  };
  EXPECT_EQ(show(5400), "1:30");
  EXPECT_EQ(show(60), "0:01");
  EXPECT_EQ(show(0), "0:00");
  EXPECT_EQ(show(36000), "10:00");
  EXPECT_EQ(show(90000), "25:00");
  EXPECT_EQ(seconds("00:45"), 2700);
  EXPECT_EQ(seconds("23:59"), 86340);
  EXPECT_EQ(seconds("01h30"), 0);
  EXPECT_EQ(seconds("24:00"), 0);
}

TEST_F(PickerValues, AStoredValueWinsAndAWrongKindShowsNothing) {
  auto stored = NSMutableDictionary::dictionary();
  stored->setObjectForKey(NSDate::dateWithTimeIntervalSince1970(1709616600), "value");  // March 5 2024, 00:30
  EXPECT_EQ(label(CVLODateTimePickerStyleDate, "12-25-2023", stored), "March 5 2024");
  foundation::LogCapture logs;
  stored->setObjectForKey(NSNumber::numberWithDouble(60), "value");
  EXPECT_EQ(label(CVLODateTimePickerStyleDate, "12-25-2023", stored), "");
  stored->setObjectForKey("01:30"_ns, "value");
  EXPECT_EQ(label(CVLODateTimePickerStyleTimeInterval, nullptr, stored), "");
  EXPECT_EQ(logs.nslogMessages().size(), 2u);
  EXPECT_EQ(durationToOffer("x"_ns, "value"_ns), kFallbackDuration);
  EXPECT_EQ(durationToOffer(NSNumber::numberWithDouble(NAN), "value"_ns), kFallbackDuration);
  EXPECT_NEAR(dateToOffer(NSNumber::numberWithDouble(5), "value"_ns)->timeIntervalSinceNow(), 0, 5);
}

TEST_F(PickerValues, SeedingStoresTheConvertedDefaultAndPostsOnlyWhenAsked) {
  Ref<NSMutableDictionary> seen = seedDefault(row(), "00:30"_ns, CVLODateTimePickerStyleTimeInterval, false);
  EXPECT_EQ(ref_cast<NSNumber>(seen->objectForKey("value"))->doubleValue(), 1800);
  EXPECT_EQ(ref_cast<NSNumber>(domain()->objectForKey("value"))->doubleValue(), 1800);
  EXPECT_EQ(posts(), 0);
  // Present already: nothing is converted, written or posted.
  seedDefault(row(), "01:00"_ns, CVLODateTimePickerStyleTimeInterval, true);
  EXPECT_EQ(ref_cast<NSNumber>(domain()->objectForKey("value"))->doubleValue(), 1800);
  EXPECT_EQ(posts(), 0);
  // A duration that does not parse is seeded as 0 seconds.
  seedDefault(row("other"), "soon"_ns, CVLODateTimePickerStyleTimeInterval, true);
  EXPECT_EQ(ref_cast<NSNumber>(domain()->objectForKey("other"))->doubleValue(), 0);
  EXPECT_EQ(posts(), 1);
}

TEST_F(PickerValues, ADateDefaultThatDoesNotParseWritesBackAndPostsEachTime) {
  EXPECT_FALSE(domain());
  seedDefault(row(), "25-12-2023"_ns, CVLODateTimePickerStyleDate, true);
  ASSERT_TRUE(domain());  // written back, without the key
  EXPECT_FALSE(domain()->objectForKey("value"));
  seedDefault(row(), "25-12-2023"_ns, CVLODateTimePickerStyleDate, true);
  EXPECT_FALSE(domain()->objectForKey("value"));
  EXPECT_EQ(posts(), 2);
  // No default at all: never seeded, never posted.
  seedDefault(row("bare"), nullptr, CVLODateTimePickerStyleDate, true);
  EXPECT_FALSE(domain()->objectForKey("bare"));
  EXPECT_EQ(posts(), 2);
}

TEST_F(PickerValues, AWriteKeepsEveryOtherKey) {
  NSUserDefaults::standardUserDefaults()->updatePersistentDomainForName(
      NSString::make(kDomain), [](NSMutableDictionary* d) {
        d->setObjectForKey("#FFFFFF"_ns, "activePageDotColor");
        d->setObjectForKey(NSNumber::numberWithDouble(60), "value");
      });
  ASSERT_TRUE(writeValue(row(), NSNumber::numberWithDouble(2700)));
  EXPECT_EQ(ref_cast<NSNumber>(domain()->objectForKey("value"))->doubleValue(), 2700);
  EXPECT_EQ(ref_cast<NSString>(domain()->objectForKey("activePageDotColor"))->utf8(), "#FFFFFF");
}

TEST_F(PickerValues, ARowWithoutItsNamesNeitherWritesNorPosts) {
  foundation::LogCapture logs;
  Binding noKey{nullptr, NSString::make(kDomain), NSString::make(kNotification)};
  Binding badDomain{"value"_ns, "../etc/passwd"_ns, NSString::make(kNotification)};
  Binding noName{"value"_ns, NSString::make(kDomain), ""_ns};
  EXPECT_FALSE(writeValue(noKey, NSNumber::numberWithDouble(1)));
  EXPECT_FALSE(writeValue(badDomain, NSNumber::numberWithDouble(1)));
  EXPECT_EQ(seedDefault(badDomain, "00:30"_ns, CVLODateTimePickerStyleTimeInterval, true)->count(), 0u);
  EXPECT_FALSE(domain());
  EXPECT_FALSE(std::filesystem::exists(root_ + "/etc"));
  postChange(noName);
  EXPECT_EQ(posts(), 0);
  EXPECT_EQ(logs.nslogMessages().size(), 4u);
}

// A date past what the store holds (2069) is never handed out as stored: the
// seed puts nothing in rather than a date that would be dropped on disk, and
// a write of one is answered as failed with the stored date kept.
TEST_F(PickerValues, DatesTheStoreCannotHoldAreNeitherSeededNorWritten) {
  Ref<NSMutableDictionary> seen = seedDefault(row(), "01-01-2070"_ns, CVLODateTimePickerStyleDate, false);
  EXPECT_FALSE(seen->objectForKey("value"));
  ASSERT_TRUE(domain());
  EXPECT_FALSE(domain()->objectForKey("value"));

  ASSERT_TRUE(writeValue(row(), NSDate::make(700000000)));
  auto refused = writeValue(row(), NSDate::make(2209075200.0));
  ASSERT_FALSE(refused);
  EXPECT_NE(refused.error().find("date out of the storable range"), std::string::npos) << refused.error();
  EXPECT_EQ(ref_cast<NSDate>(domain()->objectForKey("value"))->timeIntervalSinceReferenceDate(), 700000000);
}
