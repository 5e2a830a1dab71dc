// A cairo surface with the few drawing operations the screens need, in points.
#pragma once

#include <cairo.h>

#include <functional>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

namespace picture {

struct Colour {
  double r = 0, g = 0, b = 0, a = 1;
  Colour withAlpha(double alpha) const { return {r, g, b, a * alpha}; }
};

// "#RRGGBB" or "#RRGGBB:0.45" (the hosts' form) or "#RRGGBBAA"; `fallback` for null or anything else.
// A report's field, or null when the report lacks it: reports come from other
// processes and may leave out what a picture could use.
inline const nlohmann::json& field(const nlohmann::json& object, const char* key) {
  static const nlohmann::json none;
  if (!object.is_object()) return none;
  auto it = object.find(key);
  return it == object.end() ? none : *it;
}

Colour colourFrom(const nlohmann::json& text, Colour fallback);
Colour rgb(unsigned hex, double alpha = 1.0);

struct Rect {
  double x = 0, y = 0, w = 0, h = 0;
};
// [x, y, width, height] or {x, y, width, height}.
Rect rectFrom(const nlohmann::json& frame);

enum class Align { Left, Centre, Right };

// A rounded rectangle's outline as a new sub-path; `corners` as in Canvas::roundedRect.
void roundedPath(cairo_t* cr, Rect r, double radius, unsigned corners = 15);

struct Text {
  double size = 17;
  bool bold = false;
  Align align = Align::Left;
  double width = -1;        // wraps when set
  std::string font;         // a Pango description naming the face; Inter (DejaVu Sans) when empty
  bool wrap = true;         // false: one line, aligned within `width`
  Colour glow{0, 0, 0, 0};  // a halo around the glyphs (a text layer's shadow)
  double glowRadius = 0;
};

// Writes `bytes` to `file`; throws std::runtime_error when they are not all written.
void writeFile(const std::string& file, const std::string& bytes);

class Canvas {
 public:
  Canvas(double width, double height);  // in points
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  cairo_t* cr() const { return cr_; }
  void fill(Colour c);
  // `corners`: 1 top left, 2 top right, 4 bottom left, 8 bottom right.
  void roundedRect(Rect r, double radius, Colour c, unsigned corners = 15);
  void circle(double cx, double cy, double radius, Colour c);
  void line(double x0, double y0, double x1, double y1, double width, Colour c);
  // Draws `text` with its top at y; x is its left, centre or right by the alignment.
  // Answers the height it took.
  double text(const std::string& text, double x, double y, Colour c, const Text& style = {});
  // How wide `text` is set in `style`, on one line.
  double textWidth(const std::string& text, const Text& style = {});
  // Draws a PNG file scaled into `r` with rounded corners; false when it cannot be read.
  bool image(const std::string& pngFile, Rect r, double radius);
  // The shadow a PNG file casts when drawn into `r`: its own shape blurred by
  // a layer's shadow radius `blur` and moved by (dx, dy).
  void imageShadow(const std::string& pngFile, Rect r, Colour c, double blur, double dx, double dy);
  // The shadow a layer casts: whatever `shape` fills (in points, within
  // `extent`), blurred with a Gaussian of the layer's shadow radius, in `c`,
  // moved by (dx, dy). The canvas's clip applies.
  void shadow(Rect extent, double radius, Colour c, double dx, double dy,
              const std::function<void(cairo_t*)>& shape);
  // Pastes another canvas at (x, y), in points.
  void paste(const Canvas& other, double x, double y);
  // The picture as PNG bytes; `save` writes the same bytes to a file.
  std::string png() const;
  void save(const std::string& pngFile) const;
  double width() const { return width_; }
  double height() const { return height_; }
  cairo_surface_t* surface() const { return surface_; }

 private:
  double width_, height_;
  cairo_surface_t* surface_;
  cairo_t* cr_;
};

}  // namespace picture
