// corvallo: runs a simulated device with the Corvallo tweak and its settings,
// shows it in text and pictures, and drives it as a person would.
#include <CLI/CLI.hpp>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>

#include "Actions.h"
#include "Defaults.h"
#include "Demo.h"
#include "Device.h"
#include "Install.h"
#include "Lifecycle.h"
#include "Observe.h"
#include "Screens.h"
#include "Serve.h"
#include "control/ControlClient.h"
#include "foundation/DevicePaths.h"
#include "picture/Picture.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

// "key=value" pairs become a request; values that read as JSON stay JSON.
json requestFrom(const std::string& op, const std::vector<std::string>& pairs) {
  json req{{"op", op}};
  for (const auto& p : pairs) {
    auto eq = p.find('=');
    if (eq == std::string::npos) throw device::CommandError("expected key=value, got \"" + p + "\"");
    std::string key = p.substr(0, eq), value = p.substr(eq + 1);
    json parsed = json::parse(value, nullptr, false);
    req[key] = parsed.is_discarded() ? json(value) : parsed;
  }
  return req;
}

// CLI11 reports a word that names no command as a missing one; say which word.
std::optional<std::string> unknownCommand(CLI::App& app, int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::string word = argv[i];
    if (word == "--root" || word == "--device-root") {
      ++i;
      continue;
    }
    if (word.starts_with("-")) continue;
    for (const CLI::App* sub : app.get_subcommands([](CLI::App*) { return true; }))
      if (sub->get_name() == word) return std::nullopt;
    return "unknown command \"" + word + "\"";
  }
  return std::nullopt;
}

void addPolicyOptions(CLI::App* cmd, device::SupervisorPolicy& p) {
  auto add = [&](const char* name, std::chrono::milliseconds& field, const char* what) {
    cmd->add_option_function<long>(
           name, [&field](long v) { field = std::chrono::milliseconds(v); }, what)
        ->check(CLI::Range(0L, 3600000L))
        ->group("Supervisor tuning");
  };
  add("--stable-after-ms", p.stableAfter, "a host that ran this long before exiting restarts at once");
  add("--first-backoff-ms", p.firstBackoff, "wait after the first failure to start (doubles each time)");
  add("--max-backoff-ms", p.maxBackoff, "longest wait between restarts");
  add("--ping-interval-ms", p.pingInterval, "how often each host is pinged (0: never)");
  add("--ping-timeout-ms", p.pingTimeout, "how long a host has to answer a ping");
  add("--start-grace-ms", p.startGrace, "how long a new host may take to listen");
}

int printScreen(const json& screen, const std::string& text, bool asJson, const std::string& png,
                const std::function<void(const std::string&)>& draw) {
  if (!png.empty()) draw(png);
  if (asJson)
    std::cout << screen.dump(2) << "\n";
  else if (png.empty())
    std::cout << text;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"corvallo: a simulated device with the Corvallo tweak and its settings"};
  app.require_subcommand(1);
  std::string rootOption;
  app.add_option("--root,--device-root", rootOption,
                 "device root folder (default: $CORVALLO_DEVICE_ROOT, else $XDG_DATA_HOME/corvallo/device)");

  device::UpOptions upOptions;
  auto* upCmd = app.add_subcommand("up", "install into the device root and start the device in the background");
  upCmd->add_option("--package", upOptions.package, "install from this .deb instead of the build tree");
  addPolicyOptions(upCmd, upOptions.policy);
  auto* downCmd = app.add_subcommand("down", "stop the device; nothing is left running");
  bool asJson = false;
  auto* statusCmd = app.add_subcommand("status", "both hosts with pid, uptime and injected libraries");
  statusCmd->add_flag("--json", asJson, "as JSON");

  std::string png;
  auto* homeCmd = app.add_subcommand("home", "the home screen's page dots");
  homeCmd->add_flag("--json", asJson, "as JSON");
  homeCmd->add_option("--png", png, "draw the home screen into this PNG file");
  auto* settingsCmd = app.add_subcommand("settings", "the visible settings page");
  settingsCmd->add_flag("--json", asJson, "as JSON");
  settingsCmd->add_option("--png", png, "draw the page into this PNG file");

  std::string a, b;
  auto* toggleCmd = app.add_subcommand("toggle", "flip the switch of the row bound to KEY");
  toggleCmd->add_option("KEY", a, "the row's preference key")->required();
  auto* setCmd = app.add_subcommand("set", "set the row bound to KEY: a colour, a slider value, a date, a duration");
  setCmd->add_option("KEY", a, "the row's preference key")->required();
  setCmd->add_option("VALUE", b, "#RRGGBB[:opacity], a number, on/off, or a picker's text")->required();
  auto* tapCmd = app.add_subcommand("tap", "tap a row by its title");
  tapCmd->add_option("TITLE", a, "the row's title")->required();
  auto* backCmd = app.add_subcommand("back", "go back one page");
  auto* scrollCmd = app.add_subcommand("scroll", "scroll the page to Y points");
  scrollCmd->add_option("Y", a, "content offset in points")->required();
  auto* chooseCmd = app.add_subcommand("choose", "choose an entry of the alert or menu (or the options menu)");
  chooseCmd->add_option("TITLE", a, "the entry's title")->required();
  auto* appearanceCmd = app.add_subcommand("appearance", "switch Settings to dark or light");
  appearanceCmd->add_option("STYLE", a, "dark or light")->required();
  auto* openCmd = app.add_subcommand("open", "open an entry of the list of settings");
  openCmd->add_option("ENTRY", a, "the entry's label, e.g. Corvallo")->required();
  auto* respringCmd = app.add_subcommand("respring", "restart SpringBoard");

  auto* defaultsCmd =
      app.add_subcommand("defaults", "read|write|delete DOMAIN [KEY [-bool|-int|-float|-string|-date] VALUE]");
  defaultsCmd->prefix_command();
  auto* notifyCmd = app.add_subcommand("notify", "post or watch Darwin notifications");
  notifyCmd->require_subcommand(1);
  auto* postCmd = notifyCmd->add_subcommand("post", "post NAME");
  postCmd->add_option("NAME", a, "notification name")->required();
  int count = 0;
  auto* watchCmd = notifyCmd->add_subcommand("watch", "print each post of NAME");
  watchCmd->add_option("NAME", a, "notification name")->required();
  watchCmd->add_option("--count", count, "stop after this many posts")->check(CLI::PositiveNumber);
  bool follow = false, debug = false;
  auto* logCmd = app.add_subcommand("log", "both hosts' log lines in time order");
  logCmd->add_flag("--follow,-f", follow, "keep printing new lines");
  logCmd->add_flag("--debug", debug, "include debug-level lines");

  std::string host = "springboard", op;
  std::vector<std::string> pairs;
  bool raw = false;
  auto* askCmd = app.add_subcommand("ask", "send one raw control request to a host and print the answer");
  askCmd->add_option("host", host, "springboard or settings")->check(CLI::IsMember({"springboard", "settings"}));
  askCmd->add_option("op", op, "the request's op, e.g. state, touch, page, toggle")->required();
  askCmd->add_option("args", pairs, "key=value arguments");
  askCmd->add_flag("--raw", raw, "print the JSON answer on one line");

  device::DemoOptions demoOptions;
  auto* demoCmd =
      app.add_subcommand("demo", "walk one change from the Settings switch to the home screen, in pictures");
  demoCmd->add_flag("--keep", demoOptions.keep, "leave the device running at the end");
  demoCmd->add_option("--out", demoOptions.folder, "where the pictures go (default: a new folder under /tmp)");

  device::ServeOptions serveOptions;
  auto* serveCmd = app.add_subcommand("serve", "the device live in a browser, touched with the mouse");
  serveCmd->add_option("--port", serveOptions.port, "port to serve on (0: any free one)")->check(CLI::Range(0, 65535));
  serveCmd->add_option("--bind", serveOptions.bind, "address to serve on (only this machine by default)");
  serveCmd->add_flag("--open", serveOptions.open, "start the desktop's browser on the page");
  serveCmd->add_flag("--keep", serveOptions.keep, "leave a device this command started running");

  device::SupervisorPolicy supervisePolicy;
  auto* superviseCmd = app.add_subcommand("supervise", "")->group("");  // started by `up`
  addPolicyOptions(superviseCmd, supervisePolicy);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::cerr << "corvallo: " << unknownCommand(app, argc, argv).value_or(e.what()) << " (see corvallo --help)\n";
    return 2;
  }

  // Every layer, and every program started from here, finds the device root
  // through the environment.
  if (!rootOption.empty()) ::setenv("CORVALLO_DEVICE_ROOT", fs::absolute(rootOption).c_str(), 1);
  fs::path root = foundation::deviceRoot();
  ::setenv("CORVALLO_DEVICE_ROOT", root.c_str(), 1);
  device::Device dev(root);
  auto build = device::BuildOutput::besideExecutable();

  try {
    if (*superviseCmd) return device::runSupervisor(dev, build, supervisePolicy);
    if (*upCmd) return device::up(dev, build, upOptions);
    if (*downCmd) return device::down(dev);
    if (*statusCmd) return device::status(dev, asJson);
    if (*homeCmd) {
      json state = dev.springBoard({{"op", "state"}});
      json home = device::homeJson(state);
      return printScreen(home, device::homeText(home), asJson, png,
                         [&](const std::string& file) { picture::drawHomeScreen(state, file); });
    }
    if (*settingsCmd) {
      json state = dev.settings({{"op", "state"}});
      json page = device::settingsJson(state);
      return printScreen(page, device::settingsText(page), asJson, png,
                         [&](const std::string& file) { picture::drawSettingsPage(state, file, root.string()); });
    }
    if (*toggleCmd) device::toggle(dev, a);
    if (*setCmd) device::setValue(dev, a, b);
    if (*tapCmd) device::tap(dev, a);
    if (*backCmd) device::back(dev);
    if (*scrollCmd) device::scroll(dev, a);
    if (*chooseCmd) device::choose(dev, a);
    if (*appearanceCmd) device::appearance(dev, a);
    if (*openCmd) device::openEntry(dev, a);
    if (*respringCmd) std::cout << "SpringBoard restarted, pid " << device::respring(dev) << "\n";
    if (*defaultsCmd) return device::defaultsCommand(defaultsCmd->remaining());
    if (*postCmd) return device::notifyPost(a);
    if (*watchCmd) return device::notifyWatch(a, count);
    if (*logCmd) return device::showLog(dev, follow, debug);
    if (*serveCmd) return device::serveCommand(dev, build, serveOptions);
    if (*demoCmd) return device::runDemo(dev, build, demoOptions);
    if (*askCmd) {
      const char* socket = host == "settings" ? device::kSettingsSocket : device::kSpringBoardSocket;
      if (!control::isListening(dev.hostPath(socket))) dev.requireRunning();
      control::Client client(dev.hostPath(socket), std::chrono::seconds(2));
      json answer = client.request(requestFrom(op, pairs), std::chrono::seconds(5));
      std::cout << answer.dump(raw ? -1 : 2) << "\n";
      return answer.value("ok", false) ? 0 : 2;
    }
  } catch (const std::exception& e) {
    std::cerr << "corvallo: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
