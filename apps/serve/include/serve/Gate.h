// Who may use the live page: the run's token, the address it serves, and the
// page's own origin. A request that fails any check is refused before it
// reaches a handler.
#pragma once

#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace serve {

// 32 random hex digits from the kernel's generator.
std::string makeToken();

struct RequestFacts {
  std::string method;  // GET, POST, ...
  std::string host;    // the Host header
  std::string origin;  // the Origin header, empty when absent
  std::string cookie;  // the Cookie header
  std::string tokenParameter;  // ?token=, empty when absent
};

class Gate {
 public:
  // `hosts` are the Host header values that name this server (such as
  // "127.0.0.1:8123" and "localhost:8123").
  Gate(std::string token, std::vector<std::string> hosts);

  // Nothing when the request may go on, else why it is refused (a 403).
  std::optional<std::string> refusal(const RequestFacts& r) const;
  const std::string& token() const { return token_; }
  // The cookie the first load sets, so the page's own requests carry the token.
  std::string cookie() const;

 private:
  std::string token_;
  std::vector<std::string> hosts_;
};

// The token in a Cookie header, or empty.
std::string cookieToken(const std::string& cookieHeader);

// A bucket of `burst` requests that refills at `perSecond`: more than that is
// refused (a 429) rather than passed on to a host.
class RateLimit {
 public:
  RateLimit(double perSecond, double burst);
  bool take(std::chrono::steady_clock::time_point now = std::chrono::steady_clock::now());

 private:
  std::mutex mutex_;
  double perSecond_, burst_, tokens_;
  std::chrono::steady_clock::time_point last_;
};

}  // namespace serve
