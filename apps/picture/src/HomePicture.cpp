#include <cairo.h>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "Screens.h"
#include "picture/Picture.h"

namespace picture {

using nlohmann::json;

namespace {

// An icon's colours come from its name, so each app keeps its look.
Colour iconColour(const std::string& label) {
  static const unsigned palette[] = {0x34C759, 0xFF3B30, 0x007AFF, 0xFF9500, 0x5856D6, 0xFF2D55,
                                     0x5AC8FA, 0xFFCC00, 0x30B0C7, 0xAF52DE, 0x8E8E93, 0xA2845E};
  return rgb(palette[std::hash<std::string>{}(label) % (sizeof palette / sizeof palette[0])]);
}

void paintWallpaper(Canvas& c) {
  cairo_t* cr = c.cr();
  cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, c.width(), c.height());
  cairo_pattern_add_color_stop_rgb(g, 0, 0.10, 0.18, 0.45);
  cairo_pattern_add_color_stop_rgb(g, 0.55, 0.36, 0.20, 0.55);
  cairo_pattern_add_color_stop_rgb(g, 1, 0.85, 0.40, 0.45);
  cairo_set_source(cr, g);
  cairo_paint(cr);
  cairo_pattern_destroy(g);
  cairo_pattern_t* glow = cairo_pattern_create_radial(c.width() * 0.8, c.height() * 0.25, 0, c.width() * 0.8,
                                                      c.height() * 0.25, c.width() * 0.7);
  cairo_pattern_add_color_stop_rgba(glow, 0, 1, 0.75, 0.55, 0.45);
  cairo_pattern_add_color_stop_rgba(glow, 1, 1, 0.75, 0.55, 0);
  cairo_set_source(cr, glow);
  cairo_paint(cr);
  cairo_pattern_destroy(glow);
}

// The wallpaper depends on nothing but the screen's size, and its two
// full-screen gradients cost more than the rest of the screen: each size is
// drawn once and copied after.
void wallpaper(Canvas& c) {
  static std::mutex mutex;
  static std::map<std::pair<double, double>, std::unique_ptr<Canvas>> drawn;
  std::lock_guard lock(mutex);
  std::pair<double, double> size{c.width(), c.height()};
  // Sizes come from reports: keep a few, not every one ever seen.
  if (drawn.size() >= 8 && !drawn.count(size)) drawn.clear();
  auto& paper = drawn[size];
  if (!paper) {
    paper = std::make_unique<Canvas>(c.width(), c.height());
    paintWallpaper(*paper);
  }
  c.paste(*paper, 0, 0);
}

void icon(Canvas& c, const json& entry, bool withLabel) {
  Rect f = rectFrom(field(entry, "frame"));
  std::string label = entry.value("label", "");
  Colour base = iconColour(label);
  c.roundedRect(f, f.w * 0.225, base);
  c.text(label.substr(0, 1), f.x + f.w / 2, f.y + f.h / 2 - 15, {1, 1, 1, 1}, {26, true, Align::Centre});
  if (withLabel) c.text(label, f.x + f.w / 2, f.y + f.h + 4, {1, 1, 1, 1}, {12, false, Align::Centre});
}

// The dots exactly as the model holds them: nothing when hidden, otherwise each
// dot at its centre in its colour, times the indicator's opacity; the current
// one in the current colour.
void dots(Canvas& c, const json& control) {
  if (!control.is_object() || control.value("hidden", false)) return;
  double alpha = control.value("alpha", 1.0);
  Colour current = colourFrom(field(control, "currentPageIndicatorTintColor"), {1, 1, 1, 1});
  Colour other = colourFrom(field(control, "pageIndicatorTintColor"), {1, 1, 1, 0.3});
  double radius = control.value("dotDiameter", 7.0) / 2;
  long currentPage = control.value("currentPage", 0L), i = 0;
  for (const auto& d : control.value("dots", json::array())) {
    Colour col = (i++ == currentPage ? current : other).withAlpha(alpha);
    c.circle(d[0].get<double>(), d[1].get<double>(), radius, col);
  }
}

void widgetStack(Canvas& c, const json& stack, int index) {
  Rect f = rectFrom(field(stack, "stackFrame"));
  if (f.w <= 0) return;
  c.roundedRect(f, 22, {1, 1, 1, 0.22});
  static const char* const titles[] = {"Weather", "Calendar", "Batteries", "Music"};
  static const char* const bodies[] = {"21°", "10", "100%", "Play"};
  static const char* const notes[] = {"Cupertino · Sunny", "Thursday", "iPhone", "Recently played"};
  int k = index % 4;
  c.text(titles[k], f.x + 16, f.y + 14, {1, 1, 1, 0.85}, {13, true});
  c.text(bodies[k], f.x + 16, f.y + 38, {1, 1, 1, 1}, {44, false});
  c.text(notes[k], f.x + 16, f.y + f.h - 34, {1, 1, 1, 0.85}, {12, false});
  dots(c, stack);
}

}  // namespace

void statusBar(Canvas& c, Colour ink) {
  c.text("9:41", 54, 15, ink, {17, true, Align::Centre});
  double x = c.width() - 92;
  for (int i = 0; i < 4; ++i) c.roundedRect({x + i * 5.5, 27.0 - 3 - i * 2.2, 3.5, 3 + i * 2.2}, 1, ink);
  x += 28;
  cairo_t* cr = c.cr();
  for (int i = 0; i < 3; ++i) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + 8, 28, 3 + i * 3.6, -M_PI * 0.75, -M_PI * 0.25);
    cairo_set_line_width(cr, 2);
    cairo_set_source_rgba(cr, ink.r, ink.g, ink.b, ink.a);
    cairo_stroke(cr);
  }
  x += 24;
  cairo_rectangle(cr, x + 0.5, 17.5, 25, 12);
  cairo_set_line_width(cr, 1);
  cairo_set_source_rgba(cr, ink.r, ink.g, ink.b, ink.a * 0.4);
  cairo_stroke(cr);
  c.roundedRect({x + 2, 19.5, 21, 8}, 1.5, ink);
  c.roundedRect({x + 26.5, 21.5, 1.5, 4}, 0.7, ink.withAlpha(0.4));
}

std::unique_ptr<Canvas> homeScreen(const json& state) {
  Rect screen = rectFrom(field(state, "screen"));
  if (screen.w <= 0) screen = {0, 0, 390, 844};
  auto c = std::make_unique<Canvas>(screen.w, screen.h);
  wallpaper(*c);
  statusBar(*c, {1, 1, 1, 1});
  int k = 0;
  for (const auto& stack : state.value("widgetStacks", json::array())) widgetStack(*c, stack, k++);
  for (const auto& i : state.value("icons", json::array())) icon(*c, i, true);
  if (state.contains("dock")) {
    c->roundedRect(rectFrom(field(field(state, "dock"), "frame")), 32, {1, 1, 1, 0.28});
    for (const auto& i : field(state, "dock").value("icons", json::array())) icon(*c, i, false);
  }
  dots(*c, field(state, "pageControl"));
  // The home indicator bar.
  c->roundedRect({screen.w / 2 - 67, screen.h - 9, 134, 5}, 2.5, {1, 1, 1, 0.9});
  return c;
}

}  // namespace picture
