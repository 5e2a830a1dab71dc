#include "transport.h"

#include "foundation/Utf8.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <random>
#include <set>
#include <vector>

#include "notify/notify.h"

namespace notify::detail {

namespace {

using foundation::UniqueFd;
using Clock = std::chrono::steady_clock;

constexpr std::string_view kSuffix = ".sock";
constexpr const char* kGenerationFile = "generation";

// A listener's name: "<pid>-<16 hex digits>.sock". The random part keeps a
// recycled pid from ever meeting a stale listener of the same name.
bool isListenerName(std::string_view n) {
  if (n.size() <= kSuffix.size() || n.substr(n.size() - kSuffix.size()) != kSuffix) return false;
  n.remove_suffix(kSuffix.size());
  auto dash = n.find('-');
  if (dash == 0 || dash == std::string_view::npos || n.size() - dash - 1 != 16) return false;
  for (std::size_t i = 0; i < n.size(); ++i) {
    char c = n[i];
    bool ok = i < dash ? (c >= '0' && c <= '9') : i == dash || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
    if (!ok) return false;
  }
  return true;
}

// A socket path longer than sun_path is reached through the folder's
// descriptor instead, which keeps any device root usable.
bool socketAddress(int dirFd, const std::string& folder, std::string_view entry, sockaddr_un& addr, socklen_t& len) {
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

foundation::Status makeFolders(const std::string& folder) {
  for (std::size_t pos = 1; pos <= folder.size(); ++pos) {
    if (pos != folder.size() && folder[pos] != '/') continue;
    std::string part = folder.substr(0, pos);
    mode_t mode = pos == folder.size() ? 0700 : 0755;
    if (::mkdir(part.c_str(), mode) != 0 && errno != EEXIST)
      return foundation::Error{"cannot create " + part + ": " + std::strerror(errno)};
  }
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return foundation::Error{folder + " is not a folder"};
  // Another user who could write here could stand in for a listener.
  if ((st.st_uid != ::geteuid() && st.st_uid != 0) || (st.st_mode & (S_IWGRP | S_IWOTH)))
    return foundation::Error{folder + " is open to other users; not listening there"};
  return foundation::Done{};
}

// A listener's process, from its name ("<pid>-…").
bool listenerGone(std::string_view entry) {
  long pid = 0;
  auto [end, ec] = std::from_chars(entry.data(), entry.data() + entry.size(), pid);
  return ec == std::errc() && pid > 0 && ::kill(static_cast<pid_t>(pid), 0) == -1 && errno == ESRCH;
}

const std::uint64_t* mapGeneration(const std::string& folder, bool create) {
  std::string path = folder + "/" + kGenerationFile;
  UniqueFd fd(create ? ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)
                     : ::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd) return nullptr;
  struct stat st {};
  bool sized = ::fstat(fd.get(), &st) == 0 && (st.st_size >= 8 || (create && ::ftruncate(fd.get(), 8) == 0));
  void* p =
      sized ? ::mmap(nullptr, 8, create ? PROT_READ | PROT_WRITE : PROT_READ, MAP_SHARED, fd.get(), 0) : MAP_FAILED;
  return p == MAP_FAILED ? nullptr : static_cast<const std::uint64_t*>(p);
}

std::uint64_t loadGeneration(const std::uint64_t* g) {
  return std::atomic_ref<std::uint64_t>(*const_cast<std::uint64_t*>(g)).load(std::memory_order_acquire);
}

// A stuck observer is reported once per listener, not once per post.
void reportFull(const std::string& entry) {
  static std::mutex mutex;
  static std::set<std::string> reported;
  std::lock_guard lock(mutex);
  if (reported.size() < 256 && reported.insert(entry).second)
    logLine("observer %s is not reading; posts to it are dropped", entry.c_str());
}

// The posting side of the process: connections to the listeners of one
// folder, looked at again when the generation moves (and once a second, in
// case the folder was replaced under us).
class Poster {
 public:
  std::uint32_t post(const std::string& folder, std::string_view name) {
    std::lock_guard lock(mutex_);
    if (folder != folder_) reset(folder);
    if (!generation_) generation_ = mapGeneration(folder_, false);
    const std::uint64_t generation = generation_ ? loadGeneration(generation_) : 0;
    const auto now = Clock::now();
    if (!generation_ || generation != seen_ || now - listedAt_ > std::chrono::seconds(1)) {
      std::uint32_t status = relist();
      if (status != NOTIFY_STATUS_OK) return status;
      seen_ = generation;
      listedAt_ = now;
    }

    char packet[1 + kMaxNameLength];
    std::size_t length = encodePost(name, packet);
    for (std::size_t i = 0; i < peers_.size();) {
      if (::send(peers_[i].fd.get(), packet, length, MSG_DONTWAIT | MSG_NOSIGNAL) >= 0) {
        ++i;
        continue;
      }
      int err = errno;
      if (err == EAGAIN || err == ENOBUFS) {
        reportFull(peers_[i].entry);
        ++i;
        continue;
      }
      // It hung up: forget the connection, and the listener too if its
      // process is gone. A live one may have turned us away (it bounds its
      // connections); the next look at the folder connects again.
      if (err == EPIPE || err == ECONNRESET || err == ENOTCONN) {
        if (listenerGone(peers_[i].entry)) ::unlink((folder_ + "/" + peers_[i].entry).c_str());
      } else
        logLine("cannot post to %s: %s", peers_[i].entry.c_str(), std::strerror(err));
      peers_.erase(peers_.begin() + static_cast<std::ptrdiff_t>(i));
    }
    return NOTIFY_STATUS_OK;
  }

 private:
  struct Peer {
    std::string entry;
    UniqueFd fd;
  };

  void reset(const std::string& folder) {
    peers_.clear();
    if (generation_) ::munmap(const_cast<std::uint64_t*>(generation_), 8);
    generation_ = nullptr;
    folder_ = folder;
    listedAt_ = {};
  }

  std::uint32_t relist() {
    DIR* dir = ::opendir(folder_.c_str());
    if (!dir) {
      if (errno != ENOENT) {
        logLine("cannot read %s: %s", folder_.c_str(), std::strerror(errno));
        return NOTIFY_STATUS_FAILED;
      }
      reset(folder_);  // nobody observes on this device
      return NOTIFY_STATUS_OK;
    }
    const int dirFd = ::dirfd(dir);
    std::vector<Peer> kept;
    while (const dirent* e = ::readdir(dir)) {
      if (!isListenerName(e->d_name)) continue;
      auto known = std::find_if(peers_.begin(), peers_.end(), [&](const Peer& p) { return p.entry == e->d_name; });
      if (known != peers_.end()) {
        kept.push_back({known->entry, std::move(known->fd)});
        continue;
      }
      if (UniqueFd fd = connectTo(dirFd, e->d_name)) kept.push_back({e->d_name, std::move(fd)});
    }
    ::closedir(dir);
    peers_ = std::move(kept);  // closes the connections whose listener is gone
    return NOTIFY_STATUS_OK;
  }

  UniqueFd connectTo(int dirFd, const char* entry) {
    sockaddr_un addr;
    socklen_t len;
    if (!socketAddress(dirFd, folder_, entry, addr, len)) {
      logLine("cannot address %s in %s", entry, folder_.c_str());
      return {};
    }
    UniqueFd fd(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd) {
      logLine("cannot open a socket to post: %s", std::strerror(errno));
      return {};
    }
    if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&addr), len) == 0) return fd;
    int err = errno;
    fd.reset();
    if (err == ECONNREFUSED) {
      ::unlinkat(dirFd, entry, 0);  // its process is gone
    } else if (err == EAGAIN) {
      reportFull(entry);
      seen_ = ~0ull;  // try again at the next post
    } else if (err != ENOENT) {
      logLine("cannot reach %s: %s", entry, std::strerror(err));
    }
    return {};
  }

  std::mutex mutex_;
  std::string folder_;
  const std::uint64_t* generation_ = nullptr;
  std::uint64_t seen_ = ~0ull;
  Clock::time_point listedAt_{};
  std::vector<Peer> peers_;
};

}  // namespace

void logLine(const char* format, ...) {
  char line[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  std::fprintf(stderr, "notify: %s\n", line);
}

std::size_t encodePost(std::string_view name, char* packet) noexcept {
  packet[0] = static_cast<char>(kWireVersion);
  std::memcpy(packet + 1, name.data(), name.size());
  return 1 + name.size();
}

std::optional<std::string_view> decodePost(std::string_view message) noexcept {
  if (message.size() < 2 || static_cast<unsigned char>(message[0]) != kWireVersion) return std::nullopt;
  std::string_view name = message.substr(1);
  if (!isValidName(name)) return std::nullopt;
  return name;
}

bool isValidName(std::string_view s) noexcept {
  if (s.empty() || s.size() > kMaxNameLength || s.find('\0') != std::string_view::npos) return false;
  return foundation::isWellFormedUtf8(s);
}

namespace {
foundation::Result<std::string> findNotifyFolder() {
  std::string root;
  if (const char* env = std::getenv("CORVALLO_DEVICE_ROOT"); env && *env) {
    root = env;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    root = std::string(home) + "/.local/share/corvallo/device";
  } else {
    return foundation::Error{"neither CORVALLO_DEVICE_ROOT nor HOME is set"};
  }
  if (root.front() != '/') return foundation::Error{"device root \"" + root + "\" is not an absolute path"};
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  return root + "/var/run/notify";
}
}  // namespace

// Worked out again only when the environment's strings change, which setenv
// does by replacing them: a post costs no allocation.
const foundation::Result<std::string>& notifyFolder() {
  thread_local const char* env = nullptr;
  thread_local const char* home = nullptr;
  thread_local std::optional<foundation::Result<std::string>> found;
  const char* e = std::getenv("CORVALLO_DEVICE_ROOT");
  const char* h = std::getenv("HOME");
  if (!found || e != env || h != home) {
    found = findNotifyFolder();
    env = e;
    home = h;
  }
  return *found;
}

std::uint32_t broadcast(std::string_view name) noexcept {
  try {
    const auto& folder = notifyFolder();
    if (!folder) {
      logLine("cannot post %.*s: %s", static_cast<int>(name.size()), name.data(), folder.error().c_str());
      return NOTIFY_STATUS_FAILED;
    }
    // Never destroyed: posts may come from threads still running at exit.
    static Poster* poster = new Poster();
    return poster->post(folder.value(), name);
  } catch (const std::exception& e) {
    logLine("cannot post: %s", e.what());
    return NOTIFY_STATUS_FAILED;
  }
}

namespace {

// Sockets left by observers that died without unlinking them: a process
// killed with SIGKILL leaves its socket until some post finds it refused. A
// new observer sweeps the ones whose process is gone.
void sweepDeadListeners(int dirFd) {
  UniqueFd own(::dup(dirFd));
  if (!own) return;
  DIR* dir = ::fdopendir(own.get());
  if (!dir) return;
  (void)own.release();  // the DIR owns it now
  const pid_t self = ::getpid();
  while (dirent* e = ::readdir(dir)) {
    std::string_view name = e->d_name;
    if (!isListenerName(name)) continue;
    long pid = 0;
    auto [end, ec] = std::from_chars(name.data(), name.data() + name.find('-'), pid);
    if (ec != std::errc() || pid <= 0 || pid == self) continue;
    if (::kill(static_cast<pid_t>(pid), 0) == -1 && errno == ESRCH) ::unlinkat(::dirfd(dir), e->d_name, 0);
  }
  ::closedir(dir);
}

}  // namespace

foundation::Result<Listener> openListener() {
  const std::string folder = FOUNDATION_TRY(notifyFolder());
  FOUNDATION_TRY(makeFolders(folder));

  std::random_device random;
  char entry[64];
  std::snprintf(entry, sizeof entry, "%ld-%08x%08x.sock", static_cast<long>(::getpid()), random(), random());

  UniqueFd fd(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (!fd) return foundation::Error{std::string("cannot open a socket: ") + std::strerror(errno)};
  UniqueFd dirFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dirFd) sweepDeadListeners(dirFd.get());
  sockaddr_un addr;
  socklen_t len;
  // Bound under the caller's umask: the mode is set before anyone can connect.
  bool ok = socketAddress(dirFd.get(), folder, entry, addr, len) &&
            ::bind(fd.get(), reinterpret_cast<const sockaddr*>(&addr), len) == 0 &&
            (dirFd ? ::fchmodat(dirFd.get(), entry, 0600, 0) : ::chmod((folder + "/" + entry).c_str(), 0600)) == 0 &&
            ::listen(fd.get(), SOMAXCONN) == 0;
  int err = errno;
  dirFd.reset();
  if (!ok) return foundation::Error{"cannot listen on " + folder + "/" + entry + ": " + std::strerror(err)};
  std::string path = folder + "/" + entry;

  // Without the announcement, posters that already looked would not see it
  // until their next periodic look.
  const std::uint64_t* generation = mapGeneration(folder, true);
  if (!generation) {
    logLine("cannot announce %s: %s; posters notice it within a second", entry, std::strerror(errno));
  } else {
    std::atomic_ref<std::uint64_t>(*const_cast<std::uint64_t*>(generation)).fetch_add(1, std::memory_order_acq_rel);
    ::munmap(const_cast<std::uint64_t*>(generation), 8);
  }
  return Listener{std::move(fd), std::move(path)};
}

}  // namespace notify::detail
