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
#include "serve/FramePace.h"

namespace serve {

// One host screen the page shows: where to reach the host and how to draw it.
struct WatchedScreen {
  std::string screen;  // "home" or "settings": the frame's name on the page
  std::string label;   // "SpringBoard" or "Settings": what the page calls it
  std::string socketPath;
  std::string supervisorSocketPath;  // nobody there: the device has stopped
  // The state's picture as PNG bytes.
  std::function<std::string(const nlohmann::json& state)> draw;
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
  // Asks the host now, for the requests that act on it (touches): the change
  // such a request makes is drawn at once (see soon()). Throws
  // std::runtime_error when the host does not answer or refuses.
  nlohmann::json ask(const nlohmann::json& request, bool touches = true);
  // The screen's next change answers someone waiting for it: its frame goes
  // out at once, not at the pace of a screen that keeps changing.
  void soon();


  // Milliseconds spent on the last frame: asking, drawing, encoding.
  double lastRenderMs() const { return renderMs_.load(); }

 private:
  void run();
  bool followOnce();  // one connection's life; false once stopping
  void render(const char* cause);
  void drainWake();
  void status(const std::string& what);

  WatchedScreen screen_;
  Broadcast& out_;
  std::thread thread_;
  std::atomic<bool> stopping_{false};
  int wake_[2] = {-1, -1};  // a pipe that ends the wait on the host or the pace
  mutable std::mutex mutex_;
  nlohmann::json state_;
  std::string png_;
  std::uint64_t frames_ = 0;
  std::string status_;
  std::atomic<double> renderMs_{0};
  FramePace pace_;  // the feed's thread only
  std::atomic<bool> urgent_{false};  // soon() was called
  std::mutex askMutex_;
};

// Standard base64, for frames sent as data URLs.
std::string base64(const std::string& bytes);

}  // namespace serve
