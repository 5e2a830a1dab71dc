// Keeps the host programs of a simulated device running: a host that asks to
// be relaunched (or dies) is started again, as the device's launch daemon does.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace device {

struct HostSpec {
  std::string name;               // "SpringBoard"
  std::filesystem::path program;  // the executable
  std::vector<std::string> args;  // after the program, before --device-root
  std::string controlSocket;      // device path of its control socket
};

class Supervisor {
 public:
  Supervisor(std::filesystem::path root, std::vector<HostSpec> hosts);
  ~Supervisor();  // stops every host
  Supervisor(const Supervisor&) = delete;
  Supervisor& operator=(const Supervisor&) = delete;

  void start();
  void stop();

  // The host's current process, or 0 while it is not running.
  pid_t pidOf(const std::string& name) const;
  // How many times the host has been started.
  int launchesOf(const std::string& name) const;
  // Waits until the host answers on its control socket.
  bool waitUntilAnswering(const std::string& name, std::chrono::milliseconds timeout) const;
  std::string socketPathOf(const std::string& name) const;
  std::filesystem::path logPathOf(const std::string& name) const;

 private:
  struct Host {
    HostSpec config;
    pid_t pid = 0;
    int launches = 0;
    std::vector<std::chrono::steady_clock::time_point> recentCrashes;
    bool gaveUp = false;
  };
  void launch(Host& host);
  void watch();
  const Host* find(const std::string& name) const;

  std::filesystem::path root_;
  mutable std::mutex mutex_;
  std::vector<Host> hosts_;
  std::atomic<bool> stopping_{false};
  std::thread watcher_;
};

}  // namespace device
