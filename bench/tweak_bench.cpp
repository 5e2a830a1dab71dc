// A hit test on the home-screen indicator with the tweak's hook (the hook,
// its deferred hide task drained, the colour decision with recolouring on)
// against the same class's own implementation, called past the hook.
// Argument: 1 with hiding on (the task hides a hidden control again), 0 with
// hiding off (the control stays visible, so the hit test itself does work).
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "Tweak.h"  // SnapshotText only: the layout of an exported global
#include "dispatch/main_loop.h"
#include "foundation/DevicePaths.h"
#include "foundation/NSUserDefaults.h"
#include "springboard/SBIconListPageControl.h"

namespace {

SEL hitTestSel;
IMP hostHitTest;  // SBIconListPageControl's own, before the tweak hooks it
void (*loadPrefs)();
std::string deviceRoot;

void storeSettings(bool hide, bool colours) {
  auto d = NSDictionary::of({
      {"isEnabled", NSNumber::numberWithBool(true)},
      {"isApplyToWidgetDotsEnabled", NSNumber::numberWithBool(true)},
      {"isHidePageDotsEnabled", NSNumber::numberWithBool(hide)},
      {"isColorCustomizationEnabled", NSNumber::numberWithBool(colours)},
      {"activePageDotColor", NSString::make("#19C246")},
      {"inactivePageDotColor", NSString::make("#FFFFFF:0.45")},
  });
  Ref<NSString> domain = NSString::make("com.tenvarix.corvalloprefs");
  NSUserDefaults::standardUserDefaults()->setPersistentDomainForName(d, domain);
  loadPrefs();
  dispatch::runMainUntilIdle();
}

bool loadTweak() {
  char tmpl[] = "/tmp/corvallo-tweak-bench-XXXXXX";
  if (!mkdtemp(tmpl)) return false;
  deviceRoot = tmpl;
  setenv("CORVALLO_DEVICE_ROOT", tmpl, 1);
  foundation::setDeviceRootOverride(deviceRoot);
  hitTestSel = SBIconListPageControl::hitTestWithEventMessage::sel();
  hostHitTest = class_getMethodImplementation(SBIconListPageControl::cls(), hitTestSel);

  void* lib = dlopen(CORVALLO_TWEAK_PATH, RTLD_NOW | RTLD_GLOBAL);
  if (!lib) {
    std::fprintf(stderr, "cannot load the tweak: %s\n", dlerror());
    return false;
  }
  loadPrefs = reinterpret_cast<void (*)()>(dlsym(lib, "_Z13CVLOLoadPrefsv"));
  auto* active = static_cast<SnapshotText*>(dlsym(lib, "activePageDotColorString"));
  if (!loadPrefs || !active) return false;
  // Let the load-time snapshot land before ours.
  for (int i = 0; i < 10000 && !active->load(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  dispatch::runMainUntilIdle();
  return class_getMethodImplementation(SBIconListPageControl::cls(), hitTestSel) != hostHitTest;
}

Ref<SBIconListPageControl> indicator(bool hide) {
  storeSettings(hide, true);
  auto c = SBIconListPageControl::make(CGRectMake(0, 700, 390, 37));
  c->setNumberOfPages(4);
  dispatch::runMainUntilIdle();
  return c;
}

void BM_HitTestHooked(benchmark::State& state) {
  auto c = indicator(state.range(0) != 0);
  const CGPoint p = CGPointMake(20, 10);
  for (auto _ : state) {
    benchmark::DoNotOptimize(c->hitTestWithEvent(p, nullptr));
    dispatch::runMainUntilIdle();
  }
  state.counters["hidden"] = c->isHidden();
}
BENCHMARK(BM_HitTestHooked)->Arg(1)->Arg(0);

// The host's main loop runs the queued tasks in one pass, not one pass per
// touch: here one drain per 64 hit tests, so the drain's own fixed cost (an
// epoll poll) is spread while every deferred task still runs.
void BM_HitTestHookedBatched(benchmark::State& state) {
  auto c = indicator(state.range(0) != 0);
  const CGPoint p = CGPointMake(20, 10);
  int pending = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(c->hitTestWithEvent(p, nullptr));
    if (++pending == 64) {
      pending = 0;
      dispatch::runMainUntilIdle();
    }
  }
  dispatch::runMainUntilIdle();
  state.counters["hidden"] = c->isHidden();
}
BENCHMARK(BM_HitTestHookedBatched)->Arg(1)->Arg(0);

void BM_HitTestUnhooked(benchmark::State& state) {
  auto c = indicator(state.range(0) != 0);
  const CGPoint p = CGPointMake(20, 10);
  for (auto _ : state)
    benchmark::DoNotOptimize(
        objc::invoke<SBIconListPageControl::hitTestWithEventMessage>(hostHitTest, c.get(), hitTestSel, p, nullptr));
  state.counters["hidden"] = c->isHidden();
}
BENCHMARK(BM_HitTestUnhooked)->Arg(1)->Arg(0);

// What draining an idle main queue costs on its own, part of the hooked figure.
void BM_DrainIdleMainQueue(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(dispatch::runMainUntilIdle());
}
BENCHMARK(BM_DrainIdleMainQueue);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (!loadTweak()) {
    std::fprintf(stderr, "the tweak did not load or did not hook hitTest:withEvent:\n");
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ec;
  std::filesystem::remove_all(deviceRoot, ec);
  return 0;
}
