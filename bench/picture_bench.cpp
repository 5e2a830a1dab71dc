// Drawing each picture from the hosts' reports, with the states of a device
// that `corvallo up` started on a temporary root.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "control/ControlClient.h"
#include "picture/Picture.h"

namespace {

std::filesystem::path root;
nlohmann::json springBoard, settings;

void BM_DrawHomeScreen(benchmark::State& state) {
  for (auto _ : state) picture::drawHomeScreen(springBoard, (root / "home.png").string());
}
void BM_DrawSettingsPage(benchmark::State& state) {
  for (auto _ : state) picture::drawSettingsPage(settings, (root / "settings.png").string());
}
void BM_DrawSideBySide(benchmark::State& state) {
  for (auto _ : state) picture::drawSideBySide(springBoard, settings, (root / "both.png").string(), "A step");
}
BENCHMARK(BM_DrawHomeScreen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawSettingsPage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawSideBySide)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  char tmpl[] = "/tmp/cvpic.XXXXXX";
  root = ::mkdtemp(tmpl);
  std::string corvallo = std::string(CORVALLO_BUILD_DIR) + "/bin/corvallo --root " + root.string();
  if (std::system((corvallo + " up >/dev/null").c_str()) != 0) return 1;
  std::system((corvallo + " set isHidePageDotsEnabled off >/dev/null").c_str());
  springBoard = control::Client((root / "var/run/corvallo/springboard.sock").string()).request({{"op", "state"}});
  settings = control::Client((root / "var/run/corvallo/settings.sock").string()).request({{"op", "state"}});
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  std::system((corvallo + " down >/dev/null").c_str());
  std::filesystem::remove_all(root);
  return 0;
}
