#include "serve/Input.h"
#include "control/Ops.h"

#include <algorithm>
#include <cmath>

namespace serve {

namespace {

struct Rect {
  double x = 0, y = 0, w = 0, h = 0;
  bool contains(double px, double py) const { return px >= x && px < x + w && py >= y && py < y + h; }
};

// Reports give frames as [x, y, w, h] or as {"x", "y", "width", "height"}.
Rect rectOf(const json& f) {
  if (f.is_object()) return {f.value("x", 0.0), f.value("y", 0.0), f.value("width", 0.0), f.value("height", 0.0)};
  if (!f.is_array() || f.size() != 4) return {};
  for (const auto& v : f)
    if (!v.is_number()) return {};
  return {f[0].get<double>(), f[1].get<double>(), f[2].get<double>(), f[3].get<double>()};
}

// Where the screen draws an open menu's entries: under the bar's right item.
json menuChoice(const json& page, Size screen, double x, double y) {
  constexpr double kContentTop = 91, w = 250, rowH = 44;
  auto entries = page["menu"].value("entries", json::array());
  double right = screen.width - 16, top = kContentTop + 4;
  const json& bar = page.value("navigationBar", json());
  if (bar.is_object() && bar["rightItem"].is_object() && bar["rightItem"]["customView"].is_object()) {
    Rect b = rectOf(bar["rightItem"]["customView"]["frame"]);
    Rect f = rectOf(bar["frame"]);
    double barTop = f.y >= 20 ? f.y : kContentTop - (f.h > 0 ? f.h : 44);
    right = std::min(screen.width - 8, f.x + b.x + b.w);
    top = barTop + b.y + b.h + 6;
  }
  Rect box{right - w, top, w, rowH * static_cast<double>(entries.size())};
  if (!box.contains(x, y)) return nullptr;
  const json& entry = entries[static_cast<std::size_t>((y - box.y) / rowH)];
  return json{{"op", "chooseMenuAction"}, {"action", entry.value("title", std::string())}};
}

// Where the screen draws an alert's actions: a sheet at the bottom (its
// cancel action apart), or a box in the middle.
json alertChoice(const json& alert, Size screen, double x, double y) {
  bool sheet = alert.value("style", 0) == 0;
  auto actions = alert.value("actions", json::array());
  double w = sheet ? screen.width - 16 : 270, left = (screen.width - w) / 2;
  bool title = alert["title"].is_string() && !alert["title"].get<std::string>().empty();
  bool message = alert["message"].is_string() && !alert["message"].get<std::string>().empty();
  double headH = (title ? 26 : 0) + (message ? 40 : 0) + 24, rowH = 57;
  std::vector<json> main, cancel;
  for (const auto& a : actions) (a.value("style", 0) == 1 && sheet ? cancel : main).push_back(a);
  double total = headH + rowH * static_cast<double>(main.size());
  double bottom = screen.height - 34 - (cancel.empty() ? 0 : rowH + 8);
  double top = sheet ? bottom - total : (screen.height - total) / 2;
  auto choose = [](const json& a) { return json{{"op", "chooseAlertAction"}, {"action", a.value("title", "")}}; };
  for (std::size_t i = 0; i < main.size(); ++i)
    if (Rect{left, top + headH + rowH * static_cast<double>(i), w, rowH}.contains(x, y)) return choose(main[i]);
  for (const auto& a : cancel)
    if (Rect{left, screen.height - 34 - rowH, w, rowH}.contains(x, y)) return choose(a);
  return nullptr;
}

}  // namespace

json bodyObject(const std::string& body) {
  if (body.size() > kMaxBodyBytes) throw InputError("the request is too large");
  json j = json::parse(body, nullptr, false);
  if (!j.is_object()) throw InputError("the request is not a JSON object");
  return j;
}

double numberIn(const json& body, const char* name, double low, double high) {
  auto it = body.find(name);
  if (it == body.end() || !it->is_number()) throw InputError(std::string("\"") + name + "\" must be a number");
  double v = it->get<double>();
  if (!std::isfinite(v) || v < low || v > high)
    throw InputError(std::string("\"") + name + "\" is out of range (" + std::to_string(low) + " to " +
                     std::to_string(high) + ")");
  return v;
}

std::string textOf(const json& body, const char* name, std::size_t maxBytes) {
  auto it = body.find(name);
  if (it == body.end() || !it->is_string()) throw InputError(std::string("\"") + name + "\" must be a text");
  std::string s = it->get<std::string>();
  if (s.size() > maxBytes)
    throw InputError(std::string("\"") + name + "\" is too long (at most " + std::to_string(maxBytes) + " bytes)");
  return s;
}

Size screenSize(const json& state) {
  Rect r = rectOf(state.value("screen", json()));
  if (r.w <= 0 || r.h <= 0) return {390, 844};
  return {r.w, r.h};
}

json settingsTouch(const json& state, double x, double y) {
  Size screen = screenSize(state);
  const json& page = state.value("page", json());
  if (page.is_object() && page.value("alert", json()).is_object()) {
    json choice = alertChoice(page["alert"], screen, x, y);
    if (choice.is_null()) throw InputError("an alert is showing: choose one of its buttons");
    return choice;
  }
  if (page.is_object() && page.value("menu", json()).is_object()) {
    json choice = menuChoice(page, screen, x, y);
    if (!choice.is_null()) return choice;
  }
  return json{{"op", control::ops::kTouchAt}, {"x", x}, {"y", y}};
}

json settingsScroll(const json& state, double dy) {
  const json& page = state.value("page", json());
  if (!page.is_object() || !page.contains("contentOffset")) throw InputError("no settings page is open");
  double offset = page.value("contentOffset", 0.0);
  // The content shows under the bar, to the bottom of the screen.
  double visible = screenSize(state).height - 91;
  double most = std::max(0.0, page.value("contentHeight", 0.0) - visible);
  return json{{"op", "scroll"}, {"y", std::clamp(offset + dy, 0.0, most)}};
}

json homeDrag(const json& state, double x, double y, double dx, double dy) {
  if (std::abs(dx) < 24 || std::abs(dx) < std::abs(dy)) return nullptr;
  long step = dx < 0 ? 1 : -1;  // a drag to the left shows what lies to the right
  auto stacks = state.value("widgetStacks", json::array());
  for (std::size_t i = 0; i < stacks.size(); ++i) {
    const json& s = stacks[i];
    if (!rectOf(s.value("stackFrame", json())).contains(x, y)) continue;
    long pages = s.value("numberOfPages", 1), current = s.value("currentPage", 0);
    return json{{"op", "scrollWidget"}, {"stack", i}, {"widget", std::clamp(current + step, 0L, std::max(0L, pages - 1))}};
  }
  const json& control = state.value("pageControl", json());
  if (!control.is_object()) return nullptr;
  long pages = control.value("numberOfPages", 1), current = control.value("currentPage", 0);
  return json{{"op", "page"}, {"index", std::clamp(current + step, 0L, std::max(0L, pages - 1))}};
}

}  // namespace serve
