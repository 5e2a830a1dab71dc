// What each package installed into a device root, kept per package id in
// var/lib/corvallo/packages/<id>.list: the files and symlinks it put there
// and the folders it made, so it can be replaced or removed later, and so
// no package overwrites another's files.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace device {

inline constexpr const char* kPackageRecords = "var/lib/corvallo/packages";

struct PackageRecord {
  std::string id, version;
  std::vector<std::string> files;    // plain paths (files and symlinks)
  std::vector<std::string> folders;  // plain paths of the folders it made
};

// One device path a line ("/Library/x"), a folder's ending in "/", after a
// "# id version" line.
std::string recordText(const PackageRecord& record);
// Throws std::runtime_error for a line that is not a plain path inside the
// root: the records lie in the root, and are read as untrusted as any package.
PackageRecord parseRecord(const std::string& id, const std::string& text);

// The record's plain path ("var/lib/corvallo/packages/<id>.list").
std::string recordPath(const std::string& id);

// The ids with a record under `root`, sorted.
std::vector<std::string> installedIds(const std::filesystem::path& root);
std::optional<PackageRecord> readRecord(const std::filesystem::path& root, const std::string& id);
// Every recorded file and symlink with the id of the package that put it there.
std::map<std::string, std::string> fileOwners(const std::filesystem::path& root);

}  // namespace device
