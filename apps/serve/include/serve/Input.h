// What the page sends, checked like any other input and turned into the
// hosts' requests. Anything out of bounds is an InputError (a 400 with its
// text), never passed on.
#pragma once

#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

namespace serve {

using nlohmann::json;

class InputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Bodies are small JSON objects; a longer one is refused before parsing.
inline constexpr std::size_t kMaxBodyBytes = 4096;

// The body as a JSON object.
json bodyObject(const std::string& body);
// A finite number in [low, high].
double numberIn(const json& body, const char* name, double low, double high);
// A text of at most `maxBytes`.
std::string textOf(const json& body, const char* name, std::size_t maxBytes);

// The screen's size in points from a host's state ({"screen": [x, y, w, h]}).
struct Size {
  double width = 0, height = 0;
};
Size screenSize(const json& state);

// A click on the Settings screen: an entry of an open menu or an alert's
// action is chosen as the screen draws them; anything else is a touch the
// host hit-tests.
json settingsTouch(const json& state, double x, double y);
// A drag (or the wheel) of `dy` points: the page's table scrolled within its content.
json settingsScroll(const json& state, double dy);
// A drag on the home screen: sideways across a widget stack turns its
// widgets, elsewhere the icon pages. Null when the drag is too short or not sideways.
json homeDrag(const json& state, double x, double y, double dx, double dy);

}  // namespace serve
