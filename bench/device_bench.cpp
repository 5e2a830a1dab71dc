// From notify_post of ReloadPrefs in this process to the home-screen
// indicator's new state in SpringBoard, against the one-way floor of a
// cross-process wake-up: one floor sample before each change, so both meet
// the same load.
//
// Nobody is asked anything while a change travels: every hop stamps itself
// into a shared log (foundation/HopTrace.h) — the post, the delivery on
// SpringBoard's main thread, the snapshot loader's start and end on a global
// queue, the refresh on the main queue and each deferred hide — and this
// process sleeps until the hides of one change are in, then reads the stamps
// after the run. The control socket is asked once, at the end, whether the
// indicator ended where the last change put it.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "Install.h"
#include "Supervisor.h"
#include "control/ControlClient.h"
#include "foundation/HopTrace.h"
#include "foundation/NSNumber.h"
#include "foundation/NSString.h"
#include "foundation/NSUserDefaults.h"
#include "notify/notify.h"
#include "context_switches.h"
#include "one_way_floor.h"

namespace {

namespace hops = foundation::hops;

constexpr const char* kHops[] = {"deliver", "load.start", "load.end", "refresh", "hide"};

// The hides recorded in entries [from, to).
int hidesBetween(const hops::Log* log, std::uint32_t from, std::uint32_t to) {
  int n = 0;
  for (std::uint32_t i = from; i < std::min(to, log->capacity); ++i)
    if (std::string_view(log->entries[i].name) == "hide") ++n;
  return n;
}

enum class Awaited { kArrived, kLost, kLogFull };

// Waits until `want` hides follow entry `from`; kLost after five seconds
// without a hop (a loaded machine can stall a process for a good while).
// The count and the wait start from the same reading of the log: a hide
// recorded between two readings would otherwise be counted by neither, and
// the wait would sleep for a hop that never comes.
Awaited awaitHides(hops::Log* log, std::uint32_t from, int want) {
  for (;;) {
    std::uint32_t seen = log->next.load();
    if (hidesBetween(log, from, seen) >= want) return Awaited::kArrived;
    if (seen >= log->capacity) return Awaited::kLogFull;
    if (!hops::waitPast(log, seen, 5000000000ull)) return Awaited::kLost;
  }
}

void BM_ReloadPrefsToIndicator(benchmark::State& state) {
  char tmpl[] = "/tmp/cvbench.XXXXXX";
  std::filesystem::path root = ::mkdtemp(tmpl);
  ::setenv("CORVALLO_DEVICE_ROOT", root.c_str(), 1);
  std::string logPath = root / "hops";
  hops::Log* log = hops::create(logPath.c_str(), 1 << 20);
  if (!log) {
    state.SkipWithError("cannot make the hop log");
    return;
  }
  ::setenv("CORVALLO_TRACE_HOPS", logPath.c_str(), 1);  // this process records its posts too
  std::filesystem::path build = CORVALLO_BUILD_DIR;
  device::InstallReport installed = device::install(device::BuildOutput::besideExecutable(), root);
  if (!installed.missing.empty()) {
    state.SkipWithError(("the build has no " + installed.missing.front()).c_str());
    return;
  }
  device::Supervisor sb(root, {{"SpringBoard",
                                build / "bin/springboard",
                                {"--legibility-delay-ms", "0"},
                                "/var/run/corvallo/springboard.sock"}});
  sb.start();
  if (!sb.waitUntilAnswering("SpringBoard", std::chrono::seconds(10))) {
    state.SkipWithError("SpringBoard did not start");
    return;
  }
  auto domain = NSString::make("com.tenvarix.corvalloprefs");
  bool hide = false;
  auto change = [&] {
    NSUserDefaults::standardUserDefaults()->updatePersistentDomainForName(domain, [&](NSMutableDictionary* d) {
      d->setObjectForKey(hide ? kCFBooleanTrue : kCFBooleanFalse, "isHidePageDotsEnabled");
    });
    std::uint32_t from = log->next.load();
    notify_post("com.tenvarix.corvallo/ReloadPrefs");
    return from;
  };

  // How many indicators one change hides, after a pause long enough for
  // every hop of a change. The fewest of three: the tweak's own first load
  // may still be refreshing just after SpringBoard answers, and its hides
  // would count for a change that makes fewer.
  int hidesPerChange = 0;
  for (int i = 0; i < 3; ++i) {
    hide = !hide;
    std::uint32_t first = change();
    hops::waitPast(log, first, 1000000000ull);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    int hides = hidesBetween(log, first, log->next.load());
    hidesPerChange = i == 0 ? hides : std::min(hidesPerChange, hides);
  }
  if (hidesPerChange == 0) {
    state.SkipWithError("no indicator was refreshed");
    return;
  }

  bench::OneWayFloor floor;
  std::vector<double> floorUs;
  std::vector<std::uint32_t> starts;
  const pid_t springBoard = sb.pidOf("SpringBoard");
  const bench::Switches switchesBefore = bench::contextSwitches(springBoard);
  for (auto _ : state) {
    floorUs.push_back(floor.sample());
    hide = !hide;
    std::uint32_t from = change();
    starts.push_back(from);
    Awaited got = awaitHides(log, from, hidesPerChange);
    if (got == Awaited::kLogFull) {
      state.SkipWithError("the hop log is full: make it larger");
      break;
    }
    if (got == Awaited::kLost) {
      // What did arrive says which hop stopped short.
      std::string seen;
      for (std::uint32_t i = from; i < std::min(log->next.load(), log->capacity); ++i)
        seen += std::string(seen.empty() ? "" : " ") + log->entries[i].name;
      std::string why = "a change did not reach the indicator (change " + std::to_string(starts.size()) + ", " +
                        std::to_string(hidesPerChange) + " hides awaited; hops since its post: " + seen + ")";
      state.SkipWithError(why.c_str());
      break;
    }
  }
  // Every thread of SpringBoard counts: the path's three hops should be
  // three sleeps, and anything else that sleeps on the way shows here.
  const bench::Switches switchesAfter = bench::contextSwitches(springBoard);
  if (!starts.empty()) {
    state.counters["sleeps_per_change"] =
        static_cast<double>(switchesAfter.voluntary - switchesBefore.voluntary) / static_cast<double>(starts.size());
    state.counters["preempted_per_change"] = static_cast<double>(switchesAfter.involuntary - switchesBefore.involuntary) /
                                             static_cast<double>(starts.size());
  }
  control::Client client(sb.socketPathOf("SpringBoard"));
  bool ended = client.request({{"op", "state"}})["pageControl"]["hidden"].get<bool>();
  sb.stop();

  // Each change's hops, measured from its post: the first of each kind,
  // and the last hide for the whole path.
  std::map<std::string, std::vector<double>> after;
  std::uint32_t end = std::min(log->next.load(), log->capacity);
  for (std::size_t c = 0; c < starts.size(); ++c) {
    std::uint32_t to = c + 1 < starts.size() ? starts[c + 1] : end;
    std::uint64_t post = 0, lastHide = 0;
    std::map<std::string, std::uint64_t> firstOf;
    for (std::uint32_t i = starts[c]; i < to; ++i) {
      const hops::Entry& e = log->entries[i];
      std::string name = e.name;
      if (name == "post" && !post) post = e.ns;
      if (name == "hide") lastHide = e.ns;
      firstOf.emplace(name, e.ns);
    }
    if (!post || !lastHide) continue;
    for (const char* h : kHops)
      if (firstOf.count(h)) after[h].push_back(static_cast<double>(firstOf[h] - post) / 1000.0);
    after["total"].push_back(static_cast<double>(lastHide - post) / 1000.0);
  }
  for (auto& [name, us] : after) std::sort(us.begin(), us.end());
  auto& total = after["total"];
  state.counters["p50_us"] = bench::percentile(total, 50);
  state.counters["p99_us"] = bench::percentile(total, 99);
  for (const char* h : kHops) state.counters[std::string(h) + "_p50_us"] = bench::percentile(after[h], 50);
  std::sort(floorUs.begin(), floorUs.end());
  state.counters["floor_p50_us"] = bench::percentile(floorUs, 50);
  state.counters["floor_p99_us"] = bench::percentile(floorUs, 99);
  state.counters["ended_right"] = ended == hide;
  state.counters["hides_per_change"] = hidesPerChange;
  std::filesystem::remove_all(root);
}
BENCHMARK(BM_ReloadPrefsToIndicator)->Iterations(300)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
