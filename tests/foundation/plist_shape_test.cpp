// Hostile property lists: nested far past any real file, referring to
// themselves, or large. Each must be refused or read quickly, never crash.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "foundation/Foundation.h"

namespace {

namespace fs = std::filesystem;

std::string nestedXml(int levels) {
  std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">";
  for (int i = 0; i < levels; ++i) s += "<array>";
  for (int i = 0; i < levels; ++i) s += "</array>";
  return s + "</plist>\n";
}

void putBigEndian(std::string& out, std::uint64_t v, int width) {
  for (int i = width - 1; i >= 0; --i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

// A binary list of `levels` one-element arrays, each holding the next; the
// last refers back to `lastRefersTo` (an index) or is empty when that is -1.
std::string nestedBinary(std::uint32_t levels, long lastRefersTo = -1) {
  std::string out = "bplist00";
  std::vector<std::uint64_t> offsets;
  for (std::uint32_t i = 0; i < levels; ++i) {
    offsets.push_back(out.size());
    bool last = i + 1 == levels;
    if (last && lastRefersTo < 0) {
      out.push_back(static_cast<char>(0xA0));
    } else {
      out.push_back(static_cast<char>(0xA1));
      putBigEndian(out, last ? static_cast<std::uint64_t>(lastRefersTo) : i + 1, 4);
    }
  }
  std::uint64_t table = out.size();
  for (auto o : offsets) putBigEndian(out, o, 8);
  out.append(6, '\0');
  out.push_back(8);  // offset size
  out.push_back(4);  // reference size
  putBigEndian(out, levels, 8);
  putBigEndian(out, 0, 8);
  putBigEndian(out, table, 8);
  return out;
}

TEST(PlistShape, DeepNestingIsRefusedBeforeParsing) {
  auto xml = foundation::plistFromBytes(nestedXml(200000));
  ASSERT_FALSE(xml);
  EXPECT_NE(xml.error().find("nested deeper than 512 levels"), std::string::npos) << xml.error();

  auto binary = foundation::plistFromBytes(nestedBinary(100000));
  ASSERT_FALSE(binary);
  EXPECT_NE(binary.error().find("nested deeper than 512 levels"), std::string::npos) << binary.error();
}

TEST(PlistShape, NestingUpToTheLimitStillReads) {
  // 513 containers: the innermost sits 512 levels below the root.
  EXPECT_TRUE(foundation::plistFromBytes(nestedXml(513)));
  EXPECT_FALSE(foundation::plistFromBytes(nestedXml(514)));
  EXPECT_TRUE(foundation::plistFromBytes(nestedBinary(513)));
  EXPECT_FALSE(foundation::plistFromBytes(nestedBinary(514)));
  // Comments and self-closed containers do not count as levels.
  std::string quiet =
      "<plist><!-- <array><array> --><array><array/><dict/><string>&lt;array&gt;</string></array></plist>";
  auto value = foundation::plistFromBytes(quiet);
  ASSERT_TRUE(value) << value.error();
}

TEST(PlistShape, ABinaryCollectionThatContainsItselfIsRefused) {
  auto cyclic = foundation::plistFromBytes(nestedBinary(3, 0));
  ASSERT_FALSE(cyclic);
  EXPECT_NE(cyclic.error().find("contains itself"), std::string::npos) << cyclic.error();
}

TEST(PlistShape, AMillionElementsReadInLinearTime) {
  // Fetching elements by index made this quadratic: hours instead of a second.
  NSArray::Items items;
  items.reserve(1000000);
  Ref<NSObject> one = NSNumber::numberWithInteger(1);
  for (int i = 0; i < 1000000; ++i) items.push_back(one);
  auto bytes = foundation::plistToBytes(NSArray::make(std::move(items)), foundation::PlistFormat::Binary);
  ASSERT_TRUE(bytes);
  auto back = foundation::plistFromBytes(bytes.value());
  ASSERT_TRUE(back) << back.error();
  EXPECT_EQ(objc_cast<NSArray>(back.value().get())->count(), 1000000u);
}

// The binary writer turns text that is not UTF-8 into bytes no reader takes:
// written to a domain, it would make every setting in it unreadable.
TEST(PlistShape, TextThatIsNotUtf8IsRefusedInsteadOfWrittenUnreadable) {
  Ref<NSString> bad = NSString::make(std::string_view("caf\xe9", 4));
  auto value = foundation::plistToBytes(NSArray::of({bad}), foundation::PlistFormat::Binary);
  ASSERT_FALSE(value);
  EXPECT_NE(value.error().find("not UTF-8"), std::string::npos) << value.error();
  auto key = foundation::plistToBytes(NSDictionary::of({{"\xff", NSNumber::numberWithBool(true)}}),
                                      foundation::PlistFormat::Binary);
  EXPECT_FALSE(key);
  auto fine = foundation::plistToBytes(NSArray::of({NSString::make("café ✓")}), foundation::PlistFormat::Binary);
  ASSERT_TRUE(fine);
  EXPECT_TRUE(foundation::plistFromBytes(fine.value()));
}

// The store keeps a domain it cannot read aside, as for any file that does
// not parse, so a device with such a file still starts with its defaults.
TEST(PlistShape, ADeepDomainFileIsKeptAsideAndTheDefaultsApply) {
  char tmpl[] = "/tmp/corvallo-shape-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  std::string root = tmpl;
  foundation::setDeviceRootOverride(root);
  NSUserDefaults::dropDomainCache();
  std::string prefs = root + "/var/mobile/Library/Preferences";
  fs::create_directories(prefs);
  std::ofstream(prefs + "/com.deep.plist", std::ios::binary) << nestedBinary(100000);

  auto defaults = NSUserDefaults::standardUserDefaults();
  EXPECT_FALSE(defaults->persistentDomainForName("com.deep"_ns));
  auto fresh = NSMutableDictionary::dictionary();
  fresh->setObjectForKey(NSNumber::numberWithBool(true), "enabled");
  defaults->setPersistentDomainForName(fresh, "com.deep"_ns);
  auto stored = defaults->persistentDomainForName("com.deep"_ns);
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->count(), 1u);
  bool keptAside = false;
  for (const auto& entry : fs::directory_iterator(prefs))
    keptAside |= entry.path().filename().string().rfind("com.deep.plist.corrupt-", 0) == 0;
  EXPECT_TRUE(keptAside);

  foundation::setDeviceRootOverride(std::nullopt);
  NSUserDefaults::dropDomainCache();
  fs::remove_all(root);
}

}  // namespace
