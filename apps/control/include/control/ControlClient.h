// The other end of the control protocol, for the device command and tests.
#pragma once

#include <chrono>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

#include "foundation/UniqueFd.h"

namespace control {

// The socket is another user's: retrying cannot help.
class PermissionDenied : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Client {
 public:
  // Connects, retrying until `timeout` passes (a host may still be starting).
  // Throws PermissionDenied at once when the socket is not ours to reach, and
  // std::runtime_error when nobody answers in time.
  Client(const std::string& socketPath, std::chrono::milliseconds timeout = std::chrono::seconds(5));

  // Sends one request and waits for its answer line. Throws std::runtime_error
  // when the host closes the connection or does not answer within `timeout`.
  nlohmann::json request(const nlohmann::json& req, std::chrono::milliseconds timeout = std::chrono::seconds(5));
  // Sends a raw line (for tests of malformed input) and returns the answer line.
  std::string requestLine(const std::string& line, std::chrono::milliseconds timeout = std::chrono::seconds(5));
  // The next line the host sends unasked (a subscription's events). Throws
  // std::runtime_error as `request` does.
  std::string nextLine(std::chrono::milliseconds timeout);
  // The connection, for a caller that waits on it with others.
  int fd() const { return fd_.get(); }

 private:
  foundation::UniqueFd fd_;
  std::string buffer_;
};

// True when a host answers on the socket right now.
bool isListening(const std::string& socketPath);

enum class Reach { listening, absent, denied };
// Whether a host listens there, and if not, whether that is because the
// socket or its folder is another user's.
Reach reach(const std::string& socketPath);

}  // namespace control
