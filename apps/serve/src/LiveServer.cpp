#include "serve/LiveServer.h"

#include <httplib.h>

#include "serve/Input.h"
#include "control/Ops.h"

using nlohmann::json;

namespace serve {

namespace {


void answer(httplib::Response& res, int status, const json& body) {
  res.status = status;
  res.set_content(body.dump(-1, ' ', false, json::error_handler_t::replace), "application/json");
}

}  // namespace

const char* livePage();

struct LiveServer::Impl {
  Impl(std::string b, HostFeed& h, HostFeed& s, Broadcast& e, DeviceActions a)
      : bind(std::move(b)), home(h), settings(s), events(e), actions(std::move(a)) {}

  void routes();
  // Runs `act` and answers what it returns; input faults are a 400, a host's refusal a 409.
  void act(const httplib::Request& req, httplib::Response& res, const std::function<json(const json&)>& f,
           bool limited = false);

  std::string bind;
  int port = 0;
  HostFeed& home;
  HostFeed& settings;
  Broadcast& events;
  DeviceActions actions;
  std::unique_ptr<Gate> gate;
  httplib::Server http;
  // A mouse makes a few touches a second; a flood is turned away before it reaches a host.
  RateLimit touches{30, 60};
  RateLimit changes{10, 20};
};

void LiveServer::Impl::act(const httplib::Request& req, httplib::Response& res,
                           const std::function<json(const json&)>& f, bool limited) {
  if (!(limited ? touches : changes).take()) {
    answer(res, 429, json{{"error", "too many requests; slow down"}});
    return;
  }
  try {
    json body = bodyObject(req.body.empty() ? std::string("{}") : req.body);
    answer(res, 200, f(body));
  } catch (const InputError& e) {
    answer(res, 400, json{{"error", e.what()}});
  } catch (const std::exception& e) {
    answer(res, 409, json{{"error", e.what()}});
  }
}

void LiveServer::Impl::routes() {
  http.set_payload_max_length(kMaxBodyBytes);
  http.new_task_queue = [] { return new httplib::ThreadPool(24); };
  http.set_keep_alive_timeout(2);
  http.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
    RequestFacts facts{req.method, req.get_header_value("Host"), req.get_header_value("Origin"),
                       req.get_header_value("Cookie"), req.get_param_value("token")};
    if (auto why = gate->refusal(facts)) {
      answer(res, 403, json{{"error", "forbidden: " + *why}});
      return httplib::Server::HandlerResponse::Handled;
    }
    return httplib::Server::HandlerResponse::Unhandled;
  });

  http.Get("/", [this](const httplib::Request&, httplib::Response& res) {
    res.set_header("Set-Cookie", gate->cookie());
    res.set_header("Cache-Control", "no-store");
    res.set_header("Content-Security-Policy",
                   "default-src 'self'; img-src 'self' data:; style-src 'unsafe-inline'; script-src 'unsafe-inline'");
    res.set_content(livePage(), "text/html; charset=utf-8");
  });

  http.Get("/events", [this](const httplib::Request&, httplib::Response& res) {
    res.set_header("Cache-Control", "no-store");
    auto seq = std::make_shared<std::uint64_t>(0);
    auto first = std::make_shared<bool>(true);
    res.set_chunked_content_provider("text/event-stream", [this, seq, first](std::size_t, httplib::DataSink& sink) {
      std::string text;
      if (*first) {
        *first = false;
        text = "retry: 1000\n\n" + events.snapshot(*seq);
      } else {
        text = events.next(*seq, std::chrono::seconds(15));
        if (events.stopped()) return false;
        if (text.empty()) text = ": still here\n\n";  // keeps proxies and the browser from giving up
      }
      return sink.write(text.data(), text.size());
    });
  });

  http.Get(R"(/frame/(home|settings)\.png)", [this](const httplib::Request& req, httplib::Response& res) {
    std::string png = (req.matches[1] == "home" ? home : settings).png();
    if (png.empty()) {
      answer(res, 503, json{{"error", "no frame yet"}});
      return;
    }
    res.set_header("Content-Disposition", "attachment; filename=\"corvallo-" + std::string(req.matches[1]) + ".png\"");
    res.set_content(png, "image/png");
  });

  http.Get("/api/device", [this](const httplib::Request&, httplib::Response& res) {
    try {
      answer(res, 200, actions.status());
    } catch (const std::exception& e) {
      answer(res, 409, json{{"error", e.what()}, {"running", false}});
    }
  });

  // The screen a request names: "home" or "settings".
  auto screenOf = [](const json& body) {
    std::string screen = textOf(body, "screen", 16);
    if (screen != "home" && screen != "settings") throw InputError("\"screen\" is home or settings");
    return screen;
  };

  http.Post("/api/touch", [this, screenOf](const httplib::Request& req, httplib::Response& res) {
    act(req, res, [this, screenOf](const json& body) {
      std::string screen = screenOf(body);
      HostFeed& feed = screen == "home" ? home : settings;
      json state = feed.state();
      Size size = screenSize(state);
      double x = numberIn(body, "x", 0, size.width - 0.001), y = numberIn(body, "y", 0, size.height - 0.001);
      json request = screen == "home" ? json{{"op", control::ops::kTouchAt}, {"x", x}, {"y", y}} : settingsTouch(state, x, y);
      return feed.ask(request);
    }, true);
  });

  http.Post("/api/drag", [this, screenOf](const httplib::Request& req, httplib::Response& res) {
    act(req, res, [this, screenOf](const json& body) {
      std::string screen = screenOf(body);
      HostFeed& feed = screen == "home" ? home : settings;
      json state = feed.state();
      Size size = screenSize(state);
      double dy = numberIn(body, "dy", -10 * size.height, 10 * size.height);
      if (screen == "settings") return feed.ask(settingsScroll(state, dy));
      double x = numberIn(body, "x", 0, size.width), y = numberIn(body, "y", 0, size.height);
      double dx = numberIn(body, "dx", -10 * size.width, 10 * size.width);
      json request = homeDrag(state, x, y, dx, dy);
      return request.is_null() ? json{{"moved", false}} : feed.ask(request);
    }, true);
  });

  http.Post("/api/key", [this](const httplib::Request& req, httplib::Response& res) {
    act(req, res, [this](const json& body) {
      std::string key = textOf(body, "key", 32);
      if (key != "Escape") throw InputError("no key but Escape does anything yet");
      return settings.ask(json{{"op", "back"}});
    });
  });

  http.Post("/api/appearance", [this](const httplib::Request& req, httplib::Response& res) {
    act(req, res, [this](const json& body) {
      std::string style = textOf(body, "style", 8);
      if (style != "light" && style != "dark") throw InputError("\"style\" is light or dark");
      return settings.ask(json{{"op", "appearance"}, {"style", style}});
    });
  });

  http.Post("/api/set", [this](const httplib::Request& req, httplib::Response& res) {
    act(req, res, [this](const json& body) {
      // A colour with opacity, a date, a number: the longest is a few dozen bytes.
      std::string key = textOf(body, "key", 128), value = textOf(body, "value", 64);
      actions.set(key, value);
      home.soon();
      settings.soon();
      return json::object();
    });
  });

  auto simple = [this](const char* path, std::function<void()> DeviceActions::*member) {
    http.Post(path, [this, member](const httplib::Request& req, httplib::Response& res) {
      act(req, res, [this, member](const json&) {
        (actions.*member)();
        return json::object();
      });
    });
  };
  simple("/api/respring", &DeviceActions::respring);
  simple("/api/reset", &DeviceActions::reset);
  simple("/api/start", &DeviceActions::start);
}

LiveServer::LiveServer(const std::string& bind, int port, HostFeed& home, HostFeed& settings, Broadcast& events,
                       DeviceActions actions)
    : impl_(std::make_unique<Impl>(bind, home, settings, events, std::move(actions))) {
  bool bound = port == 0 ? (impl_->port = impl_->http.bind_to_any_port(bind)) > 0
                         : impl_->http.bind_to_port(bind, port) && (impl_->port = port) > 0;
  if (!bound) throw std::runtime_error("cannot listen on " + bind + ":" + std::to_string(port));
  std::string shown = bind.find(':') != std::string::npos ? "[" + bind + "]" : bind;
  std::vector<std::string> hosts{shown + ":" + std::to_string(impl_->port)};
  if (bind == "127.0.0.1") hosts.push_back("localhost:" + std::to_string(impl_->port));
  impl_->gate = std::make_unique<Gate>(makeToken(), hosts);
  impl_->routes();
}

LiveServer::~LiveServer() = default;

int LiveServer::port() const { return impl_->port; }

std::string LiveServer::address() const {
  std::string shown = impl_->bind.find(':') != std::string::npos ? "[" + impl_->bind + "]" : impl_->bind;
  return "http://" + shown + ":" + std::to_string(impl_->port) + "/?token=" + impl_->gate->token();
}

void LiveServer::run() { impl_->http.listen_after_bind(); }

void LiveServer::stop() {
  impl_->events.stop();
  impl_->http.stop();
}

}  // namespace serve
