// The other end of the control protocol, for the device command and tests.
#pragma once

#include <chrono>
#include <string>

#include <nlohmann/json.hpp>

#include "foundation/UniqueFd.h"

namespace control {

class Client {
 public:
  // Connects, retrying until `timeout` passes (a host may still be starting).
  // Throws std::runtime_error when it cannot.
  Client(const std::string& socketPath, std::chrono::milliseconds timeout = std::chrono::seconds(5));

  // Sends one request and waits for its answer line. Throws std::runtime_error
  // when the host closes the connection or does not answer within `timeout`.
  nlohmann::json request(const nlohmann::json& req, std::chrono::milliseconds timeout = std::chrono::seconds(5));
  // Sends a raw line (for tests of malformed input) and returns the answer line.
  std::string requestLine(const std::string& line, std::chrono::milliseconds timeout = std::chrono::seconds(5));

 private:
  foundation::UniqueFd fd_;
  std::string buffer_;
};

// True when a host answers on the socket right now.
bool isListening(const std::string& socketPath);

}  // namespace control
