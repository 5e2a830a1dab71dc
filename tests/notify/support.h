// Device roots and observer processes for the notification tests.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "dispatch/main_loop.h"
#include "notify/notify.h"

extern char** environ;

namespace notify_test {

namespace fs = std::filesystem;

// A fresh device root (at least `minLength` long), removed at the end.
class TempRoot {
 public:
  explicit TempRoot(std::size_t minLength = 0) {
    std::string base = (fs::temp_directory_path() / "cvnotify-XXXXXX").string();
    if (!::mkdtemp(base.data())) throw std::runtime_error("mkdtemp failed");
    top_ = path_ = base;
    while (path_.size() < minLength) path_ += "/a-rather-long-folder-name";
    fs::create_directories(path_);
  }
  ~TempRoot() {
    std::error_code ec;
    fs::remove_all(top_, ec);
  }
  TempRoot(const TempRoot&) = delete;
  TempRoot& operator=(const TempRoot&) = delete;
  const std::string& path() const { return path_; }
  std::string folder() const { return path_ + "/var/run/notify"; }
  std::vector<std::string> listeners() const {
    std::vector<std::string> names;
    std::error_code ec;
    for (auto& e : fs::directory_iterator(folder(), ec))
      if (e.path().extension() == ".sock") names.push_back(e.path().filename());
    return names;
  }

 private:
  std::string top_, path_;
};

// Points this process's posts at another device root for a while.
class PostingRoot {
 public:
  explicit PostingRoot(const std::string& root) {
    if (const char* old = std::getenv("CORVALLO_DEVICE_ROOT")) previous_ = old;
    ::setenv("CORVALLO_DEVICE_ROOT", root.c_str(), 1);
  }
  ~PostingRoot() {
    if (previous_)
      ::setenv("CORVALLO_DEVICE_ROOT", previous_->c_str(), 1);
    else
      ::unsetenv("CORVALLO_DEVICE_ROOT");
  }
  PostingRoot(const PostingRoot&) = delete;
  PostingRoot& operator=(const PostingRoot&) = delete;

 private:
  std::optional<std::string> previous_;
};

// The observer helper in a process of its own: one line per callback.
class Observer {
 public:
  Observer(const std::string& root, int behaviour, const std::vector<std::string>& names) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    std::vector<std::string> args{NOTIFY_OBSERVER_HELPER, std::to_string(behaviour)};
    args.insert(args.end(), names.begin(), names.end());
    std::vector<std::string> env{"CORVALLO_DEVICE_ROOT=" + root};
    for (char** e = environ; *e; ++e)
      if (std::string(*e).rfind("CORVALLO_DEVICE_ROOT=", 0) != 0) env.emplace_back(*e);
    auto argv = pointers(args), envp = pointers(env);
    int rc = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    out_ = fds[0];
    if (rc != 0 || nextLine() != "ready") throw std::runtime_error("observer helper did not start");
  }
  ~Observer() {
    killAndReap();
    ::close(out_);
  }
  Observer(const Observer&) = delete;
  Observer& operator=(const Observer&) = delete;

  // The next line the helper printed, or nothing when the deadline passed.
  std::optional<std::string> nextLine(std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
      if (auto nl = buffer_.find('\n'); nl != std::string::npos) {
        std::string line = buffer_.substr(0, nl);
        buffer_.erase(0, nl + 1);
        return line;
      }
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      pollfd p{out_, POLLIN, 0};
      if (left.count() <= 0) return std::nullopt;
      if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
      char chunk[4096];
      ssize_t n = ::read(out_, chunk, sizeof chunk);
      if (n <= 0) return std::nullopt;
      buffer_.append(chunk, static_cast<std::size_t>(n));
    }
  }
  void signal(int sig) { ::kill(pid_, sig); }
  void killAndReap() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  static std::vector<char*> pointers(std::vector<std::string>& v) {
    std::vector<char*> p;
    for (auto& s : v) p.push_back(s.data());
    p.push_back(nullptr);
    return p;
  }
  pid_t pid_ = -1;
  int out_ = -1;
  std::string buffer_;
};

// Runs the main loop until this process has read `count` posts in all (and
// delivered them, which happens in the same pass).
inline bool receiveUntil(std::uint64_t count, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
  return dispatch::runMainUntil([&] { return notify::receivedPostCount() >= count; }, timeout);
}

}  // namespace notify_test
