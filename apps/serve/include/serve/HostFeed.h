// One host's screen as the page sees it: subscribed to the host's "screen
// changed" events, it asks for the state, draws it with the picture renderer
// and posts the frame. While the host is away it says so (restarting, or the
// device stopped) and connects again when it is back.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include <nlohmann/json.hpp>

#include "serve/Broadcast.h"

namespace serve {

// One host screen the page shows: where to reach the host and how to draw it.
struct WatchedScreen {
  std::string screen;  // "home" or "settings": the frame's name on the page
  std::string label;   // "SpringBoard" or "Settings": what the page calls it
  std::string socketPath;
  std::string supervisorSocketPath;  // nobody there: the device has stopped
  // Writes the state's picture to a PNG file.
  std::function<void(const nlohmann::json& state, const std::string& pngFile)> draw;
  std::string scratchFolder;  // private, for the renderer's file
};

class HostFeed {
 public:
  HostFeed(WatchedScreen screen, Broadcast& out);
  ~HostFeed();
  HostFeed(const HostFeed&) = delete;
  HostFeed& operator=(const HostFeed&) = delete;

  void start();
  void stop();

  // The last state drawn and its PNG, for requests that need them.
  nlohmann::json state() const;
  std::string png() const;
  // Asks the host now, for the requests that act on it (touches). Throws
  // std::runtime_error when the host does not answer or refuses.
  nlohmann::json ask(const nlohmann::json& request);

  // Milliseconds spent on the last frame: asking, drawing, encoding.
  double lastRenderMs() const { return renderMs_.load(); }

 private:
  void run();
  bool followOnce();  // one connection's life; false once stopping
  void render(const char* cause);
  void status(const std::string& what);

  WatchedScreen screen_;
  Broadcast& out_;
  std::thread thread_;
  std::atomic<bool> stopping_{false};
  int wake_[2] = {-1, -1};  // a pipe that ends the wait on the host
  mutable std::mutex mutex_;
  nlohmann::json state_;
  std::string png_;
  std::uint64_t frames_ = 0;
  std::string status_;
  std::atomic<double> renderMs_{0};
  std::chrono::steady_clock::time_point lastRender_{};  // the feed's thread only
  std::mutex askMutex_;
};

// Standard base64, for frames sent as data URLs.
std::string base64(const std::string& bytes);

}  // namespace serve
