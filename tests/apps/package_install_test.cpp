// Installing packages, hostile ones included, into temporary device roots:
// nothing outside the root is touched, a refused or failed install leaves
// the root as it was, and modes do not depend on the caller's umask.
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <set>

#include "CommandFixture.h"
#include "DebBuilder.h"
#include "Install.h"
#include "PackageReader.h"

namespace fs = std::filesystem;
using debs::Entry;

namespace {

constexpr const char* kTweakPath = "Library/MobileSubstrate/DynamicLibraries/Corvallo.dylib";
constexpr const char* kSubstratePath = "var/jb/Library/Frameworks/CydiaSubstrate.framework/CydiaSubstrate";

std::string bytesOf(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

unsigned modeOf(const fs::path& p) {
  struct stat st {};
  ::lstat(p.c_str(), &st);
  return st.st_mode & 07777;
}

// Every path under `dir` with its kind, mode and content, to compare before and after.
std::set<std::string> listing(const fs::path& dir) {
  std::set<std::string> out;
  if (!fs::exists(dir)) return out;
  for (const auto& e : fs::recursive_directory_iterator(dir)) {
    struct stat st {};
    ::lstat(e.path().c_str(), &st);
    std::string line = e.path().lexically_relative(dir).string() + " " + std::to_string(st.st_mode) + " " +
                       std::to_string(st.st_ino);
    if (e.is_symlink()) line += " -> " + fs::read_symlink(e.path()).string();
    else if (e.is_regular_file()) line += " " + bytesOf(e.path());
    out.insert(line);
  }
  return out;
}

class PackageInstallTest : public CommandTest {
 protected:
  void SetUp() override {
    CommandTest::SetUp();
    device_ = root_ / "device";
    build_ = {root_ / "build/bin", root_ / "build/image/deliverables", root_ / "build/image/platform"};
    fs::create_directories(build_.platform / "var/jb/Library/Frameworks/CydiaSubstrate.framework");
    fs::create_directories(build_.platform / "var/jb/usr/lib");
    debs::save(build_.platform / kSubstratePath, "substrate");
    debs::save(build_.platform / "var/jb/usr/lib/libcolorpicker.dylib", "picker");
    fs::permissions(build_.platform / kSubstratePath, fs::perms(0755));
  }

  // A file of the build's image of the deliverables, made with its folders.
  fs::path inImage(const std::string& devicePath, const std::string& bytes) {
    fs::create_directories((build_.deliverables / devicePath).parent_path());
    return debs::save(build_.deliverables / devicePath, bytes);
  }

  fs::path deb(const std::string& name, const std::vector<Entry>& entries, const std::string& control = debs::kControl) {
    return debs::save(root_ / (name + ".deb"), debs::deb(entries, control));
  }

  // The message of the refusal or failure, or "" when it installed.
  std::string installing(const fs::path& package) {
    try {
      device::installPackage(package, build_, device_);
      return "";
    } catch (const std::exception& e) {
      return e.what();
    }
  }

  bool rootUntouched() { return !fs::exists(device_) || fs::is_empty(device_); }

  fs::path device_;
  device::BuildOutput build_;
};

}  // namespace

TEST_F(PackageInstallTest, ASymlinkToAFileOutsideIsRefusedAndThatFileKeepsItsInodeOwnerAndBytes) {
  fs::path victim = root_ / "victim";
  debs::save(victim, "the host's own file\n");
  ASSERT_EQ(::chown(victim.c_str(), 65534, 65534), 0);
  struct stat before {};
  ::stat(victim.c_str(), &before);
  for (const std::string& target : {victim.string(), std::string("../../../victim"), std::string("../../../../..") +
                                                                                         victim.string()}) {
    auto package = deb("link", debs::withTweak({{"./var/", AE_IFDIR}, {"./var/jb/", AE_IFDIR},
                                                {"./var/jb/x", AE_IFLNK, 0777, {}, target}}));
    std::string why = installing(package);
    EXPECT_NE(why.find("\"./var/jb/x\" is a symlink leading outside the device root"), std::string::npos)
        << target << ": " << why;
    EXPECT_TRUE(rootUntouched()) << target;

    // The command says the same in one line and exits non-zero, before any host starts.
    Outcome o = run({program(), "--root", device_.string(), "up", "--package", package.string()});
    EXPECT_NE(o.code, 0);
    EXPECT_NE(o.err.find("refusing link.deb: entry \"./var/jb/x\""), std::string::npos) << o.err;
    EXPECT_TRUE(rootUntouched()) << target;
  }
  struct stat after {};
  ::stat(victim.c_str(), &after);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_uid, 65534u);
  EXPECT_EQ(after.st_gid, 65534u);
  EXPECT_EQ(slurp(victim), "the host's own file\n");
}

TEST_F(PackageInstallTest, EscapingAndSpecialEntriesRefuseThePackageWithNothingWritten) {
  fs::create_directories(root_ / "etc");
  struct Case {
    const char* name;
    Entry entry;
    const char* line;
  };
  std::vector<Case> cases{
      {"dotdot", {"./var/../../etc/planted", AE_IFREG, 0644, "x"}, "entry \"./var/../../etc/planted\" climbs out"},
      {"absolute", {(root_ / "etc/abs").string(), AE_IFREG, 0644, "x"}, "is an absolute path"},
      {"hardlink", {"./Library/h", AE_IFREG, 0644, {}, {}, debs::kTweak}, "entry \"./Library/h\" is a hard link"},
      {"fifo", {"./Library/p", AE_IFIFO, 0644}, "entry \"./Library/p\" is a fifo"},
      {"device", {"./Library/null", AE_IFCHR, 0666}, "entry \"./Library/null\" is a character device"},
  };
  for (const auto& c : cases) {
    std::string why = installing(deb(c.name, debs::withTweak({c.entry})));
    EXPECT_NE(why.find(c.line), std::string::npos) << c.name << ": " << why;
    EXPECT_TRUE(rootUntouched()) << c.name;
  }
  EXPECT_TRUE(fs::is_empty(root_ / "etc"));
}

TEST_F(PackageInstallTest, AControlFileWithoutVersionOrAPackageWithoutTheTweakIsRefusedClearly) {
  std::string why = installing(deb("noversion", debs::withTweak(), "Package: a\nArchitecture: all\n"));
  EXPECT_NE(why.find("does not name its Version"), std::string::npos) << why;
  EXPECT_TRUE(rootUntouched());

  auto package = deb("notweak", {{"./", AE_IFDIR}, {"./Library/", AE_IFDIR}, {"./Library/readme", AE_IFREG, 0644, "x"}});
  Outcome o = run({program(), "--root", device_.string(), "up", "--package", package.string()});
  EXPECT_NE(o.code, 0);
  EXPECT_NE(o.err.find("does not carry the tweak"), std::string::npos) << o.err;
  EXPECT_EQ(o.err.find("did not come up"), std::string::npos) << o.err;
  EXPECT_TRUE(rootUntouched());
}

TEST_F(PackageInstallTest, ModesAreSafeAndExplicitWhateverTheUmaskForPackagesAndTheBuildTree) {
  mode_t old = ::umask(0);
  std::string why = installing(deb("modes", debs::withTweak({{"./var/", AE_IFDIR, 0777},
                                                            {"./var/jb/", AE_IFDIR, 0777},
                                                            {"./var/jb/suid", AE_IFREG, 04755, "s"},
                                                            {"./var/jb/sgid", AE_IFREG, 02644, "g"},
                                                            {"./var/jb/shared", AE_IFREG, 0666, "w"},
                                                            {"./var/jb/link", AE_IFLNK, 0777, {}, "shared"}})));
  EXPECT_EQ(why, "");
  EXPECT_EQ(modeOf(device_), 0755u);
  EXPECT_EQ(modeOf(device_ / "var"), 0755u);
  EXPECT_EQ(modeOf(device_ / "var/jb"), 0755u);
  EXPECT_EQ(modeOf(device_ / "Library/MobileSubstrate"), 0755u);
  EXPECT_EQ(modeOf(device_ / "var/jb/suid"), 0755u);
  EXPECT_EQ(modeOf(device_ / "var/jb/sgid"), 0644u);
  EXPECT_EQ(modeOf(device_ / "var/jb/shared"), 0644u);
  EXPECT_EQ(modeOf(device_ / kTweakPath), 0755u);
  EXPECT_EQ(fs::read_symlink(device_ / "var/jb/link"), "shared");
  EXPECT_EQ(modeOf(device_ / "var/jb/usr/lib/libcolorpicker.dylib"), 0644u);
  EXPECT_EQ(modeOf(device_ / "var/jb/Library/Frameworks/CydiaSubstrate.framework/CydiaSubstrate"), 0755u);
  for (const auto& e : fs::directory_iterator(device_)) EXPECT_EQ(e.path().filename().string().find(".corvallo"), std::string::npos);

  // The build tree's own files, world-writable as they may be after a careless copy.
  fs::permissions(inImage(kTweakPath, "tweak"), fs::perms(0777));
  fs::permissions(inImage("Library/MobileSubstrate/DynamicLibraries/Corvallo.plist", "filter"), fs::perms(0666));
  inImage("Library/PreferenceBundles/X.bundle/Root.plist", "page");
  fs::permissions(build_.deliverables / "Library/PreferenceBundles/X.bundle", fs::perms(0777));
  fs::path fresh = root_ / "fresh";
  auto report = device::install(build_, fresh);
  ::umask(old);
  EXPECT_TRUE(report.missing.empty());
  EXPECT_EQ(modeOf(fresh), 0755u);
  EXPECT_EQ(modeOf(fresh / "Library"), 0755u);
  EXPECT_EQ(modeOf(fresh / "Library/PreferenceBundles/X.bundle"), 0755u);
  EXPECT_EQ(modeOf(fresh / "Library/PreferenceBundles/X.bundle/Root.plist"), 0644u);
  EXPECT_EQ(modeOf(fresh / kTweakPath), 0755u);
  EXPECT_EQ(modeOf(fresh / "Library/MobileSubstrate/DynamicLibraries/Corvallo.plist"), 0644u);
}

TEST_F(PackageInstallTest, ASymlinkPlantedInTheRootIsNeverFollowedAndEarlierWritesAreUndone) {
  fs::path outside = root_ / "outside";
  fs::create_directories(outside);
  fs::create_directories(device_ / "var/jb");
  debs::save(device_ / "var/jb/first", "old");
  fs::create_directory_symlink(outside, device_ / "Library");
  auto before = listing(device_);
  // var/jb/first is replaced before the tweak's folder turns out to be a link.
  auto package = deb("planted", {{"./", AE_IFDIR},
                                 {"./var/jb/first", AE_IFREG, 0644, "new"},
                                 {"./var/jb/added", AE_IFREG, 0644, "new"},
                                 {"./var/jb/deeper/", AE_IFDIR},
                                 {debs::kTweak, AE_IFREG, 0755, "tweak"}});
  std::string why = installing(package);
  EXPECT_NE(why.find("it is a symlink"), std::string::npos) << why;
  EXPECT_NE(why.find("/Library"), std::string::npos) << why;
  EXPECT_EQ(listing(device_), before);
  EXPECT_TRUE(fs::is_empty(outside));

  // The build-tree install does not follow it either.
  inImage(kTweakPath, "tweak");
  EXPECT_THROW(device::install(build_, device_), std::runtime_error);
  EXPECT_EQ(listing(device_), before);
  EXPECT_TRUE(fs::is_empty(outside));
}

// Runs `scenario` in a child process whose device root sits on a 256 KiB
// tmpfs of its own (or, where no file system can be mounted, under a file
// size limit), so a write fails part way as on a full disk. The child
// writes its findings to `report`.
void onAFullDisk(const fs::path& where, const fs::path& report, const std::function<std::string(const fs::path&)>& scenario) {
  fs::create_directories(where);
  pid_t pid = ::fork();
  if (pid == 0) {
    bool mounted = ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                   ::mount("tmpfs", where.c_str(), "tmpfs", 0, "size=256k") == 0;
    if (!mounted) {
      ::signal(SIGXFSZ, SIG_IGN);
      rlimit limit{200 * 1024, 200 * 1024};
      ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    std::string findings;
    try {
      findings = scenario(where / "device");
    } catch (const std::exception& e) {
      findings = std::string("scenario failed: ") + e.what();
    }
    std::ofstream(report) << findings;
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
}

TEST_F(PackageInstallTest, AnInstallThatRunsOutOfSpaceFailsAndLeavesThePreviousInstallAsItWas) {
  std::string big(512 * 1024, '\0');
  std::mt19937 random(7);
  for (auto& c : big) c = static_cast<char>(random());
  auto small = deb("small", debs::withTweak({}, "tweak v1"));
  auto large = deb("large", debs::withTweak({{"./var/", AE_IFDIR}, {"./var/big", AE_IFREG, 0644, big}}, "tweak v2"));
  fs::path report = root_ / "report";
  onAFullDisk(root_ / "disk", report, [&](const fs::path& device) {
    device::installPackage(small, build_, device);
    auto before = listing(device);
    std::string why;
    try {
      device::installPackage(large, build_, device);
    } catch (const std::exception& e) {
      why = e.what();
    }
    std::string out = why + "\n";
    out += listing(device) == before ? "unchanged\n" : "changed\n";
    out += slurp(device / kTweakPath) + "\n";
    return out;
  });
  std::string findings = slurp(report);
  EXPECT_NE(findings.find("nothing installed into"), std::string::npos) << findings;
  EXPECT_TRUE(findings.find("No space left on device") != std::string::npos ||
              findings.find("File too large") != std::string::npos)
      << findings;
  EXPECT_NE(findings.find("\nunchanged\ntweak v1\n"), std::string::npos) << findings;

  // And through the command: a non-zero exit that says why.
  onAFullDisk(root_ / "disk2", report, [&](const fs::path& device) {
    Outcome o = run({program(), "--root", device.string(), "up", "--package", large.string()});
    return std::to_string(o.code) + "\n" + o.err + (fs::exists(device / kTweakPath) ? "tweak written\n" : "");
  });
  findings = slurp(report);
  EXPECT_EQ(findings.substr(0, 2), "1\n") << findings;
  EXPECT_NE(findings.find("corvallo: nothing installed"), std::string::npos) << findings;
  EXPECT_EQ(findings.find("tweak written"), std::string::npos) << findings;
}

TEST_F(PackageInstallTest, AReplacedFileIsPutBackWhenALaterEntryCannotBeInstalled) {
  fs::create_directories(device_ / "var/jb");
  debs::save(device_ / "var/jb/first", "old");
  debs::save(device_ / "blocker", "a file where the package wants a folder");
  fs::create_hard_link(device_ / "var/jb/first", root_ / "second-name");
  auto before = listing(device_);
  std::string why = installing(deb("blocked", debs::withTweak({{"./var/jb/first", AE_IFREG, 0644, "new"},
                                                               {"./blocker/x", AE_IFREG, 0644, "x"}})));
  EXPECT_NE(why.find("blocker: it is not a folder"), std::string::npos) << why;
  EXPECT_EQ(listing(device_), before);
  EXPECT_EQ(fs::hard_link_count(device_ / "var/jb/first"), 2u);
}

TEST(RealPackages, BothSchemesOfTheBuiltPackagePassEveryRule) {
  for (const char* scheme : {"plain", "rootless"}) {
    fs::path deb = fs::path(CORVALLO_BUILD_DIR) / (std::string("com.tenvarix.corvallo_0.1.0_") + scheme + ".deb");
    ASSERT_TRUE(fs::exists(deb)) << "build the deb target";
    auto package = device::readPackageFile(deb);
    EXPECT_EQ(device::checkControl(package.control), "") << scheme;
    auto v = device::checkEntries(package.entries);
    ASSERT_TRUE(v.ok()) << scheme << ": " << v.refusal;
    EXPECT_EQ(device::checkCarriesTweak(v.accepted), "") << scheme;
  }
}
