// Opening a tweak's page list of 200 standard rows in the Settings host, from
// the tap on its entry to the page laid out and reported, as the command
// waits for it; and back to the list.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "SettingsHost.h"
#include "foundation/DevicePaths.h"

namespace fs = std::filesystem;

namespace {

std::string row(int i) {
  static const char* kinds[] = {"PSSwitchCell", "PSSliderCell", "PSSegmentCell", "PSLinkListCell",
                                "PSEditTextCell", "PSTitleValueCell", "PSButtonCell", "PSStaticTextCell"};
  std::string cell = kinds[i % 8];
  std::string s = "<dict><key>cell</key><string>" + cell + "</string><key>label</key><string>Row " +
                  std::to_string(i) + "</string><key>key</key><string>k" + std::to_string(i) +
                  "</string><key>defaults</key><string>com.example.bench</string>";
  if (cell == "PSSegmentCell" || cell == "PSLinkListCell")
    s += "<key>validValues</key><array><integer>0</integer><integer>1</integer></array>"
         "<key>validTitles</key><array><string>Off</string><string>On</string></array>";
  if (i % 20 == 0) s = "<dict><key>cell</key><string>PSGroupCell</string><key>label</key><string>Group</string></dict>" + s;
  return s + "</dict>";
}

const std::string& stageRoot() {
  static const std::string root = [] {
    std::string base = (fs::temp_directory_path() / "cvpages-bench-XXXXXX").string();
    if (!::mkdtemp(base.data())) std::abort();
    foundation::setDeviceRootOverride(base);
    setenv("CORVALLO_DEVICE_ROOT", base.c_str(), 1);
    fs::create_directories(base + "/Library/PreferenceLoader/Preferences");
    fs::create_directories(base + "/Library/PreferenceBundles/Bench.bundle");
    std::ofstream(base + "/Library/PreferenceLoader/Preferences/Bench.plist")
        << "<plist version=\"1.0\"><dict><key>entry</key><dict><key>bundle</key><string>Bench</string>"
           "<key>label</key><string>Bench</string></dict></dict></plist>";
    std::ofstream(base + "/Library/PreferenceBundles/Bench.bundle/Info.plist") << "<plist version=\"1.0\"><dict/></plist>";
    std::string rows;
    for (int i = 0; i < 200; ++i) rows += row(i);
    std::ofstream(base + "/Library/PreferenceBundles/Bench.bundle/Root.plist")
        << "<plist version=\"1.0\"><dict><key>items</key><array>" << rows << "</array></dict></plist>";
    std::atexit([] {
      std::error_code ec;
      fs::remove_all(foundation::deviceRoot(), ec);
    });
    return base;
  }();
  return root;
}

void BM_OpenPageOf200StandardRows(benchmark::State& state) {
  stageRoot();
  settings::Host host;
  for (auto _ : state) {
    host.handle({{"op", "open"}, {"entry", "Bench"}});
    auto answer = host.handle({{"op", "state"}});
    benchmark::DoNotOptimize(answer);
    if (answer["page"]["sections"].size() != 10) state.SkipWithError("the page did not show its ten sections");
    state.PauseTiming();
    host.handle({{"op", "back"}});
    state.ResumeTiming();
  }
}
BENCHMARK(BM_OpenPageOf200StandardRows)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
