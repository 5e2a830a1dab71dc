// The settings snapshot: notifications, bad stored values and a loader storm.
#include <fstream>
#include <set>
#include <string_view>
#include <thread>
#include <vector>

#include "dispatch/main_loop.h"
#include "foundation/NSDate.h"
#include "notify/notify.h"
#include "CVLOHelper.h"
#include "springboard/FBSystemService.h"
#include "substrate/substrate.h"
#include "tweak_env.h"

namespace tweaktest {
namespace {

class Notifications : public TweakTest {};

TEST_F(Notifications, ReloadPrefsReappliesTheStoredSettingsToEveryHomeIndicator) {
  auto a = newIconListPageControl(), b = newIconListPageControl();
  drain();
  ASSERT_TRUE(a->isHidden() && b->isHidden());

  storeDomain(domainWith({.hide = false, .colours = true}, "#0000FF", "#FF00FF:0.25"));
  ASSERT_EQ(notify_post("com.tenvarix.corvallo/ReloadPrefs"), NOTIFY_STATUS_OK);
  auto applied = [&] { return !a->isHidden() && !b->isHidden() && hex(b->pageIndicatorTintColor()) == "#FF00FF:0.25"; };
  ASSERT_TRUE(dispatch::runMainUntil(applied, 5s));
  EXPECT_FALSE(tweak().hidePageDotsEnabled->load());
  EXPECT_EQ(hex(a->currentPageIndicatorTintColor()), "#0000FF");

  // Nothing changed in the store, yet the look is applied again.
  a->setHidden(true);
  a->setCurrentPageIndicatorTintColor(colour(0, 0, 0));
  ASSERT_EQ(notify_post("com.tenvarix.corvallo/ReloadPrefs"), NOTIFY_STATUS_OK);
  EXPECT_TRUE(dispatch::runMainUntil(
      [&] { return !a->isHidden() && hex(a->currentPageIndicatorTintColor()) == "#0000FF"; }, 5s));
}

TEST_F(Notifications, RespringAsksTheSystemServiceToRelaunch) {
  ASSERT_EQ(notify_post("com.tenvarix.corvallo/Respring"), NOTIFY_STATUS_OK);
  ASSERT_TRUE(dispatch::runMainUntil([] { return exitRequests() > 0; }, 5s));
  EXPECT_EQ(lastExitStatus().load(), kRelaunchExitStatus);

  tweak().respring();
  EXPECT_EQ(exitRequests().load(), 2);
  EXPECT_EQ(lastExitStatus().load(), kRelaunchExitStatus);
}

// Holds the first loader between its read of the hide switch and the store
// of what it read, as a busy machine can, until another loader has stored its
// switches (it reads the colours next) or a while has passed.
namespace heldloader {
IMP previousSwitchRead, previousColourRead;
std::atomic<int> hideReads{0};
std::atomic<int> colourReads{0};

bool readSwitch(CVLOHelper* self, SEL cmd, NSString* key, NSObject* fallback) {
  bool value = objc::invoke<CVLOHelper::CVLOReadBooleanPreferenceValueFallbackValueMessage>(previousSwitchRead, self,
                                                                                           cmd, key, fallback);
  if (key->UTF8String() == std::string_view("isHidePageDotsEnabled") && hideReads.fetch_add(1) == 0) {
    auto until = std::chrono::steady_clock::now() + 300ms;
    while (colourReads.load() == 0 && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(1ms);
  }
  return value;
}
Ref<NSObject> readColour(CVLOHelper* self, SEL cmd, NSString* key, NSObject* fallback) {
  colourReads.fetch_add(1);
  return objc::invoke<CVLOHelper::CVLOReadColorPreferenceValueFallbackValueMessage>(previousColourRead, self, cmd, key,
                                                                                   fallback);
}
}  // namespace heldloader

TEST_F(Notifications, TheSnapshotFollowsTheLastChangeWhenLoadersWouldOverlap) {
  using Switch = CVLOHelper::CVLOReadBooleanPreferenceValueFallbackValueMessage;
  using Colour = CVLOHelper::CVLOReadColorPreferenceValueFallbackValueMessage;
  auto c = newIconListPageControl();
  apply({.hide = true});
  ASSERT_TRUE(c->isHidden());
  Class helperClass = objc_getClass("CVLOHelper");
  ASSERT_TRUE(helperClass);
  IMP originalSwitchRead = class_getMethodImplementation(helperClass, Switch::sel());
  IMP originalColourRead = class_getMethodImplementation(helperClass, Colour::sel());
  MSHookMessageEx(helperClass, Switch::sel(), objc::implementation<Switch, &heldloader::readSwitch>(),
                  &heldloader::previousSwitchRead);
  MSHookMessageEx(helperClass, Colour::sel(), objc::implementation<Colour, &heldloader::readColour>(),
                  &heldloader::previousColourRead);

  storeDomain(domainWith({.hide = false}));
  ASSERT_EQ(notify_post("com.tenvarix.corvallo/ReloadPrefs"), NOTIFY_STATUS_OK);
  // The main loop delivers the post; the loader it starts runs elsewhere, and
  // its read wakes nothing here, so look between turns.
  for (auto until = std::chrono::steady_clock::now() + 5s;
       heldloader::hideReads.load() == 0 && std::chrono::steady_clock::now() < until;)
    dispatch::runMainUntil([] { return false; }, 1ms);
  ASSERT_GT(heldloader::hideReads.load(), 0);
  storeDomain(domainWith({.hide = true}));
  ASSERT_EQ(notify_post("com.tenvarix.corvallo/ReloadPrefs"), NOTIFY_STATUS_OK);

  dispatch::runMainUntil([] { return false; }, 500ms);
  ASSERT_TRUE(dispatch::runMainUntilQuiet(5s));
  MSHookMessageEx(helperClass, Switch::sel(), originalSwitchRead, nullptr);
  MSHookMessageEx(helperClass, Colour::sel(), originalColourRead, nullptr);
  EXPECT_TRUE(tweak().hidePageDotsEnabled->load()) << "an earlier loader stored its snapshot last";
  EXPECT_TRUE(c->isHidden());
}

TEST_F(Notifications, EveryChangeReachesTheIndicatorOneByOneAndInABurst) {
  auto c = newIconListPageControl();
  apply({.hide = true});
  auto change = [](bool hide) {
    storeDomain(domainWith({.hide = hide}));
    return notify_post("com.tenvarix.corvallo/ReloadPrefs");
  };
  for (int i = 0; i < 60; ++i) {
    bool hide = i % 2 == 1;
    ASSERT_EQ(change(hide), NOTIFY_STATUS_OK);
    ASSERT_TRUE(dispatch::runMainUntil([&] { return c->isHidden() == hide; }, 5s)) << "change " << i << " was lost";
  }
  // Posts faster than loads: loaders overlap and deliveries coalesce, and the
  // last change must still be the one that shows.
  for (int round = 0; round < 8; ++round) {
    for (int i = 0; i < 25; ++i) ASSERT_EQ(change((i + round) % 2 == 0), NOTIFY_STATUS_OK);
    bool last = (24 + round) % 2 == 0;
    dispatch::runMainUntil([] { return false; }, 20ms);
    ASSERT_TRUE(dispatch::runMainUntilQuiet(5s));
    ASSERT_EQ(tweak().hidePageDotsEnabled->load(), last) << "round " << round;
    ASSERT_EQ(c->isHidden(), last) << "round " << round;
  }
}

class BadInput : public TweakTest {};

TEST_F(BadInput, TextUnderASwitchKeyReadsAsItsTruthValue) {
  auto c = newIconListPageControl();
  Ref<NSMutableDictionary> d = domainWith({})->mutableCopy();
  d->setObjectForKey(NSString::make("no thanks"), NSString::make("isHidePageDotsEnabled"));
  d->setObjectForKey(NSString::make("YES"), NSString::make("isColorCustomizationEnabled"));
  applyDomain(d);
  EXPECT_FALSE(tweak().hidePageDotsEnabled->load());
  EXPECT_TRUE(tweak().colorCustomizationEnabled->load());
  EXPECT_FALSE(c->isHidden());
  EXPECT_EQ(hex(c->currentPageIndicatorTintColor()), "#FF0000");
}

TEST_F(BadInput, AValueWithNoTruthValueUnderASwitchKeyLeavesTheRestOfTheSnapshotWorking) {
  auto c = newIconListPageControl();
  Ref<NSMutableDictionary> d = domainWith({.hide = false, .colours = true}, "#0000FF", "#00FFFF")->mutableCopy();
  d->setObjectForKey(NSDate::date(), NSString::make("isEnabled"));
  d->setObjectForKey(NSArray::array(), NSString::make("isApplyToWidgetDotsEnabled"));
  applyDomain(d);
  EXPECT_TRUE(tweak().enabled->load()) << "the fallback applies";
  EXPECT_TRUE(tweak().applyToWidgetDotsEnabled->load()) << "the fallback applies";
  EXPECT_FALSE(tweak().hidePageDotsEnabled->load());
  EXPECT_TRUE(tweak().colorCustomizationEnabled->load());
  EXPECT_EQ(activeColourText(), "#0000FF");
  EXPECT_FALSE(c->isHidden());
  EXPECT_EQ(hex(c->currentPageIndicatorTintColor()), "#0000FF");
  EXPECT_TRUE(objc_opt_isKindOfClass(storedDomain()->objectForKey("isEnabled").get(), NSDate::cls()))
      << "the stored value is the user's, never replaced";
}

TEST_F(BadInput, ColourKeysThatHoldNoColourGiveTheDefaultColours) {
  auto c = newIconListPageControl();
  Ref<NSMutableDictionary> d = domainWith({.colours = true})->mutableCopy();
  d->setObjectForKey(NSNumber::numberWithInteger(16777215), NSString::make("activePageDotColor"));
  d->setObjectForKey(NSString::make("light blue"), NSString::make("inactivePageDotColor"));
  applyDomain(d);
  EXPECT_EQ(hex(c->currentPageIndicatorTintColor()), "#FFFFFF");
  EXPECT_EQ(hex(c->pageIndicatorTintColor()), "#FFFFFF:0.45");
  EXPECT_EQ(inactiveColourText(), "light blue") << "the snapshot keeps the text as read";

  // Missing colour keys: the fallback texts become the snapshot.
  d->removeObjectForKey(NSString::make("activePageDotColor"));
  d->removeObjectForKey(NSString::make("inactivePageDotColor"));
  applyDomain(d);
  EXPECT_EQ(activeColourText(), "#FFFFFF");
  EXPECT_EQ(inactiveColourText(), "#FFFFFF:0.45");
  EXPECT_EQ(hex(c->pageIndicatorTintColor()), "#FFFFFF:0.45");
}

TEST_F(BadInput, ADomainFileThatDoesNotParseReadsAsAbsent) {
  apply({.enabled = false, .hide = false, .widgets = false, .colours = true});
  {
    std::ofstream out(domainFile(), std::ios::trunc);
    out << "this is not a property list";
  }
  // Written behind the store's back: the store sees it once its folder watch has.
  ASSERT_TRUE(dispatch::runMainUntil([] { return !storedDomain(); }, 5s));
  tweak().loadPrefs();
  drain();
  EXPECT_TRUE(tweak().enabled->load());
  EXPECT_TRUE(tweak().hidePageDotsEnabled->load());
  EXPECT_TRUE(tweak().applyToWidgetDotsEnabled->load());
  EXPECT_FALSE(tweak().colorCustomizationEnabled->load());
  EXPECT_EQ(activeColourText(), "#FFFFFF");
  std::ifstream in(domainFile());
  std::string kept((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(kept, "this is not a property list") << "a snapshot must not write the domain";
}

TEST_F(BadInput, AnAbsentDomainGivesTheFallbacksAndStaysAbsent) {
  apply({.enabled = false});
  removeDomain();
  tweak().loadPrefs();
  drain();
  EXPECT_TRUE(tweak().enabled->load());
  EXPECT_FALSE(storedDomain()) << "the snapshot never seeds";
}

// Loaders on background threads replace the colour texts while the main
// thread recolours on every hit test. Run under the thread sanitizer.
class SnapshotStorm : public TweakTest {};

TEST_F(SnapshotStorm, MainThreadReadersSeeWholeTextsWhileLoadersReplaceThem) {
  const char* actives[] = {"#FF0000", "#00FF00", "#0000FF"};
  const char* inactives[] = {"#FF0000:0.35", "#00FF00:0.25", "#0000FF:0.75"};
  std::set<std::string> allowed(std::begin(actives), std::end(actives));
  allowed.insert(std::begin(inactives), std::end(inactives));
  apply({.colours = true}, actives[0], inactives[0]);
  auto c = newIconListPageControl();

  constexpr int kWriters = 4, kRounds = 60;
  std::atomic<int> finished{0};
  std::vector<std::thread> writers;
  for (int w = 0; w < kWriters; ++w)
    writers.emplace_back([&, w] {
      for (int i = 0; i < kRounds; ++i) {
        int k = (w + i) % 3;
        if (w == 0) storeDomain(domainWith({.colours = true}, actives[k], inactives[k]));
        if (i % 2)
          tweak().loadPrefs();
        else
          notify_post("com.tenvarix.corvallo/ReloadPrefs");
      }
      ++finished;
    });

  long reads = 0;
  std::set<std::string> seen;
  while (finished < kWriters) {
    c->hitTestWithEvent(CGPointMake(5, 705), nullptr);
    ++reads;
    seen.insert(hex(c->currentPageIndicatorTintColor()));
    seen.insert(hex(c->pageIndicatorTintColor()));
    dispatch::runMainUntilIdle();
  }
  for (auto& t : writers) t.join();
  EXPECT_GT(reads, 0);
  for (const auto& s : seen) EXPECT_EQ(allowed.count(s), 1u) << s << " is none of the stored colours";

  // Let queued notifications and loaders finish, then one last snapshot wins.
  dispatch::runMainUntil([] { return false; }, 500ms);
  apply({.colours = true}, "#ABCDEF", "#FEDCBA:0.65");
  c->hitTestWithEvent(CGPointMake(5, 705), nullptr);
  EXPECT_EQ(hex(c->currentPageIndicatorTintColor()), "#ABCDEF");
  EXPECT_EQ(hex(c->pageIndicatorTintColor()), "#FEDCBA:0.65");
}

}  // namespace
}  // namespace tweaktest
