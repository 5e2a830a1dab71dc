#include "ViewTree.h"

#include <cairo.h>

#include <cmath>

namespace picture {

using nlohmann::json;

void drawSymbol(Canvas& c, const std::string& name, Rect r, Colour ink) {
  cairo_t* cr = c.cr();
  double cx = r.x + r.w / 2, cy = r.y + r.h / 2, rad = std::min(r.w, r.h) / 2;
  cairo_save(cr);
  cairo_new_path(cr);
  cairo_set_source_rgba(cr, ink.r, ink.g, ink.b, ink.a);
  if (name.rfind("gearshape", 0) == 0) {
    for (int i = 0; i < 8; ++i) {
      double a = i * M_PI / 4;
      cairo_save(cr);
      cairo_translate(cr, cx, cy);
      cairo_rotate(cr, a);
      cairo_rectangle(cr, -rad * 0.16, -rad, rad * 0.32, rad * 0.4);
      cairo_restore(cr);
    }
    cairo_fill(cr);
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy, rad * 0.72, 0, 2 * M_PI);
    cairo_arc_negative(cr, cx, cy, rad * 0.3, 2 * M_PI, 0);
    cairo_fill(cr);
  } else if (name.find("arrow") != std::string::npos) {
    cairo_set_line_width(cr, rad * 0.18);
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy, rad * 0.7, -M_PI * 0.35, M_PI * 1.45);
    cairo_stroke(cr);
    double ax = cx + rad * 0.7 * std::cos(-M_PI * 0.35), ay = cy + rad * 0.7 * std::sin(-M_PI * 0.35);
    cairo_move_to(cr, ax - rad * 0.35, ay - rad * 0.1);
    cairo_line_to(cr, ax + rad * 0.1, ay + rad * 0.05);
    cairo_line_to(cr, ax - rad * 0.05, ay + rad * 0.45);
    cairo_close_path(cr);
    cairo_fill(cr);
  } else if (name.find("trash") != std::string::npos) {
    cairo_rectangle(cr, cx - rad * 0.55, cy - rad * 0.45, rad * 1.1, rad * 1.35);
    cairo_rectangle(cr, cx - rad * 0.75, cy - rad * 0.7, rad * 1.5, rad * 0.18);
    cairo_fill(cr);
  } else {
    cairo_arc(cr, cx, cy, rad * 0.5, 0, 2 * M_PI);
    cairo_fill(cr);
  }
  cairo_restore(cr);
}

namespace {

unsigned corners(const json& layer) { return layer.value("maskedCorners", 15u); }

// The shadow of the view's own shape, its rounded frame.
void shadow(Canvas& c, const json& s, Rect r, double radius, unsigned mask) {
  Colour col = colourFrom(field(s, "color"), {0, 0, 0, 1});
  double opacity = s.value("opacity", 0.0), blur = s.value("presentedRadius", s.value("radius", 0.0));
  double dx = field(s, "offset").value("width", 0.0), dy = field(s, "offset").value("height", 0.0);
  if (opacity <= 0 || blur <= 0) return;
  c.shadow(r, blur, col.withAlpha(opacity), dx, dy, [&](cairo_t* m) {
    roundedPath(m, r, radius, mask);
    cairo_fill(m);
  });
}

// A picture casts its shadow from its own shape, not its frame.
void imageShadow(Canvas& c, const json& s, const std::string& file, Rect r) {
  double opacity = s.value("opacity", 0.0), blur = s.value("presentedRadius", s.value("radius", 0.0));
  if (opacity <= 0 || blur <= 0) return;
  c.imageShadow(file, r, colourFrom(field(s, "color"), {0, 0, 0, 1}).withAlpha(opacity), blur,
                field(s, "offset").value("width", 0.0), field(s, "offset").value("height", 0.0));
}

}  // namespace

namespace {

// A layer with no background of its own casts its shadow from what it draws:
// its labels' glyphs and its images, so the shadow passes down to them.
void drawTree(Canvas& c, const json& v, double x, double y, const std::string& root, const json& inheritedShadow);

}  // namespace

void drawViewTree(Canvas& c, const json& v, double x, double y, const std::string& root) {
  drawTree(c, v, x, y, root, nullptr);
}

namespace {

void drawTree(Canvas& c, const json& v, double x, double y, const std::string& root, const json& inheritedShadow) {
  if (!v.is_object() || v.value("hidden", false)) return;
  double alpha = v.value("alpha", 1.0) * (v.contains("layer") ? field(v, "layer").value("opacity", 1.0) : 1.0);
  if (alpha <= 0.001) return;
  cairo_t* cr = c.cr();
  Rect f = rectFrom(field(v, "frame"));
  f.x += x;
  f.y += y;
  const json& layer = v.contains("layer") ? field(v, "layer") : json::object();
  double radius = layer.value("cornerRadius", 0.0);
  bool group = alpha < 0.999;
  if (group) cairo_push_group(cr);
  json ownShadow = layer.contains("shadow") ? field(layer, "shadow") : json();
  const json& cast = ownShadow.is_object() ? ownShadow : inheritedShadow;
  bool hasBackground = field(v, "background").is_string() && colourFrom(field(v, "background"), {0, 0, 0, 0}).a > 0;
  // Labels carry a font; a title view's "text" only repeats its label's.
  bool isText = v.contains("text") && field(v, "text").is_string() && v.contains("font");
  bool isImage = v.contains("image") && field(v, "image").is_object();
  bool isFile = isImage && field(field(v, "image"), "file").is_string();
  if (cast.is_object() && isFile && !hasBackground)
    imageShadow(c, cast, root + field(field(v, "image"), "file").get<std::string>(), f);
  else if (cast.is_object() && !isText && (hasBackground || isImage))
    shadow(c, cast, f, radius, corners(layer));
  json passDown = hasBackground ? json() : cast;
  if (field(v, "background").is_string()) c.roundedRect(f, radius, colourFrom(field(v, "background"), {0, 0, 0, 0}), corners(layer));

  bool clip = v.value("clipsToBounds", false) || layer.value("masksToBounds", false);
  cairo_save(cr);
  if (clip) {
    cairo_rectangle(cr, f.x, f.y, f.w, f.h);
    cairo_clip(cr);
  }
  Colour tint = colourFrom(field(v, "tint"), rgb(0x007AFF));
  if (v.contains("image") && field(v, "image").is_object()) {
    const json& img = field(v, "image");
    Colour ink = colourFrom(field(img, "tint"), tint);
    if (field(img, "file").is_string()) {
      c.image(root + field(img, "file").get<std::string>(), f, radius);
    } else if (field(img, "symbol").is_string()) {
      double side = std::min(f.w, f.h) * 0.8;
      drawSymbol(c, field(img, "symbol"), {f.x + (f.w - side) / 2, f.y + (f.h - side) / 2, side, side}, ink);
    }
  }
  if (isText) {
    const json& font = v.value("font", json::object());
    Text style;
    style.size = v.value("displayedPointSize", font.value("pointSize", 17.0));
    style.font = font.value("pango", std::string());
    style.bold = font.value("cssWeight", 400) >= 600;
    int alignment = v.value("textAlignment", 4);
    style.align = alignment == 1 ? Align::Centre : alignment == 2 ? Align::Right : Align::Left;
    style.width = f.w;
    style.wrap = v.value("numberOfLines", 1) != 1;
    if (cast.is_object()) {
      const json& sh = cast;
      style.glow = colourFrom(field(sh, "color"), {0, 0, 0, 1}).withAlpha(sh.value("opacity", 0.0));
      style.glowRadius = sh.value("presentedRadius", sh.value("radius", 0.0));
    }
    double lineHeight = style.size * 1.2;
    c.text(field(v, "text").get<std::string>(), f.x, f.y + (f.h - lineHeight) / 2, colourFrom(field(v, "textColor"), {0, 0, 0, 1}),
           style);
  }
  for (const auto& child : v.value("subviews", json::array())) drawTree(c, child, f.x, f.y, root, passDown);
  cairo_restore(cr);
  if (group) {
    cairo_pop_group_to_source(cr);
    cairo_paint_with_alpha(cr, alpha);
  }
}

}  // namespace

}  // namespace picture
