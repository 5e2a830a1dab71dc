// Installing a package with one settings entry and seeing it in Settings:
// `corvallo install` run as a person runs it, against a running device,
// until it returns (it returns once Settings has listed its entries again,
// or said it cannot); and the install alone, in this process, as the floor.
// Each iteration uninstalls first, untimed, so every install is a new one.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "../tests/apps/DebBuilder.h"
#include "PackageInstall.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

const std::string kProgram = std::string(CORVALLO_BUILD_DIR) + "/bin/corvallo";
constexpr const char* kEntry =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict><key>entry</key><dict>"
    "<key>cell</key><string>PSLinkCell</string><key>label</key><string>Bench Entry</string></dict>"
    "<key>title</key><string>Bench</string><key>items</key><array/></dict></plist>\n";

// Runs the command with stdout to `out`; its exit code.
int corvallo(const fs::path& root, std::vector<std::string> args, const fs::path& out = "/dev/null") {
  args.insert(args.begin(), {kProgram, "--root", root.string()});
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  int status = -1;
  if (::posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environ) == 0) ::waitpid(pid, &status, 0);
  posix_spawn_file_actions_destroy(&files);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct Scratch {
  fs::path dir, root, deb;
  Scratch() {
    char tmpl[] = "/tmp/cvb.XXXXXX";
    dir = ::mkdtemp(tmpl);
    root = dir / "r";
    deb = debs::save(dir / "bench.deb",
                     debs::deb({{"./Library/", AE_IFDIR, 0755},
                                {"./Library/PreferenceLoader/", AE_IFDIR, 0755},
                                {"./Library/PreferenceLoader/Preferences/", AE_IFDIR, 0755},
                                {"./Library/PreferenceLoader/Preferences/Bench.plist", AE_IFREG, 0644, kEntry}},
                               "Package: com.example.bench\nVersion: 1\nArchitecture: all\n"));
  }
  ~Scratch() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
};

void BM_InstallInProcess(benchmark::State& state) {
  Scratch s;
  for (auto _ : state) {
    device::installInto(device::loadPackage(s.deb), s.root);
    state.PauseTiming();
    device::uninstallFrom("com.example.bench", s.root);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_InstallInProcess)->Unit(benchmark::kMillisecond);

void BM_InstallCommandUntilSettingsLists(benchmark::State& state) {
  Scratch s;
  if (corvallo(s.root, {"up"}) != 0) {
    state.SkipWithError("the device did not come up");
    return;
  }
  fs::path out = s.dir / "out.json";
  bool listed = true;
  for (auto _ : state) {
    if (corvallo(s.root, {"install", s.deb.string(), "--json"}, out) != 0) {
      state.SkipWithError("install failed");
      break;
    }
    state.PauseTiming();
    std::ifstream in(out);
    auto answer = nlohmann::json::parse(in, nullptr, false);
    auto settings = answer.is_object() ? answer["settings"] : nlohmann::json();
    listed = listed && settings.value("rescanned", false) &&
             settings["entries"].dump().find("Bench Entry") != std::string::npos;
    corvallo(s.root, {"uninstall", "com.example.bench"});
    state.ResumeTiming();
  }
  state.SetLabel(listed ? "Settings listed the entry" : "Settings did not re-read its entries: install only");
  corvallo(s.root, {"down"});
}
BENCHMARK(BM_InstallCommandUntilSettingsLists)->Iterations(30)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
