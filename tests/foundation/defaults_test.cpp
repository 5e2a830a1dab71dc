#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "foundation/Foundation.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

class Defaults : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/corvallo-defaults-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    root_ = tmpl;
    foundation::setDeviceRootOverride(root_);
    NSUserDefaults::dropDomainCache();
    defaults_ = NSUserDefaults::standardUserDefaults();
  }
  void TearDown() override {
    foundation::setDeviceRootOverride(std::nullopt);
    NSUserDefaults::dropDomainCache();
    fs::remove_all(root_);
  }
  std::string prefs() const { return root_ + "/var/mobile/Library/Preferences"; }
  std::string file(const std::string& name) const { return prefs() + "/" + name + ".plist"; }

  pid_t spawn(std::vector<std::string> args) {
    args.insert(args.begin(), {STORE_HELPER, root_});
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    EXPECT_EQ(posix_spawn(&pid, STORE_HELPER, nullptr, nullptr, argv.data(), environ), 0);
    return pid;
  }
  static int wait(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
  }

  // A change made behind the store's back reaches it through the folder's
  // watch, a moment after the file is closed.
  bool readsSoon(const char* key, const std::string& value) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    do {
      auto d = defaults_->persistentDomainForName(domain_);
      Ref<NSObject> o = d ? d->objectForKey(key) : nullptr;
      auto v = objc_cast<NSString>(o.get());
      if (v && v->utf8() == value) return true;
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
  }

  std::string root_;
  Ref<NSUserDefaults> defaults_;
  Ref<NSString> domain_ = "com.tenvarix.corvalloprefs"_ns;
};

TEST_F(Defaults, WholeDomainRoundTripsThroughABinaryFile) {
  EXPECT_FALSE(defaults_->persistentDomainForName(domain_));
  EXPECT_FALSE(fs::exists(root_ + "/var")) << "a read must create nothing";

  auto d = NSMutableDictionary::dictionary();
  d->setObjectForKey(kCFBooleanFalse, "isHidePageDotsEnabled");
  d->setObjectForKey("#FFFFFF:0.45"_ns, "inactivePageDotColor");
  d->setObjectForKey(NSDate::make(100), "when");
  defaults_->setPersistentDomainForName(d, domain_);
  d->setObjectForKey("later"_ns, "mutated");  // the store keeps what was given at the time

  auto stored = defaults_->persistentDomainForName(domain_);
  ASSERT_TRUE(stored);
  EXPECT_FALSE(stored->isKindOfClass(NSMutableDictionary::cls()));
  EXPECT_EQ(stored->count(), 3u);
  EXPECT_EQ(stored->objectForKey("isHidePageDotsEnabled").get(), kCFBooleanFalse);

  struct stat st {};
  ASSERT_EQ(stat(file("com.tenvarix.corvalloprefs").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  std::ifstream in(file("com.tenvarix.corvalloprefs"), std::ios::binary);
  std::string magic(6, '\0');
  in.read(magic.data(), 6);
  EXPECT_EQ(magic, "bplist");

  // Another process's view: a fresh cache reads the same from the file.
  NSUserDefaults::dropDomainCache();
  EXPECT_TRUE(defaults_->persistentDomainForName(domain_)->isEqual(stored));

  defaults_->removePersistentDomainForName(domain_);
  EXPECT_FALSE(defaults_->persistentDomainForName(domain_));
  EXPECT_FALSE(fs::exists(file("com.tenvarix.corvalloprefs")));

  // The whole folder replaced underneath: the next write and read still meet.
  fs::remove_all(root_ + "/var");
  defaults_->setPersistentDomainForName(NSDictionary::of({{"k", "v"_ns}}), domain_);
  EXPECT_EQ(defaults_->persistentDomainForName(domain_)->count(), 1u);
}

TEST_F(Defaults, UnchangedFileIsNotParsedAgainButAChangeIsSeen) {
  defaults_->setPersistentDomainForName(NSDictionary::of({{"a", "1"_ns}}), domain_);
  NSUserDefaults::dropDomainCache();
  auto before = NSUserDefaults::domainParseCount();
  auto first = defaults_->persistentDomainForName(domain_);
  auto second = defaults_->persistentDomainForName(domain_);
  EXPECT_EQ(NSUserDefaults::domainParseCount(), before + 1);
  EXPECT_EQ(first.get(), second.get());

  // A writer elsewhere: same size, same folder, written behind the cache's back.
  auto bytes = foundation::plistToBytes(NSDictionary::of({{"a", "2"_ns}}), foundation::PlistFormat::Binary).value();
  std::string tmp = prefs() + "/other-writer";
  std::ofstream(tmp, std::ios::binary) << bytes;
  fs::rename(tmp, file("com.tenvarix.corvalloprefs"));
  EXPECT_TRUE(readsSoon("a", "2"));
}

// What a person does to the file while the store serves it from memory: cp
// over it, an editor's rename, a restore of an older copy. Each is seen by the
// reads that follow, at most a watch event later.
TEST_F(Defaults, FilesReplacedBehindTheStoresBackAreSeen) {
  defaults_->setPersistentDomainForName(NSDictionary::of({{"a", "1"_ns}}), domain_);
  fs::copy_file(file("com.tenvarix.corvalloprefs"), prefs() + "/backup.plist");
  ASSERT_TRUE(readsSoon("a", "1"));

  std::string other = prefs() + "/edited.plist";
  ASSERT_TRUE(foundation::writePlistFile(other, NSDictionary::of({{"a", "cp"_ns}}), foundation::PlistFormat::XML));
  fs::copy_file(other, file("com.tenvarix.corvalloprefs"), fs::copy_options::overwrite_existing);  // cp
  EXPECT_TRUE(readsSoon("a", "cp"));

  ASSERT_TRUE(foundation::writePlistFile(other, NSDictionary::of({{"a", "editor"_ns}}), foundation::PlistFormat::XML));
  fs::rename(other, file("com.tenvarix.corvalloprefs"));  // an editor's save
  EXPECT_TRUE(readsSoon("a", "editor"));

  fs::copy_file(prefs() + "/backup.plist", file("com.tenvarix.corvalloprefs"), fs::copy_options::overwrite_existing);
  EXPECT_TRUE(readsSoon("a", "1"));  // a restore

  fs::remove(file("com.tenvarix.corvalloprefs"));
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (defaults_->persistentDomainForName(domain_) && std::chrono::steady_clock::now() < deadline) {
  }
  EXPECT_FALSE(defaults_->persistentDomainForName(domain_));
}

// A write through the store in another process is seen by the very next read
// here, from a cache that held the old version: nothing is waited for.
TEST_F(Defaults, AnotherProcessWriteIsSeenByTheNextRead) {
  defaults_->setPersistentDomainForName(NSDictionary::of({{"x", "1"_ns}}), domain_);
  for (int round = 0; round < 20; ++round) {
    auto before = defaults_->persistentDomainForName(domain_);
    ASSERT_TRUE(before);
    EXPECT_FALSE(before->objectForKey("k" + std::to_string(round) + "0"));
    ASSERT_EQ(wait(spawn({"update", "com.tenvarix.corvalloprefs", "k" + std::to_string(round), "1"})), 0);
    auto after = defaults_->persistentDomainForName(domain_);
    ASSERT_TRUE(after);
    EXPECT_TRUE(after->objectForKey("k" + std::to_string(round) + "0")) << round;
  }
}

TEST_F(Defaults, RefusedNamesNeitherReadNorWriteAndAreLogged) {
  const std::string bad[] = {
      "", "../evil", "a/b", "..", ".hidden", "com.x..y", "tab\tname", "sp ace", std::string(256, 'a'), "uni\xc3\xa9"};
  foundation::LogCapture capture;
  for (const auto& name : bad) {
    auto n = NSString::make(name);
    capture.clear();
    defaults_->setPersistentDomainForName(NSDictionary::of({{"k", "v"_ns}}), n);
    EXPECT_FALSE(defaults_->persistentDomainForName(n));
    defaults_->removePersistentDomainForName(n);
    EXPECT_FALSE(defaults_->updatePersistentDomainForName(n, [](NSMutableDictionary*) {}));
    EXPECT_EQ(capture.records().size(), 4u) << name;
  }
  EXPECT_FALSE(fs::exists(root_ + "/var/mobile/Library/evil.plist"));
  EXPECT_TRUE(!fs::exists(prefs()) || fs::is_empty(prefs()));
  EXPECT_TRUE(NSUserDefaults::isValidDomainName(std::string(255, 'a')));
  EXPECT_TRUE(NSUserDefaults::isValidDomainName("com.tenvarix.corvallo-prefs_2"));
  EXPECT_FALSE(defaults_->persistentDomainForName(nullptr));
}

TEST_F(Defaults, CorruptFileReadsAsAbsentAndIsKeptAsideOnWrite) {
  fs::create_directories(prefs());
  std::ofstream(file("com.tenvarix.corvalloprefs")) << "bplist00 this is not a plist";
  foundation::LogCapture capture;
  EXPECT_FALSE(defaults_->persistentDomainForName(domain_));
  EXPECT_FALSE(defaults_->persistentDomainForName(domain_));
  EXPECT_EQ(capture.records().size(), 1u) << "logged once";

  defaults_->updatePersistentDomainForName(domain_, [](NSMutableDictionary* d) {
    EXPECT_EQ(d->count(), 0u);
    d->setObjectForKey(kCFBooleanTrue, "isEnabled");
  });
  EXPECT_EQ(defaults_->persistentDomainForName(domain_)->count(), 1u);
  int kept = 0;
  for (const auto& e : fs::directory_iterator(prefs())) {
    std::string name = e.path().filename();
    if (name.starts_with("com.tenvarix.corvalloprefs.plist.corrupt-")) {
      ++kept;
      std::ifstream in(e.path());
      std::string text((std::istreambuf_iterator<char>(in)), {});
      EXPECT_EQ(text, "bplist00 this is not a plist");
    }
  }
  EXPECT_EQ(kept, 1);
}

TEST_F(Defaults, NonPlistValuesAreNotWritten) {
  defaults_->setPersistentDomainForName(NSDictionary::of({{"k", "v"_ns}}), domain_);
  foundation::LogCapture capture;
  defaults_->setPersistentDomainForName(NSDictionary::of({{"k", NSObject::make()}}), domain_);
  EXPECT_EQ(capture.records().size(), 1u);
  EXPECT_EQ(ref_cast<NSString>(defaults_->persistentDomainForName(domain_)->objectForKey("k"))->utf8(), "v");
}

TEST_F(Defaults, ThreadsUpdatingDistinctKeysLoseNothing) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < 50; ++i)
        defaults_->updatePersistentDomainForName(domain_, [&](NSMutableDictionary* d) {
          d->setObjectForKey(NSNumber::numberWithInt(i), "t" + std::to_string(t) + "-" + std::to_string(i));
        });
    });
  for (int i = 0; i < 200; ++i) (void)defaults_->persistentDomainForName(domain_);
  for (auto& th : threads) th.join();
  EXPECT_EQ(defaults_->persistentDomainForName(domain_)->count(), 200u);
}

TEST_F(Defaults, TwoProcessesUpdatingDistinctKeysLoseNothing) {
  pid_t a = spawn({"update", "com.tenvarix.corvalloprefs", "a", "200"});
  pid_t b = spawn({"update", "com.tenvarix.corvalloprefs", "b", "200"});
  EXPECT_EQ(wait(a), 0);
  EXPECT_EQ(wait(b), 0);
  auto d = defaults_->persistentDomainForName(domain_);
  ASSERT_TRUE(d);
  EXPECT_EQ(d->count(), 400u);
  for (int i = 0; i < 200; i += 37) {
    EXPECT_TRUE(d->objectForKey("a" + std::to_string(i))) << i;
    EXPECT_TRUE(d->objectForKey("b" + std::to_string(i))) << i;
  }
}

TEST_F(Defaults, AWriterKilledMidWriteLeavesADomainThatParses) {
  for (int round = 0; round < 5; ++round) {
    pid_t pid = spawn({"hammer", "com.tenvarix.corvalloprefs"});
    // Kill it wherever it happens to be, a few more replaced versions in
    // each round. Every version has a later mtime than the one before.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    timespec seen{};
    for (int versions = 0; versions < 2 + 3 * round && std::chrono::steady_clock::now() < deadline;) {
      struct stat st {};
      if (stat(file("com.tenvarix.corvalloprefs").c_str(), &st) == 0 &&
          (st.st_mtim.tv_sec != seen.tv_sec || st.st_mtim.tv_nsec != seen.tv_nsec)) {
        seen = st.st_mtim;
        ++versions;
      } else {
        std::this_thread::yield();
      }
    }
    kill(pid, SIGKILL);
    EXPECT_TRUE(WIFSIGNALED(wait(pid)));
    NSUserDefaults::dropDomainCache();
    auto d = defaults_->persistentDomainForName(domain_);
    ASSERT_TRUE(d) << "round " << round;
    EXPECT_TRUE(objc_cast<NSNumber>(d->find("round")));
  }
  for (const auto& e : fs::directory_iterator(prefs()))
    EXPECT_EQ(std::string(e.path().filename()).find("corrupt"), std::string::npos);
  // A later writer cleans up after the dead one and still works.
  defaults_->setPersistentDomainForName(NSDictionary::of({{"after", kCFBooleanTrue}}), domain_);
  EXPECT_EQ(defaults_->persistentDomainForName(domain_)->count(), 1u);
}

TEST_F(Defaults, AReaderRemovesATempFileLeftByAWriterThatStopped) {
  defaults_->setPersistentDomainForName(NSDictionary::of({{"kept", kCFBooleanTrue}}), domain_);
  std::string temp = prefs() + "/.com.tenvarix.corvalloprefs.plist.tmp";
  std::string lock = prefs() + "/.com.tenvarix.corvalloprefs.lock";
  std::ofstream(temp) << "half a domain";
  {
    // A writer holds the lock: the file may be its own, half written.
    int held = ::open(lock.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    NSUserDefaults::dropDomainCache();
    EXPECT_TRUE(defaults_->persistentDomainForName(domain_));
    EXPECT_TRUE(fs::exists(temp));
    ::close(held);
  }
  NSUserDefaults::dropDomainCache();
  auto d = defaults_->persistentDomainForName(domain_);
  ASSERT_TRUE(d);
  EXPECT_TRUE(d->find("kept"));
  EXPECT_FALSE(fs::exists(temp));
}

}  // namespace
