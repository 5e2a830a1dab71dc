#include "control/ControlServer.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <asio.hpp>
#include <cstdio>
#include <cstring>

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
  } catch (const std::exception& e) {
    answer = json{{"ok", false}, {"error", e.what()}};
  }
  // Text from the host's state may hold bytes that are not UTF-8; replace them
  // rather than fail the answer.
  return answer.dump(-1, ' ', false, json::error_handler_t::replace) + "\n";
}

namespace {

class Session : public std::enable_shared_from_this<Session> {
 public:
  Session(stream_protocol::socket socket, std::shared_ptr<Handler> handler, std::shared_ptr<std::size_t> open,
          std::chrono::milliseconds idle)
      : socket_(std::move(socket)),
        handler_(std::move(handler)),
        buffer_(kMaxRequestBytes),
        open_(std::move(open)),
        idle_(idle),
        idleTimer_(socket_.get_executor()) {
    ++*open_;
  }
  ~Session() { --*open_; }

  void start() { readLine(); }
  // Answers at once and closes: the host has all the connections it takes.
  void refuse() { reply("{\"ok\":false,\"error\":\"too many control connections\"}\n", /*close=*/true); }

 private:
  void readLine() {
    auto self = shared_from_this();
    idleTimer_.expires_after(idle_);
    idleTimer_.async_wait([self](const asio::error_code& ec) {
      if (!ec) {
        asio::error_code ignored;
        self->socket_.close(ignored);
      }
    });
    asio::async_read_until(socket_, buffer_, '\n', [self](const asio::error_code& ec, std::size_t n) {
      self->idleTimer_.cancel();
      if (ec == asio::error::not_found) {
        self->reply("{\"ok\":false,\"error\":\"request line too long\"}\n", /*close=*/true);
        return;
      }
      if (ec) return;  // the client went away
      std::string line(asio::buffers_begin(self->buffer_.data()), asio::buffers_begin(self->buffer_.data()) + n);
      self->buffer_.consume(n);
      while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
      if (line.find_first_not_of(" \t") == std::string::npos) {
        self->readLine();
        return;
      }
      self->reply(answerLine(line, *self->handler_), false);
    });
  }

  void reply(std::string text, bool close) {
    auto self = shared_from_this();
    auto out = std::make_shared<std::string>(std::move(text));
    asio::async_write(socket_, asio::buffer(*out), [self, out, close](const asio::error_code& ec, std::size_t) {
      if (ec || close) return;
      self->readLine();
    });
  }

  stream_protocol::socket socket_;
  std::shared_ptr<Handler> handler_;
  asio::streambuf buffer_;
  std::shared_ptr<std::size_t> open_;  // sessions alive, shared with the server; main loop only
  std::chrono::milliseconds idle_;
  asio::steady_timer idleTimer_;
};

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
      auto session = std::make_shared<Session>(std::move(socket), self->handler, self->open, self->limits.idleTimeout);
      if (*self->open > self->limits.maxConnections)
        session->refuse();
      else
        session->start();
      self->accept();
    });
  }

  std::string path;
  std::shared_ptr<Handler> handler;
  Limits limits;
  std::shared_ptr<std::size_t> open = std::make_shared<std::size_t>(0);
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

}  // namespace control
