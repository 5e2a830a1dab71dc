// The preference store: a read of an unchanged domain against a full parse
// of the same file (the peer), writes, a one-key write into large domains;
// reading large arrays.
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

// One key written into a domain of n keys, through the serialised
// read-modify-write: linear in n (it was quadratic while libplist encoded the
// file), about as long as a read of the same domain, which follows as the peer.
Ref<NSDictionary> domainOfKeys(std::int64_t n) {
  NSDictionary::Entries entries;
  for (std::int64_t i = 0; i < n; ++i) entries.emplace("key" + std::to_string(i), NSNumber::numberWithInteger(i));
  return NSDictionary::make(std::move(entries));
}

void BM_DomainWriteOneKey(benchmark::State& state) {
  Device device;
  auto defaults = NSUserDefaults::standardUserDefaults();
  defaults->setPersistentDomainForName(domainOfKeys(state.range(0)), kDomain);
  int i = 0;
  for (auto _ : state) {
    auto stored = defaults->tryUpdatePersistentDomainForName(
        kDomain, [&](NSMutableDictionary* d) { d->setObjectForKey(NSNumber::numberWithInt(++i), "counter"); });
    if (!stored) state.SkipWithError(stored.error().c_str());
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_DomainWriteOneKey)->Arg(1000)->Arg(25000)->Arg(100000)->Arg(600000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

void BM_DomainReadKeys(benchmark::State& state) {
  Device device;
  NSUserDefaults::standardUserDefaults()->setPersistentDomainForName(domainOfKeys(state.range(0)), kDomain);
  std::string path = foundation::devicePath("/var/mobile/Library/Preferences/com.tenvarix.corvalloprefs.plist");
  for (auto _ : state) benchmark::DoNotOptimize(foundation::plistFromFile(path));
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_DomainReadKeys)->Arg(1000)->Arg(25000)->Arg(100000)->Arg(600000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

// Reading a binary list of n numbers grows linearly with n; it was quadratic
// when elements were fetched by index. The XML read of the same list is the peer.
void readArray(benchmark::State& state, foundation::PlistFormat format) {
  NSArray::Items items(static_cast<std::size_t>(state.range(0)), NSNumber::numberWithInteger(7));
  auto bytes = foundation::plistToBytes(NSArray::make(std::move(items)), format);
  for (auto _ : state) {
    auto value = foundation::plistFromBytes(bytes.value());
    benchmark::DoNotOptimize(value.ok());
  }
  state.SetComplexityN(state.range(0));
}
void BM_ReadBinaryArray(benchmark::State& state) { readArray(state, foundation::PlistFormat::Binary); }
void BM_ReadXmlArray(benchmark::State& state) { readArray(state, foundation::PlistFormat::XML); }
BENCHMARK(BM_ReadBinaryArray)->RangeMultiplier(10)->Range(1000, 1000000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_ReadXmlArray)->RangeMultiplier(10)->Range(1000, 1000000)->Unit(benchmark::kMillisecond)->Complexity();

}  // namespace

BENCHMARK_MAIN();
