#include "Supervisor.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <iostream>

#include "control/ControlClient.h"

namespace device {

namespace fs = std::filesystem;

namespace {
constexpr int kRelaunchExitStatus = 75;
constexpr int kCrashesBeforeGivingUp = 5;
constexpr auto kCrashWindow = std::chrono::seconds(30);
}  // namespace

Supervisor::Supervisor(fs::path root, std::vector<HostSpec> hosts) : root_(std::move(root)) {
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
    // A host never outlives its supervisor.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent) ::_exit(1);
    int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd >= 0) {
      ::dup2(fd, STDOUT_FILENO);
      ::dup2(fd, STDERR_FILENO);
    }
    ::execv(argv[0], argv.data());
    std::fprintf(stderr, "cannot start %s: %s\n", argv[0], std::strerror(errno));
    ::_exit(127);
  }
  if (pid < 0) throw std::runtime_error(std::string("cannot fork: ") + std::strerror(errno));
  host.pid = pid;
  ++host.launches;
}

void Supervisor::start() {
  {
    std::lock_guard g(mutex_);
    for (auto& h : hosts_) launch(h);
  }
  watcher_ = std::thread([this] { watch(); });
}

void Supervisor::watch() {
  while (!stopping_) {
    {
      std::lock_guard g(mutex_);
      for (auto& h : hosts_) {
        if (h.pid <= 0) continue;
        int status = 0;
        pid_t r = ::waitpid(h.pid, &status, WNOHANG);
        if (r != h.pid) continue;
        h.pid = 0;
        if (stopping_) continue;
        bool relaunchAsked = WIFEXITED(status) && WEXITSTATUS(status) == kRelaunchExitStatus;
        bool cleanExit = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        if (cleanExit) continue;
        if (!relaunchAsked) {
          auto now = std::chrono::steady_clock::now();
          auto& crashes = h.recentCrashes;
          crashes.push_back(now);
          std::erase_if(crashes, [&](auto t) { return now - t > kCrashWindow; });
          if (static_cast<int>(crashes.size()) >= kCrashesBeforeGivingUp) {
            std::cerr << h.config.name << " keeps failing; not starting it again (see "
                      << logPathOf(h.config.name).string() << ")\n";
            h.gaveUp = true;
            continue;
          }
        }
        launch(h);
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

void Supervisor::stop() {
  if (stopping_.exchange(true)) return;
  if (watcher_.joinable()) watcher_.join();
  std::lock_guard g(mutex_);
  for (auto& h : hosts_)
    if (h.pid > 0) ::kill(h.pid, SIGTERM);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  for (auto& h : hosts_) {
    while (h.pid > 0) {
      int status;
      if (::waitpid(h.pid, &status, WNOHANG) == h.pid) {
        h.pid = 0;
        break;
      }
      if (std::chrono::steady_clock::now() > deadline) {
        ::kill(h.pid, SIGKILL);
        ::waitpid(h.pid, &status, 0);
        h.pid = 0;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
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
  auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < deadline) {
    if (control::isListening(path)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

}  // namespace device
