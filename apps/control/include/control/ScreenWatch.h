// Tells a host's subscribers "my screen changed" when it has.
//
// Nothing looks at the host on a clock: after each turn of the main loop (a
// request answered, a notification read, a timer of an animation) the watch
// compares the host's screen as its report describes it with the last one it
// published, at most once a frame. While the screen keeps changing between
// frames (an animation reads the media clock) it looks again the next frame;
// once it holds still the watch stops until the next turn. With no subscriber
// it does nothing at all.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace asio {
class io_context;
}

namespace control {

class Server;

class ScreenWatch {
 public:
  // `screen` describes what the host shows, without what changes on its own
  // (clocks); equal texts mean equal screens. The watch observes the main
  // loop's turns from construction to destruction; one per process.
  ScreenWatch(asio::io_context& context, Server& server, std::function<std::string()> screen,
              std::chrono::milliseconds frame = std::chrono::milliseconds(16));
  ~ScreenWatch();
  ScreenWatch(const ScreenWatch&) = delete;
  ScreenWatch& operator=(const ScreenWatch&) = delete;

  // What the main loop calls after each turn; exposed for tests.
  void turned();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace control
