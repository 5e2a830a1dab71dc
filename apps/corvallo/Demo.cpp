#include "Demo.h"

#include <functional>
#include <iostream>
#include <thread>

#include "DeviceReport.h"
#include "Hosts.h"
#include "control/ControlClient.h"
#include "foundation/NSNumber.h"
#include "foundation/NSString.h"
#include "foundation/NSUserDefaults.h"
#include "notify/notify.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace device {

namespace {

constexpr const char* kDomain = "com.tenvarix.corvalloprefs";
constexpr const char* kReloadPrefs = "com.tenvarix.corvallo/ReloadPrefs";

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
void changeSetting(const std::string& key, const Ref<NSObject>& value) {
  Ref<NSString> domain = NSString::make(kDomain);
  NSUserDefaults::standardUserDefaults()->updatePersistentDomainForName(
      domain, [&](NSMutableDictionary* d) { d->setObjectForKey(value, key); });
  notify_post(kReloadPrefs);
}

// The settings host, or nothing when this build has none.
std::unique_ptr<control::Client> settingsClient(const Supervisor& supervisor) {
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

}  // namespace

int runDemo(const BuildOutput& build, const fs::path& root) {
  printInstall(install(build, root), root);
  Supervisor supervisor(root, hostsFor(build));
  if (!startHosts(supervisor)) return 1;
  auto settings = settingsClient(supervisor);
  bool allSettled = true;
  auto step = [&](const char* title, const std::function<bool(const json&)>& settled) {
    bool ok = waitForState(root, settled);
    allSettled = allSettled && ok;
    std::cout << "\n"
              << title << (ok ? "" : " (NOT REACHED within 5 s)") << "\n"
              << describeHomeScreen(springBoardState(root));
  };
  auto home = [](const json& s) { return s["pageControl"]; };
  auto showSettings = [&] {
    if (settings) std::cout << describeSettingsPage(settingsRequest(*settings, {{"op", "state"}}));
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

}  // namespace device
