#include "fuzz_device.h"

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "foundation/DevicePaths.h"
#include "foundation/Log.h"

namespace fuzz {

const std::string& deviceRoot(const char* stage) {
  static const std::string root = [stage] {
    namespace fs = std::filesystem;
    std::string made = (fs::temp_directory_path() / "corvallo-fuzz-XXXXXX").string();
    if (!::mkdtemp(made.data())) std::abort();
    if (stage) fs::copy(stage, made, fs::copy_options::recursive);
    ::setenv("CORVALLO_DEVICE_ROOT", made.c_str(), 1);
    foundation::setDeviceRootOverride(made);
    std::atexit([] {
      std::error_code ec;
      fs::remove_all(foundation::deviceRoot(), ec);
    });
    return made;
  }();
  return root;
}

void quietLogs() {
  static auto* capture = new foundation::LogCapture();
  capture->clear();
}

}  // namespace fuzz
