// The Settings host's control protocol, in process: each input is a session
// of request lines answered by a fresh host on the staged device.
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "SettingsHost.h"
#include "control/ControlServer.h"
#include "dispatch/main_loop.h"
#include "fuzz_device.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::deviceRoot(CORVALLO_STAGE_DIR);
  fuzz::quietLogs();
  settings::Host host;
  control::Handler handler = [&](const control::json& req) { return host.handle(req); };
  std::istringstream lines(std::string(reinterpret_cast<const char*>(data), size));
  for (std::string line; std::getline(lines, line);) {
    std::string answer = control::answerLine(line, handler);
    // One line each, a JSON object that says whether it went through.
    if (answer.empty() || answer.find('\n') != answer.size() - 1) std::abort();
    auto parsed = control::json::parse(answer, nullptr, false);
    if (parsed.is_discarded() || !parsed.is_object() || !parsed.contains("ok")) std::abort();
    // What a request scheduled (deferred reloads, alerts) runs before the next.
    dispatch::runMainUntilIdle();
  }
  // Nothing the input started may still run when the process exits (its
  // static objects are destroyed then) or while the next input runs.
  dispatch::runMainUntilQuiet(std::chrono::seconds(5));
  return 0;
}
