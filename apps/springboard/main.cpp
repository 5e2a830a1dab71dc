// SpringBoard: the home-screen host. Registers its classes, lets the
// substrate loader inject the libraries whose filters name it, builds the
// home screen and runs the main loop, answering the control protocol.
#include <CLI/CLI.hpp>
#include <asio.hpp>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>

#include "HomeScreenControl.h"
#include "control/ControlServer.h"
#include "control/Liveness.h"
#include "control/PrivateFolder.h"
#include "control/ScreenWatch.h"
#include "HomeScreenReport.h"
#include "dispatch/dispatch.h"
#include "dispatch/main_loop.h"
#include "foundation/DevicePaths.h"
#include "foundation/Log.h"

namespace {

constexpr const char* kBundleIdentifier = "com.apple.springboard";
constexpr const char* kControlSocket = "/var/run/corvallo/springboard.sock";

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"SpringBoard: the home-screen host of the simulated device"};
  std::string root;
  springboard::HomeScreenLayout layout;
  long widgetHideDelayMs = SBHWidgetStackViewController::hideDelayMilliseconds();
  app.add_option("--device-root", root, "device root folder (default: $CORVALLO_DEVICE_ROOT or the installed one)");
  app.add_option("--icon-pages", layout.iconPages, "icon pages on the home screen")->check(CLI::Range(1, 50));
  app.add_option("--widget-stacks", layout.widgetStacks, "widget stacks")->check(CLI::Range(0, 20));
  app.add_option("--legibility-delay-ms", layout.legibilityDelayMs, "delay before the dots get colours")
      ->check(CLI::Range(0, 60000));
  app.add_option("--widget-hide-delay-ms", widgetHideDelayMs, "how long a scrolled widget stack shows its dots")
      ->check(CLI::Range(0, 60000));
  CLI11_PARSE(app, argc, argv);

  // Every layer, and every program started from here, finds the device root
  // through the environment.
  if (!root.empty()) ::setenv("CORVALLO_DEVICE_ROOT", std::filesystem::absolute(root).c_str(), 1);
  foundation::setProcessName("SpringBoard");
  SBHWidgetStackViewController::setHideDelayMilliseconds(widgetHideDelayMs);

  // Whoever could write to these could answer in this host's place or run code in it.
  std::string socketPath = foundation::devicePath(kControlSocket);
  std::optional<std::string> unsafe = control::unsafeSocketFolder(socketPath, foundation::devicePath("/"));
  if (!unsafe) unsafe = substrate::unsafeLibraryFolder();
  if (unsafe) {
    std::cerr << "SpringBoard: not starting: " << *unsafe << "\n";
    return 1;
  }

  substrate::InjectionReport injected = substrate::injectLibraries(kBundleIdentifier, "SpringBoard");

  springboard::HomeScreen home(layout);
  home.build();

  control::Handler handle = springboard::homeScreenHandler(home, injected);

  std::unique_ptr<control::Server> server;
  std::unique_ptr<control::Liveness> liveness;  // the supervisor's pings, apart from the clients
  try {
    server = std::make_unique<control::Server>(dispatch::mainContext(), socketPath, handle);
    liveness = std::make_unique<control::Liveness>(dispatch::mainContext(), control::livenessPath(socketPath));
  } catch (const std::exception& e) {
    std::cerr << "SpringBoard: " << e.what() << "\n";
    return 1;
  }

  // Subscribers hear when the home screen changes.
  control::ScreenWatch watch(dispatch::mainContext(), *server, [&] {
    return springboard::reportHomeScreen(home, injected).dump(-1, ' ', false, control::json::error_handler_t::replace);
  });
  asio::signal_set signals(dispatch::mainContext(), SIGINT, SIGTERM);
  signals.async_wait([](const asio::error_code& e, int) {
    if (!e) dispatch::stopMain();
  });

  NSLog("SpringBoard started (%d libraries injected)", static_cast<int>(injected.loaded.size()));
  dispatch_main();
  return 0;
}
