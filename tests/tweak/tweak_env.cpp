#include "tweak_env.h"

#include <dlfcn.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>

#include "Tweak.h"  // SnapshotText only: the layout of an exported global
#include "dispatch/main_loop.h"
#include "foundation/DevicePaths.h"
#include "foundation/Log.h"
#include "foundation/NSUserDefaults.h"
#include "springboard/FBSystemService.h"

namespace tweaktest {

namespace {

std::string deviceRootPath;
Exports exports;
Ref<NSDictionary> seededAtLoad;
SnapshotText* activeText;
SnapshotText* inactiveText;

std::atomic<int> exitCount{0};
std::atomic<int> exitStatus{-1};
void recordExit(int status) {
  exitStatus = status;
  ++exitCount;
}

void* need(void* lib, const char* name) {
  void* sym = dlsym(lib, name);
  if (!sym) {
    std::fprintf(stderr, "tweak has no symbol %s\n", name);
    std::abort();
  }
  return sym;
}

NSString* domainName() {
  static NSString* const name = NSString::make("com.tenvarix.corvalloprefs").leak();
  return name;
}

void load() {
  char tmpl[] = "/tmp/corvallo-tweak-XXXXXX";
  if (!mkdtemp(tmpl)) std::abort();
  deviceRootPath = tmpl;
  // Notifications find their folder through the environment, the store
  // through either; both must point here before the tweak's first step runs.
  setenv("CORVALLO_DEVICE_ROOT", tmpl, 1);
  foundation::setDeviceRootOverride(deviceRootPath);
  std::atexit([] {
    std::error_code ec;
    std::filesystem::remove_all(deviceRootPath, ec);
  });
  FBSystemService::setExitHandler(&recordExit);

  void* lib = dlopen(CORVALLO_TWEAK_PATH, RTLD_NOW | RTLD_GLOBAL);
  if (!lib) {
    std::fprintf(stderr, "cannot load the tweak: %s\n", dlerror());
    std::abort();
  }
  seededAtLoad = storedDomain();
  exports.enabled = static_cast<std::atomic<bool>*>(need(lib, "enabled"));
  exports.hidePageDotsEnabled = static_cast<std::atomic<bool>*>(need(lib, "hidePageDotsEnabled"));
  exports.applyToWidgetDotsEnabled = static_cast<std::atomic<bool>*>(need(lib, "applyToWidgetDotsEnabled"));
  exports.colorCustomizationEnabled = static_cast<std::atomic<bool>*>(need(lib, "colorCustomizationEnabled"));
  exports.helper = static_cast<Ref<NSObject>*>(need(lib, "helper"));
  exports.pageControls = static_cast<Ref<NSMutableArray>*>(need(lib, "pageControls"));
  exports.prefsCheck = reinterpret_cast<void (*)()>(need(lib, "CVLOPrefsCheck"));
  exports.respring = reinterpret_cast<void (*)()>(need(lib, "CVLORespring"));
  exports.loadPrefs = reinterpret_cast<void (*)()>(need(lib, "_Z13CVLOLoadPrefsv"));
  activeText = static_cast<SnapshotText*>(need(lib, "activePageDotColorString"));
  inactiveText = static_cast<SnapshotText*>(need(lib, "inactivePageDotColorString"));

  // The first snapshot was scheduled by the load; let it land before any
  // test writes the domain, so it cannot overwrite a test's snapshot.
  auto deadline = std::chrono::steady_clock::now() + 10s;
  while (!activeText->load() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
  if (!activeText->load()) std::abort();
  drain();
}

}  // namespace

const Exports& tweak() {
  static std::once_flag once;
  std::call_once(once, load);
  return exports;
}

const std::string& root() {
  tweak();
  return deviceRootPath;
}

Ref<NSDictionary> domainAtLoad() {
  tweak();
  return seededAtLoad;
}

std::string domainFile() {
  return foundation::devicePath(std::string(foundation::kPreferencesFolder) + "/com.tenvarix.corvalloprefs.plist");
}

NSObject* helper() { return tweak().helper->get(); }

Ref<NSString> str(const char* text) { return NSString::make(text); }

Ref<NSDictionary> storedDomain() {
  return NSUserDefaults::standardUserDefaults()->persistentDomainForName(domainName());
}
void storeDomain(const Ref<NSDictionary>& domain) {
  NSUserDefaults::standardUserDefaults()->setPersistentDomainForName(domain, domainName());
}
void removeDomain() { NSUserDefaults::standardUserDefaults()->removePersistentDomainForName(domainName()); }

Ref<NSDictionary> domainWith(Switches s, const char* active, const char* inactive) {
  return NSDictionary::of({
      {"isEnabled", NSNumber::numberWithBool(s.enabled)},
      {"isApplyToWidgetDotsEnabled", NSNumber::numberWithBool(s.widgets)},
      {"isHidePageDotsEnabled", NSNumber::numberWithBool(s.hide)},
      {"isColorCustomizationEnabled", NSNumber::numberWithBool(s.colours)},
      {"activePageDotColor", NSString::make(active)},
      {"inactivePageDotColor", NSString::make(inactive)},
  });
}

void applyDomain(const Ref<NSDictionary>& domain) {
  storeDomain(domain);
  tweak().loadPrefs();
  drain();
}

void apply(Switches s, const char* active, const char* inactive) { applyDomain(domainWith(s, active, inactive)); }

void setSnapshot(Switches s) {
  tweak().enabled->store(s.enabled);
  tweak().hidePageDotsEnabled->store(s.hide);
  tweak().applyToWidgetDotsEnabled->store(s.widgets);
  tweak().colorCustomizationEnabled->store(s.colours);
}

void drain() { dispatch::runMainUntilIdle(); }

Ref<SBIconListPageControl> newIconListPageControl() { return SBIconListPageControl::make(CGRectMake(0, 700, 390, 37)); }

Ref<SBHWidgetStackViewController> newWidgetStack() { return SBHWidgetStackViewController::make(3); }

Ref<UIColor> savedCurrent(UIPageControl* c) { return UIPageControl_CVLODots::cachedCurrentPageIndicatorTintColor(c); }
Ref<UIColor> savedOther(UIPageControl* c) { return UIPageControl_CVLODots::cachedPageIndicatorTintColor(c); }

std::string hex(const Ref<UIColor>& c) { return colorReport(c); }

Ref<UIColor> colour(double r, double g, double b, double a) { return UIColor::colorWithRedGreenBlueAlpha(r, g, b, a); }

std::atomic<int>& exitRequests() { return exitCount; }
std::atomic<int>& lastExitStatus() { return exitStatus; }

std::string activeColourText() {
  tweak();
  Ref<NSString> t = activeText->load();
  return t ? t->utf8() : "(absent)";
}
std::string inactiveColourText() {
  tweak();
  Ref<NSString> t = inactiveText->load();
  return t ? t->utf8() : "(absent)";
}

void TweakTest::SetUpTestSuite() { tweak(); }

void TweakTest::SetUp() {
  foundation::setLogTypeEnabled(OS_LOG_TYPE_DEBUG, false);
  exitCount = 0;
  exitStatus = -1;
  apply({});
}

void TweakTest::TearDown() { foundation::setLogTypeEnabled(OS_LOG_TYPE_DEBUG, false); }

}  // namespace tweaktest
