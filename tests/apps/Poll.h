// Waiting on another process's state: it can only be asked, so it is asked
// again until it holds or the deadline passes.
#pragma once

#include <chrono>
#include <exception>
#include <functional>
#include <thread>

#include <nlohmann/json.hpp>

namespace device_test {

// `last` keeps what was seen last (or why asking failed) for the failure message.
inline bool pollUntil(const std::function<nlohmann::json()>& probe,
                      const std::function<bool(const nlohmann::json&)>& done, nlohmann::json& last,
                      std::chrono::milliseconds timeout) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < deadline) {
    try {
      last = probe();
      if (done(last)) return true;
    } catch (const std::exception& e) {
      last = {{"unreachable", e.what()}};
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

}  // namespace device_test
