// `corvallo install` and `uninstall` with any tweak's package, through the
// real command: what lands where, what is recorded, what a refusal leaves
// (nothing), and what an uninstall takes away (exactly what came).
#include <sys/stat.h>
#include <unistd.h>

#include <set>

#include "CommandFixture.h"
#include "DebBuilder.h"

namespace fs = std::filesystem;
using debs::Entry;
using nlohmann::json;

namespace {

constexpr const char* kControl = "Package: com.example.pages\nVersion: 1.0\nArchitecture: iphoneos-arm\n";
constexpr const char* kEntryPlist =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict><key>entry</key><dict>"
    "<key>bundle</key><string>Pages</string><key>cell</key><string>PSLinkCell</string>"
    "<key>label</key><string>Pages</string></dict></dict></plist>\n";
constexpr const char* kFilter =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict><key>Filter</key><dict>"
    "<key>Bundles</key><array><string>com.apple.springboard</string></array></dict></dict></plist>\n";
// The start of a 64-bit Mach-O library, as a phone build makes it.
const std::string kMachO = std::string("\xcf\xfa\xed\xfe\x0c\x00\x00\x01", 8) + std::string(56, '\0');

std::string bytesOf(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every path under `dir` with its kind, mode, inode and content, the
// installer's own records left out.
std::set<std::string> listing(const fs::path& dir) {
  std::set<std::string> out;
  if (!fs::exists(dir)) return out;
  for (const auto& e : fs::recursive_directory_iterator(dir)) {
    std::string path = e.path().lexically_relative(dir).string();
    if (path.starts_with("var/lib/corvallo") || path == "var" || path == "var/lib") continue;
    struct stat st {};
    ::lstat(e.path().c_str(), &st);
    std::string line = path + " " + std::to_string(st.st_mode) + " " + std::to_string(st.st_ino);
    if (e.is_symlink()) line += " -> " + fs::read_symlink(e.path()).string();
    else if (e.is_regular_file()) line += " " + bytesOf(e.path());
    out.insert(line);
  }
  return out;
}

// A tweak with a settings entry, a bundle and a library, under `prefix` ("" or "var/jb/").
std::vector<Entry> tweakPackage(const std::string& prefix, const std::string& rootPlist = "<plist/>") {
  std::vector<Entry> all{{"./", AE_IFDIR, 0755}};
  if (!prefix.empty()) all.insert(all.end(), {{"./var/", AE_IFDIR, 0755}, {"./var/jb/", AE_IFDIR, 0755}});
  std::string base = "./" + prefix;
  for (const char* dir : {"Library/", "Library/PreferenceLoader/", "Library/PreferenceLoader/Preferences/",
                          "Library/PreferenceBundles/", "Library/PreferenceBundles/Pages.bundle/",
                          "Library/MobileSubstrate/", "Library/MobileSubstrate/DynamicLibraries/"})
    all.push_back({base + dir, AE_IFDIR, 0755});
  all.push_back({base + "Library/PreferenceLoader/Preferences/Pages.plist", AE_IFREG, 0644, kEntryPlist});
  all.push_back({base + "Library/PreferenceBundles/Pages.bundle/Root.plist", AE_IFREG, 0644, rootPlist});
  all.push_back({base + "Library/MobileSubstrate/DynamicLibraries/Pages.dylib", AE_IFREG, 0755, kMachO});
  all.push_back({base + "Library/MobileSubstrate/DynamicLibraries/Pages.plist", AE_IFREG, 0644, kFilter});
  return all;
}

class PackageManageTest : public CommandTest {
 protected:
  void SetUp() override {
    CommandTest::SetUp();
    device_ = root_ / "device";
    fs::create_directories(device_);
  }

  fs::path deb(const std::string& name, const std::vector<Entry>& entries, const std::string& control = kControl) {
    return debs::save(root_ / (name + ".deb"), debs::deb(entries, control));
  }

  // The command against the stopped device under device_.
  Outcome on(std::vector<std::string> args) const {
    args.insert(args.begin(), {program(), "--root", device_.string()});
    return run(args);
  }

  // A folder laid out like a device root, with these files (path -> bytes).
  fs::path folder(const std::string& name, const std::map<std::string, std::string>& files) {
    fs::path dir = root_ / name;
    for (const auto& [path, bytes] : files) {
      fs::create_directories((dir / path).parent_path());
      debs::save(dir / path, bytes);
    }
    return dir;
  }

  fs::path device_;
};

TEST_F(PackageManageTest, APlainPackageInstallsSaysWhatItFoundAndUninstallLeavesTheRootAsItWas) {
  // Something that was there before and belongs to nobody.
  fs::create_directories(device_ / "Library/PreferenceLoader/Preferences");
  debs::save(device_ / "Library/PreferenceLoader/Preferences/Other.plist", "other");
  auto before = listing(device_);

  Outcome o = on({"install", deb("pages", tweakPackage("")).string()});
  ASSERT_EQ(o.code, 0) << o.err;
  EXPECT_NE(o.out.find("installed com.example.pages 1.0: 4 files into " + device_.string()), std::string::npos) << o.out;
  EXPECT_NE(o.out.find("settings entries: Pages.plist"), std::string::npos) << o.out;
  EXPECT_NE(o.out.find("preference bundles: Pages.bundle"), std::string::npos) << o.out;
  EXPECT_NE(o.out.find("tweaks: Pages"), std::string::npos) << o.out;
  EXPECT_NE(o.out.find("`corvallo respring`"), std::string::npos) << o.out;
  EXPECT_EQ(bytesOf(device_ / "Library/PreferenceLoader/Preferences/Pages.plist"), kEntryPlist);
  EXPECT_EQ(bytesOf(device_ / "Library/MobileSubstrate/DynamicLibraries/Pages.dylib"), kMachO);
  EXPECT_EQ(bytesOf(device_ / "Library/PreferenceLoader/Preferences/Other.plist"), "other");

  std::string record = bytesOf(device_ / "var/lib/corvallo/packages/com.example.pages.list");
  EXPECT_NE(record.find("/Library/PreferenceBundles/Pages.bundle/Root.plist\n"), std::string::npos) << record;
  EXPECT_NE(record.find("/Library/MobileSubstrate/\n"), std::string::npos) << "a folder it made: " << record;
  EXPECT_EQ(record.find("/Library/PreferenceLoader/Preferences/\n"), std::string::npos) << "was there: " << record;

  Outcome u = on({"uninstall", "com.example.pages", "--json"});
  ASSERT_EQ(u.code, 0) << u.err;
  json out = u.json();
  EXPECT_EQ(out["removed"].size(), 4u) << out;
  EXPECT_EQ(out["tweaks"], json::array({"Pages"}));
  EXPECT_EQ(listing(device_), before) << "the folders it made go, those it found stay";
  EXPECT_FALSE(fs::exists(device_ / "var/lib/corvallo/packages/com.example.pages.list"));
}

TEST_F(PackageManageTest, RootlessFolderAndOurOwnPackagesInstallThroughTheSamePath) {
  Outcome o = on({"install", deb("rootless", tweakPackage("var/jb/")).string(), "--json"});
  ASSERT_EQ(o.code, 0) << o.err;
  json out = o.json();
  EXPECT_EQ(out["entries"], json::array({"Pages.plist"})) << out;
  EXPECT_EQ(out["bundles"], json::array({"Pages.bundle"})) << out;
  EXPECT_EQ(out["tweaks"], json::array({"Pages"})) << out;
  EXPECT_TRUE(fs::exists(device_ / "var/jb/Library/PreferenceBundles/Pages.bundle/Root.plist"));
  EXPECT_FALSE(fs::exists(device_ / "Library"));
  ASSERT_EQ(on({"uninstall", "com.example.pages"}).code, 0);
  EXPECT_FALSE(fs::exists(device_ / "var/jb")) << "every folder it made is gone";

  // A tweak's layout folder, its control file left out of the device.
  fs::path layout = folder("layout", {{"DEBIAN/control", "Package: com.example.layout\nVersion: 2\n"},
                                      {"Library/PreferenceLoader/Preferences/Layout.plist", kEntryPlist}});
  o = on({"install", layout.string()});
  ASSERT_EQ(o.code, 0) << o.err;
  EXPECT_NE(o.out.find("installed com.example.layout 2: 1 file"), std::string::npos) << o.out;
  EXPECT_FALSE(fs::exists(device_ / "DEBIAN"));

  // Ours, plain and rootless, each into a fresh root.
  for (const char* scheme : {"plain", "rootless"}) {
    fs::path ours = fs::path(CORVALLO_BUILD_DIR) / (std::string("com.tenvarix.corvallo_0.1.0_") + scheme + ".deb");
    fs::path root = root_ / scheme;
    Outcome mine = run({program(), "--root", root.string(), "install", ours.string(), "--json"});
    ASSERT_EQ(mine.code, 0) << scheme << ": " << mine.err;
    json m = mine.json();
    EXPECT_EQ(m["package"], "com.tenvarix.corvallo");
    EXPECT_EQ(m["tweaks"], json::array({"Corvallo"})) << m;
    EXPECT_EQ(m["entries"], json::array({"CorvalloExamples.plist", "CorvalloPrefs.plist"})) << m;
    EXPECT_EQ(run({program(), "--root", root.string(), "uninstall", "com.tenvarix.corvallo"}).code, 0);
    EXPECT_EQ(listing(root), std::set<std::string>{}) << scheme;
  }
}

TEST_F(PackageManageTest, AFolderTakesItsIdFromItsControlFileOrFromIdAndIsRefusedWithNeither) {
  fs::path bare = folder("bare", {{"Library/PreferenceLoader/Preferences/Bare.plist", kEntryPlist}});
  Outcome o = on({"install", bare.string()});
  EXPECT_NE(o.code, 0);
  EXPECT_NE(o.err.find("no control file"), std::string::npos) << o.err;
  EXPECT_NE(o.err.find("corvallo install --id com.example.mytweak"), std::string::npos) << o.err;
  EXPECT_TRUE(fs::is_empty(device_));

  o = on({"install", "--id", "com.example.bare", bare.string()});
  ASSERT_EQ(o.code, 0) << o.err;
  EXPECT_TRUE(fs::exists(device_ / "var/lib/corvallo/packages/com.example.bare.list"));

  // A control file at the folder's root names it too, and is not installed.
  fs::path named = folder("named", {{"control", "Package: com.example.named\n"}, {"Library/x", "x"}});
  ASSERT_EQ(on({"install", named.string()}).code, 0);
  EXPECT_TRUE(fs::exists(device_ / "Library/x"));
  EXPECT_FALSE(fs::exists(device_ / "control"));
  EXPECT_NE(on({"install", "--id", "com.example.other", named.string()}).code, 0) << "two names for one package";
}

// Each refused whole, in one line, with not a byte of the root changed.
TEST_F(PackageManageTest, RefusedPackagesLeaveTheRootByteIdentical) {
  ASSERT_EQ(on({"install", deb("pages", tweakPackage("")).string()}).code, 0);
  fs::path outside = root_ / "outside";
  fs::create_directories(outside);
  fs::path withLink = folder("withlink", {{"control", "Package: com.example.link\n"}, {"Library/a", "a"}});
  fs::create_symlink("../../outside", withLink / "Library/out");
  fs::path withFifo = folder("withfifo", {{"control", "Package: com.example.fifo\n"}, {"Library/a", "a"}});
  ASSERT_EQ(::mkfifo((withFifo / "Library/pipe").c_str(), 0644), 0);

  const std::vector<std::pair<std::string, std::pair<fs::path, std::string>>> cases{
      {"escape", {deb("escape", {{"./Library/", AE_IFDIR}, {"./Library/../../x", AE_IFREG, 0644, "x"}}),
                  "climbs out"}},
      {"symlink out", {deb("link", {{"./Library/", AE_IFDIR}, {"./Library/l", AE_IFLNK, 0777, {}, "../../x"}}),
                       "symlink leading outside"}},
      {"no package", {deb("nameless", {{"./Library/", AE_IFDIR}, {"./Library/y", AE_IFREG, 0644, "y"}},
                          "Version: 1\nArchitecture: all\n"),
                      "does not name its Package"}},
      {"another's file", {deb("thief", {{"./Library/", AE_IFDIR}, {"./Library/z", AE_IFREG, 0644, "z"},
                                        {"./Library/PreferenceLoader/", AE_IFDIR},
                                        {"./Library/PreferenceLoader/Preferences/", AE_IFDIR},
                                        {"./Library/PreferenceLoader/Preferences/Pages.plist", AE_IFREG, 0644, "mine"}},
                              "Package: com.example.thief\nVersion: 1\nArchitecture: all\n"),
                          "belongs to the package com.example.pages"}},
      {"forged record", {deb("forger", {{"./var/", AE_IFDIR}, {"./var/lib/", AE_IFDIR},
                                        {"./var/lib/corvallo/packages/com.example.pages.list", AE_IFREG, 0644, ""}},
                             "Package: com.example.forger\nVersion: 1\nArchitecture: all\n"),
                         "installer's own records"}},
      {"id as a path", {deb("dots", {{"./Library/", AE_IFDIR}}, "Package: ../../x\nVersion: 1\nArchitecture: all\n"),
                        "is not a package name"}},
      {"folder's symlink out", {withLink, "symlink leading outside"}},
      {"folder's fifo", {withFifo, "is a fifo"}},
  };
  for (const auto& [name, c] : cases) {
    SCOPED_TRACE(name);
    auto before = listing(device_);
    std::string record = bytesOf(device_ / "var/lib/corvallo/packages/com.example.pages.list");
    Outcome o = on({"install", c.first.string()});
    EXPECT_EQ(o.code, 1);
    EXPECT_NE(o.err.find("refusing " + c.first.filename().string() + ": "), std::string::npos) << o.err;
    EXPECT_NE(o.err.find(c.second), std::string::npos) << o.err;
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
    EXPECT_EQ(listing(device_), before);
    EXPECT_EQ(bytesOf(device_ / "var/lib/corvallo/packages/com.example.pages.list"), record);
  }
  EXPECT_TRUE(fs::is_empty(outside));
}

TEST_F(PackageManageTest, AReinstallReplacesItsFilesAndRemovesThoseTheNewVersionDropped) {
  std::vector<Entry> v1{{"./Library/", AE_IFDIR},           {"./Library/Pages/", AE_IFDIR},
                        {"./Library/Pages/kept", AE_IFREG, 0644, "v1"},
                        {"./Library/Pages/Old/", AE_IFDIR}, {"./Library/Pages/Old/dropped", AE_IFREG, 0644, "v1"}};
  std::vector<Entry> v2{{"./Library/", AE_IFDIR}, {"./Library/Pages/", AE_IFDIR},
                        {"./Library/Pages/kept", AE_IFREG, 0644, "v2"}, {"./Library/Pages/new", AE_IFREG, 0644, "v2"}};
  ASSERT_EQ(on({"install", deb("v1", v1).string()}).code, 0);
  // A file of nobody's in a folder the first version made.
  debs::save(device_ / "Library/Pages/Old/mine", "mine");
  Outcome o = on({"install", deb("v2", v2, "Package: com.example.pages\nVersion: 2\nArchitecture: all\n").string()});
  ASSERT_EQ(o.code, 0) << o.err;
  EXPECT_NE(o.out.find("removed 1 file the older version had"), std::string::npos) << o.out;
  EXPECT_EQ(bytesOf(device_ / "Library/Pages/kept"), "v2");
  EXPECT_EQ(bytesOf(device_ / "Library/Pages/new"), "v2");
  EXPECT_FALSE(fs::exists(device_ / "Library/Pages/Old/dropped"));
  EXPECT_EQ(bytesOf(device_ / "Library/Pages/Old/mine"), "mine") << "not the package's to remove";

  ASSERT_EQ(on({"uninstall", "com.example.pages"}).code, 0);
  EXPECT_FALSE(fs::exists(device_ / "Library/Pages/kept"));
  EXPECT_FALSE(fs::exists(device_ / "Library/Pages/new"));
  EXPECT_EQ(bytesOf(device_ / "Library/Pages/Old/mine"), "mine");
}

TEST_F(PackageManageTest, UninstallTakesOnlyItsOwnAndNeverFollowsALinkOutOfTheRoot) {
  ASSERT_EQ(on({"install", deb("pages", tweakPackage("")).string()}).code, 0);
  fs::path other = folder("other", {{"control", "Package: com.example.other\n"},
                                    {"Library/PreferenceLoader/Preferences/Other.plist", kEntryPlist}});
  ASSERT_EQ(on({"install", other.string()}).code, 0);

  Outcome unknown = on({"uninstall", "com.example.nothing"});
  EXPECT_EQ(unknown.code, 1);
  EXPECT_NE(unknown.err.find("no package com.example.nothing is installed"), std::string::npos) << unknown.err;
  EXPECT_NE(unknown.err.find("installed: com.example.other, com.example.pages"), std::string::npos) << unknown.err;

  ASSERT_EQ(on({"uninstall", "com.example.pages"}).code, 0);
  EXPECT_EQ(bytesOf(device_ / "Library/PreferenceLoader/Preferences/Other.plist"), kEntryPlist)
      << "a folder the first package made still holds the other's entry";
  EXPECT_FALSE(fs::exists(device_ / "Library/MobileSubstrate"));
  EXPECT_NE(on({"uninstall", "com.example.pages"}).code, 0) << "gone already";

  // The folder a package installed into, swapped for a link out of the root:
  // the file of the same name out there stays.
  fs::path outside = root_ / "outside";
  fs::create_directories(outside / "Preferences");
  debs::save(outside / "Preferences/Other.plist", "not the device's");
  fs::remove_all(device_ / "Library/PreferenceLoader/Preferences");
  fs::create_directory_symlink(outside / "Preferences", device_ / "Library/PreferenceLoader/Preferences");
  on({"uninstall", "com.example.other"});
  EXPECT_EQ(bytesOf(outside / "Preferences/Other.plist"), "not the device's");

  // A record is read as untrusted as a package.
  fs::create_directories(device_ / "var/lib/corvallo/packages");
  debs::save(device_ / "var/lib/corvallo/packages/com.example.forged.list", "/../../outside/Preferences/Other.plist\n");
  Outcome forged = on({"uninstall", "com.example.forged"});
  EXPECT_EQ(forged.code, 1);
  EXPECT_NE(forged.err.find("not inside the root"), std::string::npos) << forged.err;
  EXPECT_EQ(bytesOf(outside / "Preferences/Other.plist"), "not the device's");
}

// Into a running device: SpringBoard keeps running, a phone-built tweak is
// skipped with its reason at the next start, and Settings is told.
TEST_F(PackageManageTest, InstallingIntoARunningDeviceKeepsItUpAndAPhoneBuiltTweakIsSkippedAtRespring) {
  up();
  Outcome o = corvallo({"install", deb("pages", tweakPackage("")).string(), "--json"});
  ASSERT_EQ(o.code, 0) << o.err;
  json out = o.json();
  EXPECT_NE(out["tweakNote"].get<std::string>().find("corvallo respring"), std::string::npos) << out;
  json settings = out["settings"];
  if (settings.value("rescanned", false))
    EXPECT_NE(settings["entries"].dump().find("Pages"), std::string::npos) << settings;
  else
    EXPECT_NE(settings.value("note", "").find("when it next starts"), std::string::npos) << settings;

  ASSERT_EQ(corvallo({"respring"}).code, 0);
  ASSERT_TRUE(eventually([&] { return status(); },
                         [](const json& s) { return s.contains("springboard") && !s["springboard"]["failedToLoad"].empty(); },
                         std::chrono::seconds(30)))
      << last_;
  json s = status();
  EXPECT_EQ(s["springboard"]["injected"], json::array({"Corvallo"})) << s;
  ASSERT_EQ(s["springboard"]["failedToLoad"].size(), 1u) << s;
  EXPECT_EQ(s["springboard"]["failedToLoad"][0]["library"], "Pages");
  std::string reason = s["springboard"]["failedToLoad"][0]["reason"];
  EXPECT_NE(reason.find("invalid ELF header"), std::string::npos) << reason;
  EXPECT_NE(reason.find("a Mach-O library, built for the phone"), std::string::npos) << reason;

  Outcome u = corvallo({"uninstall", "com.example.pages"});
  EXPECT_EQ(u.code, 0) << u.err;
  EXPECT_NE(u.out.find("keeps a removed tweak loaded"), std::string::npos) << u.out;
}

}  // namespace
