#include "Roots.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "foundation/UniqueFd.h"

namespace fs = std::filesystem;

namespace device {

namespace {

// The registry under its lock, read, changed and written back whole.
template <class Change>
std::vector<fs::path> updateRegistry(Change change) {
  fs::path file = rootsRegistry();
  std::error_code ec;
  fs::create_directories(file.parent_path(), ec);
  foundation::UniqueFd lock(::open((file.string() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  if (lock.get() >= 0) ::flock(lock.get(), LOCK_EX);
  std::vector<fs::path> roots;
  {
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);)
      if (!line.empty() && fs::is_directory(line, ec) &&
          std::find(roots.begin(), roots.end(), fs::path(line)) == roots.end())
        roots.emplace_back(line);
  }
  change(roots);
  fs::path temporary = file.string() + ".new";
  {
    std::ofstream out(temporary, std::ios::trunc);
    for (const auto& r : roots) out << r.string() << "\n";
    if (!out.flush()) return roots;
  }
  fs::rename(temporary, file, ec);
  return roots;
}

}  // namespace

fs::path rootsRegistry() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state && *state) return fs::path(state) / "corvallo/roots";
  const char* home = std::getenv("HOME");
  return fs::path(home && *home ? home : "/tmp") / ".local/state/corvallo/roots";
}

void recordRoot(const fs::path& root) {
  std::error_code ec;
  fs::path absolute = fs::weakly_canonical(fs::absolute(root), ec);
  if (ec) absolute = fs::absolute(root);
  updateRegistry([&](std::vector<fs::path>& roots) {
    if (std::find(roots.begin(), roots.end(), absolute) == roots.end()) roots.push_back(absolute);
  });
}

std::vector<fs::path> recordedRoots() {
  return updateRegistry([](std::vector<fs::path>&) {});
}

}  // namespace device
