#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <asio.hpp>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "LiveServer.h"
#include "control/ControlClient.h"
#include "control/ControlServer.h"

namespace {

using control::json;

json echo(const json& req) {
  std::string op = control::requestOp(req);
  if (op == "fail") throw control::RequestError("asked to fail");
  if (op == "crash") throw std::out_of_range("index 9");
  if (op == "scalar") return 3;
  return json{{"echo", req}};
}

json answer(const std::string& line) {
  std::string text = control::answerLine(line, echo);
  EXPECT_EQ(text.back(), '\n');
  EXPECT_EQ(text.find('\n'), text.size() - 1) << "an answer is exactly one line";
  return json::parse(text);
}

TEST(ControlProtocol, EveryLineGetsExactlyOneAnswer) {
  EXPECT_EQ(answer(R"({"op":"hi"})")["ok"], true);
  EXPECT_EQ(answer(R"({"op":"hi"})")["echo"]["op"], "hi");
  EXPECT_EQ(answer(R"({"op":"scalar"})")["result"], 3);

  for (const char* bad : {"", "{", "nul", "[]", "42", R"({"noop":1})", R"({"op":5})"}) {
    json a = answer(bad);
    EXPECT_EQ(a["ok"], false) << bad;
    EXPECT_TRUE(a["error"].is_string()) << bad;
  }
  EXPECT_EQ(answer(R"({"op":"fail"})")["error"], "asked to fail");
  EXPECT_EQ(answer(R"({"op":"crash"})")["error"], "index 9");
}

TEST(ControlProtocol, AnErrorThatQuotesANulIsAnsweredWhole) {
  auto handler = [](const json& r) -> json {
    throw control::RequestError("no row \"" + r["row"].get<std::string>() + "\" on this page");
  };
  json a = json::parse(control::answerLine(R"({"op":"tap","row":"ab\u0000cd"})", handler));
  EXPECT_EQ(a["ok"], false);
  using namespace std::string_literals;
  EXPECT_EQ(a["error"].get<std::string>(), "no row \"ab\0cd\" on this page"s);
}

TEST(ControlProtocol, TextThatIsNotUtf8CannotBreakTheAnswer) {
  auto handler = [](const json&) { return json{{"name", std::string("bad\xff\xfe")}}; };
  json a = json::parse(control::answerLine(R"({"op":"x"})", handler));
  EXPECT_EQ(a["ok"], true);
  EXPECT_TRUE(a["name"].is_string());
}

}  // namespace

namespace {

using control_test::closedByHost;
using control_test::LiveServer;
using control_test::rawConnect;

TEST(ControlServer, ConnectionsPastTheLimitAreRefusedAndTheOthersServed) {
  LiveServer s(control::Limits{.maxConnections = 3});
  std::vector<std::unique_ptr<control::Client>> held;
  for (int i = 0; i < 3; ++i) {
    held.push_back(std::make_unique<control::Client>(s.path));
    EXPECT_EQ(held.back()->request(json{{"op", "hi"}})["ok"], true);
  }
  // The refusal comes unasked, and the connection closes.
  int extra = rawConnect(s.path);
  ASSERT_GE(extra, 0);
  char line[256] = {};
  pollfd p{extra, POLLIN, 0};
  ASSERT_GT(::poll(&p, 1, 5000), 0);
  ASSERT_GT(::recv(extra, line, sizeof line - 1, 0), 0);
  json refused = json::parse(std::string(line));
  EXPECT_EQ(refused["ok"], false);
  EXPECT_EQ(refused["error"], "too many control connections");
  EXPECT_TRUE(closedByHost(extra, std::chrono::seconds(5)));
  ::close(extra);
  held.pop_back();  // a place frees up once the host has seen the close
  // Each try waits for the host's answer: a refusal while the place is still
  // taken, service once it is free.
  bool served = false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!served && std::chrono::steady_clock::now() < deadline) {
    try {
      served = control::Client(s.path).request(json{{"op", "hi"}})["ok"] == true;
    } catch (const std::exception&) {
    }
  }
  EXPECT_TRUE(served);
}

TEST(ControlServer, AnOverlongLineIsAnsweredAndClosedAndAnIdleOneIsClosed) {
  LiveServer s(control::Limits{.idleTimeout = std::chrono::milliseconds(100)});
  int fd = rawConnect(s.path);
  ASSERT_GE(fd, 0);
  std::string flood(control::kMaxRequestBytes + 1, 'x');
  ASSERT_EQ(::send(fd, flood.data(), flood.size(), MSG_NOSIGNAL), static_cast<ssize_t>(flood.size()));
  char answer[256] = {};
  pollfd p{fd, POLLIN, 0};
  ASSERT_GT(::poll(&p, 1, 5000), 0);
  ASSERT_GT(::recv(fd, answer, sizeof answer - 1, 0), 0);
  EXPECT_NE(std::string(answer).find("request line too long"), std::string::npos) << answer;
  EXPECT_TRUE(closedByHost(fd, std::chrono::seconds(5)));
  ::close(fd);

  int idle = rawConnect(s.path);
  ASSERT_GE(idle, 0);
  EXPECT_TRUE(closedByHost(idle, std::chrono::seconds(5)));
  ::close(idle);
}

}  // namespace

namespace {

// Out of descriptors, a host must wait for one to free up: accepting again at
// once spun at full speed and logged a line each time.
TEST(ControlServer, RunningOutOfDescriptorsNeitherSpinsNorFloodsTheLog) {
#ifdef __SANITIZE_ADDRESS__
  // The undefined-behaviour checks open descriptors of their own to look at
  // memory, and fail when there are none.
  GTEST_SKIP() << "runs without the address and undefined-behaviour sanitizers";
#endif
  char logTmpl[] = "/tmp/corvallo-emfile-XXXXXX";
  int logFd = mkstemp(logTmpl);
  ASSERT_GE(logFd, 0);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::dup2(logFd, STDERR_FILENO);
    int code = 0;
    {
      LiveServer s(control::Limits{});
      // Fill the descriptor table, then free three places: one client is
      // served, the next waits in the backlog for a descriptor to accept it.
      rlimit lim{256, 256};
      ::setrlimit(RLIMIT_NOFILE, &lim);
      std::vector<int> filler;
      for (int fd; (fd = ::dup(0)) >= 0;) filler.push_back(fd);
      for (int i = 0; i < 3 && !filler.empty(); ++i) {
        ::close(filler.back());
        filler.pop_back();
      }
      std::vector<int> clients;
      for (int i = 0; i < 4; ++i)
        if (int fd = rawConnect(s.path); fd >= 0) clients.push_back(fd);
      rusage before{}, after{};
      ::getrusage(RUSAGE_SELF, &before);
      // The interval is what is measured: a waiting server uses no CPU in it.
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
      ::getrusage(RUSAGE_SELF, &after);
      auto cpu = [](const rusage& r) {
        return r.ru_utime.tv_sec * 1e6 + r.ru_utime.tv_usec + r.ru_stime.tv_sec * 1e6 + r.ru_stime.tv_usec;
      };
      if (cpu(after) - cpu(before) > 200000) code = 1;  // more than 40% of a core while waiting
      for (int fd : clients) ::close(fd);
      for (int fd : filler) ::close(fd);
    }
    ::_exit(code);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  std::string log;
  {
    std::ifstream in(logTmpl);
    log.assign(std::istreambuf_iterator<char>(in), {});
  }
  ::close(logFd);
  ::unlink(logTmpl);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
      << "the server spun while out of descriptors (status " << status << ")\n"
      << log;
  std::size_t lines = 0;
  for (std::size_t at = log.find("cannot take a connection"); at != std::string::npos;
       at = log.find("cannot take a connection", at + 1))
    ++lines;
  EXPECT_EQ(lines, 1u) << log;
}

}  // namespace
