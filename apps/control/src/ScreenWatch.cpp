#include "control/ScreenWatch.h"

#include <asio.hpp>

#include "control/ControlServer.h"
#include "dispatch/main_loop.h"

namespace control {

using Clock = std::chrono::steady_clock;

struct ScreenWatch::Impl {
  Impl(asio::io_context& context, Server& s, std::function<std::string()> f, std::chrono::milliseconds fr)
      : server(s), screen(std::move(f)), frame(fr), timer(context) {}

  void arm(Clock::time_point when) {
    if (armed) return;
    armed = true;
    timer.expires_at(when);
    timer.async_wait([this](const asio::error_code& ec) {
      if (ec) return;  // the watch is going away
      armed = false;
      check();
    });
  }

  void check() {
    ownTurn = true;  // this check is a turn of the loop too, and changes nothing
    lastCheck = Clock::now();
    std::string now;
    try {
      now = screen();
    } catch (const std::exception&) {
      return;  // the report failed; the request that asks for it will say why
    }
    if (now == published) return;
    published = std::move(now);
    server.publish(json{{"event", "screenChanged"}});
    arm(lastCheck + frame);  // it may be moving: look again next frame
  }

  Server& server;
  std::function<std::string()> screen;
  std::chrono::milliseconds frame;
  asio::steady_timer timer;
  bool armed = false;
  bool ownTurn = false;
  Clock::time_point lastCheck{};
  std::string published;
};

ScreenWatch::ScreenWatch(asio::io_context& context, Server& server, std::function<std::string()> screen,
                         std::chrono::milliseconds frame)
    : impl_(std::make_unique<Impl>(context, server, std::move(screen), frame)) {
  dispatch::setMainTurnObserver([this] { turned(); });
}

ScreenWatch::~ScreenWatch() { dispatch::setMainTurnObserver({}); }

void ScreenWatch::turned() {
  Impl& w = *impl_;
  if (w.ownTurn) {
    w.ownTurn = false;
    return;
  }
  if (w.server.subscribers() == 0) {
    w.published.clear();  // a new subscriber hears of the screen as it is then
    return;
  }
  w.arm(std::max(Clock::now(), w.lastCheck + w.frame));
}

}  // namespace control
