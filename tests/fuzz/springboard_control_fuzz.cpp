// SpringBoard's control protocol, in process, with the tweak injected as on
// the device: each input is a session of request lines answered by a fresh
// home screen.
#include <cstdint>
#include <filesystem>
#include <string>

#include "HomeScreenControl.h"
#include "control_session.h"
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
  fuzz::answerSession(data, size, handler);
  return 0;
}
