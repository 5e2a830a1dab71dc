// Draws the product's icons into a folder: the Settings entry's icon at 1x
// and 2x, and the banner's icon. Run by scripts/draw-icons.sh.
#include <cmath>
#include <iostream>
#include <string>

#include "Canvas.h"
#include "picture/Picture.h"

using namespace picture;

namespace {

// A rounded square in the theme colour with a row of three dots, the middle
// one current: what the tool does, at a glance.
void drawIcon(double pixels, const std::string& file) {
  double pts = pixels / kScale;
  Canvas c(pts, pts);
  cairo_t* cr = c.cr();
  double r = pts * 0.225;
  cairo_new_sub_path(cr);
  cairo_arc(cr, pts - r, r, r, -M_PI / 2, 0);
  cairo_arc(cr, pts - r, pts - r, r, 0, M_PI / 2);
  cairo_arc(cr, r, pts - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, r, r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
  cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, pts);
  cairo_pattern_add_color_stop_rgb(g, 0, 0x3A / 255.0, 0xD8 / 255.0, 0x64 / 255.0);
  cairo_pattern_add_color_stop_rgb(g, 1, 0x19 / 255.0, 0xC2 / 255.0, 0x46 / 255.0);
  cairo_set_source(cr, g);
  cairo_fill(cr);
  cairo_pattern_destroy(g);
  double dot = pts * 0.07, pitch = pts * 0.22, cy = pts * 0.58;
  for (int i = -1; i <= 1; ++i)
    c.circle(pts / 2 + i * pitch, cy, i == 0 ? dot * 1.25 : dot, i == 0 ? Colour{1, 1, 1, 1} : Colour{1, 1, 1, 0.45});
  // A phone's edge above the dots, so the mark reads as a screen.
  c.roundedRect({pts * 0.22, pts * 0.24, pts * 0.56, pts * 0.07}, pts * 0.035, {1, 1, 1, 0.8});
  c.save(file);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: draw_icons FOLDER\n";
    return 2;
  }
  std::string out = argv[1];
  drawIcon(29, out + "/icon.png");
  drawIcon(58, out + "/icon@2x.png");
  drawIcon(120, out + "/Corvallo-fullsize.png");
  return 0;
}
