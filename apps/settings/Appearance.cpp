#include "Appearance.h"

#include <filesystem>
#include <fstream>

#include "foundation/DevicePaths.h"
#include "foundation/Log.h"

namespace settings {

namespace {

constexpr const char* kAppearanceFile = "/var/run/corvallo/appearance";

}  // namespace

std::optional<std::string> storedAppearance() {
  std::ifstream in(foundation::devicePath(kAppearanceFile));
  std::string style;
  if (!(in >> style) || (style != "light" && style != "dark")) return std::nullopt;
  return style;
}

void storeAppearance(const std::string& style) {
  std::string path = foundation::devicePath(kAppearanceFile);
  std::string temporary = path + ".new";
  std::error_code ec;
  // A host run without a device's runtime folder (in a test) has no next launch.
  if (!std::filesystem::is_directory(std::filesystem::path(path).parent_path(), ec)) return;
  {
    std::ofstream out(temporary, std::ios::trunc);
    out << style << "\n";
    if (!out.flush()) {
      NSLog("The appearance %s is not kept for the next launch: %s cannot be written", style, temporary);
      return;
    }
  }
  std::filesystem::rename(temporary, path, ec);
  if (ec) NSLog("The appearance %s is not kept for the next launch: %s", style, ec.message());
}

}  // namespace settings
