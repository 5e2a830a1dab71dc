// Laying the deliverables and their libraries into a device root.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "PackageReader.h"
#include "PackageRules.h"

namespace device {

// Where the build put what gets installed: the folder holding the host
// programs (bin/), and the device image its install step lays out, each
// part a tree of device paths: what the package carries (image/deliverables)
// and what the device provides beside it (image/platform).
struct BuildOutput {
  std::filesystem::path bin, deliverables, platform;
  // Found beside the running program: <build>/bin/<program>.
  static BuildOutput besideExecutable();
};

struct InstallReport {
  std::vector<std::string> installed;  // device paths
  std::vector<std::string> missing;    // parts of the image the build did not produce
};

// A package that may not be installed, with the one line that says why.
struct PackageRefused : std::runtime_error {
  PackageRefused(const std::filesystem::path& deb, const std::string& line);
};

// Copies the image, both parts, to its device paths under `root`, all or none
// (folders 0755, files 0644 or 0755 if executable, whatever the umask),
// replacing older copies by rename (a running host keeps the file it
// loaded). Throws std::runtime_error, with nothing changed, when the root
// cannot be written.
InstallReport install(const BuildOutput& build, const std::filesystem::path& root);

// The same from a Debian package of the deliverables (plain or rootless):
// its files, folders and symlinks go to their device paths, the platform
// part comes from the build's image. Every entry is checked
// (PackageRules.h) before anything is written; throws PackageRefused for a
// package that cannot be read or breaks a rule, std::runtime_error when the
// root cannot be written, and in both cases leaves the root as it was.
InstallReport installPackage(const std::filesystem::path& deb, const BuildOutput& build,
                             const std::filesystem::path& root);

// A package's files and its control fields, read and the fields checked;
// throws PackageRefused for one that cannot be read or whose control file
// lacks what a package manager needs.
Package readPackageWithControl(const std::filesystem::path& deb);

// A package read and checked, with nothing written yet: what installPackage
// does first, apart, so a caller can refuse a package before it touches the
// root at all.
struct CheckedPackage {
  std::filesystem::path deb;
  std::vector<PackageEntry> accepted;
  std::vector<std::string> contents;  // each accepted entry's bytes
};
CheckedPackage checkPackage(const std::filesystem::path& deb);
InstallReport installChecked(CheckedPackage package, const BuildOutput& build, const std::filesystem::path& root);

}  // namespace device
