#include "Canvas.h"

#include <pango/pangocairo.h>
#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>
#include <string>
#include <string_view>

#include "colorpicker/ColorString.h"
#include "picture/Picture.h"

namespace picture {

Colour rgb(unsigned hex, double alpha) {
  return {((hex >> 16) & 0xFF) / 255.0, ((hex >> 8) & 0xFF) / 255.0, (hex & 0xFF) / 255.0, alpha};
}

Colour colourFrom(const nlohmann::json& text, Colour fallback) {
  if (!text.is_string()) return fallback;
  auto c = colorpicker::parseColorNotation(text.get_ref<const std::string&>());
  return c ? Colour{c->red, c->green, c->blue, c->alpha} : fallback;
}

Rect rectFrom(const nlohmann::json& f) {
  if (f.is_object()) return {f.value("x", 0.0), f.value("y", 0.0), f.value("width", 0.0), f.value("height", 0.0)};
  if (!f.is_array() || f.size() != 4) return {};
  return {f[0].get<double>(), f[1].get<double>(), f[2].get<double>(), f[3].get<double>()};
}

Canvas::Canvas(double width, double height) : width_(width), height_(height) {
  surface_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(std::lround(width * kScale)),
                                        static_cast<int>(std::lround(height * kScale)));
  cr_ = cairo_create(surface_);
  cairo_scale(cr_, kScale, kScale);
}

Canvas::~Canvas() {
  cairo_destroy(cr_);
  cairo_surface_destroy(surface_);
}

static void source(cairo_t* cr, Colour c) { cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a); }

void Canvas::fill(Colour c) {
  source(cr_, c);
  cairo_paint(cr_);
}

void Canvas::roundedRect(Rect r, double radius, Colour c, unsigned corners) {
  radius = std::min({radius, r.w / 2, r.h / 2});
  auto rad = [&](unsigned bit) { return (corners & bit) ? radius : 0.0; };
  cairo_new_sub_path(cr_);
  double tl = rad(1), tr = rad(2), bl = rad(4), br = rad(8);
  cairo_arc(cr_, r.x + r.w - tr, r.y + tr, tr, -M_PI / 2, 0);
  cairo_arc(cr_, r.x + r.w - br, r.y + r.h - br, br, 0, M_PI / 2);
  cairo_arc(cr_, r.x + bl, r.y + r.h - bl, bl, M_PI / 2, M_PI);
  cairo_arc(cr_, r.x + tl, r.y + tl, tl, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr_);
  source(cr_, c);
  cairo_fill(cr_);
}

void Canvas::circle(double cx, double cy, double radius, Colour c) {
  cairo_new_sub_path(cr_);
  cairo_arc(cr_, cx, cy, radius, 0, 2 * M_PI);
  source(cr_, c);
  cairo_fill(cr_);
}

void Canvas::line(double x0, double y0, double x1, double y1, double width, Colour c) {
  cairo_move_to(cr_, x0, y0);
  cairo_line_to(cr_, x1, y1);
  cairo_set_line_width(cr_, width);
  cairo_set_line_cap(cr_, CAIRO_LINE_CAP_ROUND);
  source(cr_, c);
  cairo_stroke(cr_);
}

double Canvas::text(const std::string& text, double x, double y, Colour c, const Text& style) {
  if (text.empty()) return 0;
  PangoLayout* layout = pango_cairo_create_layout(cr_);
  // The face the layout model measures with; DejaVu where Inter is missing.
  PangoFontDescription* font =
      pango_font_description_from_string(style.font.empty() ? "Inter, DejaVu Sans" : style.font.c_str());
  pango_font_description_set_absolute_size(font, style.size * PANGO_SCALE);
  if (style.font.empty())
    pango_font_description_set_weight(font, style.bold ? PANGO_WEIGHT_SEMIBOLD : PANGO_WEIGHT_NORMAL);
  pango_layout_set_font_description(layout, font);
  pango_layout_set_text(layout, text.c_str(), -1);
  if (style.width > 0 && style.wrap) {
    pango_layout_set_width(layout, static_cast<int>(style.width * PANGO_SCALE));
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    pango_layout_set_alignment(layout, style.align == Align::Centre  ? PANGO_ALIGN_CENTER
                                       : style.align == Align::Right ? PANGO_ALIGN_RIGHT
                                                                     : PANGO_ALIGN_LEFT);
  }
  int w = 0, h = 0;
  pango_layout_get_size(layout, &w, &h);
  double tw = static_cast<double>(w) / PANGO_SCALE, th = static_cast<double>(h) / PANGO_SCALE;
  double left = x;
  if (style.width <= 0) {
    if (style.align == Align::Centre) left = x - tw / 2;
    if (style.align == Align::Right) left = x - tw;
  } else if (!style.wrap) {
    if (style.align == Align::Centre) left = x + (style.width - tw) / 2;
    if (style.align == Align::Right) left = x + style.width - tw;
  }
  if (style.glowRadius > 0 && style.glow.a > 0) {
    cairo_new_path(cr_);
    cairo_move_to(cr_, left, y);
    pango_cairo_layout_path(cr_, layout);
    cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
    for (int i = 6; i >= 1; --i) {
      source(cr_, style.glow.withAlpha(0.09));
      cairo_set_line_width(cr_, style.glowRadius * i / 3.0);
      cairo_stroke_preserve(cr_);
    }
    cairo_new_path(cr_);
  }
  cairo_move_to(cr_, left, y);
  source(cr_, c);
  pango_cairo_show_layout(cr_, layout);
  pango_font_description_free(font);
  g_object_unref(layout);
  return th;
}

bool Canvas::image(const std::string& pngFile, Rect r, double radius) {
  cairo_surface_t* img = cairo_image_surface_create_from_png(pngFile.c_str());
  bool ok = cairo_surface_status(img) == CAIRO_STATUS_SUCCESS && cairo_image_surface_get_width(img) > 0;
  if (ok) {
    cairo_save(cr_);
    cairo_new_sub_path(cr_);
    double rad = std::min({radius, r.w / 2, r.h / 2});
    cairo_arc(cr_, r.x + r.w - rad, r.y + rad, rad, -M_PI / 2, 0);
    cairo_arc(cr_, r.x + r.w - rad, r.y + r.h - rad, rad, 0, M_PI / 2);
    cairo_arc(cr_, r.x + rad, r.y + r.h - rad, rad, M_PI / 2, M_PI);
    cairo_arc(cr_, r.x + rad, r.y + rad, rad, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr_);
    cairo_clip(cr_);
    cairo_translate(cr_, r.x, r.y);
    cairo_scale(cr_, r.w / cairo_image_surface_get_width(img), r.h / cairo_image_surface_get_height(img));
    cairo_set_source_surface(cr_, img, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_GOOD);
    cairo_paint(cr_);
    cairo_restore(cr_);
  }
  cairo_surface_destroy(img);
  return ok;
}

void Canvas::imageShadow(const std::string& pngFile, Rect r, Colour c, double blur, double dx, double dy) {
  cairo_surface_t* img = cairo_image_surface_create_from_png(pngFile.c_str());
  if (cairo_surface_status(img) == CAIRO_STATUS_SUCCESS && cairo_image_surface_get_width(img) > 0) {
    // Copies of the shape on rings around it stand in for a blur.
    constexpr int kAround = 12;
    int rings = std::max(3, static_cast<int>(blur / 2));
    double sx = r.w / cairo_image_surface_get_width(img), sy = r.h / cairo_image_surface_get_height(img);
    for (int ring = rings; ring >= 0; --ring) {
      double spread = blur * ring / rings;
      int copies = ring == 0 ? 1 : kAround;
      for (int k = 0; k < copies; ++k) {
        double angle = 2 * M_PI * k / copies;
        cairo_save(cr_);
        source(cr_, c.withAlpha(c.a / (rings + 1) / copies * 2.5));
        cairo_translate(cr_, r.x + dx + spread * std::cos(angle), r.y + dy + spread * std::sin(angle));
        cairo_scale(cr_, sx, sy);
        cairo_mask_surface(cr_, img, 0, 0);
        cairo_restore(cr_);
      }
    }
  }
  cairo_surface_destroy(img);
}

void Canvas::paste(const Canvas& other, double x, double y) {
  cairo_save(cr_);
  cairo_scale(cr_, 1 / kScale, 1 / kScale);
  cairo_set_source_surface(cr_, other.surface_, x * kScale, y * kScale);
  cairo_paint(cr_);
  cairo_restore(cr_);
}

// Written with libpng rather than cairo's writer: at zlib's fastest level a
// screen encodes several times faster, for files about a third larger.
void Canvas::save(const std::string& pngFile) const {
  cairo_surface_flush(surface_);
  int w = cairo_image_surface_get_width(surface_), h = cairo_image_surface_get_height(surface_);
  int stride = cairo_image_surface_get_stride(surface_);
  const unsigned char* data = cairo_image_surface_get_data(surface_);
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(pngFile.c_str(), "wb"), &std::fclose);
  if (!file) throw std::runtime_error("cannot write the picture " + pngFile + ": " + std::strerror(errno));
  // Everything with a destructor exists before setjmp, so libpng's longjmp skips none.
  std::vector<unsigned char> row(static_cast<std::size_t>(w) * 4);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("cannot encode the picture " + pngFile);
  }
  png_init_io(png, file.get());
  png_set_compression_level(png, 1);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
  png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 8, PNG_COLOR_TYPE_RGB_ALPHA,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
  png_write_info(png, info);
  for (int y = 0; y < h; ++y) {
    // Cairo keeps premultiplied native-endian ARGB; PNG wants straight RGBA.
    const auto* src = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    for (int x = 0; x < w; ++x) {
      std::uint32_t p = src[x];
      unsigned a = p >> 24;
      auto straight = [a](unsigned c) { return a ? static_cast<unsigned char>((c * 255 + a / 2) / a) : 0; };
      unsigned char* out = &row[static_cast<std::size_t>(x) * 4];
      out[0] = straight((p >> 16) & 0xFF);
      out[1] = straight((p >> 8) & 0xFF);
      out[2] = straight(p & 0xFF);
      out[3] = static_cast<unsigned char>(a);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
}

}  // namespace picture
