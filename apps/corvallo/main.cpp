// corvallo: runs a simulated device. It installs the deliverables into a
// device root, supervises the hosts, and lets a person or a script look and act.
#include <CLI/CLI.hpp>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <thread>

#include "DeviceReport.h"
#include "Install.h"
#include "Supervisor.h"
#include "control/ControlClient.h"
#include "foundation/DevicePaths.h"
#include "foundation/NSNumber.h"
#include "foundation/NSString.h"
#include "foundation/NSUserDefaults.h"
#include "notify/notify.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

constexpr const char* kSpringBoardSocket = "/var/run/corvallo/springboard.sock";
constexpr const char* kSettingsSocket = "/var/run/corvallo/settings.sock";
constexpr const char* kDomain = "com.tenvarix.corvalloprefs";
constexpr const char* kReloadPrefs = "com.tenvarix.corvallo/ReloadPrefs";

std::atomic<bool> interrupted{false};

std::vector<device::HostSpec> hostsFor(const device::BuildOutput& build) {
  std::vector<device::HostSpec> hosts{{"SpringBoard", build.bin / "springboard", {}, kSpringBoardSocket}};
  if (fs::exists(build.bin / "settings")) hosts.push_back({"Preferences", build.bin / "settings", {}, kSettingsSocket});
  return hosts;
}

// Starts the hosts and waits for SpringBoard to answer.
bool startHosts(device::Supervisor& supervisor) {
  supervisor.start();
  if (supervisor.waitUntilAnswering("SpringBoard", std::chrono::seconds(10))) return true;
  std::cerr << "SpringBoard did not come up; see " << supervisor.logPathOf("SpringBoard").string() << "\n";
  return false;
}

void printInstall(const device::InstallReport& r, const fs::path& root) {
  std::cout << "installed " << r.installed.size() << " files into " << root.string() << "\n";
  for (const auto& m : r.missing) std::cout << "  not built, skipped: " << m << "\n";
}

json springBoardState(const fs::path& root) {
  control::Client client((root / fs::path(kSpringBoardSocket).relative_path()).string());
  return client.request({{"op", "state"}});
}

bool waitForState(const fs::path& root, const std::function<bool(const json&)>& done) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < deadline) {
    try {
      if (done(springBoardState(root))) return true;
    } catch (const std::exception&) {
      // restarting
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

// A settings change as the Settings host makes it: store, then announce.
void changeSetting(const std::string& key, NSObject* value) {
  NSUserDefaults::standardUserDefaults()->updatePersistentDomainForName(
      NSString::make(kDomain), [&](NSMutableDictionary* d) { d->setObjectForKey(value, key); });
  notify_post(kReloadPrefs);
}

// The settings host, or nothing when this build has none.
std::unique_ptr<control::Client> settingsClient(const device::Supervisor& supervisor) {
  if (supervisor.socketPathOf("Preferences").empty()) return nullptr;
  if (!supervisor.waitUntilAnswering("Preferences", std::chrono::seconds(10))) return nullptr;
  return std::make_unique<control::Client>(supervisor.socketPathOf("Preferences"));
}

json settingsRequest(control::Client& settings, const json& req) {
  json answer = settings.request(req);
  if (!answer.value("ok", false))
    throw std::runtime_error("Settings refused " + req.dump() + ": " + answer.value("error", std::string()));
  return answer;
}

// The open page's row bound to `key`, or null.
json settingsRow(const json& state, const std::string& key) {
  for (const auto& section : state["page"].value("sections", json::array()))
    for (const auto& row : section.value("rows", json::array()))
      if (row.value("key", json()) == key) return row;
  return nullptr;
}

// Rows that depend on a switch appear a moment after it flips: the page
// reloads its table on a later turn of its main queue.
void waitForSettingsRow(control::Client& settings, const std::string& key) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < deadline) {
    json row = settingsRow(settingsRequest(settings, {{"op", "state"}}), key);
    if (row.is_object() && !row.value("hidden", true)) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  throw std::runtime_error("the settings row " + key + " did not appear");
}

// Flips the switch only when it is not already in the wanted position, so the
// demo reaches the same screens whatever the device had stored before.
void setSettingsSwitch(control::Client& settings, const std::string& key, bool on) {
  json row = settingsRow(settingsRequest(settings, {{"op", "state"}}), key);
  if (row.is_object() && row.value("switchOn", !on) != on) settingsRequest(settings, {{"op", "toggle"}, {"row", key}});
}

int runDemo(const device::BuildOutput& build, const fs::path& root) {
  printInstall(device::install(build, root), root);
  device::Supervisor supervisor(root, hostsFor(build));
  if (!startHosts(supervisor)) return 1;
  auto settings = settingsClient(supervisor);
  bool allSettled = true;
  auto step = [&](const char* title, const std::function<bool(const json&)>& settled) {
    bool ok = waitForState(root, settled);
    allSettled = allSettled && ok;
    std::cout << "\n" << title << (ok ? "" : " (NOT REACHED within 5 s)") << "\n"
              << device::describeHomeScreen(springBoardState(root));
  };
  auto home = [](const json& s) { return s["pageControl"]; };
  auto showSettings = [&] {
    if (settings) std::cout << device::describeSettingsPage(settingsRequest(*settings, {{"op", "state"}}));
  };

  step("1. SpringBoard started with the tweak:",
       [&](const json& s) { return home(s)["currentPageIndicatorTintColor"].is_string(); });
  if (settings) {
    settingsRequest(*settings, {{"op", "open"}, {"entry", "Corvallo"}});
    std::cout << "\n";
    showSettings();
  }

  std::cout << "\n   turning off \"Hide Page Dots\"" << (settings ? " in Settings" : "") << "...\n";
  if (settings) {
    setSettingsSwitch(*settings, "isEnabled", true);
    setSettingsSwitch(*settings, "isHidePageDotsEnabled", false);
  } else {
    changeSetting("isEnabled", kCFBooleanTrue);
    changeSetting("isHidePageDotsEnabled", kCFBooleanFalse);
  }
  step("2. Dots shown again:", [&](const json& s) { return !home(s).value("hidden", true); });

  std::cout << "\n   turning on custom colours, current dot #FF2D55...\n";
  if (settings) {
    setSettingsSwitch(*settings, "isColorCustomizationEnabled", true);
    waitForSettingsRow(*settings, "activePageDotColor");
    settingsRequest(*settings, {{"op", "setColor"}, {"row", "activePageDotColor"}, {"color", "#FF2D55"}});
  } else {
    changeSetting("activePageDotColor", NSString::make("#FF2D55"));
    changeSetting("isColorCustomizationEnabled", kCFBooleanTrue);
  }
  step("3. Dots recoloured:", [&](const json& s) { return home(s)["currentPageIndicatorTintColor"] == "#FF2D55"; });
  showSettings();

  pid_t before = supervisor.pidOf("SpringBoard");
  std::cout << "\n   reset all settings" << (settings ? " from the Settings sheet" : "") << " and respring...\n";
  if (settings) {
    settingsRequest(*settings, {{"op", "tap"}, {"row", "reset"}});
    settingsRequest(*settings, {{"op", "chooseAlertAction"}, {"action", "Reset"}});
  } else {
    notify_post("com.tenvarix.corvallo/Reset");
    notify_post("com.tenvarix.corvallo/Respring");
  }
  step("4. A new SpringBoard with the defaults (dots hidden, system colours):", [&](const json& s) {
    return s.value("pid", 0) != before && home(s).value("hidden", false) &&
           home(s)["currentPageIndicatorTintColor"] == "#FFFFFF";
  });
  std::cout << "\nhost logs: " << supervisor.logPathOf("SpringBoard").string() << "\n";
  supervisor.stop();
  return allSettled ? 0 : 1;
}

int runDevice(const device::BuildOutput& build, const fs::path& root, double seconds) {
  printInstall(device::install(build, root), root);
  device::Supervisor supervisor(root, hostsFor(build));
  if (!startHosts(supervisor)) return 1;
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  std::cout << device::describeHomeScreen(springBoardState(root));
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
  app.add_option("--device-root", rootOption, "device root folder (default: $CORVALLO_DEVICE_ROOT or ~/.local/share/corvallo/device)");

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
      printInstall(device::install(build, root), root);
      return 0;
    }
    if (*demoCmd) return runDemo(build, root);
    if (*runCmd) return runDevice(build, root, seconds);
    if (*askCmd) {
      const char* socket = host == "settings" ? kSettingsSocket : kSpringBoardSocket;
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
