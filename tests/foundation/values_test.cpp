#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "foundation/Foundation.h"
#include "objc/runtime.h"

namespace {

bool alwaysYes(NSString*, SEL) { return true; }

TEST(Values, TextBoolValueFollowsThePlatformRule) {
  struct Case {
    const char* text;
    bool expected;
  };
  const Case cases[] = {
      {"YES", true},      {"yes", true},   {"true", true}, {"T", true},   {"1", true},    {"9", true},
      {"  \t\n y", true}, {"+0001", true}, {"-5", true},   {"007", true}, {"NO", false},  {"no", false},
      {"false", false},   {"0", false},    {"000", false}, {"", false},   {"   ", false}, {"-0", false},
      {"x", false},       {"+-1", false},  {"0.5", false}, {"N1", false},
  };
  for (const auto& c : cases) EXPECT_EQ(NSString::make(c.text)->boolValue(), c.expected) << '"' << c.text << '"';
}

TEST(Values, TextNumbersReadTheLeadingNumber) {
  EXPECT_EQ(NSString::make("  42abc")->intValue(), 42);
  EXPECT_EQ(NSString::make("-17")->integerValue(), -17);
  EXPECT_EQ(NSString::make("2.5")->intValue(), 2);
  EXPECT_EQ(NSString::make("abc")->intValue(), 0);
  EXPECT_EQ(NSString::make("99999999999")->intValue(), INT_MAX);
  EXPECT_EQ(NSString::make("-99999999999")->intValue(), INT_MIN);
  EXPECT_EQ(NSString::make("99999999999999999999999")->longLongValue(), LLONG_MAX);
  EXPECT_DOUBLE_EQ(NSString::make(" 0.45xyz")->doubleValue(), 0.45);
  EXPECT_DOUBLE_EQ(NSString::make("-1e3")->doubleValue(), -1000.0);
  EXPECT_DOUBLE_EQ(NSString::make(".5")->doubleValue(), 0.5);
  EXPECT_EQ(NSString::make("inf")->doubleValue(), 0.0);
  EXPECT_EQ(NSString::make("nan")->doubleValue(), 0.0);
}

TEST(Values, StoredBooleansAreNumbers) {
  EXPECT_EQ(NSNumber::numberWithBool(true).get(), kCFBooleanTrue);
  EXPECT_EQ(NSNumber::numberWithBool(false).get(), kCFBooleanFalse);
  EXPECT_TRUE(kCFBooleanTrue->boolValue());
  EXPECT_EQ(kCFBooleanTrue->intValue(), 1);
  EXPECT_EQ(kCFBooleanFalse->integerValue(), 0);
  EXPECT_DOUBLE_EQ(kCFBooleanTrue->doubleValue(), 1.0);
  EXPECT_TRUE(kCFBooleanTrue->isBoolean());
  EXPECT_EQ(foundation::describe(kCFBooleanTrue), "1");
  EXPECT_EQ(foundation::describe(kCFBooleanFalse), "0");
  // @YES equals @1, as on the device, and hashes alike.
  auto one = NSNumber::numberWithInt(1);
  EXPECT_TRUE(kCFBooleanTrue->isEqual(one));
  EXPECT_EQ(kCFBooleanTrue->hash(), one->hash());
}

TEST(Values, NumberConversionsNeverOverflow) {
  EXPECT_EQ(NSNumber::numberWithDouble(2.9)->intValue(), 2);
  EXPECT_EQ(NSNumber::numberWithDouble(-2.9)->intValue(), -2);
  EXPECT_EQ(NSNumber::numberWithDouble(1e300)->intValue(), INT_MAX);
  EXPECT_EQ(NSNumber::numberWithDouble(-1e300)->longLongValue(), LLONG_MIN);
  EXPECT_EQ(NSNumber::numberWithDouble(std::nan(""))->integerValue(), 0);
  EXPECT_FALSE(NSNumber::numberWithDouble(0.0)->boolValue());
  EXPECT_TRUE(NSNumber::numberWithDouble(0.1)->boolValue());
  EXPECT_TRUE(NSNumber::numberWithInteger(-3)->boolValue());
  EXPECT_EQ(foundation::describe(NSNumber::numberWithDouble(0.1)), "0.1");
  EXPECT_EQ(foundation::describe(NSNumber::numberWithDouble(3.0)), "3");
  EXPECT_EQ(foundation::describe(NSNumber::numberWithInteger(-42)), "-42");
  auto two = NSNumber::numberWithInt(2);
  EXPECT_TRUE(NSNumber::numberWithDouble(2.0)->isEqual(two));
  EXPECT_FALSE(NSNumber::numberWithDouble(2.5)->isEqual(two));
  // 2^53 + 1 is not a double: the integer and the nearest real must differ.
  auto nearest = NSNumber::numberWithDouble(9007199254740992.0);
  EXPECT_FALSE(NSNumber::numberWithLongLong(9007199254740993LL)->isEqual(nearest));
}

TEST(Values, BoolValueDispatchesPerClassAndIsHookable) {
  // A replaced boolValue on NSString is what every sender sees.
  using Message = NSString::boolValueMessage;
  Class cls = NSString::cls();
  IMP original = class_getMethodImplementation(cls, Message::sel());
  IMP always = objc::implementation<Message, &alwaysYes>();
  class_replaceMethod(cls, Message::sel(), always, always.types);
  EXPECT_TRUE(NSString::make("NO")->boolValue());
  EXPECT_FALSE(kCFBooleanFalse->boolValue());
  class_replaceMethod(cls, Message::sel(), original, original.types);
  EXPECT_FALSE(NSString::make("NO")->boolValue());
}

TEST(Values, StringOperations) {
  auto s = "#12#34"_ns;
  EXPECT_EQ(s->stringByReplacingOccurrencesOfStringWithString("#"_ns, ""_ns)->utf8(), "1234");
  EXPECT_TRUE(s->hasPrefix("#1"_ns));
  EXPECT_FALSE(s->hasPrefix(""_ns));
  EXPECT_EQ("/var/jb"_ns->stringByAppendingPathComponent("/Library/X.png"_ns)->utf8(), "/var/jb/Library/X.png");
  EXPECT_EQ("/var/jb/"_ns->stringByAppendingPathComponent("Library"_ns)->utf8(), "/var/jb/Library");
  auto parts = "a, b, c"_ns->componentsSeparatedByString(", "_ns);
  ASSERT_EQ(parts->count(), 3u);
  EXPECT_EQ(ref_cast<NSString>(parts->objectAtIndex(2))->utf8(), "c");
  EXPECT_EQ("héllo"_ns->length(), 5u);
  EXPECT_EQ("true"_ns->uppercaseString()->utf8(), "TRUE");
  auto mutableAbc = NSMutableString::make("abc");
  EXPECT_TRUE("abc"_ns->isEqual(mutableAbc));
  EXPECT_EQ("abc"_ns->hash(), NSMutableString::make("abc")->hash());

  auto m = NSMutableString::string();
  m->appendString("x"_ns);
  m->appendFormat(" %d", 5);
  auto frozen = m->copy();
  m->appendString("!"_ns);
  EXPECT_EQ(frozen->utf8(), "x 5");
  EXPECT_FALSE(frozen->isKindOfClass(NSMutableString::cls()));
}

TEST(Values, CollectionsCopyAndCompareDeeply) {
  auto inner = NSMutableArray::array();
  inner->addObject("a"_ns);
  auto dict = NSMutableDictionary::dictionary();
  dict->setObjectForKey(inner, "list");
  dict->setObjectForKey(kCFBooleanTrue, "flag");

  auto frozen = dict->copy();
  EXPECT_FALSE(frozen->isKindOfClass(NSMutableDictionary::cls()));
  EXPECT_TRUE(frozen->isEqual(dict));
  dict->removeObjectForKey("flag");
  EXPECT_EQ(frozen->count(), 2u);
  EXPECT_FALSE(frozen->isEqual(dict));
  EXPECT_EQ(frozen->copy().get(), frozen.get());

  auto other = NSDictionary::of({{"list", NSArray::of({"a"_ns})}, {"flag", NSNumber::numberWithInt(1)}});
  EXPECT_TRUE(frozen->isEqual(other));
  EXPECT_EQ(frozen->hash(), other->hash());

  auto copy = frozen->mutableCopy();
  copy->setObjectForKey("v"_ns, "new");
  EXPECT_EQ(frozen->objectForKey("new").get(), nullptr);
  EXPECT_EQ(copy->count(), 3u);
  auto keys = copy->allKeys();
  EXPECT_EQ(ref_cast<NSString>(keys->objectAtIndex(0))->utf8(), "flag");
}

TEST(Values, MisuseRaisesInsteadOfCorrupting) {
  auto a = NSMutableArray::array();
  EXPECT_THROW(a->addObject(nullptr), NSException);
  EXPECT_THROW(a->objectAtIndex(0), NSException);
  try {
    NSArray::of({"x"_ns})->objectAtIndex(3);
    FAIL();
  } catch (const NSException& e) {
    EXPECT_EQ(e.name(), NSRangeException);
  }
  auto d = NSMutableDictionary::dictionary();
  EXPECT_THROW(d->setObjectForKey(nullptr, "k"), NSException);
  EXPECT_THROW(d->setObjectForKey("v"_ns, static_cast<NSObject*>(kCFBooleanTrue)), NSException);
  EXPECT_EQ(d->objectForKey(static_cast<NSObject*>(kCFBooleanTrue)).get(), nullptr);
  // A message to nothing answers the zero value.
  Ref<NSDictionary> none;
  EXPECT_EQ(objc::send<NSDictionary::objectForKeyMessage>(none, "k"_ns).get(), nullptr);
  EXPECT_EQ(objc::send<NSDictionary::countMessage>(none), 0u);
}

TEST(Values, DescriptionsUseTheOldPlistForm) {
  auto d = NSDictionary::of({{"isEnabled", kCFBooleanTrue},
                             {"color", "#FFFFFF:0.45"_ns},
                             {"list", NSArray::of({NSNumber::numberWithInt(1), "two words"_ns})},
                             {"empty", NSArray::array()}});
  EXPECT_EQ(foundation::describe(d),
            "{\n"
            "    color = \"#FFFFFF:0.45\";\n"
            "    empty = (\n"
            "    );\n"
            "    isEnabled = 1;\n"
            "    list = (\n"
            "        1,\n"
            "        \"two words\"\n"
            "    );\n"
            "}");
  auto obj = NSObject::make();
  char expected[64];
  std::snprintf(expected, sizeof expected, "<NSObject: %p>", static_cast<void*>(obj.get()));
  EXPECT_EQ(foundation::describe(obj), expected);
  EXPECT_EQ(foundation::describe(NSString::cls()), "NSString");
  EXPECT_EQ(foundation::describe(NSDate::dateWithTimeIntervalSince1970(0)), "1970-01-01 00:00:00 +0000");
  const std::uint8_t bytes[] = {1, 2, 3, 4, 0xab};
  EXPECT_EQ(foundation::describe(NSData::make(bytes)), "<01020304 ab>");
}

TEST(Values, DatesCountFromTheReferenceDate) {
  auto d = NSDate::dateWithTimeIntervalSinceReferenceDate(0);
  EXPECT_DOUBLE_EQ(d->timeIntervalSince1970(), 978307200.0);
  foundation::setClock(+[] { return 1000.0; });
  EXPECT_DOUBLE_EQ(NSDate::date()->timeIntervalSinceReferenceDate(), 1000.0);
  foundation::setClock(nullptr);
  EXPECT_NEAR(NSDate::date()->timeIntervalSinceNow(), 0.0, 1.0);
  auto five = NSDate::make(5);
  EXPECT_TRUE(NSDate::make(5)->isEqual(five));
  EXPECT_EQ(NSDate::make(4)->compare(NSDate::make(5)), -1);
}

// Version texts compare by their numbers, so "9.3" is below "15.0".
TEST(Strings, NumericComparisonReadsRunsOfDigitsAsNumbers) {
  auto cmp = [](const char* a, const char* b) {
    return NSString::make(a)->compareOptions(NSString::make(b), NSNumericSearch);
  };
  EXPECT_EQ(cmp("14.8", "15.0"), NSOrderedAscending);
  EXPECT_EQ(cmp("15.0", "15.0"), NSOrderedSame);
  EXPECT_EQ(cmp("15.0.1", "15.0"), NSOrderedDescending);
  EXPECT_EQ(cmp("16.0", "15.0"), NSOrderedDescending);
  EXPECT_EQ(cmp("9.3", "15.0"), NSOrderedAscending);
  EXPECT_EQ(cmp("15.00", "15.0"), NSOrderedSame) << "leading zeros do not count";
  EXPECT_EQ(cmp("100000000000000000000001", "99999999999999999999999"), NSOrderedDescending);
  EXPECT_EQ(NSString::make("9.3")->compareOptions("15.0"_ns, 0), NSOrderedDescending) << "without the option: bytes";
  EXPECT_EQ(NSString::make("abc")->compareOptions("ABD"_ns, NSCaseInsensitiveSearch), NSOrderedAscending);
  EXPECT_EQ(NSString::make("15.0")->compareOptions(nullptr, NSNumericSearch), NSOrderedDescending);
}

}  // namespace
