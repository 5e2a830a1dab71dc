// SpringBoard's control protocol, in process, with the tweak injected as on
// the device: each input is a session of request lines answered by a fresh
// home screen.
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "HomeScreenControl.h"
#include "dispatch/main_loop.h"
#include "foundation/DevicePaths.h"
#include "fuzz_device.h"
#include "springboard/FBSystemService.h"

namespace {

const substrate::InjectionReport& injected() {
  static const substrate::InjectionReport report = [] {
    namespace fs = std::filesystem;
    fs::path libraries = fuzz::deviceRoot() + "/Library/MobileSubstrate/DynamicLibraries";
    fs::create_directories(libraries);
    fs::copy_file(CORVALLO_TWEAK_PATH, libraries / "Corvallo.dylib");
    fs::copy_file(CORVALLO_TWEAK_FILTER, libraries / "Corvallo.plist");
    FBSystemService::setExitHandler([](int) {});  // a respring relaunches nothing here
    return substrate::injectLibraries("com.apple.springboard", "SpringBoard");
  }();
  return report;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::quietLogs();
  const substrate::InjectionReport& report = injected();
  springboard::HomeScreen home(springboard::HomeScreenLayout{});
  home.build();
  control::Handler handler = springboard::homeScreenHandler(home, report);
  std::istringstream lines(std::string(reinterpret_cast<const char*>(data), size));
  for (std::string line; std::getline(lines, line);) {
    std::string answer = control::answerLine(line, handler);
    // One line each, a JSON object that says whether it went through.
    if (answer.empty() || answer.find('\n') != answer.size() - 1) std::abort();
    auto parsed = control::json::parse(answer, nullptr, false);
    if (parsed.is_discarded() || !parsed.is_object() || !parsed.contains("ok")) std::abort();
    dispatch::runMainUntilIdle();
  }
  // Nothing the input started may still run when the process exits (its
  // static objects are destroyed then) or while the next input runs.
  dispatch::runMainUntilQuiet(std::chrono::seconds(5));
  return 0;
}
