// corvallo: runs a simulated device. It installs the deliverables into a
// device root, supervises the hosts, and lets a person or a script look and act.
#include <CLI/CLI.hpp>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <thread>

#include "Demo.h"
#include "DeviceReport.h"
#include "Hosts.h"
#include "Install.h"
#include "Supervisor.h"
#include "control/ControlClient.h"
#include "foundation/DevicePaths.h"
#include "notify/notify.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

std::atomic<bool> interrupted{false};

int runDevice(const device::BuildOutput& build, const fs::path& root, double seconds) {
  device::printInstall(device::install(build, root), root);
  device::Supervisor supervisor(root, device::hostsFor(build));
  if (!device::startHosts(supervisor)) return 1;
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  std::cout << device::describeHomeScreen(device::springBoardState(root));
  std::cout << "device running; control sockets under " << (root / "var/run/corvallo").string()
            << (seconds > 0 ? "" : "; Ctrl-C stops it") << "\n";
  std::signal(SIGINT, [](int) { interrupted = true; });
  std::signal(SIGTERM, [](int) { interrupted = true; });
  auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!interrupted && (seconds <= 0 || std::chrono::steady_clock::now() < deadline))
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  supervisor.stop();
  return 0;
}

// "key=value" pairs become a request; values that read as JSON stay JSON.
json requestFrom(const std::string& op, const std::vector<std::string>& pairs) {
  json req{{"op", op}};
  for (const auto& p : pairs) {
    auto eq = p.find('=');
    if (eq == std::string::npos) throw CLI::ValidationError("expected key=value, got \"" + p + "\"");
    std::string key = p.substr(0, eq), value = p.substr(eq + 1);
    json parsed = json::parse(value, nullptr, false);
    req[key] = parsed.is_discarded() ? json(value) : parsed;
  }
  return req;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"corvallo: a simulated device with the Corvallo tweak and its settings"};
  app.require_subcommand(1);
  std::string rootOption;
  app.add_option("--device-root", rootOption,
                 "device root folder (default: $CORVALLO_DEVICE_ROOT or ~/.local/share/corvallo/device)");

  auto* installCmd = app.add_subcommand("install", "lay the deliverables into the device root");
  auto* demoCmd = app.add_subcommand("demo", "start the device, change settings as a user would, show the dots");
  double seconds = 0;
  auto* runCmd = app.add_subcommand("run", "start the device and keep it running");
  runCmd->add_option("--for", seconds, "stop after this many seconds (default: until Ctrl-C)");
  std::string host = "springboard", op;
  std::vector<std::string> pairs;
  bool raw = false;
  auto* askCmd = app.add_subcommand("ask", "send one control request to a running host and print the answer");
  askCmd->add_option("host", host, "springboard or settings")->check(CLI::IsMember({"springboard", "settings"}));
  askCmd->add_option("op", op, "the request's op, e.g. state, touch, page, scrollWidget, legibility, respring")
      ->required();
  askCmd->add_option("args", pairs, "key=value arguments");
  askCmd->add_flag("--raw", raw, "print the JSON answer as it came");
  std::string name;
  auto* postCmd = app.add_subcommand("post", "post a Darwin notification on the device");
  postCmd->add_option("name", name, "e.g. com.tenvarix.corvallo/ReloadPrefs")->required();

  CLI11_PARSE(app, argc, argv);

  // Every layer, and every program started from here, finds the device root
  // through the environment.
  if (!rootOption.empty()) ::setenv("CORVALLO_DEVICE_ROOT", std::filesystem::absolute(rootOption).c_str(), 1);
  fs::path root = foundation::deviceRoot();
  auto build = device::BuildOutput::besideExecutable();

  try {
    if (*installCmd) {
      device::printInstall(device::install(build, root), root);
      return 0;
    }
    if (*demoCmd) return device::runDemo(build, root);
    if (*runCmd) return runDevice(build, root, seconds);
    if (*askCmd) {
      const char* socket = host == "settings" ? device::kSettingsSocket : device::kSpringBoardSocket;
      std::string path = (root / fs::path(socket).relative_path()).string();
      if (!control::isListening(path)) {
        std::cerr << "corvallo: no " << host << " host answers on " << path
                  << "; is the device running? (corvallo run)\n";
        return 1;
      }
      control::Client client(path, std::chrono::seconds(2));
      json answer = client.request(requestFrom(op, pairs));
      if (!raw && host == "springboard" && op == "state" && answer.value("ok", false))
        std::cout << device::describeHomeScreen(answer);
      else
        std::cout << answer.dump(raw ? -1 : 2) << "\n";
      return answer.value("ok", false) ? 0 : 2;
    }
    if (*postCmd) {
      std::uint32_t status = notify_post(name.c_str());
      if (status != NOTIFY_STATUS_OK) {
        std::cerr << "notify_post refused \"" << name << "\" (status " << status << ")\n";
        return 2;
      }
      return 0;
    }
  } catch (const std::exception& e) {
    std::cerr << "corvallo: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
