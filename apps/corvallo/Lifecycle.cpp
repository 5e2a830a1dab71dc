#include "Lifecycle.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <asio.hpp>
#include <cstring>
#include <functional>
#include <optional>
#include <iostream>
#include <thread>

#include "Hosts.h"
#include "Roots.h"
#include "Verb.h"
#include "Starting.h"
#include "control/ControlServer.h"
#include "control/Ops.h"
#include "dispatch/dispatch.h"
#include "dispatch/main_loop.h"
#include "foundation/Log.h"
#include "foundation/LogRotation.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace device {

namespace {

constexpr const char* kSettingsEntry = "Corvallo";
// Where the substrate loader finds tweaks (also under /var/jb).
constexpr std::string_view kDynamicLibraries = "/Library/MobileSubstrate/DynamicLibraries";

double secondsSince(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

std::string uptimeText(double s) {
  long total = static_cast<long>(s);
  char text[48];
  if (total >= 3600)
    std::snprintf(text, sizeof text, "%ldh %02ldm", total / 3600, total / 60 % 60);
  else if (total >= 60)
    std::snprintf(text, sizeof text, "%ldm %02lds", total / 60, total % 60);
  else
    std::snprintf(text, sizeof text, "%.1fs", s);
  return text;
}

// Both hosts answer, the home screen has appeared (the wallpaper's legibility
// has given the dots their colours, which would otherwise overwrite a change
// made in the first moment), and Settings shows the page a user who tapped
// the entry sees.
bool ready(const Device& device) {
  try {
    json sb = device.springBoard({{"op", control::ops::kState}}, std::chrono::milliseconds(500));
    json st = device.settings({{"op", control::ops::kState}}, std::chrono::milliseconds(500));
    return sb.value("appeared", false) && st["page"].value("class", "home") != "home";
  } catch (const std::exception&) {
    return false;
  }
}

// Starts `corvallo supervise` in a session of its own, so it outlives this
// command and its terminal.
pid_t spawnSupervisor(const Device& device, const SupervisorPolicy& policy) {
  fs::path log = device.root() / "var/log/supervisor.log";
  fs::create_directories(log.parent_path());
  // This very program (even if rebuilt since), named by its path for `ps`.
  std::error_code ec;
  fs::path self = fs::read_symlink("/proc/self/exe", ec);
  std::vector<std::string> args{ec ? "corvallo" : self.string(), "--root", device.root().string(), "supervise"};
  for (auto& a : policyArguments(policy)) args.push_back(a);
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = ::fork();
  if (pid == 0) {
    ::setsid();
    int null = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (null >= 0) ::dup2(null, STDIN_FILENO);
    if (out >= 0) {
      ::dup2(out, STDOUT_FILENO);
      ::dup2(out, STDERR_FILENO);
    }
    ::execv("/proc/self/exe", argv.data());
    std::fprintf(stderr, "cannot start the supervisor: %s\n", std::strerror(errno));
    ::_exit(127);
  }
  if (pid < 0) throw CommandError(std::string("cannot start the supervisor: ") + std::strerror(errno));
  return pid;
}

// Ends a supervisor this `up` started, with the hosts it launched: it stops
// them before it exits, and one killed before it listens has launched none.
void stopSpawnedSupervisor(pid_t pid) {
  ::kill(pid, SIGTERM);
  auto deadline = Clock::now() + std::chrono::seconds(10);
  while (!processGone(pid)) {
    if (Clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  ::waitpid(pid, nullptr, 0);
}

// The tweaks an installation put where the substrate loader looks, by name.
std::vector<std::string> installedTweaks(const InstallReport& report) {
  std::vector<std::string> names;
  for (const auto& path : report.installed) {
    fs::path p(path);
    if (p.extension() == ".dylib" && p.parent_path().string().ends_with(kDynamicLibraries))
      names.push_back(p.stem().string());
  }
  return names;
}

std::string failureText(const json& failure) {
  return "failed to load " + failure.value("library", std::string("?")) + ": " +
         failure.value("reason", std::string("no reason given"));
}

// Every library SpringBoard could not load is named with the loader's
// reason; a device whose freshly installed tweak is not loaded is not the
// device `up` was asked for.
int checkInjected(const Device& device, const std::vector<std::string>& tweaks) {
  json state = device.springBoard({{"op", control::ops::kState}});
  json injected = state.value("injected", json::array()), failures = state.value("loadFailures", json::array());
  for (const auto& f : failures) std::cerr << "corvallo: SpringBoard " << failureText(f) << "\n";
  std::vector<std::string> missing;
  for (const auto& tweak : tweaks)
    if (std::find(injected.begin(), injected.end(), json(tweak)) == injected.end()) missing.push_back(tweak);
  if (missing.empty()) return 0;
  std::string names;
  for (const auto& m : missing) names += (names.empty() ? "" : ", ") + m;
  std::cerr << "corvallo: the device is up, but SpringBoard did not load " << names
            << "; see `corvallo status` and `corvallo log`\n";
  return 1;
}

json hostStatus(const json& supervisorStatus, const std::string& name) {
  for (const auto& h : supervisorStatus["hosts"])
    if (h["name"] == name) return h;
  return nullptr;
}

}  // namespace

std::vector<std::string> policyArguments(const SupervisorPolicy& p) {
  auto ms = [](std::chrono::milliseconds d) { return std::to_string(d.count()); };
  return {"--stable-after-ms", ms(p.stableAfter), "--first-backoff-ms", ms(p.firstBackoff),
          "--max-backoff-ms",  ms(p.maxBackoff),  "--ping-interval-ms", ms(p.pingInterval),
          "--ping-timeout-ms", ms(p.pingTimeout), "--start-grace-ms",   ms(p.startGrace)};
}

int up(const Device& device, const BuildOutput& build, const UpOptions& options) {
  auto started = Clock::now();
  // A package that breaks a rule is refused before anything, the starting
  // marker included, is written under the root.
  std::optional<CheckedPackage> package;
  if (!options.package.empty()) package = checkPackage(options.package);
  // Then: a `down` from now on finds this `up` and stops what it starts.
  StartingMarker marker(device);
  if (device.running()) {
    json s = device.supervisor({{"op", control::ops::kStatus}});
    std::cout << "the device under " << device.root().string() << " is already running (SpringBoard pid "
              << hostStatus(s, "SpringBoard").value("pid", 0) << ", Settings pid "
              << hostStatus(s, "Preferences").value("pid", 0) << ")\n";
    return 0;
  }
  pid_t pid = 0;
  auto stopIfAsked = [&] {
    if (!marker.stopRequested()) return;
    if (pid > 0) stopSpawnedSupervisor(pid);
    throw CommandError("stopped by `down` while starting");
  };
  InstallReport report =
      package ? installChecked(std::move(*package), build, device.root()) : install(build, device.root());
  for (const auto& m : report.missing) std::cerr << "corvallo: not built, skipped: " << m << "\n";
  stopIfAsked();
  pid = spawnSupervisor(device, options.policy);
  recordRoot(device.root());
  while (!ready(device)) {
    stopIfAsked();
    if (processGone(pid) && !device.running())
      throw CommandError("the supervisor stopped at start; see " + (device.root() / "var/log/supervisor.log").string());
    if (Clock::now() - started > options.timeout) {
      if (device.running()) down(device);
      throw CommandError("the device did not come up within " + std::to_string(options.timeout.count() / 1000) +
                         " s; see the logs in " + (device.root() / "var/log").string());
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  stopIfAsked();
  json s = device.supervisor({{"op", control::ops::kStatus}});
  std::printf("device up under %s in %.2f s: SpringBoard pid %d, Settings pid %d, showing the Corvallo page\n",
              device.root().c_str(), secondsSince(started), hostStatus(s, "SpringBoard").value("pid", 0),
              hostStatus(s, "Preferences").value("pid", 0));
  std::fflush(stdout);
  return checkInjected(device, installedTweaks(report));
}

int down(const Device& device) {
  std::vector<pid_t> starting = stopStartingUps(device, std::chrono::seconds(20));
  if (!device.running()) {
    if (!starting.empty())
      std::cout << "device under " << device.root().string() << " stopped while it was starting\n";
    else
      std::cout << "no device is running under " << device.root().string() << "\n";
    return 0;
  }
  json s = device.supervisor({{"op", control::ops::kStatus}});
  std::vector<int> pids{s.value("pid", 0)};
  for (const auto& h : s["hosts"]) pids.push_back(h.value("pid", 0));
  try {
    device.supervisor({{"op", control::ops::kStop}});
  } catch (const CommandError&) {
    // it may already be on its way out
  }
  auto deadline = Clock::now() + std::chrono::seconds(10);
  for (int pid : pids)
    while (!processGone(pid)) {
      if (Clock::now() > deadline) throw CommandError("process " + std::to_string(pid) + " did not stop in time");
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  std::cout << "device under " << device.root().string() << " stopped\n";
  return 0;
}

int status(const Device& device, bool asJson) {
  json s = device.supervisor({{"op", control::ops::kStatus}});
  json sb = hostStatus(s, "SpringBoard"), st = hostStatus(s, "Preferences");
  json injected = json::array(), failures = json::array();
  try {
    json state = device.springBoard({{"op", control::ops::kState}});
    injected = state["injected"];
    failures = state.value("loadFailures", json::array());
  } catch (const CommandError&) {
    // restarting: nothing to name
  }
  json out{{"springboard",
            {{"pid", sb.value("pid", 0)},
             {"uptime", sb.value("uptime", 0.0)},
             {"injected", injected},
             {"failedToLoad", failures}}},
           {"settings", {{"pid", st.value("pid", 0)}, {"uptime", st.value("uptime", 0.0)}}}};
  if (asJson) {
    std::cout << out.dump(2) << "\n";
    return 0;
  }
  std::cout << "device under " << device.root().string() << " (supervisor pid " << s.value("pid", 0) << ")\n";
  auto line = [](const char* name, const json& h) {
    std::printf("  %-12s pid %-7d up %-9s", name, h.value("pid", 0), uptimeText(h.value("uptime", 0.0)).c_str());
    std::fflush(stdout);
  };
  line("SpringBoard", out["springboard"]);
  std::cout << " injected:";
  for (const auto& i : injected) std::cout << " " << i.get<std::string>();
  if (injected.empty()) std::cout << " none";
  std::cout << "\n";
  for (const auto& f : failures) std::cout << "  " << failureText(f) << "\n";
  line("Settings", out["settings"]);
  int launches = st.value("launches", 0);
  std::cout << " launched " << (launches == 1 ? std::string("once") : std::to_string(launches) + " times") << "\n";
  return 0;
}

int runSupervisor(const Device& device, const BuildOutput& build, const SupervisorPolicy& policy) {
  foundation::setProcessName("supervisor");
  // The hosts write debug-level lines too; `corvallo log` shows them on request.
  ::setenv("CORVALLO_LOG_DEBUG", "1", 1);
  // Its own log and the hosts' are kept to a size, unless told otherwise.
  ::setenv(foundation::kLogRotateBytesVariable, std::to_string(foundation::kDefaultLogRotateBytes).c_str(), 0);
  std::string socket = device.hostPath(kSupervisorSocket);
  fs::create_directories(fs::path(socket).parent_path());
  Supervisor supervisor(device.root(), hostsFor(build, kSettingsEntry), policy);
  auto handle = [&](const json& req) -> json {
    std::string op = control::requestOp(req);
    if (op == control::ops::kPing) return json{{"pong", true}};
    if (op == control::ops::kStatus) {
      json hosts = json::array();
      auto now = std::chrono::system_clock::now();
      for (const auto& h : supervisor.status())
        hosts.push_back({{"name", h.name},
                         {"pid", h.pid},
                         {"launches", h.launches},
                         {"uptime", h.pid ? std::chrono::duration<double>(now - h.startedAt).count() : 0.0}});
      return json{{"pid", ::getpid()}, {"hosts", hosts}};
    }
    if (op == control::ops::kStop) {
      dispatch_async(dispatch_get_main_queue(), [] { dispatch::stopMain(); });
      return json::object();
    }
    throw control::RequestError("unknown op \"" + op + "\"");
  };
  // Listening first: a second supervisor for the same root stops here.
  std::unique_ptr<control::Server> server;
  try {
    server = std::make_unique<control::Server>(dispatch::mainContext(), socket, handle);
  } catch (const std::exception& e) {
    NSLog("not starting: %s", e.what());
    return 1;
  }
  asio::signal_set signals(dispatch::mainContext(), SIGINT, SIGTERM);
  signals.async_wait([](const asio::error_code& e, int) {
    if (!e) dispatch::stopMain();
  });
  ::signal(SIGPIPE, SIG_IGN);
  // A device whose root was deleted (a test's temporary root) has nothing left
  // to run: stop rather than keep hosts on files that are gone.
  asio::steady_timer rootCheck(dispatch::mainContext());
  std::function<void()> checkRoot = [&] {
    rootCheck.expires_after(std::chrono::seconds(1));
    rootCheck.async_wait([&](const asio::error_code& e) {
      if (e) return;
      if (!fs::exists(socket)) {
        NSLog("the device root %s is gone; stopping", device.root().string());
        dispatch::stopMain();
        return;
      }
      checkRoot();
    });
  };
  checkRoot();
  NSLog("supervising the device under %s", device.root().string());
  supervisor.start();
  dispatch_main();
  server.reset();
  supervisor.stop();
  NSLog("stopped");
  return 0;
}

namespace {

void addPolicyOptions(CLI::App& cmd, SupervisorPolicy& p) {
  auto add = [&](const char* name, std::chrono::milliseconds& field, const char* what) {
    cmd.add_option_function<long>(
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

struct StatusOptions {
  bool json = false;
};

}  // namespace

std::vector<Verb> lifecycleVerbs() {
  Verb supervise = verb<SupervisorPolicy>(
      "supervise", "", addPolicyOptions,
      [](const Invocation& in, const SupervisorPolicy& p) { return runSupervisor(in.device, in.build, p); });
  supervise.hidden = true;  // started by `up`
  return {
      verb<UpOptions>(
          "up", "install into the device root and start the device in the background",
          [](CLI::App& cmd, UpOptions& o) {
            cmd.add_option("--package", o.package, "install from this .deb instead of the build tree");
            addPolicyOptions(cmd, o.policy);
          },
          [](const Invocation& in, const UpOptions& o) { return up(in.device, in.build, o); }),
      plainVerb("down", "stop the device; nothing is left running",
                [](const Invocation& in) { return down(in.device); }),
      verb<StatusOptions>(
          "status", "both hosts with pid, uptime and injected libraries",
          [](CLI::App& cmd, StatusOptions& o) { cmd.add_flag("--json", o.json, "as JSON"); },
          [](const Invocation& in, const StatusOptions& o) { return status(in.device, o.json); }),
      std::move(supervise),
  };
}

}  // namespace device
