#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <limits>
#include <random>

#include "foundation/Foundation.h"

namespace {

using foundation::PlistFormat;

Ref<NSDictionary> sample() {
  const std::uint8_t bytes[] = {0, 1, 2, 0xff};
  return NSDictionary::of({
      {"yes", kCFBooleanTrue},
      {"no", kCFBooleanFalse},
      {"int", NSNumber::numberWithInteger(-1234567890123LL)},
      {"real", NSNumber::numberWithDouble(0.45)},
      {"text", "héllo <&> \"x\""_ns},
      {"empty", ""_ns},
      {"date", NSDate::make(-0.5 + 12345678.0)},
      {"data", NSData::make(bytes)},
      {"list", NSArray::of({NSNumber::numberWithInt(1), NSDictionary::of({{"k", "v"_ns}})})},
  });
}

TEST(PropertyList, RoundTripsEveryKindInBothFormats) {
  for (auto format : {PlistFormat::Binary, PlistFormat::XML}) {
    auto bytes = foundation::plistToBytes(sample(), format);
    ASSERT_TRUE(bytes) << bytes.error();
    auto back = foundation::plistFromBytes(bytes.value());
    ASSERT_TRUE(back) << back.error();
    auto* d = objc_cast<NSDictionary>(back->get());
    ASSERT_NE(d, nullptr);
    // Booleans stay booleans: the kind is part of the value.
    auto* yes = objc_cast<NSNumber>(d->find("yes"));
    ASSERT_NE(yes, nullptr);
    EXPECT_TRUE(yes->isBoolean());
    EXPECT_EQ(yes, kCFBooleanTrue);
    EXPECT_FALSE(objc_cast<NSNumber>(d->find("int"))->isBoolean());
    if (format == PlistFormat::Binary) {
      auto original = sample();
      EXPECT_TRUE(d->isEqual(original)) << foundation::describe(d);
    } else {
      // XML keeps dates to the second.
      auto* date = objc_cast<NSDate>(d->find("date"));
      ASSERT_NE(date, nullptr);
      EXPECT_NEAR(date->storage(), 12345677.5, 1.0);
    }
    EXPECT_FALSE(d->isKindOfClass(NSMutableDictionary::cls()));
  }
}

TEST(PropertyList, MalformedInputIsAnErrorNotACrash) {
  auto bin = foundation::plistToBytes(sample(), PlistFormat::Binary).value();
  auto xml = foundation::plistToBytes(sample(), PlistFormat::XML).value();
  EXPECT_FALSE(foundation::plistFromBytes(""));
  EXPECT_FALSE(foundation::plistFromBytes("garbage"));
  EXPECT_FALSE(foundation::plistFromBytes("bplist00"));
  EXPECT_FALSE(foundation::plistFromBytes("<plist><dict><key>a</key>"));
  // Every truncation of the binary form fails cleanly.
  for (std::size_t n = 0; n < bin.size(); ++n) {
    auto r = foundation::plistFromBytes(std::string_view(bin).substr(0, n));
    EXPECT_FALSE(r) << "parsed a binary plist cut at " << n;
    if (!r) {
      EXPECT_FALSE(r.error().empty());
    }
  }
  for (std::size_t n = 0; n < xml.size() / 2; ++n) EXPECT_FALSE(foundation::plistFromBytes(xml.substr(0, n)));
  // Random damage may parse or not, but never crashes.
  std::mt19937 rng(7);
  for (int round = 0; round < 2000; ++round) {
    std::string damaged = round % 2 ? bin : xml;
    for (int k = 0; k < 4; ++k) damaged[rng() % damaged.size()] = static_cast<char>(rng());
    (void)foundation::plistFromBytes(damaged);
  }
}

// The binary form is written by the store's own writer and read by libplist:
// every kind, lengths past the marker's 14, references and offsets of each
// width, text beyond ASCII (UTF-16, with surrogate pairs) and integers of
// every size and sign.
TEST(PropertyList, BinaryFilesHoldEveryKindAtEveryWidth) {
  std::vector<std::uint8_t> bytes(300);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i);
  NSArray::Items numbers;
  for (long long v : {0LL, 1LL, 255LL, 256LL, 65535LL, 65536LL, 4294967295LL, 4294967296LL, -1LL, LLONG_MIN, LLONG_MAX})
    numbers.push_back(NSNumber::numberWithLongLong(v));
  for (double v : {0.0, -0.5, 1e300, std::numeric_limits<double>::infinity()})
    numbers.push_back(NSNumber::numberWithDouble(v));
  auto small = NSDictionary::of({{"ascii", NSString::make(std::string(20, 'a'))},
                                 {"wide", "é ✓ 𝄞 end of a text longer than fourteen"_ns},
                                 {"ключ", "значение"_ns},
                                 {"data", NSData::make(bytes)},
                                 {"none", NSArray::array()},
                                 {"empty", NSDictionary::dictionary()},
                                 {"numbers", NSArray::make(std::move(numbers))},
                                 {"dates", NSArray::of({NSDate::make(-1.25), NSDate::make(700000000.5)})}});
  for (std::size_t count : {std::size_t{3}, std::size_t{400}, std::size_t{70000}}) {
    NSDictionary::Entries entries = small->entries();
    for (std::size_t i = 0; i < count; ++i)
      entries.emplace("k" + std::to_string(i), NSNumber::numberWithInteger(static_cast<long>(i)));
    auto value = NSDictionary::make(std::move(entries));
    auto written = foundation::plistToBytes(value, PlistFormat::Binary);
    ASSERT_TRUE(written) << written.error();
    auto back = foundation::plistFromBytes(written.value());
    ASSERT_TRUE(back) << count << ": " << back.error();
    EXPECT_TRUE(back.value()->isEqual(value)) << count;
  }
  auto top = foundation::plistFromBytes(foundation::plistToBytes("just text"_ns, PlistFormat::Binary).value());
  ASSERT_TRUE(top);
  auto* text = objc_cast<NSString>(top.value().get());
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->utf8(), "just text");
}

TEST(PropertyList, RefusesWhatAPlistCannotHold) {
  EXPECT_FALSE(foundation::plistToBytes(NSDictionary::of({{"o", NSObject::make()}}), PlistFormat::Binary));
  EXPECT_FALSE(foundation::plistToBytes(NSString::make(std::string_view("a\0b", 3)), PlistFormat::XML));
  auto loop = NSMutableArray::array();
  loop->addObject(loop);
  auto r = foundation::plistToBytes(loop, PlistFormat::Binary);
  EXPECT_FALSE(r);
  loop->removeAllObjects();  // break the cycle so the array can go
  EXPECT_TRUE(foundation::isPropertyList(sample()));
}

TEST(PropertyList, FilesAreReadAsDevicePaths) {
  char tmpl[] = "/tmp/corvallo-plist-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  foundation::setDeviceRootOverride(std::string(tmpl));
  std::string host = foundation::devicePath("/page.plist");
  ASSERT_TRUE(foundation::writePlistFile(host, sample(), PlistFormat::XML));
  auto d = NSDictionary::dictionaryWithContentsOfFile("/page.plist"_ns);
  ASSERT_TRUE(d);
  EXPECT_EQ(ref_cast<NSString>(d->objectForKey("text"))->utf8(), "héllo <&> \"x\"");
  auto m = NSMutableDictionary::dictionaryWithContentsOfFile("/page.plist"_ns);
  EXPECT_TRUE(m->isKindOfClass(NSMutableDictionary::cls()));
  EXPECT_FALSE(NSArray::arrayWithContentsOfFile("/page.plist"_ns));
  EXPECT_FALSE(NSDictionary::dictionaryWithContentsOfFile("/missing.plist"_ns));
  auto missing = foundation::plistFromFile(foundation::devicePath("/missing.plist"));
  EXPECT_FALSE(missing);
  EXPECT_NE(missing.error().find("missing.plist"), std::string::npos);
  foundation::setDeviceRootOverride(std::nullopt);
  std::filesystem::remove_all(tmpl);
}

TEST(DevicePaths, ResolveUnderTheRootAndNeverAbove) {
  foundation::setDeviceRootOverride("/tmp/dev-root");
  EXPECT_EQ(foundation::devicePath("/var/mobile/Library/Preferences"), "/tmp/dev-root/var/mobile/Library/Preferences");
  EXPECT_EQ(foundation::devicePath("/var/jb//usr/./lib"), "/tmp/dev-root/var/jb/usr/lib");
  EXPECT_EQ(foundation::devicePath("/../../etc/passwd"), "/tmp/dev-root/etc/passwd");
  EXPECT_EQ(foundation::devicePath("/a/b/../../../c"), "/tmp/dev-root/c");
  foundation::setDeviceRootOverride(std::nullopt);
  setenv("CORVALLO_DEVICE_ROOT", "/tmp/env-root", 1);
  EXPECT_EQ(foundation::devicePath("/x"), "/tmp/env-root/x");
  unsetenv("CORVALLO_DEVICE_ROOT");
  std::string home = getenv("HOME") ? getenv("HOME") : "";
  if (!home.empty()) {
    EXPECT_EQ(foundation::deviceRoot(), home + "/.local/share/corvallo/device");
  }
}

}  // namespace
