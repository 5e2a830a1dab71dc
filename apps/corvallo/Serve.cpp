#include "Serve.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/inotify.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <thread>

#include "Actions.h"
#include "Lifecycle.h"
#include "Observe.h"
#include "Verb.h"
#include "foundation/DevicePaths.h"
#include "picture/Picture.h"
#include "serve/LiveServer.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace device {

namespace {

bool loopback(const std::string& bind) { return bind == "127.0.0.1" || bind == "::1" || bind == "localhost"; }

// The hosts' log lines as they are written: woken by the kernel when a log
// changes, never on a clock.
class LogFeed {
 public:
  LogFeed(const Device& device, serve::Broadcast& out) : tail_(tailLogs(device, 200)), out_(out) {
    inotify_ = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (inotify_ >= 0)
      ::inotify_add_watch(inotify_, (device.root() / "var/log").c_str(), IN_MODIFY | IN_CREATE | IN_MOVED_TO);
    (void)!::pipe2(wake_, O_CLOEXEC);
    thread_ = std::thread([this] { run(); });
  }
  ~LogFeed() {
    char b = 1;
    (void)!::write(wake_[1], &b, 1);
    thread_.join();
    for (int fd : {inotify_, wake_[0], wake_[1]})
      if (fd >= 0) ::close(fd);
  }

 private:
  void run() {
    for (;;) {
      for (auto& line : newLogLines(*tail_)) out_.postReplayed("log", json{{"line", line}});
      pollfd p[2] = {{inotify_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
      if (::poll(p, 2, -1) < 0) continue;
      if (p[1].revents) return;
      char events[4096];
      while (::read(inotify_, events, sizeof events) > 0) {
      }
    }
  }
  std::shared_ptr<LogTail> tail_;
  serve::Broadcast& out_;
  int inotify_ = -1;
  int wake_[2] = {-1, -1};
  std::thread thread_;
};

// Pids, uptimes and libraries, as `corvallo status --json` reports them.
json deviceStatus(const Device& device) {
  json s = device.supervisor({{"op", "status"}});
  json out{{"supervisorPid", s.value("pid", 0)}, {"hosts", json::array()}};
  json injected = json::array(), failures = json::array();
  try {
    json state = device.springBoard({{"op", "state"}});
    injected = state.value("injected", json::array());
    failures = state.value("loadFailures", state.value("injectionFailures", json::array()));
  } catch (const CommandError&) {
    // restarting: nothing to name
  }
  for (const auto& h : s.value("hosts", json::array())) {
    json host{{"name", h.value("name", "")}, {"pid", h.value("pid", json())}, {"uptimeSeconds", h.value("uptime", json())}};
    if (h.value("name", "") == "SpringBoard") {
      host["injected"] = injected;
      host["injectionFailures"] = failures;
    }
    out["hosts"].push_back(host);
  }
  return out;
}

// The device's stored preferences removed, with the device stopped so no host writes them back.
void resetDevice(const Device& device, const BuildOutput& build) {
  bool wasRunning = device.running();
  if (wasRunning && down(device) != 0) throw CommandError("the device did not stop");
  fs::path folder = device.root() / fs::path(std::string(foundation::kPreferencesFolder)).relative_path();
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec))
    if (entry.path().extension() == ".plist") fs::remove(entry.path(), ec);
  if (wasRunning && up(device, build, UpOptions{}) != 0) throw CommandError("the device did not start again");
}

void openBrowser(const std::string& address) {
  bool found = false;
  if (const char* path = std::getenv("PATH"))
    for (std::string_view rest = path; !found && !rest.empty();) {
      auto colon = rest.find(':');
      fs::path dir(std::string(rest.substr(0, colon)));
      found = ::access((dir / "xdg-open").c_str(), X_OK) == 0;
      rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    }
  if (!found || (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))) {
    std::cout << "no desktop browser to start (xdg-open and a display are needed); open the address yourself\n";
    return;
  }
  pid_t pid = ::fork();
  if (pid == 0) {
    ::execlp("xdg-open", "xdg-open", address.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  std::cout << "opening it in the desktop's browser\n";
}

}  // namespace

int serveCommand(const Device& device, const BuildOutput& build, const ServeOptions& options) {
  // Every thread started from here leaves the two signals to the one that waits for them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  // A shell starts background commands with SIGINT ignored, and an ignored
  // signal is dropped before anyone can wait for it.
  ::signal(SIGINT, SIG_DFL);
  ::signal(SIGTERM, SIG_DFL);

  bool startedHere = false;
  if (!device.running()) {
    if (int rc = up(device, build, UpOptions{}); rc != 0) return rc;
    startedHere = true;
  }
  auto stopIfOurs = [&] {
    if (startedHere && !options.keep) (void)down(device);
  };

  std::string root = device.root().string();

  serve::Broadcast events;
  std::string supervisor = device.hostPath(kSupervisorSocket);
  serve::HostFeed home(
      {"home", "SpringBoard", device.hostPath(kSpringBoardSocket), supervisor,
       [](const json& state) { return picture::homeScreenPng(state); }},
      events);
  serve::HostFeed settings({"settings", "Settings", device.hostPath(kSettingsSocket), supervisor,
                            [root](const json& state) { return picture::settingsPagePng(state, root); }},
                           events);

  serve::DeviceActions actions{
      [&device] { return deviceStatus(device); },
      [&device](const std::string& key, const std::string& value) { setValue(device, key, value); },
      [&device] { (void)respring(device); },
      [&device, &build] { resetDevice(device, build); },
      [&device, &build] {
        if (!device.running() && up(device, build, UpOptions{}) != 0) throw CommandError("the device did not start");
      }};

  std::unique_ptr<serve::LiveServer> server;
  try {
    server = std::make_unique<serve::LiveServer>(options.bind, options.port, home, settings, events, actions);
  } catch (const std::exception& e) {
    stopIfOurs();
    throw CommandError(std::string(e.what()) + (options.port ? " (is another serve using the port? --port 0 picks a free one)" : ""));
  }
  if (!loopback(options.bind))
    std::cerr << "corvallo: warning: serving on " << options.bind
              << ", reachable from other machines; anyone with the address and its token can drive the device\n";
  std::cout << "Corvallo live at " << server->address() << "  (Ctrl-C stops)" << std::endl;
  if (options.open) openBrowser(server->address());

  home.start();
  settings.start();
  LogFeed logs(device, events);

  std::thread waiter([&] {
    int signal = 0;
    sigwait(&stopSignals, &signal);
    server->stop();
  });
  server->run();
  // Stopped by a signal, or the server failed: either way the waiter must end.
  ::kill(::getpid(), SIGTERM);
  waiter.join();
  home.stop();
  settings.stop();
  stopIfOurs();
  if (startedHere && options.keep) std::cout << "the device keeps running (corvallo down stops it)\n";
  return 0;
}

}  // namespace device

namespace device {

std::vector<Verb> serveVerbs() {
  return {verb<ServeOptions>(
      "serve", "the device live in a browser, touched with the mouse",
      [](CLI::App& cmd, ServeOptions& o) {
        cmd.add_option("--port", o.port, "port to serve on (0: any free one)")->check(CLI::Range(0, 65535));
        cmd.add_option("--bind", o.bind, "address to serve on (only this machine by default)");
        cmd.add_flag("--open", o.open, "start the desktop's browser on the page");
        cmd.add_flag("--keep", o.keep, "leave a device this command started running");
      },
      [](const Invocation& in, const ServeOptions& o) { return serveCommand(in.device, in.build, o); })};
}

}  // namespace device
