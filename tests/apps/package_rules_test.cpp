// The rules a package's entry list must keep before anything is written.
#include <gtest/gtest.h>

#include "PackageRules.h"

using device::EntryType;
using device::PackageEntry;

namespace {

PackageEntry file(std::string path, unsigned mode = 0644) { return {std::move(path), EntryType::File, mode, {}}; }
PackageEntry folder(std::string path, unsigned mode = 0755) { return {std::move(path), EntryType::Directory, mode, {}}; }
PackageEntry odd(std::string path, EntryType type, std::string target = {}) {
  return {std::move(path), type, 0644, std::move(target)};
}
PackageEntry sym(std::string path, std::string target) {
  return {std::move(path), EntryType::Symlink, 0777, std::move(target)};
}

struct Refused {
  const char* why;
  std::vector<PackageEntry> entries;
  const char* named;   // the entry the line must name
  const char* reason;  // and the words that say why
};

}  // namespace

TEST(PackageRules, EachEscapeOrOddEntryRefusesTheWholeListWithOneLineNamingIt) {
  std::vector<Refused> cases{
      {"dot-dot", {file("./a"), file("./var/../../etc/passwd")}, "./var/../../etc/passwd", "\"..\""},
      {"dot-dot inside", {file("./var/jb/../x")}, "./var/jb/../x", "\"..\""},
      {"absolute", {file("/etc/shadow")}, "/etc/shadow", "absolute"},
      {"hard link", {file("./a"), odd("./b", EntryType::HardLink, "./a")}, "./b", "hard link"},
      {"char device", {odd("./dev/null", EntryType::CharDevice)}, "./dev/null", "character device"},
      {"block device", {odd("./sda", EntryType::BlockDevice)}, "./sda", "block device"},
      {"fifo", {odd("./p", EntryType::Fifo)}, "./p", "fifo"},
      {"socket", {odd("./s", EntryType::Socket)}, "./s", "socket"},
      {"absolute link", {sym("./var/jb/x", "/etc/shadow")}, "./var/jb/x", "outside the device root"},
      {"climbing link", {sym("./var/jb/x", "../../../tmp/victim")}, "./var/jb/x", "outside"},
      // Each link alone stays inside; followed as the kernel does, the second leaves.
      {"link through link", {sym("./a/b", ".."), sym("./c", "a/b/../x")}, "./c", "outside"},
      {"link loop", {sym("./a", "b"), sym("./b", "a")}, "./a", "outside"},
      {"empty link", {sym("./a", "")}, "./a", "outside"},
      {"beneath a link", {sym("./lib", "usr/lib"), file("./lib/x")}, "./lib/x", "beneath the package's symlink"},
      {"beneath a file", {file("./a"), file("./a/b")}, "./a/b", "beneath the file"},
      {"twice", {file("./a"), folder("a/")}, "a/", "twice"},
      {"root as a file", {file("./")}, "./", "root itself"},
      {"no name", {file("")}, "\"\"", "no name"},
  };
  for (const auto& c : cases) {
    auto v = device::checkEntries(c.entries);
    EXPECT_FALSE(v.ok()) << c.why;
    EXPECT_TRUE(v.accepted.empty()) << c.why;
    EXPECT_NE(v.refusal.find(c.named), std::string::npos) << c.why << ": " << v.refusal;
    EXPECT_NE(v.refusal.find(c.reason), std::string::npos) << c.why << ": " << v.refusal;
    EXPECT_EQ(v.refusal.find('\n'), std::string::npos) << c.why;
  }
}

TEST(PackageRules, AcceptedEntriesArePlainPathsWithSafeModesAndInsideLinksKept) {
  auto v = device::checkEntries({folder("./", 0777), folder("./var/", 0777), folder("./var/jb/", 0700),
                                 file("./var/jb/tool", 04755), file("./var/jb/data", 02666), file("./var/jb/ww", 0666),
                                 file("var//jb/./sticky", 01777), sym("./var/jb/up", "../jb/data"),
                                 sym("./var/jb/lib", "data"), sym("./alias", "var/jb/lib")});
  ASSERT_TRUE(v.ok()) << v.refusal;
  std::vector<std::pair<std::string, unsigned>> got;
  for (const auto& a : v.accepted) got.emplace_back(a.path, a.mode);
  std::vector<std::pair<std::string, unsigned>> want{
      {"var", 0755},          {"var/jb", 0755},     {"var/jb/tool", 0755},  {"var/jb/data", 0644},
      {"var/jb/ww", 0644},    {"var/jb/sticky", 0755}, {"var/jb/up", 0777}, {"var/jb/lib", 0777},
      {"alias", 0777}};
  EXPECT_EQ(got, want);
  EXPECT_EQ(v.accepted[6].linkTarget, "../jb/data");
  // The root entry is skipped; the rest point back into the list.
  EXPECT_EQ(v.from.front(), 1u);
  EXPECT_EQ(v.from.back(), 9u);
}

TEST(PackageRules, TheControlFileMustNamePackageVersionAndArchitecture) {
  EXPECT_EQ(device::checkControl("Package: a\nVersion: 1\nArchitecture: all\n"), "");
  EXPECT_EQ(device::checkControl("package: a\r\nVERSION: 1\r\narchitecture:all"), "");
  std::string noVersion = device::checkControl("Package: a\nArchitecture: all\nDescription: x\n Version: 2\n");
  EXPECT_NE(noVersion.find("does not name its Version"), std::string::npos) << noVersion;
  std::string empty = device::checkControl("Package: a\nVersion:  \nArchitecture: all\n");
  EXPECT_NE(empty.find("Version"), std::string::npos) << empty;
  EXPECT_NE(device::checkControl("").find("Package, Version, Architecture"), std::string::npos);
}

TEST(PackageRules, APackageMustCarryTheTweakPlainOrRootless) {
  const std::string tweak = "Library/MobileSubstrate/DynamicLibraries/Corvallo.dylib";
  EXPECT_EQ(device::checkCarriesTweak({file(tweak)}), "");
  EXPECT_EQ(device::checkCarriesTweak({file("var/jb/" + tweak)}), "");
  EXPECT_NE(device::checkCarriesTweak({sym(tweak, "elsewhere")}).find("does not carry the tweak"), std::string::npos);
  EXPECT_NE(device::checkCarriesTweak({file("Library/other.dylib")}).find("does not carry the tweak"),
            std::string::npos);
}

TEST(PackageRules, APackageIdNamesAPackageAndNeverAPath) {
  EXPECT_EQ(device::controlField("Description: x\n Package: no\npackage:  com.example.a+b-1 \n", "Package"),
            "com.example.a+b-1");
  EXPECT_EQ(device::controlField("Version: 1\n", "Package"), "");
  for (const char* fine : {"com.example.tweak", "a", "0ad", "libfoo++", "Com.Example.MyTweak"})
    EXPECT_EQ(device::checkPackageId(fine), "") << fine;
  for (const auto& bad : std::vector<std::string>{"", "../x", "a/b", ".hidden", "-x", "a b", "x\n", std::string(201, 'a')})
    EXPECT_NE(device::checkPackageId(bad).find("is not a package name"), std::string::npos) << bad;
}

TEST(PackageRules, NoEntryMayWriteIntoOrDivertTheInstallersRecords) {
  EXPECT_EQ(device::checkLeavesRecordsAlone({folder("var"), folder("var/lib"), file("var/lib/other"),
                                             folder("var/jb"), file("var/lib/corvallox")}),
            "");
  for (const auto& e : {folder("var/lib/corvallo"), file("var/lib/corvallo/packages/a.list"),
                        sym("var/lib/corvallo", "elsewhere"), sym("var/lib", "x"), file("var")})
    EXPECT_NE(device::checkLeavesRecordsAlone({e}).find("installer's own records"), std::string::npos) << e.path;
}
