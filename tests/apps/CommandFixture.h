// The real `corvallo` command against a temporary device root: each call is a
// new process, as a person or a script would run it.
#pragma once

#include "Poll.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <optional>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

extern char** environ;

struct Outcome {
  int code = -1;
  std::string out, err;
  nlohmann::json json() const { return nlohmann::json::parse(out); }
};

class CommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/cvc.XXXXXX";  // short: local socket paths are limited
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    root_ = tmpl;
    // The command keeps a list of the roots it started in the user's state
    // folder: a test's roots go to a list of the test's own.
    const char* state = std::getenv("XDG_STATE_HOME");
    savedStateHome_ = state ? std::optional<std::string>(state) : std::nullopt;
    ::setenv("XDG_STATE_HOME", (root_ / ".state").c_str(), 1);
  }

  void TearDown() override {
    corvallo({"down"});
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
    savedStateHome_ ? ::setenv("XDG_STATE_HOME", savedStateHome_->c_str(), 1) : ::unsetenv("XDG_STATE_HOME");
  }

  static std::string program() { return std::string(CORVALLO_BUILD_DIR) + "/bin/corvallo"; }

  // Runs `corvallo --root <root> args…` and waits for it.
  Outcome corvallo(const std::vector<std::string>& args) const {
    std::vector<std::string> all{program(), "--root", root_.string()};
    all.insert(all.end(), args.begin(), args.end());
    return run(all);
  }

  Outcome run(const std::vector<std::string>& all) const {
    // Tests run commands from several threads; two sharing a number would share output files.
    static std::atomic<int> serial{0};
    std::string base = root_.string() + "/.out" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, (base + ".o").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&files, 2, (base + ".e").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> argv;
    for (const auto& a : all) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    Outcome o;
    if (::posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environ) == 0) {
      int status = 0;
      ::waitpid(pid, &status, 0);
      o.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&files);
    o.out = slurp(base + ".o");
    o.err = slurp(base + ".e");
    std::filesystem::remove(base + ".o");
    std::filesystem::remove(base + ".e");
    return o;
  }

  static std::string slurp(const std::filesystem::path& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  // `up` with a supervisor tuned for quick tests.
  void up(std::vector<std::string> extra = {}) {
    std::vector<std::string> args{"up"};
    args.insert(args.end(), extra.begin(), extra.end());
    Outcome o = corvallo(args);
    ASSERT_EQ(o.code, 0) << o.err;
  }

  nlohmann::json status() {
    Outcome o = corvallo({"status", "--json"});
    return o.code == 0 ? o.json() : nlohmann::json{{"error", o.err}};
  }
  nlohmann::json ask(const std::string& host, const std::string& op) {
    Outcome o = corvallo({"ask", host, op, "--raw"});
    return o.code == 0 ? o.json() : nlohmann::json{{"error", o.err}};
  }

  // Polls `probe` until `done` holds, keeping the last value for the message.
  bool eventually(const std::function<nlohmann::json()>& probe, const std::function<bool(const nlohmann::json&)>& done,
                  std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    return device_test::pollUntil(probe, done, last_, timeout);
  }

  std::filesystem::path root_;
  std::optional<std::string> savedStateHome_;
  nlohmann::json last_;
};
