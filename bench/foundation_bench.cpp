// The preference store: a read of an unchanged domain against a full parse
// of the same file (the peer), and a write.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "foundation/Foundation.h"

namespace {

struct Device {
  Device() {
    char tmpl[] = "/tmp/corvallo-bench-XXXXXX";
    root = mkdtemp(tmpl);
    foundation::setDeviceRootOverride(root);
  }
  ~Device() {
    foundation::setDeviceRootOverride(std::nullopt);
    std::filesystem::remove_all(root);
  }
  std::string root;
};

// The tweak's six keys plus a few more, about the size of a real domain.
Ref<NSDictionary> sampleDomain() {
  auto d = NSMutableDictionary::dictionary();
  d->setObjectForKey(kCFBooleanTrue, "isEnabled");
  d->setObjectForKey(kCFBooleanTrue, "isApplyToWidgetDotsEnabled");
  d->setObjectForKey(kCFBooleanTrue, "isHidePageDotsEnabled");
  d->setObjectForKey(kCFBooleanFalse, "isColorCustomizationEnabled");
  d->setObjectForKey("#FFFFFF"_ns, "activePageDotColor");
  d->setObjectForKey("#FFFFFF:0.45"_ns, "inactivePageDotColor");
  for (int i = 0; i < 10; ++i) d->setObjectForKey(NSNumber::numberWithInt(i), "extra" + std::to_string(i));
  d->setObjectForKey(NSDate::date(), "pickedDate");
  return d->copy();
}

const auto kDomain = "com.tenvarix.corvalloprefs"_ns;

void BM_DomainReadUnchanged(benchmark::State& state) {
  Device device;
  auto defaults = NSUserDefaults::standardUserDefaults();
  defaults->setPersistentDomainForName(sampleDomain(), kDomain);
  auto parsesBefore = NSUserDefaults::domainParseCount();
  for (auto _ : state) benchmark::DoNotOptimize(defaults->persistentDomainForName(kDomain));
  state.counters["parses"] = static_cast<double>(NSUserDefaults::domainParseCount() - parsesBefore);
}
BENCHMARK(BM_DomainReadUnchanged);

// The peer: what every read would cost without the cache.
void BM_DomainFullParse(benchmark::State& state) {
  Device device;
  NSUserDefaults::standardUserDefaults()->setPersistentDomainForName(sampleDomain(), kDomain);
  std::string path = foundation::devicePath("/var/mobile/Library/Preferences/com.tenvarix.corvalloprefs.plist");
  for (auto _ : state) benchmark::DoNotOptimize(foundation::plistFromFile(path));
}
BENCHMARK(BM_DomainFullParse);

void BM_DomainWrite(benchmark::State& state) {
  Device device;
  auto defaults = NSUserDefaults::standardUserDefaults();
  auto domain = sampleDomain();
  for (auto _ : state) defaults->setPersistentDomainForName(domain, kDomain);
}
BENCHMARK(BM_DomainWrite)->Unit(benchmark::kMicrosecond);

// One key changed through the serialised read-modify-write.
void BM_DomainUpdate(benchmark::State& state) {
  Device device;
  auto defaults = NSUserDefaults::standardUserDefaults();
  defaults->setPersistentDomainForName(sampleDomain(), kDomain);
  int i = 0;
  for (auto _ : state)
    defaults->updatePersistentDomainForName(
        kDomain, [&](NSMutableDictionary* d) { d->setObjectForKey(NSNumber::numberWithInt(++i), "counter"); });
}
BENCHMARK(BM_DomainUpdate)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
