#include "support.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

extern char** environ;

namespace notify_test {

TempRoot::TempRoot(std::size_t minLength) {
  std::string base = (std::filesystem::temp_directory_path() / "cvnotify-XXXXXX").string();
  if (!::mkdtemp(base.data())) throw std::runtime_error("mkdtemp failed");
  path_ = base;
  while (path_.size() < minLength) path_ += "/a-rather-long-folder-name";
  std::filesystem::create_directories(path_);
}

TempRoot::~TempRoot() {
  std::error_code ec;
  std::filesystem::path p(path_);
  while (p.filename().string().rfind("cvnotify-", 0) != 0) p = p.parent_path();
  std::filesystem::remove_all(p, ec);
}

std::vector<std::string> TempRoot::entries() const {
  std::vector<std::string> names;
  std::error_code ec;
  for (auto& e : std::filesystem::directory_iterator(folder(), ec))
    if (e.path().extension() == ".sock") names.push_back(e.path().filename());
  return names;
}

Observer::Observer(const std::string& root, int behaviour, const std::vector<std::string>& names) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);

  std::vector<std::string> env{"CORVALLO_DEVICE_ROOT=" + root};
  for (char** e = environ; *e; ++e)
    if (std::string(*e).rfind("CORVALLO_DEVICE_ROOT=", 0) != 0) env.emplace_back(*e);
  std::vector<std::string> args{NOTIFY_OBSERVER_HELPER, std::to_string(behaviour)};
  args.insert(args.end(), names.begin(), names.end());
  auto pointers = [](std::vector<std::string>& v) {
    std::vector<char*> p;
    for (auto& s : v) p.push_back(s.data());
    p.push_back(nullptr);
    return p;
  };
  auto argv = pointers(args), envp = pointers(env);
  int rc = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  ::close(fds[1]);
  out_ = fds[0];
  if (rc != 0) throw std::runtime_error("cannot start the observer helper");
  auto ready = nextLine();
  if (ready != "ready") throw std::runtime_error("observer helper did not get ready");
}

Observer::~Observer() {
  killAndReap();
  if (out_ >= 0) ::close(out_);
}

std::optional<std::string> Observer::nextLine(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (auto nl = buffer_.find('\n'); nl != std::string::npos) {
      std::string line = buffer_.substr(0, nl);
      buffer_.erase(0, nl + 1);
      return line;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return std::nullopt;
    pollfd p{out_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
    char chunk[4096];
    ssize_t n = ::read(out_, chunk, sizeof chunk);
    if (n <= 0) return std::nullopt;
    buffer_.append(chunk, static_cast<std::size_t>(n));
  }
}

std::vector<std::string> Observer::linesUntilQuiet(std::chrono::milliseconds quiet) {
  std::vector<std::string> lines;
  while (auto line = nextLine(quiet)) lines.push_back(*line);
  return lines;
}

void Observer::signal(int sig) { ::kill(pid_, sig); }

void Observer::killAndReap() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGKILL);
  ::waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

}  // namespace notify_test

#include <gtest/gtest.h>
#include "dispatch/main_loop.h"
#include "notify/notify.h"

namespace notify_test {

PostingRoot::PostingRoot(const std::string& root) {
  if (const char* old = std::getenv("CORVALLO_DEVICE_ROOT")) previous_ = old;
  ::setenv("CORVALLO_DEVICE_ROOT", root.c_str(), 1);
}

PostingRoot::~PostingRoot() {
  if (previous_)
    ::setenv("CORVALLO_DEVICE_ROOT", previous_->c_str(), 1);
  else
    ::unsetenv("CORVALLO_DEVICE_ROOT");
}

bool receiveUntil(std::uint64_t count, std::chrono::milliseconds timeout) {
  return dispatch::runMainUntil([&] { return notify::receivedPostCount() >= count; }, timeout);
}

namespace {

// Every test process observes under a device root of its own.
class ProcessRoot : public testing::Environment {
 public:
  void SetUp() override {
    root_ = std::make_unique<TempRoot>();
    ::setenv("CORVALLO_DEVICE_ROOT", root_->path().c_str(), 1);
  }
  void TearDown() override { root_.reset(); }

 private:
  std::unique_ptr<TempRoot> root_;
};

[[maybe_unused]] testing::Environment* const processRoot =
    testing::AddGlobalTestEnvironment(new ProcessRoot);

}  // namespace
}  // namespace notify_test
