// Message sends against their peers, all in one run: a direct call, a C++
// virtual call, GCC's Objective-C runtime; and a hooked send against an
// unhooked one. Compare the ratios, not the absolute figures.
//
// The peers make one real call per iteration. Checked with
//   objdump -d --no-show-raw-insn build/release/bench/bench_objc | c++filt
// in each loop body between the state's counter decrement and its `jne`:
// BM_DirectCall holds one `call directLevel` (noipa: no clone, no hoisting),
// BM_VirtualCall one `call *0x10(%rax)` through the vtable of an object made
// in virtual_peer.cpp from a run-time choice, BM_CachedSend one indirect call
// to the method's trampoline.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

#include "objc/define.h"
#include "substrate/substrate.h"
#include "virtual_peer.h"
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

class OtherMeter : public Meter {
  OBJC_CLASS(OtherMeter, Meter)
};

}  // namespace

OBJC_IMPLEMENT(Meter)
OBJC_IMPLEMENT(HookedMeter)
OBJC_IMPLEMENT(OtherMeter)

namespace {

struct PlainMeter {
  long level = 0;
};

// noipa: no inlining, no constant propagation, no hoisting out of the loop.
[[gnu::noipa]] long directLevel(const PlainMeter* m) { return m->level; }

IMP previousLevel;
long hookedLevel(Meter* self, SEL cmd) { return objc::invoke<Meter::levelMessage>(previousLevel, self, cmd) + 1; }

void BM_DirectCall(benchmark::State& state) {
  PlainMeter m;
  const PlainMeter* p = &m;
  benchmark::DoNotOptimize(p);
  for (auto _ : state) benchmark::DoNotOptimize(directLevel(p));
}
BENCHMARK(BM_DirectCall);

void BM_VirtualCall(benchmark::State& state) {
  // The overrider is chosen by something the compiler cannot know.
  std::unique_ptr<VirtualMeter> m(makeVirtualMeter(std::getenv("CORVALLO_BENCH_SHIFTED") ? 1 : 0));
  const VirtualMeter* p = m.get();
  for (auto _ : state) benchmark::DoNotOptimize(p->level());
}
BENCHMARK(BM_VirtualCall);

// The floor of a hooked send: two dependent indirect calls.
void BM_VirtualCallChained(benchmark::State& state) {
  std::unique_ptr<VirtualMeter> m(makeChainedMeter(std::getenv("CORVALLO_BENCH_SHIFTED") ? 1 : 0));
  const VirtualMeter* p = m.get();
  for (auto _ : state) benchmark::DoNotOptimize(p->level());
}
BENCHMARK(BM_VirtualCallChained);

void BM_CachedSend(benchmark::State& state) {
  auto m = Meter::make();
  Meter* p = m.get();
  benchmark::DoNotOptimize(p);
  for (auto _ : state) benchmark::DoNotOptimize(p->level());
}
BENCHMARK(BM_CachedSend);

#ifdef CORVALLO_HAVE_GNU_OBJC
void BM_GnuObjcSend(benchmark::State& state) {
  static const GnuPeer peer = makeGnuPeer("BenchGnuMeter");
  for (auto _ : state) benchmark::DoNotOptimize(gnuSend(peer));
}
BENCHMARK(BM_GnuObjcSend);


// The same alternating between instances of two classes, as BM_PolymorphicSend does.
void BM_GnuObjcSendPolymorphic(benchmark::State& state) {
  static const GnuPeer peers[2] = {makeGnuPeer("BenchGnuMeterA"), makeGnuPeer("BenchGnuMeterB")};
  const GnuPeer* ps = peers;
  benchmark::DoNotOptimize(ps);
  unsigned i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(gnuSend(ps[++i & 1]));
}
BENCHMARK(BM_GnuObjcSendPolymorphic);

// Last of the GNU peers: with a method replaced in that runtime, the
// polymorphic peer measured after it ran twice as slow.
void BM_GnuObjcSendHooked(benchmark::State& state) {
  static const GnuPeer peer = makeGnuHookedPeer("BenchGnuHookedMeter");
  for (auto _ : state) benchmark::DoNotOptimize(gnuSend(peer));
}
BENCHMARK(BM_GnuObjcSendHooked);
#endif

void BM_UnhookedSend(benchmark::State& state) {
  auto m = Meter::make();
  Meter* p = m.get();
  benchmark::DoNotOptimize(p);
  for (auto _ : state) benchmark::DoNotOptimize(p->level());
}
BENCHMARK(BM_UnhookedSend);

// One site that sees two classes in turn: it gives up its inline entry and
// sends through the per-class cache. (Sent with a Ref receiver, so its site
// is not the one the other benchmarks use.)
void BM_PolymorphicSend(benchmark::State& state) {
  Ref<Meter> meters[2] = {Meter::make(), OtherMeter::make()};
  benchmark::DoNotOptimize(meters);
  unsigned i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(objc::send<Meter::levelMessage>(meters[++i & 1]));
}
BENCHMARK(BM_PolymorphicSend);

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
