#include "transport.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <random>
#include <set>

#include "notify/notify.h"

namespace notify::detail {

namespace {

constexpr std::string_view kSuffix = ".sock";

// An endpoint's name: "<pid>-<16 hex digits>.sock". The random part keeps a
// recycled pid from ever meeting a stale endpoint of the same name.
bool isEndpointName(std::string_view n) {
  if (n.size() <= kSuffix.size() || n.substr(n.size() - kSuffix.size()) != kSuffix) return false;
  n.remove_suffix(kSuffix.size());
  auto dash = n.find('-');
  if (dash == 0 || dash == std::string_view::npos || n.size() - dash - 1 != 16) return false;
  for (std::size_t i = 0; i < n.size(); ++i) {
    char c = n[i];
    bool ok = i < dash ? (c >= '0' && c <= '9')
                       : i == dash || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
    if (!ok) return false;
  }
  return true;
}

// A socket path longer than sun_path is reached through the folder's
// descriptor instead, which keeps any device root usable.
bool socketAddress(int dirFd, const std::string& folder, std::string_view entry, sockaddr_un& addr,
                   socklen_t& len) {
  std::memset(&addr, 0, sizeof addr);
  addr.sun_family = AF_UNIX;
  std::string path = folder + "/" + std::string(entry);
  if (path.size() >= sizeof addr.sun_path) {
    path = "/proc/self/fd/" + std::to_string(dirFd) + "/" + std::string(entry);
    if (dirFd < 0 || path.size() >= sizeof addr.sun_path) {
      errno = ENAMETOOLONG;
      return false;
    }
  }
  std::memcpy(addr.sun_path, path.data(), path.size());
  len = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() + 1);
  return true;
}

// One unbound socket sends every post of the process; a failure to open it
// is retried by the next post.
int posterSocket() {
  static std::atomic<int> shared{-1};
  int fd = shared.load(std::memory_order_acquire);
  if (fd >= 0) return fd;
  fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  int expected = -1;
  if (!shared.compare_exchange_strong(expected, fd, std::memory_order_acq_rel)) {
    ::close(fd);
    return expected;
  }
  return fd;
}

// A stuck observer is reported once per endpoint, not once per post.
void reportFull(const std::string& entry) {
  static std::mutex mutex;
  static std::set<std::string> reported;
  std::lock_guard lock(mutex);
  if (reported.size() < 256 && reported.insert(entry).second)
    logLine("observer %s is not reading; posts to it are dropped", entry.c_str());
}

bool makeFolders(const std::string& folder, std::string& error) {
  for (std::size_t pos = 1; pos <= folder.size(); ++pos) {
    if (pos != folder.size() && folder[pos] != '/') continue;
    std::string part = folder.substr(0, pos);
    mode_t mode = pos == folder.size() ? 0700 : 0755;
    if (::mkdir(part.c_str(), mode) != 0 && errno != EEXIST) {
      error = "cannot create " + part + ": " + std::strerror(errno);
      return false;
    }
  }
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    error = folder + " is not a folder";
    return false;
  }
  return true;
}

}  // namespace

void logLine(const char* format, ...) {
  char line[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  std::fprintf(stderr, "notify: %s\n", line);
}

bool isValidName(std::string_view s) noexcept {
  if (s.empty() || s.size() > kMaxNameLength) return false;
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const auto* end = p + s.size();
  while (p < end) {
    unsigned c = *p++;
    if (c < 0x80) {
      if (c == 0) return false;
      continue;
    }
    int more;
    unsigned cp, min;
    if ((c & 0xE0) == 0xC0) {
      more = 1, cp = c & 0x1F, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      more = 2, cp = c & 0x0F, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      more = 3, cp = c & 0x07, min = 0x10000;
    } else {
      return false;
    }
    if (end - p < more) return false;
    for (int i = 0; i < more; ++i) {
      unsigned k = *p++;
      if ((k & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (k & 0x3F);
    }
    // Overlong forms, UTF-16 surrogates and values past Unicode are not UTF-8.
    if (cp < min || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return false;
  }
  return true;
}

bool notifyFolder(std::string& folder, std::string& error) {
  std::string root;
  if (const char* env = std::getenv("CORVALLO_DEVICE_ROOT"); env && *env) {
    root = env;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    root = std::string(home) + "/.local/share/corvallo/device";
  } else {
    error = "neither CORVALLO_DEVICE_ROOT nor HOME is set";
    return false;
  }
  if (root.front() != '/') {
    error = "device root \"" + root + "\" is not an absolute path";
    return false;
  }
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  folder = root + "/var/run/notify";
  return true;
}

std::uint32_t broadcast(std::string_view name) noexcept {
  std::string folder, error;
  if (!notifyFolder(folder, error)) {
    logLine("cannot post %.*s: %s", static_cast<int>(name.size()), name.data(), error.c_str());
    return NOTIFY_STATUS_FAILED;
  }
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) {
    if (errno == ENOENT) return NOTIFY_STATUS_OK;  // nobody has ever observed on this device
    logLine("cannot read %s: %s", folder.c_str(), std::strerror(errno));
    return NOTIFY_STATUS_FAILED;
  }
  int sender = posterSocket();
  if (sender < 0) {
    ::closedir(dir);
    logLine("cannot open a socket to post: %s", std::strerror(errno));
    return NOTIFY_STATUS_FAILED;
  }
  char packet[1 + kMaxNameLength];
  packet[0] = static_cast<char>(kWireVersion);
  std::memcpy(packet + 1, name.data(), name.size());
  const int dirFd = ::dirfd(dir);

  while (const dirent* e = ::readdir(dir)) {
    if (e->d_type != DT_SOCK && e->d_type != DT_UNKNOWN) continue;
    if (!isEndpointName(e->d_name)) continue;
    sockaddr_un addr;
    socklen_t len;
    if (!socketAddress(dirFd, folder, e->d_name, addr, len)) {
      logLine("cannot address %s in %s", e->d_name, folder.c_str());
      continue;
    }
    ssize_t sent = ::sendto(sender, packet, 1 + name.size(), MSG_DONTWAIT | MSG_NOSIGNAL,
                            reinterpret_cast<const sockaddr*>(&addr), len);
    if (sent >= 0) continue;
    switch (errno) {
      case ECONNREFUSED:  // its process is gone
        ::unlinkat(dirFd, e->d_name, 0);
        break;
      case ENOENT:  // it went away between listing and sending
      case ENOTSOCK:
        break;
      case EAGAIN:
      case ENOBUFS:
        reportFull(e->d_name);
        break;
      default:
        logLine("cannot post to %s: %s", e->d_name, std::strerror(errno));
    }
  }
  ::closedir(dir);
  return NOTIFY_STATUS_OK;
}

bool openEndpoint(Endpoint& endpoint, std::string& error) {
  std::string folder;
  if (!notifyFolder(folder, error) || !makeFolders(folder, error)) return false;

  std::random_device random;
  char entry[64];
  std::snprintf(entry, sizeof entry, "%ld-%08x%08x.sock", static_cast<long>(::getpid()), random(),
                random());

  int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error = std::string("cannot open a socket: ") + std::strerror(errno);
    return false;
  }
  int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  sockaddr_un addr;
  socklen_t len;
  bool ok = socketAddress(dirFd, folder, entry, addr, len) &&
            ::bind(fd, reinterpret_cast<const sockaddr*>(&addr), len) == 0;
  int bindErrno = errno;
  if (dirFd >= 0) ::close(dirFd);
  if (!ok) {
    ::close(fd);
    error = "cannot bind " + folder + "/" + entry + ": " + std::strerror(bindErrno);
    return false;
  }
  endpoint.fd = fd;
  endpoint.path = folder + "/" + entry;
  return true;
}

}  // namespace notify::detail
