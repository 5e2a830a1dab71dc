#include "Hosts.h"

#include <iostream>

#include "control/ControlClient.h"
#include "control/Ops.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace device {

std::vector<HostLaunch> hostsFor(const BuildOutput& build, const std::string& openEntry) {
  std::vector<HostLaunch> hosts{{"SpringBoard", build.bin / "springboard", {}, kSpringBoardSocket}};
  std::vector<std::string> settingsArgs;
  if (!openEntry.empty()) settingsArgs = {"--open", openEntry};
  if (fs::exists(build.bin / "settings"))
    hosts.push_back({"Preferences", build.bin / "settings", settingsArgs, kSettingsSocket, "SpringBoard"});
  return hosts;
}

bool startHosts(Supervisor& supervisor) {
  supervisor.start();
  if (supervisor.waitUntilAnswering("SpringBoard", std::chrono::seconds(10))) return true;
  std::cerr << "SpringBoard did not come up; see " << supervisor.logPathOf("SpringBoard").string() << "\n";
  return false;
}

void printInstall(const InstallReport& r, const fs::path& root) {
  std::cout << "installed " << r.installed.size() << " files into " << root.string() << "\n";
  for (const auto& m : r.missing) std::cout << "  not built, skipped: " << m << "\n";
}

json springBoardState(const fs::path& root) {
  control::Client client((root / fs::path(kSpringBoardSocket).relative_path()).string());
  return client.request({{"op", control::ops::kState}});
}

}  // namespace device
