// Writing checked entries into a device root, all of them or none: each
// file is first written into a private folder inside the root, then moved
// into place; any failure puts back what was there. No symlink already in the
// root is followed, and modes are set explicitly, whatever the umask.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "PackageRules.h"

namespace device {

struct Placement {
  PackageEntry entry;          // accepted by checkEntries: plain path, mode
  std::string bytes;           // a file's content, unless `from` names it
  std::filesystem::path from;  // a file on disk to copy
};

// Throws std::runtime_error naming the path and the reason (a full disk, a
// symlink or a file where a folder must be, a folder where a file goes),
// after undoing every change it made.
void placeAll(const std::filesystem::path& root, const std::vector<Placement>& items);

// Removes files and symlinks (plain paths), then each folder of `folders`
// that is empty by then, deepest first; a path already gone is fine, a
// folder still holding something is left. No symlink on the way is
// followed. Answers one line for each path it could not remove.
std::vector<std::string> removeEntries(const std::filesystem::path& root, const std::vector<std::string>& files,
                                       std::vector<std::string> folders);

}  // namespace device
