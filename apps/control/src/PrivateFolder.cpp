#include "control/PrivateFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace control {

namespace fs = std::filesystem;

namespace {

// `folder` and its parents up to `root`, innermost first; only `root` when
// `folder` is not inside it.
std::vector<fs::path> chain(const fs::path& folder, const fs::path& root) {
  fs::path f = folder.lexically_normal(), r = root.lexically_normal();
  if (f.filename().empty()) f = f.parent_path();
  if (r.filename().empty()) r = r.parent_path();
  std::vector<fs::path> out;
  for (fs::path p = f; !p.empty(); p = p.parent_path()) {
    out.push_back(p);
    if (p == r || p == p.parent_path()) break;
  }
  if (out.empty() || out.back() != r) return {r};
  return out;
}

std::string octal(mode_t mode) {
  char text[8];
  std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
  return text;
}

}  // namespace

void makePrivateFolder(const fs::path& folder, const fs::path& root) {
  auto folders = chain(folder, root);
  for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
    const std::string path = it->string();
    if (::mkdir(path.c_str(), 0700) == 0) {
      // The umask may have taken bits away, never added any; set them all.
      if (::chmod(path.c_str(), 0700) != 0)
        throw std::runtime_error("cannot set the mode of " + path + ": " + std::strerror(errno));
    } else if (errno != EEXIST) {
      throw std::runtime_error("cannot create " + path + ": " + std::strerror(errno));
    }
  }
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
    throw std::runtime_error(folder.string() + " is not a folder");
}

std::optional<std::string> unsafeFolder(const fs::path& folder, const fs::path& root) {
  const uid_t self = ::geteuid();
  for (const auto& p : chain(folder, root)) {
    struct stat st {};
    if (::lstat(p.c_str(), &st) != 0) {
      if (errno == ENOENT) continue;
      return "cannot look at " + p.string() + ": " + std::strerror(errno);
    }
    if (S_ISLNK(st.st_mode) && ::stat(p.c_str(), &st) != 0) continue;  // dangling: nothing to trust there
    if (st.st_uid != self && st.st_uid != 0)
      return p.string() + " belongs to another user (uid " + std::to_string(st.st_uid) + ")";
    if (st.st_mode & (S_IWGRP | S_IWOTH))
      return p.string() + " is writable by other users (mode " + octal(st.st_mode) + ")";
  }
  return std::nullopt;
}

std::optional<std::string> unsafeSocketFolder(const std::string& socketPath, const std::filesystem::path& root) {
  try {
    std::filesystem::path folder = std::filesystem::path(socketPath).parent_path();
    makePrivateFolder(folder, root);
    return unsafeFolder(folder, root);
  } catch (const std::exception& e) {
    return std::string(e.what());
  }
}

}  // namespace control
