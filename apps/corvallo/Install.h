// Laying the deliverables and their libraries into a device root.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace device {

// Where the build put what gets installed: the folder holding the host
// programs (bin/) and the libraries (lib/), and the staged bundle (stage/).
struct BuildOutput {
  std::filesystem::path bin, lib, stage;
  // Found beside the running program: <build>/bin/<program>.
  static BuildOutput besideExecutable();
};

struct InstallReport {
  std::vector<std::string> installed;  // device paths
  std::vector<std::string> missing;    // what the build did not produce
};

// Copies each deliverable to its device path under `root`, replacing older
// copies atomically (a running host keeps the file it loaded). Throws
// std::runtime_error when the root cannot be written.
InstallReport install(const BuildOutput& build, const std::filesystem::path& root);

// The same from a Debian package of the deliverables (plain or rootless):
// its files go to their device paths, the platform libraries it depends on
// come from the build. Throws std::runtime_error when the package cannot be read.
InstallReport installPackage(const std::filesystem::path& deb, const BuildOutput& build,
                             const std::filesystem::path& root);

}  // namespace device
