#include "serve/HostFeed.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>

#include "control/ControlClient.h"
#include "control/Ops.h"

using nlohmann::json;
using Clock = std::chrono::steady_clock;

namespace serve {

namespace {

double millisSince(Clock::time_point t) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

double epochMillis() {
  return std::chrono::duration<double, std::milli>(std::chrono::system_clock::now().time_since_epoch()).count();
}

}  // namespace

std::string base64(const std::string& in) {
  static const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((in.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 2 < in.size(); i += 3) {
    unsigned v = (static_cast<unsigned char>(in[i]) << 16) | (static_cast<unsigned char>(in[i + 1]) << 8) |
                 static_cast<unsigned char>(in[i + 2]);
    out += digits[v >> 18];
    out += digits[(v >> 12) & 63];
    out += digits[(v >> 6) & 63];
    out += digits[v & 63];
  }
  if (i < in.size()) {
    unsigned v = static_cast<unsigned char>(in[i]) << 16;
    if (i + 1 < in.size()) v |= static_cast<unsigned char>(in[i + 1]) << 8;
    out += digits[v >> 18];
    out += digits[(v >> 12) & 63];
    out += i + 1 < in.size() ? digits[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

HostFeed::HostFeed(WatchedScreen screen, Broadcast& out) : screen_(std::move(screen)), out_(out) {
  if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) throw std::runtime_error("cannot make a pipe");
}

HostFeed::~HostFeed() {
  stop();
  ::close(wake_[0]);
  ::close(wake_[1]);
}

void HostFeed::start() { thread_ = std::thread([this] { run(); }); }

void HostFeed::stop() {
  stopping_ = true;
  char b = 1;
  (void)!::write(wake_[1], &b, 1);
  if (thread_.joinable()) thread_.join();
}

json HostFeed::state() const {
  std::lock_guard lock(mutex_);
  return state_;
}

std::string HostFeed::png() const {
  std::lock_guard lock(mutex_);
  return png_;
}

json HostFeed::ask(const json& request, bool touches) {
  json answer;
  {
    std::lock_guard lock(askMutex_);
    control::Client client(screen_.socketPath, std::chrono::milliseconds(500));
    answer = client.request(request, std::chrono::seconds(5));
  }
  if (!answer.value("ok", false)) throw std::runtime_error(answer.value("error", std::string("refused")));
  if (touches) soon();
  return answer;
}

void HostFeed::status(const std::string& what) {
  {
    std::lock_guard lock(mutex_);
    if (status_ == what) return;
    status_ = what;
  }
  out_.post("status", json{{"screen", screen_.screen}, {"host", screen_.label}, {"status", what}}, "status-" + screen_.screen);
}

void HostFeed::run() {
  auto wait = std::chrono::milliseconds(50);
  while (!stopping_) {
    if (followOnce()) wait = std::chrono::milliseconds(50);
    if (stopping_) break;
    // Away: restarting while a supervisor answers, else stopped.
    status(control::isListening(screen_.supervisorSocketPath) ? "restarting" : "stopped");
    pollfd p{wake_[0], POLLIN, 0};
    ::poll(&p, 1, static_cast<int>(wait.count()));
    wait = std::min(wait * 2, std::chrono::milliseconds(1000));
  }
}

void HostFeed::soon() {
  urgent_ = true;  // taken by the feed's thread, which alone keeps the pace
  char b = 1;
  (void)!::write(wake_[1], &b, 1);
}

void HostFeed::drainWake() {
  char bytes[64];
  while (::read(wake_[0], bytes, sizeof bytes) > 0) {
  }
}

bool HostFeed::followOnce() {
  std::unique_ptr<control::Client> events;
  try {
    events = std::make_unique<control::Client>(screen_.socketPath, std::chrono::milliseconds(0));
    json answer = json::parse(events->requestLine(json{{"op", control::ops::kSubscribe}}.dump(), std::chrono::seconds(2)));
    if (!answer.value("subscribed", false)) return false;
  } catch (const std::exception&) {
    return false;
  }
  status("up");
  try {
    render("connected");
  } catch (const std::exception&) {
    return true;  // gone again already
  }
  Clock::time_point waitFrom = Clock::now();
  for (;;) {
    pollfd p[2] = {{events->fd(), POLLIN, 0}, {wake_[0], POLLIN, 0}};
    if (::poll(p, 2, -1) < 0) continue;
    if (stopping_) return false;
    drainWake();
    // Woken by a touch: its change, when the host tells of it, is due at
    // once, and the wait for the host goes on as it was.
    if (!(p[0].revents & (POLLIN | POLLHUP | POLLERR))) continue;
    try {
      (void)events->nextLine(std::chrono::milliseconds(1000));
      // The host says so within a frame of each change while the screen
      // moves, so a long wait for this one means the screen was at rest.
      Clock::time_point now = Clock::now();
      if (urgent_.exchange(false)) pace_.touched();
      for (auto wait = pace_.change(now, now - waitFrom); wait > Clock::duration::zero();
           wait = pace_.change(Clock::now(), Clock::duration::zero())) {
        pollfd wake{wake_[0], POLLIN, 0};
        ::poll(&wake, 1, static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(wait).count()) + 1);
        if (stopping_) return false;
        drainWake();
        if (urgent_.exchange(false)) pace_.touched();
      }
      // Several changes may be waiting: one frame shows them all.
      for (;;) {
        pollfd more{events->fd(), POLLIN, 0};
        if (::poll(&more, 1, 0) <= 0) break;
        (void)events->nextLine(std::chrono::milliseconds(100));
      }
      render("changed");
      waitFrom = Clock::now();
    } catch (const std::exception&) {
      return true;
    }
  }
}

void HostFeed::render(const char* cause) {
  Clock::time_point began = Clock::now();
  json answer = ask(json{{"op", "state"}}, false);
  std::string png = screen_.draw(answer);
  double ms = millisSince(began);
  renderMs_ = ms;
  pace_.drawn(began, ms);
  json size = answer.value("screen", json::array());
  std::uint64_t frame;
  {
    std::lock_guard lock(mutex_);
    state_ = answer;
    png_ = png;
    frame = ++frames_;
  }
  out_.post("frame",
            json{{"screen", screen_.screen},
                 {"frame", frame},
                 {"cause", cause},
                 {"renderMs", ms},
                 {"sentAt", epochMillis()},
                 {"size", size.is_array() && size.size() == 4 ? json::array({size[2], size[3]}) : json(nullptr)},
                 {"png", "data:image/png;base64," + base64(png)}},
            "frame-" + screen_.screen);
}

}  // namespace serve
