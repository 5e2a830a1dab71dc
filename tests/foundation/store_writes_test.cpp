// Store writes that cannot be made are answered as failures and leave the
// stored domain as it was; the files a write uses never reach outside the
// folder, and lock files go with their domains.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <filesystem>
#include <fstream>
#include <thread>

#include <time.h>

#include "../common/SmallDisk.h"
#include "foundation/Foundation.h"

namespace {

namespace fs = std::filesystem;

class StoreWrites : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/corvallo-writes-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    root_ = tmpl;
    foundation::setDeviceRootOverride(root_);
    NSUserDefaults::dropDomainCache();
    defaults_ = NSUserDefaults::standardUserDefaults();
  }
  void TearDown() override {
    foundation::setDeviceRootOverride(std::nullopt);
    NSUserDefaults::dropDomainCache();
    disk_.unmount();
    fs::remove_all(root_);
  }
  std::string prefs() const { return root_ + "/var/mobile/Library/Preferences"; }
  std::string file(const std::string& name) const { return prefs() + "/" + name + ".plist"; }

  // The preference folder on a small tmpfs, before the store first looks at it.
  bool mountSmallDisk() { return disk_.mount(prefs()); }
  void fillDisk() { ASSERT_TRUE(disk_.fill()); }
  void makeReadOnly() { ASSERT_EQ(disk_.makeReadOnly(), ""); }
  // The domain as a new process would read it.
  Ref<NSDictionary> onDisk() {
    NSUserDefaults::dropDomainCache();
    return defaults_->persistentDomainForName(domain_);
  }
  std::vector<std::string> dotFiles() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(prefs()))
      if (e.path().filename().string().starts_with(".")) names.push_back(e.path().filename());
    return names;
  }

  std::string root_;
  testsupport::SmallDisk disk_;
  Ref<NSUserDefaults> defaults_;
  Ref<NSString> domain_ = "com.tenvarix.corvalloprefs"_ns;
};

bool holdsJustA(const Ref<NSDictionary>& d) {
  auto expected = NSDictionary::of({{"a", "1"_ns}});
  return d && d->isEqual(expected);
}

#define SKIP_WITHOUT_MOUNT() \
  if (!mountSmallDisk()) GTEST_SKIP() << "mounting a tmpfs is not permitted here: " << strerror(errno)

TEST_F(StoreWrites, AFullDiskFailsEveryWriteAndKeepsTheStoredDomain) {
  SKIP_WITHOUT_MOUNT();
  ASSERT_TRUE(defaults_->trySetPersistentDomainForName(NSDictionary::of({{"a", "1"_ns}}), domain_));
  fillDisk();

  auto add = defaults_->tryUpdatePersistentDomainForName(
      domain_, [](NSMutableDictionary* d) { d->setObjectForKey("2"_ns, "b"); });
  ASSERT_FALSE(add);
  EXPECT_NE(add.error().find("No space left on device"), std::string::npos) << add.error();
  EXPECT_FALSE(defaults_->updatePersistentDomainForName(
      domain_, [](NSMutableDictionary* d) { d->setObjectForKey("2"_ns, "b"); }));
  auto remove = defaults_->tryUpdatePersistentDomainForName(domain_, [](NSMutableDictionary* d) {
    d->removeObjectForKey("a");
    return true;
  });
  EXPECT_FALSE(remove);
  auto whole = defaults_->trySetPersistentDomainForName(NSDictionary::of({{"c", "3"_ns}}), domain_);
  EXPECT_FALSE(whole);
  // A new domain fails the same way and leaves neither a file nor a lock.
  EXPECT_FALSE(defaults_->trySetPersistentDomainForName(NSDictionary::of({{"c", "3"_ns}}), "com.example.new"_ns));
  EXPECT_FALSE(fs::exists(file("com.example.new")));

  EXPECT_TRUE(holdsJustA(defaults_->persistentDomainForName(domain_)));
  EXPECT_TRUE(holdsJustA(onDisk()));
  EXPECT_EQ(dotFiles(), std::vector<std::string>{".com.tenvarix.corvalloprefs.lock"}) << "no temporary file is left";
}

TEST_F(StoreWrites, AReadOnlyFolderFailsWritesAndRemovalsWithTheReason) {
  SKIP_WITHOUT_MOUNT();
  ASSERT_TRUE(defaults_->trySetPersistentDomainForName(NSDictionary::of({{"a", "1"_ns}}), domain_));
  makeReadOnly();

  auto removed = defaults_->tryRemovePersistentDomainForName(domain_);
  ASSERT_FALSE(removed);
  EXPECT_NE(removed.error().find("Read-only file system"), std::string::npos) << removed.error();
  auto updated = defaults_->tryUpdatePersistentDomainForName(domain_, [](NSMutableDictionary* d) {
    d->removeObjectForKey("a");
    return true;
  });
  ASSERT_FALSE(updated);
  EXPECT_NE(updated.error().find("Read-only file system"), std::string::npos) << updated.error();
  EXPECT_FALSE(defaults_->trySetPersistentDomainForName(NSDictionary::dictionary(), domain_));
  EXPECT_TRUE(holdsJustA(onDisk()));

  // What is not there is removed, even here.
  EXPECT_TRUE(defaults_->tryRemovePersistentDomainForName("com.example.absent"_ns));
}

// The temporary file's name is known; whatever an attacker puts there (a hard
// link to a file elsewhere) is replaced, never written through or chmod'ed.
TEST_F(StoreWrites, AHardLinkPlantedAtTheTempNameIsNeverWrittenThrough) {
  ASSERT_TRUE(defaults_->trySetPersistentDomainForName(NSDictionary::of({{"a", "1"_ns}}), domain_));
  std::string outside = root_ + "/outside.txt";
  std::ofstream(outside) << "not the store's";
  ::chmod(outside.c_str(), 0644);
  ASSERT_EQ(::link(outside.c_str(), (prefs() + "/.com.tenvarix.corvalloprefs.plist.tmp").c_str()), 0);

  ASSERT_TRUE(defaults_->tryUpdatePersistentDomainForName(
      domain_, [](NSMutableDictionary* d) { d->setObjectForKey("2"_ns, "b"); }));
  std::ifstream in(outside);
  std::string text((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(text, "not the store's");
  struct stat st {};
  ASSERT_EQ(::stat(outside.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
  EXPECT_EQ(st.st_nlink, 1u);
  EXPECT_EQ(onDisk()->count(), 2u);
}

TEST_F(StoreWrites, LockFilesGoWithTheirDomains) {
  for (int i = 0; i < 20; ++i) {
    auto name = NSString::make("com.example.d" + std::to_string(i));
    ASSERT_TRUE(defaults_->trySetPersistentDomainForName(NSDictionary::of({{"k", "v"_ns}}), name));
    ASSERT_TRUE(defaults_->tryRemovePersistentDomainForName(name));
    // An update that stores nothing in an absent domain leaves nothing either.
    ASSERT_TRUE(defaults_->tryUpdatePersistentDomainForName(name, [](NSMutableDictionary*) { return false; }));
  }
  ASSERT_TRUE(defaults_->trySetPersistentDomainForName(NSDictionary::of({{"k", "v"_ns}}), domain_));
  EXPECT_EQ(dotFiles(), std::vector<std::string>{".com.tenvarix.corvalloprefs.lock"});
}

// Removing a lock file is safe only because a lock taken on a file no longer
// at its path is let go and taken again: with removals all the time, two
// updates of one domain still never run at once.
TEST_F(StoreWrites, UpdatesExcludeEachOtherWhileLockFilesComeAndGo) {
  std::atomic<int> inside{0}, overlaps{0}, stored{0};
  auto update = [&](int t) {
    for (int i = 0; i < 60; ++i) {
      auto r = defaults_->tryUpdatePersistentDomainForName(domain_, [&](NSMutableDictionary* d) {
        if (inside.fetch_add(1) != 0) ++overlaps;
        std::this_thread::sleep_for(std::chrono::microseconds(300));
        inside.fetch_sub(1);
        // Every other round creates the domain; the others store nothing
        // while it is absent, which removes its lock.
        if (d->count() == 0 && (i + t) % 2) return false;
        d->setObjectForKey(kCFBooleanTrue, "t" + std::to_string(t) + "-" + std::to_string(i));
        return true;
      });
      ASSERT_TRUE(r) << r.error();
      if (r.value()) ++stored;
    }
  };
  std::atomic<bool> done{false};
  std::thread remover([&] {
    while (!done) {
      ASSERT_TRUE(defaults_->tryRemovePersistentDomainForName(domain_));
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
  });
  std::vector<std::thread> threads;
  for (int t = 0; t < 3; ++t) threads.emplace_back(update, t);
  for (auto& th : threads) th.join();
  done = true;
  remover.join();
  EXPECT_EQ(overlaps, 0);
  EXPECT_GT(stored, 0);
}

TEST_F(StoreWrites, DatesTheStoreCannotHoldAreRefusedAndTheEdgesComeBackExactly) {
  EXPECT_TRUE(foundation::isStorableDate(INT32_MIN));
  EXPECT_TRUE(foundation::isStorableDate(INT32_MAX + 0.5));
  EXPECT_FALSE(foundation::isStorableDate(INT32_MIN - 0.5));
  EXPECT_FALSE(foundation::isStorableDate(INT32_MAX + 1.0));
  EXPECT_FALSE(foundation::isStorableDate(std::numeric_limits<double>::infinity()));

  auto edges = NSDictionary::of({{"first", NSDate::make(INT32_MIN)}, {"last", NSDate::make(INT32_MAX)}});
  ASSERT_TRUE(defaults_->trySetPersistentDomainForName(edges, domain_));
  EXPECT_TRUE(onDisk()->isEqual(edges)) << foundation::describe(onDisk().get());

  // 2070: refused whole, never truncated to another date.
  auto later = defaults_->tryUpdatePersistentDomainForName(
      domain_, [](NSMutableDictionary* d) { d->setObjectForKey(NSDate::make(2209075200.0), "later"); });
  ASSERT_FALSE(later);
  EXPECT_NE(later.error().find("date out of the storable range"), std::string::npos) << later.error();
  EXPECT_TRUE(onDisk()->isEqual(edges));
}

// A one-key write took time in the square of the domain's keys (0.4 s at 25k,
// 12 s at 200k). Four times the keys now take about four times as long; the
// bound leaves room for a busy machine but not for a square.
TEST_F(StoreWrites, AOneKeyWriteGrowsLinearlyWithTheDomain) {
  auto writeInto = [&](int keys) {
    NSDictionary::Entries entries;
    for (int i = 0; i < keys; ++i) entries.emplace("key" + std::to_string(i), NSNumber::numberWithInt(i));
    auto name = NSString::make("com.example.keys" + std::to_string(keys));
    EXPECT_TRUE(defaults_->trySetPersistentDomainForName(NSDictionary::make(std::move(entries)), name));
    // This thread's CPU time, the best of three: neither a busy machine nor
    // the disk's flush may decide a test of growth.
    auto cpu = [] {
      timespec ts{};
      ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
      return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
    };
    double best = 1e9;
    for (int round = 0; round < 3; ++round) {
      double start = cpu();
      EXPECT_TRUE(defaults_->tryUpdatePersistentDomainForName(
          name, [&](NSMutableDictionary* d) { d->setObjectForKey(NSNumber::numberWithInt(round), "counter"); }));
      best = std::min(best, cpu() - start);
    }
    return best;
  };
  // Four times the keys: about four times the work when linear, sixteen
  // when quadratic.
  double small = writeInto(25000), large = writeInto(100000);
  EXPECT_LT(large, 9 * small) << "25k keys: " << small << " s, 100k keys: " << large << " s of CPU";
}

}  // namespace
