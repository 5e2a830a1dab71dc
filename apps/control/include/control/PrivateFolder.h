// The device's run folders belong to its user alone: another user who could
// write there could answer in a host's place or reach its sockets.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace control {

// Creates `folder` and any missing parents up to `root` with mode 0700, set
// explicitly whatever the umask; folders already there keep theirs. Throws
// std::runtime_error naming the folder.
void makePrivateFolder(const std::filesystem::path& folder, const std::filesystem::path& root);

// Why `folder` cannot be trusted: it, or a parent up to and including `root`,
// is writable by group or others, or owned by another user (root's own
// folders are trusted). Nothing when it is sound or does not exist.
std::optional<std::string> unsafeFolder(const std::filesystem::path& folder, const std::filesystem::path& root);

// A host's start: makes the folder of its control socket private and says
// why the host must not start (the folder cannot be made, or cannot be
// trusted); nothing when it may.
std::optional<std::string> unsafeSocketFolder(const std::string& socketPath, const std::filesystem::path& root);

}  // namespace control
