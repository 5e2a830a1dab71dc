// Hostile property lists: nested far past any real file, referring to
// themselves, or large. Each must be refused or read quickly, never crash.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
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

// The sanitizer builds run a tenth of it: they look for memory and thread
// faults on the same path, and the plain build keeps the size that would
// take hours when reading is quadratic.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int kManyElements = 100000;
#else
constexpr int kManyElements = 1000000;
#endif

TEST(PlistShape, AMillionElementsReadInLinearTime) {
  // Fetching elements by index made this quadratic: hours instead of a second.
  NSArray::Items items;
  items.reserve(kManyElements);
  Ref<NSObject> one = NSNumber::numberWithInteger(1);
  for (int i = 0; i < kManyElements; ++i) items.push_back(one);
  auto bytes = foundation::plistToBytes(NSArray::make(std::move(items)), foundation::PlistFormat::Binary);
  ASSERT_TRUE(bytes);
  auto back = foundation::plistFromBytes(bytes.value());
  ASSERT_TRUE(back) << back.error();
  EXPECT_EQ(objc_cast<NSArray>(back.value().get())->count(), static_cast<unsigned long>(kManyElements));
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

namespace {

// A device root of its own for each store test.
struct StoreRoot {
  StoreRoot() {
    char tmpl[] = "/tmp/corvallo-store-XXXXXX";
    root = mkdtemp(tmpl);
    prefs = root + "/var/mobile/Library/Preferences";
    fs::create_directories(prefs);
    foundation::setDeviceRootOverride(root);
    NSUserDefaults::dropDomainCache();
  }
  ~StoreRoot() {
    foundation::setDeviceRootOverride(std::nullopt);
    NSUserDefaults::dropDomainCache();
    fs::remove_all(root);
  }
  std::string root, prefs;
};

TEST(StoreFiles, AFifoInADomainsPlaceIsReadAsCorruptWithoutHanging) {
  StoreRoot r;
  ASSERT_EQ(mkfifo((r.prefs + "/com.fifo.plist").c_str(), 0600), 0);
  auto defaults = NSUserDefaults::standardUserDefaults();
  EXPECT_FALSE(defaults->persistentDomainForName("com.fifo"_ns));  // would block forever in open()
  EXPECT_TRUE(
      NSUserDefaults::standardUserDefaults()->updatePersistentDomainForName("com.fifo"_ns, [](NSMutableDictionary* d) {
        d->setObjectForKey(NSNumber::numberWithBool(true), "enabled");
        return true;
      }));
  auto stored = defaults->persistentDomainForName("com.fifo"_ns);
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->count(), 1u);
  // A page list in a FIFO's place is refused the same way.
  EXPECT_FALSE(foundation::plistFromFile(r.prefs + "/com.fifo.plist.corrupt-x").ok());
  ASSERT_EQ(mkfifo((r.prefs + "/list.plist").c_str(), 0600), 0);
  EXPECT_FALSE(foundation::plistFromFile(r.prefs + "/list.plist").ok());
}

// A file that is there but cannot be read must not read as empty and be
// replaced by the next write with one key: every other setting would be lost.
TEST(StoreFiles, AnUnreadableDomainIsNeitherReadAsEmptyNorReplaced) {
  StoreRoot r;
  std::string file = r.prefs + "/com.locked.plist";
  auto original = NSDictionary::of({{"a", NSNumber::numberWithInteger(1)}, {"b", NSNumber::numberWithInteger(2)}});
  ASSERT_TRUE(foundation::writePlistFile(file, original, foundation::PlistFormat::Binary).ok());
  auto before = fs::file_size(file);
  ::chmod(file.c_str(), 0);
  fs::permissions(r.root, fs::perms::all, fs::perm_options::add);
  for (std::string dir = r.prefs; dir.size() > r.root.size(); dir = fs::path(dir).parent_path())
    fs::permissions(dir, fs::perms::all, fs::perm_options::add);

  // Root reads anything, so the store is used from a process without privileges.
  auto attempt = [&] {
    foundation::LogCapture logs;
    auto defaults = NSUserDefaults::standardUserDefaults();
    bool readNothing = !defaults->persistentDomainForName("com.locked"_ns);
    bool written = NSUserDefaults::standardUserDefaults()->updatePersistentDomainForName(
        "com.locked"_ns, [](NSMutableDictionary* d) {
          d->setObjectForKey(NSNumber::numberWithInteger(3), "c");
          return true;
        });
    defaults->setPersistentDomainForName(NSDictionary::of({{"c", NSNumber::numberWithInteger(3)}}), "com.locked"_ns);
    bool logged = false;
    for (const auto& line : logs.oslogMessages()) logged |= line.find("cannot be read") != std::string::npos;
    return readNothing && !written && logged;
  };
  bool refused;
  if (::geteuid() == 0) {
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
      NSUserDefaults::dropDomainCache();
      ::_exit(attempt() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    refused = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  } else {
    refused = attempt();
  }
  EXPECT_TRUE(refused);
  ::chmod(file.c_str(), 0600);
  EXPECT_EQ(fs::file_size(file), before);
  auto kept = foundation::plistFromFile(file);
  ASSERT_TRUE(kept);
  EXPECT_EQ(objc_cast<NSDictionary>(kept.value().get())->count(), 2u);
}

}  // namespace
