#include "serve/Gate.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace serve {

namespace {

constexpr const char* kCookieName = "corvallo_token";

// Compares without stopping at the first difference, so timing tells nothing.
bool sameSecret(const std::string& a, const std::string& b) {
  if (a.size() != b.size() || a.empty()) return false;
  unsigned char diff = 0;
  for (std::size_t i = 0; i < a.size(); ++i) diff |= static_cast<unsigned char>(a[i] ^ b[i]);
  return diff == 0;
}

}  // namespace

std::string makeToken() {
  unsigned char bytes[16];
  int fd = ::open("/dev/urandom", O_RDONLY | O_CLOEXEC);
  bool ok = fd >= 0 && ::read(fd, bytes, sizeof bytes) == static_cast<ssize_t>(sizeof bytes);
  if (fd >= 0) ::close(fd);
  if (!ok) throw std::runtime_error("cannot read /dev/urandom for the page's token");
  std::string out;
  char hex[3];
  for (unsigned char b : bytes) {
    std::snprintf(hex, sizeof hex, "%02x", b);
    out += hex;
  }
  return out;
}

std::string cookieToken(const std::string& header) {
  std::string key = std::string(kCookieName) + "=";
  std::size_t at = 0;
  while (at < header.size()) {
    std::size_t end = header.find(';', at);
    if (end == std::string::npos) end = header.size();
    std::size_t start = header.find_first_not_of(' ', at);
    if (start < end && header.compare(start, key.size(), key) == 0)
      return header.substr(start + key.size(), end - start - key.size());
    at = end + 1;
  }
  return {};
}

Gate::Gate(std::string token, std::vector<std::string> hosts) : token_(std::move(token)), hosts_(std::move(hosts)) {}

std::optional<std::string> Gate::refusal(const RequestFacts& r) const {
  // A name that resolves here by rebinding still sends its own Host.
  if (std::find(hosts_.begin(), hosts_.end(), r.host) == hosts_.end()) return "unknown host";
  if (!sameSecret(r.tokenParameter, token_) && !sameSecret(cookieToken(r.cookie), token_)) return "no valid token";
  if (r.method != "GET" && r.method != "HEAD" && r.origin != "http://" + r.host)
    return "a change must come from the page itself";
  return std::nullopt;
}

std::string Gate::cookie() const {
  return std::string(kCookieName) + "=" + token_ + "; Path=/; HttpOnly; SameSite=Strict";
}

RateLimit::RateLimit(double perSecond, double burst)
    : perSecond_(perSecond), burst_(burst), tokens_(burst), last_(std::chrono::steady_clock::now()) {}

bool RateLimit::take(std::chrono::steady_clock::time_point now) {
  std::lock_guard lock(mutex_);
  double elapsed = std::chrono::duration<double>(now - last_).count();
  if (elapsed > 0) {
    tokens_ = std::min(burst_, tokens_ + elapsed * perSecond_);
    last_ = now;
  }
  if (tokens_ < 1) return false;
  tokens_ -= 1;
  return true;
}

}  // namespace serve
