// Reading a Debian package's control file and its data entries (with their
// types, modes, link targets and file contents) without unpacking anything
// to disk, so every entry can be judged before one byte is written.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "PackageRules.h"

namespace device {

struct Package {
  std::string control;
  std::vector<PackageEntry> entries;
  std::vector<std::string> contents;  // a file entry's bytes, by entry index
};

// The most a package may hold, unpacked, before it is refused as too large.
constexpr std::size_t kMaxPackageBytes = std::size_t{1} << 30;

// Throws std::runtime_error saying what could not be read: not an ar archive
// starting with debian-binary 2.x, no control.tar.* with ./control, no
// data.tar.*, a damaged member, or more than `maxBytes` unpacked.
Package readPackage(std::string_view debBytes, std::size_t maxBytes = kMaxPackageBytes);
Package readPackageFile(const std::filesystem::path& deb, std::size_t maxBytes = kMaxPackageBytes);

}  // namespace device
