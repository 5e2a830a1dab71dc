#include "control/ControlServer.h"
#include "control/Ops.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <asio.hpp>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <optional>
#include <vector>

#include "control/ControlClient.h"

namespace control {

using asio::local::stream_protocol;

std::string requestOp(const json& request) {
  auto it = request.find("op");
  if (it == request.end() || !it->is_string()) throw RequestError("request has no \"op\" text");
  return it->get<std::string>();
}

std::string answerLine(const std::string& line, const Handler& handler) {
  json answer;
  try {
    json request = json::parse(line);
    if (!request.is_object()) throw RequestError("request is not a JSON object");
    answer = handler(request);
    if (answer.is_null()) answer = json::object();
    if (!answer.is_object()) answer = json{{"result", answer}};
    answer["ok"] = true;
  } catch (const json::parse_error& e) {
    answer = json{{"ok", false}, {"error", std::string("malformed request: ") + e.what()}};
  } catch (const RequestError& e) {
    answer = json{{"ok", false}, {"error", e.text()}};
  } catch (const std::exception& e) {
    answer = json{{"ok", false}, {"error", e.what()}};
  }
  // Text from the host's state may hold bytes that are not UTF-8; replace them
  // rather than fail the answer.
  return answer.dump(-1, ' ', false, json::error_handler_t::replace) + "\n";
}

namespace {

using Clock = std::chrono::steady_clock;

class Session;
using Subscribers = std::vector<std::weak_ptr<Session>>;

constexpr std::size_t kMaxQueuedEvents = 256;

bool asksToSubscribe(const std::string& line) {
  if (line.find(control::ops::kSubscribe) == std::string::npos) return false;
  json request = json::parse(line, nullptr, false);
  return request.is_object() && request.value("op", json()) == control::ops::kSubscribe;
}

class Session : public std::enable_shared_from_this<Session> {
 public:
  Session(stream_protocol::socket socket, std::shared_ptr<Handler> handler, std::shared_ptr<std::size_t> open,
          const Limits& limits, std::shared_ptr<Subscribers> subscribers)
      : socket_(std::move(socket)),
        handler_(std::move(handler)),
        subscribers_(std::move(subscribers)),
        buffer_(kMaxRequestBytes),
        open_(std::move(open)),
        limits_(limits),
        deadline_(socket_.get_executor()),
        idleSince_(Clock::now()) {
    ++*open_;
  }
  ~Session() { --*open_; }

  void start() { nextLine(); }
  // Answers at once and closes.
  void refuse(const char* why) { reply(json{{"ok", false}, {"error", why}}.dump() + "\n", /*close=*/true); }

 private:
  // Answers the next complete line in the buffer, or reads until there is one.
  void nextLine() {
    for (;;) {
      auto data = buffer_.data();
      auto begin = asio::buffers_begin(data), end = asio::buffers_end(data);
      auto newline = std::find(begin, end, '\n');
      if (newline == end) break;
      std::string line(begin, newline);
      buffer_.consume(line.size() + 1);
      while (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.find_first_not_of(" \t") == std::string::npos) continue;
      if (asksToSubscribe(line)) {
        subscribe();
        return;
      }
      reply(answerLine(line, *handler_), false);
      return;
    }
    if (buffer_.size() >= kMaxRequestBytes) {
      reply("{\"ok\":false,\"error\":\"request line too long\"}\n", /*close=*/true);
      return;
    }
    readMore();
  }

  // A slow client keeps its place only so long: nothing sent is bounded
  // from the last answer, and a started line from its first byte (blank
  // lines neither count as a request nor restart either clock).
  void readMore() {
    if (buffer_.size() > 0 && !lineStart_) lineStart_ = Clock::now();
    closeAt(buffer_.size() > 0 ? *lineStart_ + limits_.lineTimeout : idleSince_ + limits_.idleTimeout);
    auto self = shared_from_this();
    std::size_t room = std::min<std::size_t>(4096, kMaxRequestBytes - buffer_.size());
    socket_.async_read_some(buffer_.prepare(room), [self](const asio::error_code& ec, std::size_t n) {
      if (ec) {
        self->deadline_.cancel();
        return;  // the client went away, or its time ran out
      }
      self->buffer_.commit(n);
      self->nextLine();
    });
  }

  void closeAt(Clock::time_point when) {
    auto self = shared_from_this();
    deadline_.expires_at(when);
    deadline_.async_wait([self](const asio::error_code& ec) {
      if (ec) return;
      asio::error_code ignored;
      self->socket_.close(ignored);
    });
  }

 public:
  // Queues one published line; a subscriber that stopped reading is cut off
  // rather than let the queue grow.
  void push(const std::string& line) {
    if (!socket_.is_open()) return;
    if (outbox_.size() >= kMaxQueuedEvents) {
      asio::error_code ignored;
      socket_.close(ignored);
      return;
    }
    outbox_.push_back(line);
    if (outbox_.size() == 1) writeNext();
  }

 private:
  void subscribe() {
    subscribers_->push_back(weak_from_this());
    deadline_.cancel();
    push("{\"ok\":true,\"subscribed\":true}\n");
    drainInput();
  }

  // A subscriber has nothing more to ask; reading only tells when it leaves.
  void drainInput() {
    auto self = shared_from_this();
    buffer_.consume(buffer_.size());
    socket_.async_read_some(buffer_.prepare(4096), [self](const asio::error_code& ec, std::size_t) {
      if (ec) {
        asio::error_code ignored;
        self->socket_.close(ignored);
        return;
      }
      self->drainInput();
    });
  }

  void writeNext() {
    auto self = shared_from_this();
    asio::async_write(socket_, asio::buffer(outbox_.front()), [self](const asio::error_code& ec, std::size_t) {
      if (ec) {
        self->outbox_.clear();
        return;
      }
      self->outbox_.pop_front();
      if (!self->outbox_.empty()) self->writeNext();
    });
  }

  // A client that does not read its answer is cut off like a slow writer.
  void reply(std::string text, bool close) {
    auto self = shared_from_this();
    auto out = std::make_shared<std::string>(std::move(text));
    closeAt(Clock::now() + limits_.lineTimeout);
    asio::async_write(socket_, asio::buffer(*out), [self, out, close](const asio::error_code& ec, std::size_t) {
      self->deadline_.cancel();
      if (ec || close) return;
      self->idleSince_ = Clock::now();
      self->lineStart_.reset();
      self->nextLine();
    });
  }

  stream_protocol::socket socket_;
  std::shared_ptr<Handler> handler_;
  std::shared_ptr<Subscribers> subscribers_;
  std::deque<std::string> outbox_;  // published lines not yet written
  asio::streambuf buffer_;
  std::shared_ptr<std::size_t> open_;  // sessions alive, shared with the server; main loop only
  Limits limits_;
  asio::steady_timer deadline_;
  Clock::time_point idleSince_;                // the last answer, or the connection
  std::optional<Clock::time_point> lineStart_;  // the first byte of the request being read
};

// Connections come from the owner's processes only; the socket's mode says
// so too, but a folder or mode changed later must not let anyone else in.
bool fromOwner(int fd) {
  ucred cred{};
  socklen_t len = sizeof cred;
  return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) == 0 && cred.uid == ::geteuid();
}

}  // namespace

struct Server::Impl : std::enable_shared_from_this<Server::Impl> {
  Impl(asio::io_context& context, std::string p, Handler h, Limits l)
      : path(std::move(p)),
        handler(std::make_shared<Handler>(std::move(h))),
        limits(l),
        acceptor(context),
        retry(context) {}

  void accept() {
    std::weak_ptr<Impl> weak = shared_from_this();
    acceptor.async_accept([weak](const asio::error_code& ec, stream_protocol::socket socket) {
      auto self = weak.lock();
      if (!self || ec == asio::error::operation_aborted) return;
      if (ec) {
        // Out of descriptors, most likely: accepting again at once would spin
        // and log without end, so wait, and say so once per spell.
        if (!self->failing)
          std::fprintf(stderr, "control: cannot take a connection: %s; retrying\n", std::strerror(ec.value()));
        self->failing = true;
        self->retry.expires_after(std::chrono::milliseconds(100));
        self->retry.async_wait([weak](const asio::error_code& e) {
          if (auto s = weak.lock(); s && !e) s->accept();
        });
        return;
      }
      self->failing = false;
      bool owner = fromOwner(socket.native_handle());
      auto session =
          std::make_shared<Session>(std::move(socket), self->handler, self->open, self->limits, self->subscribers);
      if (!owner)
        session->refuse("permission denied");
      else if (*self->open > self->limits.maxConnections)
        session->refuse("too many control connections");
      else
        session->start();
      self->accept();
    });
  }

  std::string path;
  std::shared_ptr<Handler> handler;
  Limits limits;
  std::shared_ptr<std::size_t> open = std::make_shared<std::size_t>(0);
  std::shared_ptr<Subscribers> subscribers = std::make_shared<Subscribers>();
  bool failing = false;
  stream_protocol::acceptor acceptor;
  asio::steady_timer retry;
};

Server::Server(asio::io_context& context, const std::string& socketPath, Handler handler, Limits limits)
    : impl_(std::make_shared<Impl>(context, socketPath, std::move(handler), limits)) {
  if (socketPath.size() >= sizeof(sockaddr_un::sun_path))
    throw std::runtime_error("control socket path is too long for a local socket (" +
                             std::to_string(socketPath.size()) + " bytes): " + socketPath);
  if (isListening(socketPath)) throw std::runtime_error("another host already answers on " + socketPath);
  ::unlink(socketPath.c_str());  // stale, from a host that died
  asio::error_code ec;
  stream_protocol::endpoint ep(socketPath);
  impl_->acceptor.open(ep.protocol(), ec);
  if (!ec) impl_->acceptor.bind(ep, ec);
  // Bound under the caller's umask: set the mode before anyone can connect.
  if (!ec && ::chmod(socketPath.c_str(), 0600) != 0) ec = asio::error_code(errno, asio::system_category());
  if (!ec) impl_->acceptor.listen(asio::socket_base::max_listen_connections, ec);
  if (ec) throw std::runtime_error("cannot listen on " + socketPath + ": " + ec.message());
  impl_->accept();
}

Server::~Server() {
  asio::error_code ec;
  impl_->acceptor.close(ec);
  ::unlink(impl_->path.c_str());
}

const std::string& Server::path() const { return impl_->path; }

void Server::publish(const json& event) {
  std::string line = event.dump(-1, ' ', false, json::error_handler_t::replace) + "\n";
  auto& subs = *impl_->subscribers;
  std::erase_if(subs, [](const std::weak_ptr<Session>& s) { return s.expired(); });
  for (const auto& weak : std::vector<std::weak_ptr<Session>>(subs))
    if (auto s = weak.lock()) s->push(line);
}

std::size_t Server::subscribers() const {
  auto& subs = *impl_->subscribers;
  std::erase_if(subs, [](const std::weak_ptr<Session>& s) { return s.expired(); });
  return subs.size();
}

}  // namespace control
