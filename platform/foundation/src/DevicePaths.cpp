#include "foundation/DevicePaths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <vector>

namespace foundation {

namespace {
std::mutex overrideMutex;
std::optional<std::string> rootOverride;

std::string homeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return ".";
}

std::string absolute(std::string path) {
  if (!path.empty() && path.front() == '/') return path;
  std::error_code ec;
  auto abs = std::filesystem::absolute(path, ec);
  return ec ? path : abs.string();
}
}  // namespace

std::string deviceRoot() {
  {
    std::lock_guard g(overrideMutex);
    if (rootOverride) return *rootOverride;
  }
  if (const char* env = std::getenv("CORVALLO_DEVICE_ROOT"); env && *env) return absolute(env);
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/')
    return std::string(data) + "/corvallo/device";
  return homeFolder() + "/.local/share/corvallo/device";
}

std::string devicePath(std::string_view path) {
  // Lexical, so a ".." can only drop a component the path itself named.
  std::vector<std::string_view> parts;
  std::size_t i = 0;
  while (i < path.size()) {
    std::size_t j = path.find('/', i);
    if (j == std::string_view::npos) j = path.size();
    std::string_view part = path.substr(i, j - i);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    i = j + 1;
  }
  std::string out = deviceRoot();
  while (out.size() > 1 && out.back() == '/') out.pop_back();
  for (auto part : parts) {
    out += '/';
    out += part;
  }
  return out;
}

void setDeviceRootOverride(std::optional<std::string> root) {
  std::lock_guard g(overrideMutex);
  if (root) root = absolute(std::move(*root));
  rootOverride = std::move(root);
}

}  // namespace foundation
