// The device roots this user has started devices under, so `list` can show
// them all: a small registry file, one root a line, pruned of roots that are gone.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace device {

// $XDG_STATE_HOME/corvallo/roots, else ~/.local/state/corvallo/roots.
std::filesystem::path rootsRegistry();

// Adds `root` to the registry (once). A registry that cannot be written is
// only a shorter `list`: it never stops a device from starting.
void recordRoot(const std::filesystem::path& root);

// The recorded roots that still exist, in the order they were first
// recorded; the registry is rewritten without the others.
std::vector<std::filesystem::path> recordedRoots();

}  // namespace device
