// A host's control protocol, in process: each input is a session of request
// lines, and every answer must be one line holding a JSON object that says
// whether the request went through.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "control/ControlServer.h"
#include "dispatch/main_loop.h"

namespace fuzz {

inline void answerSession(const std::uint8_t* data, std::size_t size, const control::Handler& handler) {
  std::istringstream lines(std::string(reinterpret_cast<const char*>(data), size));
  for (std::string line; std::getline(lines, line);) {
    std::string answer = control::answerLine(line, handler);
    if (answer.empty() || answer.find('\n') != answer.size() - 1) std::abort();
    auto parsed = control::json::parse(answer, nullptr, false);
    if (parsed.is_discarded() || !parsed.is_object() || !parsed.contains("ok")) std::abort();
    // What a request scheduled (deferred reloads, alerts) runs before the next.
    dispatch::runMainUntilIdle();
  }
  // Nothing the input started may still run when the process exits (its
  // static objects are destroyed then) or while the next input runs.
  dispatch::runMainUntilQuiet(std::chrono::seconds(5));
}

}  // namespace fuzz
