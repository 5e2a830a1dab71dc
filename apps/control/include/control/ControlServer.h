// A line-delimited JSON control protocol on a local socket, served on the
// host's main loop so that every request sees and changes the host's state on
// its main thread.
//
// Each request is one JSON object on one line; each answer is one line: the
// handler's object with "ok": true added, or {"ok": false, "error": "..."}.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

namespace asio {
class io_context;
}

namespace control {

using json = nlohmann::json;

// What a handler throws to answer with an error; any other exception is
// answered the same way, so a bad request never takes the host down.
class RequestError : public std::runtime_error {
 public:
  explicit RequestError(const std::string& text)
      : std::runtime_error(text), text_(std::make_shared<const std::string>(text)) {}
  explicit RequestError(const char* text) : RequestError(std::string(text)) {}
  // The whole text: what() stops at a NUL, and an error may quote a request
  // that holds one. Shared, so copying the error cannot throw.
  const std::string& text() const noexcept { return *text_; }

 private:
  std::shared_ptr<const std::string> text_;
};

using Handler = std::function<json(const json& request)>;

// Longest request line accepted; a longer one is answered with an error and
// the connection is closed. Requests are a few hundred bytes.
inline constexpr std::size_t kMaxRequestBytes = 64 << 10;

// Bounds that keep clients from pinning a host's memory or descriptors.
struct Limits {
  std::size_t maxConnections = 64;  // one more is answered with an error and closed
  // A connection with nothing of a request sent is closed after this...
  std::chrono::milliseconds idleTimeout = std::chrono::seconds(60);
  // ...and a request line must be complete this long after its first byte,
  // however slowly the bytes come.
  std::chrono::milliseconds lineTimeout = std::chrono::seconds(5);
};

// A client that sends {"op": "subscribe"} is answered {"ok": true,
// "subscribed": true}, and from then on the connection carries the lines the
// host publishes, one JSON object each, for as long as it stays open. It is
// never closed for being idle; one that falls 256 lines behind is closed.
class Server {
 public:
  // Listens on `socketPath`, replacing a stale socket left by a dead host.
  // The socket is the owner's alone (0600), and a connection from another
  // user is answered "permission denied" and closed.
  // Throws std::runtime_error naming the path when it cannot listen there
  // (too long for a local socket, folder missing, in use by a live host).
  Server(asio::io_context& context, const std::string& socketPath, Handler handler, Limits limits = {});
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  const std::string& path() const;

  // Sends `event` to every subscriber. Main loop only.
  void publish(const json& event);
  // How many subscribers are connected now. Main loop only.
  std::size_t subscribers() const;

 private:
  struct Impl;
  std::shared_ptr<Impl> impl_;
};

// Answers one request line: parses, dispatches, catches. Exposed so the
// framing can be tested without a socket.
std::string answerLine(const std::string& line, const Handler& handler);

// The request's "op" member, or a RequestError.
std::string requestOp(const json& request);

}  // namespace control
