#include "control/Liveness.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <asio.hpp>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <thread>

#include <nlohmann/json.hpp>

#include "control/ControlClient.h"
#include "foundation/UniqueFd.h"

namespace control {

namespace {

using Clock = std::chrono::steady_clock;
using foundation::UniqueFd;

constexpr auto kTurnEvery = std::chrono::milliseconds(100);

std::int64_t nowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

bool address(const std::string& path, sockaddr_un& addr) {
  addr = {};
  addr.sun_family = AF_UNIX;
  if (path.size() >= sizeof addr.sun_path) return false;
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  return true;
}

}  // namespace

std::string livenessPath(const std::string& controlSocket) {
  constexpr std::string_view suffix = ".sock";
  if (controlSocket.size() > suffix.size() && controlSocket.ends_with(suffix))
    return controlSocket.substr(0, controlSocket.size() - suffix.size()) + ".live";
  return controlSocket + ".live";
}

struct Liveness::Impl : std::enable_shared_from_this<Liveness::Impl> {
  Impl(asio::io_context& loop, std::string p) : path(std::move(p)), ticker(loop) {}

  void tick() {
    lastTurn.store(nowNs(), std::memory_order_relaxed);
    ticker.expires_after(kTurnEvery);
    std::weak_ptr<Impl> weak = shared_from_this();
    ticker.async_wait([weak](const asio::error_code& ec) {
      if (auto self = weak.lock(); self && !ec) self->tick();
    });
  }

  // Each connection gets its line at once and is closed: there is nothing to
  // read and no connection to hold.
  void serve() {
    bool failing = false;
    const uid_t self = ::geteuid();
    for (;;) {
      pollfd fds[2] = {{listener.get(), POLLIN, 0}, {stop.get(), POLLIN, 0}};
      if (::poll(fds, 2, failing ? 100 : -1) < 0 && errno != EINTR) return;
      if (fds[1].revents) return;
      UniqueFd fd(::accept4(listener.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
      if (!fd && (errno == EMFILE || errno == ENFILE) && spare) {
        // The descriptor kept for this: a host out of them still says it lives.
        spare.reset();
        fd.reset(::accept4(listener.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
      }
      if (!fd) {
        if (errno == EAGAIN || errno == EINTR || errno == ECONNABORTED) continue;
        // Out of descriptors: wait for one, and say so once per spell.
        if (!failing) std::fprintf(stderr, "liveness: cannot take a connection: %s; retrying\n", std::strerror(errno));
        failing = true;
        continue;
      }
      failing = false;
      ucred cred{};
      socklen_t len = sizeof cred;
      std::string line;
      if (::getsockopt(fd.get(), SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0 || cred.uid != self) {
        line = "{\"ok\":false,\"error\":\"permission denied\"}\n";
      } else {
        auto stalled = (nowNs() - lastTurn.load(std::memory_order_relaxed)) / 1000000;
        line = nlohmann::json{{"ok", true}, {"pid", ::getpid()}, {"stalledMs", stalled}}.dump() + "\n";
      }
      (void)::send(fd.get(), line.data(), line.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
      fd.reset();
      if (!spare) spare.reset(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    }
  }

  std::string path;
  asio::steady_timer ticker;  // main loop
  std::atomic<std::int64_t> lastTurn{nowNs()};
  UniqueFd listener, stop, spare;
  std::thread thread;
};

Liveness::Liveness(asio::io_context& mainLoop, const std::string& socketPath)
    : impl_(std::make_shared<Impl>(mainLoop, socketPath)) {
  sockaddr_un addr;
  if (!address(socketPath, addr))
    throw std::runtime_error("liveness socket path is too long for a local socket: " + socketPath);
  if (isListening(socketPath)) throw std::runtime_error("another host already answers on " + socketPath);
  ::unlink(socketPath.c_str());  // stale, from a host that died
  impl_->listener.reset(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  impl_->stop.reset(::eventfd(0, EFD_CLOEXEC));
  impl_->spare.reset(::open("/dev/null", O_RDONLY | O_CLOEXEC));
  bool ok = impl_->listener && impl_->stop &&
            ::bind(impl_->listener.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
            ::chmod(socketPath.c_str(), 0600) == 0 && ::listen(impl_->listener.get(), SOMAXCONN) == 0;
  if (!ok) throw std::runtime_error("cannot listen on " + socketPath + ": " + std::strerror(errno));
  impl_->tick();
  impl_->thread = std::thread([impl = impl_.get()] { impl->serve(); });
}

Liveness::~Liveness() {
  std::uint64_t one = 1;
  (void)::write(impl_->stop.get(), &one, sizeof one);
  impl_->thread.join();
  impl_->ticker.cancel();
  ::unlink(impl_->path.c_str());
}

Beat checkLiveness(const std::string& socketPath, std::chrono::milliseconds timeout) {
  Beat beat;
  sockaddr_un addr;
  if (!address(socketPath, addr)) {
    beat.detail = "its socket path is too long";
    return beat;
  }
  UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!fd || ::connect(fd.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    int err = errno;
    beat.outcome = err == EACCES || err == EPERM ? Beat::denied : Beat::absent;
    beat.detail = std::strerror(err);
    return beat;
  }
  std::string got;
  auto deadline = Clock::now() + timeout;
  for (;;) {
    if (auto nl = got.find('\n'); nl != std::string::npos) {
      try {
        auto answer = nlohmann::json::parse(got.substr(0, nl));
        if (!answer.value("ok", false)) {
          beat.outcome = Beat::denied;
          beat.detail = answer.value("error", "refused");
          return beat;
        }
        beat.outcome = Beat::answered;
        beat.stalled = std::chrono::milliseconds(answer.value("stalledMs", 0));
      } catch (const std::exception& e) {
        beat.outcome = Beat::hungUp;
        beat.detail = std::string("a malformed answer: ") + e.what();
      }
      return beat;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) {
      beat.outcome = Beat::silent;
      return beat;
    }
    pollfd p{fd.get(), POLLIN, 0};
    int r = ::poll(&p, 1, static_cast<int>(left));
    if (r < 0 && errno != EINTR) {
      beat.outcome = Beat::hungUp;
      beat.detail = std::strerror(errno);
      return beat;
    }
    if (r <= 0) continue;
    char chunk[256];
    ssize_t n = ::recv(fd.get(), chunk, sizeof chunk, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      beat.outcome = Beat::hungUp;
      beat.detail = n < 0 ? std::strerror(errno) : "closed";
      return beat;
    }
    got.append(chunk, static_cast<std::size_t>(n));
  }
}

}  // namespace control
