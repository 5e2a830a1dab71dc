#include "foundation/LogRotation.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

namespace foundation {

namespace fs = std::filesystem;

fs::path logGeneration(const fs::path& log, int n) {
  fs::path p = log;
  p += "." + std::to_string(n);
  return p;
}

namespace {

std::uint64_t limitFromEnvironment() {
  const char* text = std::getenv(kLogRotateBytesVariable);
  if (!text) return 0;
  std::uint64_t bytes = 0;
  auto [end, ec] = std::from_chars(text, text + std::strlen(text), bytes);
  return ec == std::errc() && *end == '\0' ? bytes : 0;
}

bool sameFile(const struct stat& a, const struct stat& b) { return a.st_ino == b.st_ino && a.st_dev == b.st_dev; }

// The file standard error writes to, when it is a log file by name.
std::string standardErrorLog() {
  char path[4096];
  ssize_t n = ::readlink("/proc/self/fd/2", path, sizeof path - 1);
  if (n <= 0) return {};
  std::string p(path, static_cast<std::size_t>(n));
  // A file removed while open reads as "<path> (deleted)", and is left alone.
  return p.ends_with(".log") ? p : std::string();
}

// Whether standard error is a file the next line would take past the limit.
bool full(std::size_t incoming, std::uint64_t limit, struct stat& current) {
  if (::fstat(STDERR_FILENO, &current) != 0 || !S_ISREG(current.st_mode)) return false;
  auto size = static_cast<std::uint64_t>(current.st_size);
  // A line longer than the limit still goes into a file of its own.
  return size > 0 && size + incoming > limit;
}

void rotate(std::size_t incoming, std::uint64_t limit) {
  struct stat current;
  if (!full(incoming, limit, current)) return;
  std::string log = standardErrorLog();
  if (log.empty()) return;
  struct stat atPath;
  // Another process writing the same file may have moved it already; then
  // only the new file is opened.
  if (::stat(log.c_str(), &atPath) == 0 && sameFile(atPath, current)) {
    for (int n = kLogGenerations - 1; n >= 1; --n)
      ::rename(logGeneration(log, n).c_str(), logGeneration(log, n + 1).c_str());
    if (::rename(log.c_str(), logGeneration(log, 1).c_str()) != 0) return;
  }
  int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return;
  struct stat out;
  bool stdoutToo = ::fstat(STDOUT_FILENO, &out) == 0 && sameFile(out, current);
  ::dup2(fd, STDERR_FILENO);
  if (stdoutToo) ::dup2(fd, STDOUT_FILENO);
  ::close(fd);
}

// The limit read from the environment; kUnread until the first line.
constexpr std::uint64_t kUnread = ~std::uint64_t{0};
std::atomic<std::uint64_t> limitBytes{kUnread};

}  // namespace

void resetLogRotationFromEnvironment() { limitBytes.store(limitFromEnvironment(), std::memory_order_relaxed); }

namespace detail {

std::unique_lock<std::mutex> rotateStandardErrorIfFull(std::size_t incomingBytes) {
  std::uint64_t limit = limitBytes.load(std::memory_order_relaxed);
  if (limit == kUnread) {
    limit = limitFromEnvironment();
    limitBytes.store(limit, std::memory_order_relaxed);
  }
  if (limit == 0) return {};
  // The threads of a process write one line at a time, each after its check.
  static std::mutex m;
  std::unique_lock lock(m);
  rotate(incomingBytes, limit);
  return lock;
}

}  // namespace detail

}  // namespace foundation
