// Message sends against their peers, all in one run: a direct call, a C++
// virtual call, GCC's Objective-C runtime; and a hooked send against an
// unhooked one. Compare the ratios, not the absolute figures.
#include <benchmark/benchmark.h>

#include "objc/define.h"
#include "substrate/substrate.h"
#ifdef CORVALLO_HAVE_GNU_OBJC
#include "gnu_objc_peer.h"
#endif

namespace {

class Meter : public NSObject {
  OBJC_CLASS(Meter, NSObject)
  OBJC_METHOD(level, "level", long())

  long levelImpl() { return level_; }
  long level_ = 0;
};

class HookedMeter : public Meter {
  OBJC_CLASS(HookedMeter, Meter)
};

}  // namespace

OBJC_IMPLEMENT(Meter, level)
OBJC_IMPLEMENT(HookedMeter)

namespace {

struct VirtualBase {
  virtual ~VirtualBase() = default;
  virtual long level() const = 0;
};
struct VirtualMeter final : VirtualBase {
  long level() const override { return 0; }
};

[[gnu::noinline]] long directLevel(const VirtualMeter*) { return 0; }

IMP previousLevel;
long hookedLevel(Meter* self, SEL cmd) { return objc::invoke<Meter::levelMessage>(previousLevel, self, cmd) + 1; }

void BM_DirectCall(benchmark::State& state) {
  VirtualMeter m;
  const VirtualMeter* p = &m;
  benchmark::DoNotOptimize(p);
  for (auto _ : state) benchmark::DoNotOptimize(directLevel(p));
}
BENCHMARK(BM_DirectCall);

void BM_VirtualCall(benchmark::State& state) {
  VirtualMeter m;
  const VirtualBase* p = &m;
  benchmark::DoNotOptimize(p);
  for (auto _ : state) benchmark::DoNotOptimize(p->level());
}
BENCHMARK(BM_VirtualCall);

void BM_CachedSend(benchmark::State& state) {
  auto m = Meter::make();
  Meter* p = m.get();
  benchmark::DoNotOptimize(p);
  for (auto _ : state) benchmark::DoNotOptimize(p->level());
}
BENCHMARK(BM_CachedSend);

#ifdef CORVALLO_HAVE_GNU_OBJC
void BM_GnuObjcSend(benchmark::State& state) {
  static const GnuPeer peer = makeGnuPeer();
  for (auto _ : state) benchmark::DoNotOptimize(gnuSend(peer));
}
BENCHMARK(BM_GnuObjcSend);
#endif

void BM_UnhookedSend(benchmark::State& state) {
  auto m = Meter::make();
  Meter* p = m.get();
  benchmark::DoNotOptimize(p);
  for (auto _ : state) benchmark::DoNotOptimize(p->level());
}
BENCHMARK(BM_UnhookedSend);

void BM_HookedSend(benchmark::State& state) {
  if (!previousLevel)
    MSHookMessageEx(HookedMeter::cls(), Meter::levelMessage::sel(),
                    objc::implementation<Meter::levelMessage, &hookedLevel>(), &previousLevel);
  auto m = HookedMeter::make();
  Meter* p = m.get();
  benchmark::DoNotOptimize(p);
  for (auto _ : state) benchmark::DoNotOptimize(p->level());
}
BENCHMARK(BM_HookedSend);

}  // namespace

BENCHMARK_MAIN();
