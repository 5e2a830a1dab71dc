#include "control/ControlClient.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <thread>

namespace control {

namespace {

// The connection, or nothing with errno saying why.
foundation::UniqueFd connectOnce(const std::string& path) {
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  if (path.size() >= sizeof addr.sun_path) {
    errno = ENAMETOOLONG;
    return {};
  }
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  foundation::UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!fd) return {};
  if (::connect(fd.get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    int err = errno;
    fd.reset();
    errno = err;
    return {};
  }
  return fd;
}

bool deniedBy(int err) { return err == EACCES || err == EPERM; }

}  // namespace

bool isListening(const std::string& socketPath) { return static_cast<bool>(connectOnce(socketPath)); }

Reach reach(const std::string& socketPath) {
  if (connectOnce(socketPath)) return Reach::listening;
  return deniedBy(errno) ? Reach::denied : Reach::absent;
}

Client::Client(const std::string& socketPath, std::chrono::milliseconds timeout) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    fd_ = connectOnce(socketPath);
    if (fd_) return;
    if (deniedBy(errno)) throw PermissionDenied("permission denied: " + socketPath + " is another user's");
    if (std::chrono::steady_clock::now() >= deadline) throw std::runtime_error("no host answers on " + socketPath);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

std::string Client::requestLine(const std::string& line, std::chrono::milliseconds timeout) {
  std::string out = line;
  if (out.empty() || out.back() != '\n') out += '\n';
  for (std::size_t sent = 0; sent < out.size();) {
    ssize_t n = ::send(fd_.get(), out.data() + sent, out.size() - sent, MSG_NOSIGNAL);
    if (n < 0) {
      if (errno == EINTR) continue;
      // A host that turned us away said why before it closed: read that.
      if (errno == EPIPE || errno == ECONNRESET) break;
      throw std::runtime_error(std::string("control request failed: ") + std::strerror(errno));
    }
    sent += static_cast<std::size_t>(n);
  }
  return nextLine(timeout);
}

std::string Client::nextLine(std::chrono::milliseconds timeout) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (auto nl = buffer_.find('\n'); nl != std::string::npos) {
      std::string answer = buffer_.substr(0, nl);
      buffer_.erase(0, nl + 1);
      return answer;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) throw std::runtime_error("the host did not answer in time");
    pollfd p{fd_.get(), POLLIN, 0};
    int r = ::poll(&p, 1, static_cast<int>(left.count()));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) continue;
    char chunk[4096];
    ssize_t n = ::recv(fd_.get(), chunk, sizeof chunk, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw std::runtime_error("the host closed the connection");
    buffer_.append(chunk, static_cast<std::size_t>(n));
  }
}

nlohmann::json Client::request(const nlohmann::json& req, std::chrono::milliseconds timeout) {
  return nlohmann::json::parse(requestLine(req.dump(), timeout));
}

}  // namespace control
