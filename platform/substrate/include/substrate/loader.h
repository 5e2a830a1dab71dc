// Injection of libraries into a host, as the substrate loader does on the
// device: every library in "/Library/MobileSubstrate/DynamicLibraries" whose
// filter plist names the host is loaded when the host starts.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace substrate {

inline constexpr const char* kDynamicLibrariesFolder = "/Library/MobileSubstrate/DynamicLibraries";
// Where a rootless installation puts the same folders.
inline constexpr const char* kRootlessPrefix = "/var/jb";

struct InjectedLibrary {
  std::string name;  // "Corvallo"
  std::string path;  // the file in the device root
  void* handle;
};

// A library the host's filter selected but that did not load.
struct LoadFailure {
  std::string name;    // "Corvallo"
  std::string path;    // the file in the device root
  std::string reason;  // the dynamic loader's words
  // "Corvallo: <reason>", as the log line gives it.
  std::string line() const { return name + ": " + reason; }
};

struct InjectionReport {
  std::vector<InjectedLibrary> loaded;
  std::vector<std::string> skipped;  // not for this host
  std::vector<LoadFailure> failed;
};

// Whether a filter plist's contents select the host. The filter is a
// dictionary with a "Filter" dictionary holding "Bundles" and/or
// "Executables" arrays; a library without a usable filter is never loaded.
bool filterSelects(std::string_view filterPlistBytes, std::string_view bundleIdentifier,
                   std::string_view executableName);

// Loads, in name order, every library of the device root's folder that the
// host's identifier or executable name selects. A library that fails to load
// is logged and skipped; the host carries on.
InjectionReport injectLibraries(std::string_view bundleIdentifier, std::string_view executableName);

// Why the library folders cannot be trusted: one of them, or a parent inside
// the device root (the root included), is writable by group or others or
// owned by another user. Nothing when they are sound or absent. Anyone who
// could write there could run code in the host, so a host refuses to start.
std::optional<std::string> unsafeLibraryFolder();

}  // namespace substrate
