// From notify_post of ReloadPrefs in this process to the home-screen
// indicator's new state in SpringBoard, read through its control socket.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <thread>

#include "Install.h"
#include "Supervisor.h"
#include "control/ControlClient.h"
#include "foundation/NSNumber.h"
#include "foundation/NSString.h"
#include "foundation/NSUserDefaults.h"
#include "notify/notify.h"

namespace {

void BM_ReloadPrefsToIndicator(benchmark::State& state) {
  char tmpl[] = "/tmp/cvbench.XXXXXX";
  std::filesystem::path root = ::mkdtemp(tmpl);
  ::setenv("CORVALLO_DEVICE_ROOT", root.c_str(), 1);
  std::filesystem::path build = CORVALLO_BUILD_DIR;
  device::install({build / "bin", build / "lib", build / "none"}, root);
  device::Supervisor sb(root, {{"SpringBoard",
                                build / "bin/springboard",
                                {"--legibility-delay-ms", "0"},
                                "/var/run/corvallo/springboard.sock"}});
  sb.start();
  if (!sb.waitUntilAnswering("SpringBoard", std::chrono::seconds(10))) {
    state.SkipWithError("SpringBoard did not start");
    return;
  }
  control::Client client(sb.socketPathOf("SpringBoard"));
  auto hidden = [&] { return client.request({{"op", "state"}})["pageControl"]["hidden"].get<bool>(); };
  auto domain = NSString::make("com.tenvarix.corvalloprefs");

  std::vector<double> micros;
  bool hide = false;
  for (auto _ : state) {
    NSUserDefaults::standardUserDefaults()->updatePersistentDomainForName(domain, [&](NSMutableDictionary* d) {
      d->setObjectForKey(hide ? kCFBooleanTrue : kCFBooleanFalse, "isHidePageDotsEnabled");
    });
    auto start = std::chrono::steady_clock::now();
    notify_post("com.tenvarix.corvallo/ReloadPrefs");
    while (hidden() != hide) {
    }
    micros.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    hide = !hide;
  }
  std::sort(micros.begin(), micros.end());
  state.counters["p50_us"] = micros[micros.size() / 2];
  state.counters["p99_us"] = micros[std::min(micros.size() - 1, micros.size() * 99 / 100)];
  sb.stop();
  std::filesystem::remove_all(root);
}
BENCHMARK(BM_ReloadPrefsToIndicator)->Iterations(300)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
