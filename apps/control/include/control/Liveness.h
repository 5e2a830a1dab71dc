// The supervisor's own line to a host, apart from the control socket. A
// thread of the host's answers each connection at once, unasked, with how
// long its main loop has gone without a turn, and closes it: clients holding
// every control connection cannot crowd the supervisor out, and a main
// thread busy with real work is told apart from a process that answers
// nothing at all.
#pragma once

#include <chrono>
#include <memory>
#include <string>

namespace asio {
class io_context;
}

namespace control {

// "<folder>/springboard.live" beside "<folder>/springboard.sock".
std::string livenessPath(const std::string& controlSocket);

class Liveness {
 public:
  // Listens on `socketPath` (mode 0600, replacing a stale socket) and starts
  // timing the turns of `mainLoop`. Throws std::runtime_error naming the path.
  Liveness(asio::io_context& mainLoop, const std::string& socketPath);
  ~Liveness();  // on the main loop's thread
  Liveness(const Liveness&) = delete;
  Liveness& operator=(const Liveness&) = delete;

 private:
  struct Impl;
  std::shared_ptr<Impl> impl_;
};

struct Beat {
  enum Outcome {
    answered,  // the process is alive; `stalled` says how its main loop does
    absent,    // nothing listens there (yet)
    denied,    // another user's socket, or the host refused us
    silent,    // connected, but no answer within the timeout
    hungUp,    // closed without an answer
  } outcome = absent;
  std::chrono::milliseconds stalled{0};  // since the main loop last turned
  std::string detail;                    // why, for a log line
};

Beat checkLiveness(const std::string& socketPath, std::chrono::milliseconds timeout);

}  // namespace control
