// Any tweak's package, as a .deb or as a folder laid out like a device root,
// installed into a device root and removed from it again, recorded per
// package id (PackageRecords.h). Every entry meets the same rules as the
// device's own packages (PackageRules.h) and is written all or nothing
// (RootWriter.h).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "RootWriter.h"

namespace device {

// A package read and checked, nothing written yet.
struct LoadedPackage {
  std::string id, version;
  std::filesystem::path source;
  std::vector<Placement> items;
};

// Reads a .deb, or a folder whose own control file (DEBIAN/control or
// control, neither installed) names it; `idWhenNone` names a folder without
// one. Throws PackageRefused (Install.h) with the one line that says why.
LoadedPackage loadPackage(const std::filesystem::path& debOrFolder, const std::string& idWhenNone = {});

struct PackageChange {
  std::string id, version;
  std::vector<std::string> installed;  // device paths of its files and symlinks
  std::vector<std::string> removed;    // device paths an older version had and this one has not
  // What the device finds in it: entry plists, preference bundles, tweaks (names).
  std::vector<std::string> entries, bundles, tweaks;
};

// Installs it, replacing an installed package of the same id (whose files
// the new one no longer has are removed). Throws PackageRefused, with
// nothing written, for a file another package installed, and
// std::runtime_error, with the root as it was, when the root cannot be written.
PackageChange installInto(LoadedPackage package, const std::filesystem::path& root);

// Removes what package `id` installed, and the folders it made once empty.
// Throws std::runtime_error for an id not installed, naming those that are.
PackageChange uninstallFrom(const std::string& id, const std::filesystem::path& root);

}  // namespace device
