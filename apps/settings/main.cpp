// Preferences: the Settings host. Finds the preference bundles of the device
// root, opens their pages on request and answers the control protocol on its
// main loop.
#include <CLI/CLI.hpp>
#include <asio.hpp>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>

#include "Appearance.h"
#include "SettingsHost.h"
#include "control/ControlServer.h"
#include "control/Liveness.h"
#include "control/Ops.h"
#include "control/PrivateFolder.h"
#include "control/ScreenWatch.h"
#include "dispatch/dispatch.h"
#include "dispatch/main_loop.h"
#include "foundation/DevicePaths.h"
#include "foundation/Log.h"
#include "preferences/CoreFoundation.h"

namespace {
constexpr const char* kControlSocket = "/var/run/corvallo/settings.sock";
}

int main(int argc, char** argv) {
  CLI::App app{"Preferences: the Settings host of the simulated device"};
  std::string root;
  std::string appearance = "light";
  std::string systemVersion = preferences::systemVersion();
  std::string open;
  app.add_option("--device-root", root, "device root folder (default: $CORVALLO_DEVICE_ROOT or the installed one)");
  auto* appearanceGiven =
      app.add_option("--appearance", appearance, "light or dark (default: as the device last had it)")
          ->check(CLI::IsMember({"light", "dark"}));
  app.add_option("--cf-version", kCFCoreFoundationVersionNumber, "kCFCoreFoundationVersionNumber of the system")
      ->check(CLI::Range(0.0, 100000.0));
  app.add_option("--system-version", systemVersion, "the system version, such as 15.0");
  app.add_option("--open", open, "open this entry's page at start");
  CLI11_PARSE(app, argc, argv);

  if (!root.empty()) ::setenv("CORVALLO_DEVICE_ROOT", std::filesystem::absolute(root).c_str(), 1);
  foundation::setProcessName("Preferences");
  preferences::setSystemVersion(systemVersion);

  // Whoever could write to these could answer in this host's place.
  std::string socketPath = foundation::devicePath(kControlSocket);
  if (auto unsafe = control::unsafeSocketFolder(socketPath, foundation::devicePath("/"))) {
    std::cerr << "Preferences: not starting: " << *unsafe << "\n";
    return 1;
  }

  settings::Host host;
  if (!appearanceGiven->count()) appearance = settings::storedAppearance().value_or(appearance);
  if (appearance == "dark") host.handle({{"op", control::ops::kAppearance}, {"style", "dark"}});
  if (!open.empty()) {
    try {
      host.handle({{"op", control::ops::kOpen}, {"entry", open}});
    } catch (const std::exception& e) {
      std::cerr << "Preferences: " << e.what() << "\n";
    }
  }

  std::unique_ptr<control::Server> server;
  std::unique_ptr<control::Liveness> liveness;  // the supervisor's pings, apart from the clients
  try {
    server = std::make_unique<control::Server>(dispatch::mainContext(), socketPath,
                                               [&](const control::json& req) { return host.handle(req); });
    liveness = std::make_unique<control::Liveness>(dispatch::mainContext(), control::livenessPath(socketPath));
  } catch (const std::exception& e) {
    std::cerr << "Preferences: " << e.what() << "\n";
    return 1;
  }
  // Subscribers hear when the screen changes; the clocks in the report do not count.
  control::ScreenWatch watch(dispatch::mainContext(), *server, [&] {
    control::json screen = host.handle({{"op", "state"}});
    screen.erase("mediaTime");
    if (screen["page"].is_object()) screen["page"].erase("mediaTime");
    return screen.dump(-1, ' ', false, control::json::error_handler_t::replace);
  });
  asio::signal_set signals(dispatch::mainContext(), SIGINT, SIGTERM);
  signals.async_wait([](const asio::error_code& e, int) {
    if (!e) dispatch::stopMain();
  });
  NSLog("Preferences started (%d preference bundles)", static_cast<int>(host.entries().size()));
  dispatch_main();
  return 0;
}
