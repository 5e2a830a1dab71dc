// The live page's HTTP server (cpp-httplib): the page, its event stream,
// the current frames, and the actions a mouse and the side controls take.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "serve/Broadcast.h"
#include "serve/Gate.h"
#include "serve/HostFeed.h"

namespace serve {

// What the page can do beyond one host request, supplied by the device command.
struct DeviceActions {
  std::function<nlohmann::json()> status;                           // pids, uptime, libraries
  std::function<void(const std::string&, const std::string&)> set;  // as `corvallo set KEY VALUE`
  std::function<void()> respring;
  std::function<void()> reset;  // the device's preferences back to the defaults
  std::function<void()> start;  // a stopped device up again
};

class LiveServer {
 public:
  // Binds now (throws std::runtime_error naming the address when it cannot);
  // `port` 0 takes a free one.
  LiveServer(const std::string& bind, int port, HostFeed& home, HostFeed& settings, Broadcast& events,
             DeviceActions actions);
  ~LiveServer();

  int port() const;
  // The address to open, with the token.
  std::string address() const;
  // Serves until stop().
  void run();
  void stop();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace serve
