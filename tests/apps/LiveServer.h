// A control server on a loop of its own, and a client's raw view of its socket.
#pragma once

#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <asio.hpp>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "control/ControlServer.h"

namespace control_test {

inline control::json echo(const control::json& req) { return control::json{{"echo", req}}; }

// A server on a loop of its own, with a client's view of its socket.
struct LiveServer {
  explicit LiveServer(control::Limits limits, control::Handler handler = echo) {
    char tmpl[] = "/tmp/corvallo-control-XXXXXX";
    folder = mkdtemp(tmpl);
    path = folder + "/c.sock";
    server = std::make_unique<control::Server>(context, path, std::move(handler), limits);
    loop = std::thread([this] { context.run(); });
  }
  ~LiveServer() {
    asio::post(context, [this] { server.reset(); });
    work.reset();
    context.stop();
    loop.join();
    std::filesystem::remove_all(folder);
  }
  // Runs `f` on the loop and waits for it: what a host makes and ends on its
  // main loop's thread (a liveness server, with its timer) a test must too.
  void onLoop(const std::function<void()>& f) {
    std::promise<void> done;
    asio::post(context, [&] {
      try {
        f();
        done.set_value();
      } catch (...) {
        done.set_exception(std::current_exception());
      }
    });
    done.get_future().get();
  }

  asio::io_context context;
  std::optional<asio::executor_work_guard<asio::io_context::executor_type>> work{context.get_executor()};
  std::string folder, path;
  std::unique_ptr<control::Server> server;
  std::thread loop;
};

// Whether the host has closed this connection (it reads end of file).
inline bool closedByHost(int fd, std::chrono::milliseconds within) {
  pollfd p{fd, POLLIN, 0};
  if (::poll(&p, 1, static_cast<int>(within.count())) <= 0) return false;
  char c;
  return ::recv(fd, &c, 1, MSG_DONTWAIT) <= 0;  // end of file, or reset with our bytes unread
}

inline int rawConnect(const std::string& path) {
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace control_test
