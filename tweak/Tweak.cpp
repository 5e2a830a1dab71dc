// Start-up, the settings snapshot and the three notifications.
#include "Tweak.h"

#include <array>
#include <iterator>
#include <string_view>

#include "HostMessages.h"
#include "dispatch/dispatch.h"
#include "foundation/HopTrace.h"
#include "foundation/NSNumber.h"
#include "foundation/NSUserDefaults.h"
#include "notify/CFNotificationCenter.h"

extern "C" {
std::atomic<bool> enabled{true};
std::atomic<bool> hidePageDotsEnabled{true};
std::atomic<bool> applyToWidgetDotsEnabled{true};
std::atomic<bool> colorCustomizationEnabled{false};
Ref<CVLOHelper> helper;
Ref<NSMutableArray> pageControls;
}

SnapshotText activePageDotColorString;
SnapshotText inactivePageDotColorString;

namespace {

NSString* text(const char* literal) { return NSString::make(literal).leak(); }

struct Key {
  NSString* name;
  NSObject* seeded;
};
constexpr int kKeyCount = std::size(cvlo::kPreferenceDefaults);
enum { kIsEnabled, kIsApplyToWidgetDots, kIsHidePageDots, kIsColorCustomization, kActiveColor, kInactiveColor };
constexpr bool keyAt(int index, std::string_view name) { return cvlo::kPreferenceDefaults[index].key == name; }
static_assert(kKeyCount == 6 && keyAt(kIsEnabled, "isEnabled") &&
              keyAt(kIsApplyToWidgetDots, "isApplyToWidgetDotsEnabled") &&
              keyAt(kIsHidePageDots, "isHidePageDotsEnabled") &&
              keyAt(kIsColorCustomization, "isColorCustomizationEnabled") &&
              keyAt(kActiveColor, "activePageDotColor") && keyAt(kInactiveColor, "inactivePageDotColor"));

const Key* keyTable() {
  static const std::array<Key, kKeyCount> keys = [] {
    std::array<Key, kKeyCount> made{};
    for (int i = 0; i < kKeyCount; ++i) {
      const cvlo::PreferenceDefault& d = cvlo::kPreferenceDefaults[i];
      NSObject* seeded = d.on ? kCFBooleanTrue : kCFBooleanFalse;
      if (d.colour) seeded = text(d.colour);
      made[i] = {text(d.key), seeded};
    }
    return made;
  }();
  return keys.data();
}

// The centre hands callbacks five arguments the handlers ignore.
// Callbacks run on the main thread. A Reset is written once the posts read
// with it have all been delivered, so a burst of Resets, read together while
// the main thread was busy, makes one write. A Respring first writes a Reset
// posted before it, since the relaunch would lose it.
std::atomic<bool> resetQueued{false};

void runQueuedReset() {
  if (resetQueued.exchange(false)) CVLOResetPrefs();
}

void respringCallback(CFNotificationCenterRef, void*, CFNotificationName, const void*, CFDictionaryRef) {
  runQueuedReset();
  CVLORespring();
}
void reloadCallback(CFNotificationCenterRef, void*, CFNotificationName, const void*, CFDictionaryRef) {
  CVLOReloadPrefs();
}
void resetCallback(CFNotificationCenterRef, void*, CFNotificationName, const void*, CFDictionaryRef) {
  if (!resetQueued.exchange(true)) dispatch_async(dispatch_get_main_queue(), [] { runQueuedReset(); });
}

std::atomic<Class> systemServiceClass{nullptr};

}  // namespace

void CVLOPrefsCheck() {
  if (!helper) return;
  const Key* keys = keyTable();
  for (int i = 0; i < kKeyCount; ++i)
    if (!helper->CVLODoesPreferenceValueExist(keys[i].name))
      helper->CVLOWritePreferenceValueForKey(keys[i].seeded, keys[i].name);
}

void CVLOInitPrefsAndObservers() {
  helper = CVLOHelper::make();
  CFNotificationCenterRef center = CFNotificationCenterGetDarwinNotifyCenter();
  CFNotificationCenterAddObserver(center, nullptr, &respringCallback, cvlo::kRespringNotification, nullptr,
                                  CFNotificationSuspensionBehaviorDeliverImmediately);
  CFNotificationCenterAddObserver(center, nullptr, &reloadCallback, cvlo::kReloadPrefsNotification, nullptr,
                                  CFNotificationSuspensionBehaviorCoalesce);
  CFNotificationCenterAddObserver(center, nullptr, &resetCallback, cvlo::kResetNotification, nullptr,
                                  CFNotificationSuspensionBehaviorDeliverImmediately);
  CVLOPrefsCheck();
  CVLOReloadPrefs();
}

void CVLOInitRegistry() { pageControls = NSMutableArray::array(); }

namespace {
// Reloads asked for and not yet covered by a load that started after them.
std::atomic<unsigned> reloadRequests{0};
}  // namespace

// The global queue runs blocks side by side, so two loaders could overlap and
// the one that read first could store last, leaving the snapshot a change
// behind for good. One loader runs at a time; a request that arrives while it
// runs makes it read once more, so the last snapshot always follows the last
// request.
void CVLOReloadPrefs() {
  if (reloadRequests.fetch_add(1, std::memory_order_acq_rel) != 0) return;
  dispatch_async(dispatch_get_global_queue(DISPATCH_QUEUE_PRIORITY_DEFAULT, 0), [] {
    unsigned covered;
    do {
      covered = reloadRequests.load(std::memory_order_acquire);
      CVLOLoadPrefs();
    } while (reloadRequests.fetch_sub(covered, std::memory_order_acq_rel) != covered);
  });
}

void CVLOLoadPrefs() {
  Ref<CVLOHelper> h = helper;
  if (!h) return;
  foundation::hops::record("load.start");
  const Key* keys = keyTable();
  auto flag = [&](int k) { return h->CVLOReadBooleanPreferenceValueFallbackValue(keys[k].name, keys[k].seeded); };
  enabled.store(flag(kIsEnabled), std::memory_order_relaxed);
  applyToWidgetDotsEnabled.store(flag(kIsApplyToWidgetDots), std::memory_order_relaxed);
  hidePageDotsEnabled.store(flag(kIsHidePageDots), std::memory_order_relaxed);
  colorCustomizationEnabled.store(flag(kIsColorCustomization), std::memory_order_relaxed);
  // The colour reads hand back whatever is stored; the snapshot keeps texts
  // only, so a value of another type reads as no colour (and the parser's
  // fallback applies) instead of being handed on as if it were text.
  auto colour = [&](int k) {
    Ref<NSObject> v = h->CVLOReadColorPreferenceValueFallbackValue(keys[k].name, keys[k].seeded);
    return Ref<NSString>(objc_cast<NSString>(v.get()));
  };
  activePageDotColorString.store(colour(kActiveColor));
  inactivePageDotColorString.store(colour(kInactiveColor));
  foundation::hops::record("load.end");
  dispatch_async(dispatch_get_main_queue(), [] { CVLORefreshPageControls(); });
}

// The six defaults go in as one serialised update: one write and one fsync
// per Reset, where six in a row let a storm of Resets stall the main thread.
void CVLOResetPrefs() {
  if (!helper) return;
  const Key* keys = keyTable();
  NSUserDefaults::standardUserDefaults()->updatePersistentDomainForName(
      CVLOPreferenceDomainName(), [&](NSMutableDictionary* d) {
        for (int i = 0; i < kKeyCount; ++i) d->setObjectForKey(keys[i].seeded, keys[i].name);
      });
}

void CVLORespring() {
  Class service = systemServiceClass.load();
  if (!service) {
    service = objc_getClass("FBSystemService");
    systemServiceClass.store(service);
  }
  if (!service) return;
  Ref<NSObject> shared = objc::send<host::sharedInstanceMessage>(service);
  objc::send<host::exitAndRelaunchMessage>(shared, true);
}

void CVLOInitHooks() {
  Class iconList = objc_getClass("SBIconListPageControl");
  Class widgetStack = objc_getClass("SBHWidgetStackViewController");
  CVLOInstallTracingHooks(iconList);
  CVLOInstallAppearanceHooks(iconList, widgetStack);
}

// The loader runs these three when it loads the library, in this order.
[[gnu::constructor(101)]] static void runInitPrefsAndObserversAtLoad() { CVLOInitPrefsAndObservers(); }
[[gnu::constructor(102)]] static void runInitHooksAtLoad() { CVLOInitHooks(); }
[[gnu::constructor(103)]] static void runInitRegistryAtLoad() { CVLOInitRegistry(); }
