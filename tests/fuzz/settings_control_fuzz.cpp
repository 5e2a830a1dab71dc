// The Settings host's control protocol, in process: each input is a session
// of request lines answered by a fresh host on the staged device.
#include <cstdint>
#include <string>

#include "SettingsHost.h"
#include "control_session.h"
#include "fuzz_device.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::deviceRoot(CORVALLO_DELIVERABLES_DIR);
  fuzz::quietLogs();
  settings::Host host;
  control::Handler handler = [&](const control::json& req) { return host.handle(req); };
  fuzz::answerSession(data, size, handler);
  return 0;
}
