// Keeps the host programs of a simulated device running, as the device's
// launch daemon does: any exit that stop() did not ask for is followed by a
// new launch, quick failures in a row wait longer each time (capped, logged,
// never giving up), and a host that stops answering its control socket is
// killed and started again. It also keeps the device's run folders its
// user's alone.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace device {

// How the supervisor starts one host program, and what ends with it.
struct HostLaunch {
  std::string name;               // "SpringBoard"
  std::filesystem::path program;  // the executable
  std::vector<std::string> args;  // after the program, before --device-root
  std::string controlSocket;      // device path of its control socket
  // An app ends when this host's process does (a restarted SpringBoard ends
  // the running apps), and starts again at once; empty for none.
  std::string endsWith;
};

struct SupervisorPolicy {
  // A host that ran at least this long before exiting starts again at once.
  std::chrono::milliseconds stableAfter{5000};
  // The wait after the first quick failure; it doubles with each one more, up to the cap.
  std::chrono::milliseconds firstBackoff{50};
  std::chrono::milliseconds maxBackoff{5000};
  // How often each host is pinged and how long it has to answer; 0 turns pinging off.
  // Pings go to the host's liveness socket, never competing with control clients.
  std::chrono::milliseconds pingInterval{1000};
  std::chrono::milliseconds pingTimeout{2000};
  // A host that answers while its main loop has not turned for this long is
  // hung; until then its main thread is busy with real work.
  std::chrono::milliseconds stallLimit{20000};
  // A host not listening this long after its launch counts as hung too.
  std::chrono::milliseconds startGrace{10000};
};

class Supervisor {
 public:
  Supervisor(std::filesystem::path root, std::vector<HostLaunch> hosts, SupervisorPolicy policy = {});
  ~Supervisor();  // stops every host
  Supervisor(const Supervisor&) = delete;
  Supervisor& operator=(const Supervisor&) = delete;

  // Makes the root and its run folders owner-only (0700) and takes write
  // access to the library folders from other users, then starts the hosts.
  // Throws std::runtime_error when a folder cannot be made private.
  void start();
  void stop();

  struct HostStatus {
    std::string name;
    pid_t pid = 0;  // 0 while it is not running
    int launches = 0;
    std::chrono::system_clock::time_point startedAt;
  };
  std::vector<HostStatus> status() const;
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
    HostLaunch config;
    pid_t pid = 0;
    int launches = 0;
    int quickFailures = 0;
    bool answered = false;  // has listened on its control socket since its launch
    std::chrono::steady_clock::time_point launchedAt, restartAt;
    std::chrono::system_clock::time_point startedAt;
    bool restartPending = false;
    bool endedWithOther = false;  // sent SIGTERM because its `endsWith` host ended
  };
  void launch(Host& host);
  void reap(Host& host, int status);
  void watch();
  // Marks the launched hosts now listening on their control sockets.
  void noteHostsThatAnswer(std::unique_lock<std::mutex>& lock);
  void ping();
  void secureFolders() const;
  void note(const std::string& line) const;
  const Host* find(const std::string& name) const;

  std::filesystem::path root_;
  SupervisorPolicy policy_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::vector<Host> hosts_;
  std::atomic<bool> stopping_{false};
  std::thread watcher_, pinger_;
};

}  // namespace device
