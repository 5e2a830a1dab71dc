// The device root: a folder that stands for the device's file system. Code
// keeps the device's literal absolute paths ("/var/mobile/Library/Preferences",
// "/var/jb/…") and resolves them here, at the edge where files are opened.
//
// The root is, in order: the process override below, $CORVALLO_DEVICE_ROOT,
// $XDG_DATA_HOME/corvallo/device, or $HOME/.local/share/corvallo/device. Resolving creates nothing.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace foundation {

inline constexpr std::string_view kPreferencesFolder = "/var/mobile/Library/Preferences";

std::string deviceRoot();

// The host path for a device path. ".." never climbs above the root and
// repeated slashes collapse, so no device path names a file outside it.
std::string devicePath(std::string_view path);

// Sets (or with nullopt clears) the root for this process, ahead of the
// environment. Meant for tests and for the simulated device's own tools.
void setDeviceRootOverride(std::optional<std::string> root);

}  // namespace foundation
