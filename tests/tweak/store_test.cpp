// The preference store behind the shared helper, its seeding and the reset.
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <thread>

#include "CVLOHelper.h"
#include "dispatch/dispatch.h"
#include "dispatch/main_loop.h"
#include "foundation/NSDate.h"
#include "notify/notify.h"
#include "springboard/FBSystemService.h"
#include "tweak_env.h"

namespace tweaktest {
namespace {

using Helper = CVLOHelper;

Ref<NSObject> read(const char* key) { return objc::send<Helper::CVLOReadPreferenceValueMessage>(helper(), str(key)); }
Ref<NSObject> readOr(const char* key, const Ref<NSObject>& fallback) {
  return objc::send<Helper::CVLOReadPreferenceValueFallbackValueMessage>(helper(), str(key), fallback);
}
Ref<NSObject> readArray(const char* key) {
  return objc::send<Helper::CVLOReadArrayPreferenceValueMessage>(helper(), str(key));
}
Ref<NSObject> readDate(const char* key) {
  return objc::send<Helper::CVLOReadDatePreferenceValueMessage>(helper(), str(key));
}
bool readBool(const char* key, const Ref<NSObject>& fallback) {
  return objc::send<Helper::CVLOReadBooleanPreferenceValueFallbackValueMessage>(helper(), str(key), fallback);
}
template <objc::MessageType TypedRead>
Ref<NSObject> readTyped(const char* key, const Ref<NSObject>& fallback) {
  return objc::send<TypedRead>(helper(), str(key), fallback);
}
void write(const Ref<NSObject>& value, const char* key) {
  objc::send<Helper::CVLOWritePreferenceValueForKeyMessage>(helper(), value, str(key));
}
void removeKey(const char* key) { objc::send<Helper::CVLORemovePreferenceValueMessage>(helper(), str(key)); }
void removeAll() { objc::send<Helper::CVLORemovePreferenceDomainMessage>(helper()); }
bool domainExists() { return objc::send<Helper::CVLODoesPreferenceDomainExistMessage>(helper()); }
bool exists(const char* key) { return objc::send<Helper::CVLODoesPreferenceValueExistMessage>(helper(), str(key)); }

std::string text(const Ref<NSObject>& v) {
  auto s = objc_cast<NSString>(v);
  return s ? s->utf8() : "(not text)";
}
// A stored boolean, as opposed to a number or text with a truth value.
std::string boolean(const Ref<NSObject>& v) {
  auto n = objc_cast<NSNumber>(v);
  if (!n || !n->isBoolean()) return "(not a boolean)";
  return n->boolValue() ? "true" : "false";
}

void expectSeededDefaults(const Ref<NSDictionary>& d) {
  ASSERT_TRUE(d);
  EXPECT_EQ(d->count(), 6u);
  EXPECT_EQ(boolean(d->objectForKey("isEnabled")), "true");
  EXPECT_EQ(boolean(d->objectForKey("isApplyToWidgetDotsEnabled")), "true");
  EXPECT_EQ(boolean(d->objectForKey("isHidePageDotsEnabled")), "true");
  EXPECT_EQ(boolean(d->objectForKey("isColorCustomizationEnabled")), "false");
  EXPECT_EQ(text(d->objectForKey("activePageDotColor")), "#FFFFFF");
  EXPECT_EQ(text(d->objectForKey("inactivePageDotColor")), "#FFFFFF:0.45");
}

struct FileIdentity {
  ino_t inode;
  timespec mtime;
};
FileIdentity fileIdentity() {
  struct stat st {};
  EXPECT_EQ(::stat(domainFile().c_str(), &st), 0);
  return {st.st_ino, st.st_mtim};
}
bool sameFile(const FileIdentity& a, const FileIdentity& b) {
  return a.inode == b.inode && a.mtime.tv_sec == b.mtime.tv_sec && a.mtime.tv_nsec == b.mtime.tv_nsec;
}

// The file system stamps writes with a coarse clock: wait until a write now
// would carry a later time, so a rewrite cannot hide behind an equal stamp.
void waitUntilFilesAreWrittenLaterThan(const FileIdentity& file) {
  std::string probe = root() + "/clock-probe";
  for (;;) {
    std::ofstream(probe) << 'x';
    struct stat st {};
    ASSERT_EQ(::stat(probe.c_str(), &st), 0);
    if (st.st_mtim.tv_sec > file.mtime.tv_sec ||
        (st.st_mtim.tv_sec == file.mtime.tv_sec && st.st_mtim.tv_nsec > file.mtime.tv_nsec))
      return;
    std::this_thread::yield();
  }
}

class Store : public TweakTest {};

TEST_F(Store, MissingKeysGiveTheirOwnResults) {
  removeAll();
  EXPECT_FALSE(domainExists());
  EXPECT_FALSE(exists("isEnabled"));

  EXPECT_EQ(text(read("isEnabled")), "0");

  Ref<NSString> fallback = NSString::make("fb");
  EXPECT_EQ(readOr("k", fallback).get(), fallback.get());
  EXPECT_EQ(readTyped<Helper::CVLOReadColorPreferenceValueFallbackValueMessage>("k", fallback).get(), fallback.get());
  EXPECT_EQ(readTyped<Helper::CVLOReadStringPreferenceValueFallbackValueMessage>("k", fallback).get(), fallback.get());
  EXPECT_EQ(readTyped<Helper::CVLOReadIntegerPreferenceValueFallbackValueMessage>("k", fallback).get(), fallback.get());

  Ref<NSObject> first = readArray("list"), second = readArray("list");
  auto array = objc_cast<NSMutableArray>(first.get());
  ASSERT_TRUE(array) << "not a mutable array";
  EXPECT_EQ(array->count(), 0u);
  EXPECT_NE(first.get(), second.get());
  array->addObject(NSString::make("x"));
  EXPECT_EQ(objc_cast<NSArray>(readArray("list").get())->count(), 0u);

  Ref<NSDate> before = NSDate::date();
  while (NSDate::date()->timeIntervalSinceDate(before) <= 0.0) std::this_thread::yield();
  Ref<NSObject> date = readDate("when");
  auto d = objc_cast<NSDate>(date.get());
  ASSERT_TRUE(d);
  EXPECT_GT(d->timeIntervalSinceDate(before), 0.0);
  EXPECT_LE(d->timeIntervalSinceNow(), 0.0);

  EXPECT_FALSE(readBool("isEnabled", kCFBooleanFalse));
  EXPECT_TRUE(readBool("isEnabled", kCFBooleanTrue));
  EXPECT_FALSE(readBool("isEnabled", nullptr));
  EXPECT_FALSE(domainExists()) << "reads must not create the domain";
}

TEST_F(Store, StoredValuesComeBackAsStored) {
  write(kCFBooleanFalse, "isEnabled");
  EXPECT_TRUE(exists("isEnabled"));
  EXPECT_FALSE(readBool("isEnabled", kCFBooleanTrue)) << "false is a value, not a missing key";

  write(NSString::make("#FFFFFF:0.45"), "inactivePageDotColor");
  Ref<NSObject> c =
      readTyped<Helper::CVLOReadColorPreferenceValueFallbackValueMessage>("inactivePageDotColor", str("#000000"));
  EXPECT_EQ(text(c), "#FFFFFF:0.45");

  write(NSNumber::numberWithInteger(42), "count");
  auto n = objc_cast<NSNumber>(
      readTyped<Helper::CVLOReadIntegerPreferenceValueFallbackValueMessage>("count", str("0")).get());
  ASSERT_TRUE(n);
  EXPECT_EQ(n->integerValue(), 42);
  // Only the boolean read converts.
  EXPECT_TRUE(readBool("count", kCFBooleanFalse));
  write(NSString::make("YES"), "flag");
  EXPECT_TRUE(readBool("flag", kCFBooleanFalse));
  EXPECT_EQ(text(readOr("flag", nullptr)), "YES");
  write(NSString::make("nope"), "flag");
  EXPECT_FALSE(readBool("flag", kCFBooleanTrue));
}

TEST_F(Store, WritesAndRemovalsReplaceTheWholeDomain) {
  removeAll();
  write(NSString::make("v"), "first");
  EXPECT_TRUE(domainExists());
  write(NSString::make("w"), "second");
  Ref<NSDictionary> d = storedDomain();
  ASSERT_TRUE(d);
  EXPECT_EQ(d->count(), 2u);
  EXPECT_EQ(text(d->objectForKey("first")), "v");

  removeKey("first");
  removeKey("never there");
  d = storedDomain();
  EXPECT_EQ(d->count(), 1u);
  EXPECT_FALSE(exists("first"));
  EXPECT_TRUE(exists("second"));

  removeAll();
  EXPECT_FALSE(domainExists());
  EXPECT_FALSE(exists("second"));
  EXPECT_EQ(text(read("second")), "0");
  removeKey("second");
  EXPECT_FALSE(domainExists()) << "removing from an absent domain must not create it";
}

class Seeding : public TweakTest {};

TEST_F(Seeding, LoadingIntoAnAbsentDomainStoresTheSixDefaults) { expectSeededDefaults(domainAtLoad()); }

TEST_F(Seeding, SeedsAnAbsentDomainOnceAndThenWritesNothing) {
  removeDomain();
  tweak().prefsCheck();
  expectSeededDefaults(storedDomain());

  FileIdentity before = fileIdentity();
  waitUntilFilesAreWrittenLaterThan(before);
  tweak().prefsCheck();
  EXPECT_TRUE(sameFile(before, fileIdentity())) << "a complete domain was written again";
}

TEST_F(Seeding, KeepsWhateverIsPresentAndAddsTheRest) {
  storeDomain(NSDictionary::of({
      {"isEnabled", NSNumberNO()},
      {"isHidePageDotsEnabled", NSString::make("sometimes")},
      {"activePageDotColor", NSNumber::numberWithInteger(7)},
      {"somethingElse", NSString::make("mine")},
  }));
  tweak().prefsCheck();
  Ref<NSDictionary> d = storedDomain();
  ASSERT_TRUE(d);
  EXPECT_EQ(d->count(), 7u);
  EXPECT_EQ(boolean(d->objectForKey("isEnabled")), "false");
  EXPECT_EQ(text(d->objectForKey("isHidePageDotsEnabled")), "sometimes");
  auto n = objc_cast<NSNumber>(d->objectForKey("activePageDotColor").get());
  ASSERT_TRUE(n);
  EXPECT_EQ(n->integerValue(), 7);
  EXPECT_EQ(text(d->objectForKey("somethingElse")), "mine");
  EXPECT_EQ(boolean(d->objectForKey("isApplyToWidgetDotsEnabled")), "true");
  EXPECT_EQ(boolean(d->objectForKey("isColorCustomizationEnabled")), "false");
  EXPECT_EQ(text(d->objectForKey("inactivePageDotColor")), "#FFFFFF:0.45");
}

class Reset : public TweakTest {};

TEST_F(Reset, WritesTheDefaultsLeavesOtherKeysAndTheRunningLookAlone) {
  auto c = newIconListPageControl();
  Ref<NSMutableDictionary> domain = domainWith({.hide = false, .colours = true}, "#123456", "#654321")->mutableCopy();
  domain->setObjectForKey(NSString::make("keep me"), NSString::make("bannerText"));
  domain->setObjectForKey(NSNumber::numberWithInteger(3), NSString::make("sliderValue"));
  applyDomain(domain);
  ASSERT_FALSE(c->isHidden());

  // Every version of the domain arrives by a rename into place: count them.
  // Both ends of each rename are watched, since the kernel merges an event
  // into an identical one still unread.
  std::string file = domainFile();
  int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(::inotify_add_watch(watch, file.substr(0, file.rfind('/')).c_str(), IN_MOVED_FROM | IN_MOVED_TO), 0);

  ASSERT_EQ(notify_post("com.tenvarix.corvallo/Reset"), NOTIFY_STATUS_OK);
  auto isReset = [] {
    Ref<NSDictionary> d = storedDomain();
    return d && boolean(d->objectForKey("isHidePageDotsEnabled")) == "true" &&
           text(d->objectForKey("inactivePageDotColor")) == "#FFFFFF:0.45";
  };
  ASSERT_TRUE(dispatch::runMainUntil(isReset, 5s));
  int versions = 0;
  alignas(inotify_event) char events[4096];
  for (ssize_t n; (n = ::read(watch, events, sizeof events)) > 0;)
    for (char* at = events; at < events + n;) {
      auto* e = reinterpret_cast<inotify_event*>(at);
      if ((e->mask & IN_MOVED_TO) && e->len && file.substr(file.rfind('/') + 1) == e->name) ++versions;
      at += sizeof(inotify_event) + e->len;
    }
  ::close(watch);
  EXPECT_EQ(versions, 1) << "one Reset writes the domain once";

  Ref<NSDictionary> d = storedDomain();
  EXPECT_EQ(d->count(), 8u);
  EXPECT_EQ(boolean(d->objectForKey("isColorCustomizationEnabled")), "false");
  EXPECT_EQ(text(d->objectForKey("activePageDotColor")), "#FFFFFF");
  EXPECT_EQ(text(d->objectForKey("bannerText")), "keep me");
  EXPECT_EQ(objc_cast<NSNumber>(d->objectForKey("sliderValue").get())->integerValue(), 3);

  // No reload, no refresh, no restart.
  dispatch::runMainUntil([] { return false; }, 200ms);
  EXPECT_FALSE(tweak().hidePageDotsEnabled->load());
  EXPECT_TRUE(tweak().colorCustomizationEnabled->load());
  EXPECT_EQ(activeColourText(), "#123456");
  EXPECT_FALSE(c->isHidden());
  EXPECT_EQ(exitRequests().load(), 0);
}

}  // namespace
// Renames into place of the domain file since the watch began. Both ends of
// each rename are watched, since the kernel merges an event into an
// identical one still unread.
class RenameWatch {
 public:
  RenameWatch() : file_(domainFile()), fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    ::inotify_add_watch(fd_, file_.substr(0, file_.rfind('/')).c_str(), IN_MOVED_FROM | IN_MOVED_TO);
  }
  ~RenameWatch() { ::close(fd_); }
  int versions() {
    alignas(inotify_event) char events[4096];
    for (ssize_t n; (n = ::read(fd_, events, sizeof events)) > 0;)
      for (char* at = events; at < events + n;) {
        auto* e = reinterpret_cast<inotify_event*>(at);
        if ((e->mask & IN_MOVED_TO) && e->len && file_.substr(file_.rfind('/') + 1) == e->name) ++versions_;
        at += sizeof(inotify_event) + e->len;
      }
    return versions_;
  }

 private:
  std::string file_;
  int fd_;
  int versions_ = 0;
};

bool isResetNow() {
  Ref<NSDictionary> d = storedDomain();
  return d && boolean(d->objectForKey("isHidePageDotsEnabled")) == "true" &&
         text(d->objectForKey("inactivePageDotColor")) == "#FFFFFF:0.45";
}

std::atomic<bool> resetAtExit{false};
void exitAfterLookingAtTheDomain(int status) {
  resetAtExit = isResetNow();
  lastExitStatus() = status;
  ++exitRequests();
}
void recordExitOnly(int status) {
  lastExitStatus() = status;
  ++exitRequests();
}

TEST_F(Reset, ABurstOfResetsWritesOnceAndBeforeTheRespringThatFollows) {
  applyDomain(domainWith({.hide = false, .colours = true}, "#123456", "#654321"));
  ASSERT_FALSE(isResetNow());
  RenameWatch watch;
  FBSystemService::setExitHandler(&exitAfterLookingAtTheDomain);
  // The main thread is busy while the posts arrive, so they are read together.
  std::atomic<bool> posted{false};
  dispatch_async(dispatch_get_main_queue(), [&] {
    while (!posted) std::this_thread::yield();
  });
  std::thread poster([&] {
    for (int i = 0; i < 100; ++i) notify_post("com.tenvarix.corvallo/Reset");
    notify_post("com.tenvarix.corvallo/Respring");
    posted = true;
  });
  bool exited = dispatch::runMainUntil([] { return exitRequests().load() > 0; }, 5s);
  poster.join();
  FBSystemService::setExitHandler(&recordExitOnly);
  ASSERT_TRUE(exited);
  EXPECT_TRUE(resetAtExit.load()) << "the Respring ran before the Reset posted ahead of it";
  drain();
  EXPECT_TRUE(isResetNow());
  EXPECT_EQ(watch.versions(), 1) << "the queued Resets were written one by one";
}

}  // namespace tweaktest
