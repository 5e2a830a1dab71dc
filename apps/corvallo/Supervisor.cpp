#include "Supervisor.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <utility>

#include "control/ControlClient.h"
#include "control/Liveness.h"
#include "control/PrivateFolder.h"
#include "foundation/Log.h"

namespace device {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRelaunchExitStatus = 75;

std::string seconds(Clock::duration d) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f s", std::chrono::duration<double>(d).count());
  return text;
}

// Where libraries are loaded from, and each parent inside the root (that of
// the run folders too).
constexpr const char* kLibraryFolders[] = {
    "var",
    "Library",
    "Library/MobileSubstrate",
    "Library/MobileSubstrate/DynamicLibraries",
    "var/jb",
    "var/jb/Library",
    "var/jb/Library/MobileSubstrate",
    "var/jb/Library/MobileSubstrate/DynamicLibraries",
};

std::string describeExit(int status) {
  if (WIFEXITED(status)) return "exited with status " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) {
    // "SIGKILL", not the description ("Killed"), which reads as a cause.
    const char* name = ::sigabbrev_np(WTERMSIG(status));
    return std::string("was killed (") + (name ? "SIG" + std::string(name) : "signal " + std::to_string(WTERMSIG(status))) +
           ")";
  }
  return "ended";
}

}  // namespace

Supervisor::Supervisor(fs::path root, std::vector<HostLaunch> hosts, SupervisorPolicy policy)
    : root_(std::move(root)), policy_(policy) {
  for (auto& config : hosts) hosts_.push_back(Host{std::move(config)});
}

Supervisor::~Supervisor() { stop(); }

std::string Supervisor::socketPathOf(const std::string& name) const {
  const Host* h = find(name);
  return h ? (root_ / fs::path(h->config.controlSocket).relative_path()).string() : std::string();
}

fs::path Supervisor::logPathOf(const std::string& name) const { return root_ / "var/log" / (name + ".log"); }

const Supervisor::Host* Supervisor::find(const std::string& name) const {
  for (const auto& h : hosts_)
    if (h.config.name == name) return &h;
  return nullptr;
}

void Supervisor::note(const std::string& line) const { NSLog("%s", line); }

void Supervisor::launch(Host& host) {
  fs::create_directories(logPathOf(host.config.name).parent_path());
  std::string log = logPathOf(host.config.name).string();
  std::vector<std::string> args{host.config.program.string()};
  args.insert(args.end(), host.config.args.begin(), host.config.args.end());
  args.push_back("--device-root");
  args.push_back(root_.string());
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  pid_t parent = ::getpid();
  pid_t pid = ::fork();
  if (pid == 0) {
    // A host never outlives its supervisor (the death signal follows the
    // forking thread, which is the watcher: it lives until stop()).
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent) ::_exit(1);
    // What a host creates is its user's alone, whatever umask we were given.
    ::umask(077);
    int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd >= 0) {
      ::dup2(fd, STDOUT_FILENO);
      ::dup2(fd, STDERR_FILENO);
    }
    ::execv(argv[0], argv.data());
    std::fprintf(stderr, "cannot start %s: %s\n", argv[0], std::strerror(errno));
    ::_exit(127);
  }
  if (pid < 0) {
    note("cannot fork " + host.config.name + ": " + std::strerror(errno) + "; trying again");
    host.restartPending = true;
    host.restartAt = Clock::now() + policy_.maxBackoff;
    return;
  }
  host.pid = pid;
  host.answered = false;
  host.restartPending = false;
  host.launchedAt = Clock::now();
  host.startedAt = std::chrono::system_clock::now();
  ++host.launches;
}

void Supervisor::reap(Host& host, int status) {
  host.pid = 0;
  bool endedWithOther = std::exchange(host.endedWithOther, false);
  if (stopping_) return;
  auto lived = Clock::now() - host.launchedAt;
  bool relaunchAsked = WIFEXITED(status) && WEXITSTATUS(status) == kRelaunchExitStatus;
  // The apps that end with this host end now; each is started again when reaped.
  for (auto& app : hosts_)
    if (&app != &host && app.config.endsWith == host.config.name && app.pid > 0 && !app.endedWithOther) {
      app.endedWithOther = ::kill(app.pid, SIGTERM) == 0;
      if (app.endedWithOther) note("ending " + app.config.name + " with " + host.config.name);
    }
  std::chrono::milliseconds wait{0};
  if (endedWithOther) {
    host.quickFailures = 0;
    host.restartPending = true;
    host.restartAt = Clock::now();
    note(host.config.name + " ended with " + host.config.endsWith + "; starting it again");
    return;
  }
  if (relaunchAsked || host.answered || lived >= policy_.stableAfter) {
    host.quickFailures = 0;
  } else {
    // A host that dies before it ever answers is failing to start: each
    // such failure in a row waits longer; the cap keeps a host that got
    // better from waiting long, and nothing ever gives up.
    ++host.quickFailures;
    wait = policy_.firstBackoff;
    for (int i = 1; i < host.quickFailures && wait < policy_.maxBackoff; ++i) wait *= 2;
    wait = std::min(wait, policy_.maxBackoff);
  }
  host.restartPending = true;
  host.restartAt = Clock::now() + wait;
  if (!relaunchAsked)
    note(host.config.name + " " + describeExit(status) + " after " + seconds(lived) + "; starting it again" +
         (wait.count()
              ? " in " + seconds(wait) + " (" + std::to_string(host.quickFailures) + " quick failures in a row)"
              : ""));
}

void Supervisor::secureFolders() const {
  for (const char* run : {"", "var/run", "var/run/corvallo", "var/run/notify"}) {
    fs::path path = root_ / run;
    control::makePrivateFolder(path, root_);
    if (::chmod(path.c_str(), 0700) != 0)
      throw std::runtime_error("cannot make " + path.string() + " private: " + std::strerror(errno));
  }
  // A loose umask at install time left these open to others; the hosts
  // refuse to start on them, and nobody else can reach them now.
  for (const char* folder : kLibraryFolders) {
    fs::path path = root_ / folder;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) continue;
    if (!(st.st_mode & (S_IWGRP | S_IWOTH))) continue;
    mode_t mode = st.st_mode & 07755;
    if (::chmod(path.c_str(), mode) != 0)
      throw std::runtime_error("cannot take write access to " + path.string() + " from other users: " +
                               std::strerror(errno));
    char text[96];
    std::snprintf(text, sizeof text, " was writable by other users (%04o); now %04o",
                  static_cast<unsigned>(st.st_mode & 07777), static_cast<unsigned>(mode));
    note(path.string() + text);
  }
}

void Supervisor::start() {
  secureFolders();
  {
    std::lock_guard g(mutex_);
    for (auto& h : hosts_) {
      h.restartPending = true;
      h.restartAt = Clock::now();
    }
  }
  watcher_ = std::thread([this] { watch(); });
  if (policy_.pingInterval.count() > 0) pinger_ = std::thread([this] { ping(); });
}

void Supervisor::watch() {
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    for (auto& h : hosts_) {
      int status = 0;
      if (h.pid > 0 && ::waitpid(h.pid, &status, WNOHANG) == h.pid) reap(h, status);
      if (!stopping_ && h.pid == 0 && h.restartPending && Clock::now() >= h.restartAt) launch(h);
    }
    noteHostsThatAnswer(lock);
    wake_.wait_for(lock, std::chrono::milliseconds(5));
  }
}

void Supervisor::noteHostsThatAnswer(std::unique_lock<std::mutex>& lock) {
  std::vector<std::pair<pid_t, std::string>> starting;
  for (const auto& h : hosts_)
    if (h.pid > 0 && !h.answered) starting.emplace_back(h.pid, socketPathOf(h.config.name));
  if (starting.empty()) return;
  // Connecting can wait on a busy host: never with the lock held.
  lock.unlock();
  std::vector<pid_t> listening;
  for (const auto& [pid, socket] : starting)
    if (control::isListening(socket)) listening.push_back(pid);
  lock.lock();
  for (auto& h : hosts_)
    if (h.pid > 0 && std::find(listening.begin(), listening.end(), h.pid) != listening.end()) h.answered = true;
}

void Supervisor::ping() {
  // What was last said of each process, so a state lasting many pings is
  // logged once.
  std::map<pid_t, control::Beat::Outcome> said;
  std::map<pid_t, bool> busy;
  while (!stopping_) {
    struct Target {
      pid_t pid;
      std::string name, socket;
      Clock::time_point launchedAt;
    };
    std::vector<Target> targets;
    {
      std::unique_lock lock(mutex_);
      wake_.wait_for(lock, policy_.pingInterval, [this] { return stopping_.load(); });
      if (stopping_) return;
      for (const auto& h : hosts_)
        if (h.pid > 0)
          targets.push_back({h.pid, h.config.name, control::livenessPath(socketPathOf(h.config.name)), h.launchedAt});
    }
    std::erase_if(said, [&](const auto& s) {
      return std::none_of(targets.begin(), targets.end(), [&](const Target& t) { return t.pid == s.first; });
    });
    std::erase_if(busy, [&](const auto& b) { return !said.contains(b.first); });
    for (const auto& t : targets) {
      control::Beat beat = control::checkLiveness(t.socket, policy_.pingTimeout);
      auto once = [&](const std::string& line) {
        if (std::exchange(said[t.pid], beat.outcome) != beat.outcome) note(t.name + " " + line);
      };
      std::string why;
      switch (beat.outcome) {
        case control::Beat::answered:
          said[t.pid] = beat.outcome;
          if (beat.stalled >= policy_.stallLimit) {
            why = "answers, but its main loop has not turned for " + seconds(beat.stalled);
          } else if (beat.stalled >= policy_.pingTimeout) {
            if (!std::exchange(busy[t.pid], true))
              note(t.name + " is busy: its main loop has not turned for " + seconds(beat.stalled) +
                   "; it is restarted only after " + seconds(policy_.stallLimit));
          } else {
            busy[t.pid] = false;
          }
          break;
        case control::Beat::absent:
          if (Clock::now() - t.launchedAt < policy_.startGrace) continue;
          why = "is not listening for pings " + seconds(Clock::now() - t.launchedAt) + " after its launch";
          break;
        case control::Beat::silent:
          why = "did not answer a ping within " + seconds(policy_.pingTimeout);
          break;
        // Alive, but refusing: a restart would not change that.
        case control::Beat::denied:
          once("refused the ping (" + beat.detail + "); not a hang, leaving it running");
          continue;
        case control::Beat::hungUp:
          once("closed the ping connection without an answer (" + beat.detail + "); not a hang, leaving it running");
          continue;
      }
      if (why.empty() || stopping_) continue;
      std::lock_guard g(mutex_);
      for (auto& h : hosts_)
        if (h.pid == t.pid) {
          note(t.name + " " + why + "; killing it");
          ::kill(t.pid, SIGKILL);
        }
    }
  }
}

void Supervisor::stop() {
  if (stopping_.exchange(true)) return;
  wake_.notify_all();
  if (pinger_.joinable()) pinger_.join();
  if (watcher_.joinable()) watcher_.join();
  std::lock_guard g(mutex_);
  for (auto& h : hosts_)
    if (h.pid > 0) ::kill(h.pid, SIGTERM);
  auto deadline = Clock::now() + std::chrono::seconds(3);
  for (auto& h : hosts_) {
    while (h.pid > 0) {
      int status;
      if (::waitpid(h.pid, &status, WNOHANG) == h.pid) {
        h.pid = 0;
        break;
      }
      if (Clock::now() > deadline) {
        ::kill(h.pid, SIGKILL);
        ::waitpid(h.pid, &status, 0);
        h.pid = 0;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }
}

std::vector<Supervisor::HostStatus> Supervisor::status() const {
  std::lock_guard g(mutex_);
  std::vector<HostStatus> out;
  for (const auto& h : hosts_) out.push_back({h.config.name, h.pid, h.launches, h.startedAt});
  return out;
}

pid_t Supervisor::pidOf(const std::string& name) const {
  std::lock_guard g(mutex_);
  const Host* h = find(name);
  return h ? h->pid : 0;
}

int Supervisor::launchesOf(const std::string& name) const {
  std::lock_guard g(mutex_);
  const Host* h = find(name);
  return h ? h->launches : 0;
}

bool Supervisor::waitUntilAnswering(const std::string& name, std::chrono::milliseconds timeout) const {
  std::string path = socketPathOf(name);
  auto deadline = Clock::now() + timeout;
  while (Clock::now() < deadline) {
    if (control::isListening(path)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

}  // namespace device
