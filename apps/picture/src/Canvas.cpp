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

void roundedPath(cairo_t* cr, Rect r, double radius, unsigned corners) {
  radius = std::max(0.0, std::min({radius, r.w / 2, r.h / 2}));
  auto rad = [&](unsigned bit) { return (corners & bit) ? radius : 0.0; };
  cairo_new_sub_path(cr);
  double tl = rad(1), tr = rad(2), bl = rad(4), br = rad(8);
  cairo_arc(cr, r.x + r.w - tr, r.y + tr, tr, -M_PI / 2, 0);
  cairo_arc(cr, r.x + r.w - br, r.y + r.h - br, br, 0, M_PI / 2);
  cairo_arc(cr, r.x + bl, r.y + r.h - bl, bl, M_PI / 2, M_PI);
  cairo_arc(cr, r.x + tl, r.y + tl, tl, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

void Canvas::roundedRect(Rect r, double radius, Colour c, unsigned corners) {
  roundedPath(cr_, r, radius, corners);
  source(cr_, c);
  cairo_fill(cr_);
}

namespace {

// One pass of a separable Gaussian, along the rows or along the columns.
// A shape's mask is mostly runs of one value (empty outside, full inside):
// where the kernel's whole window lies on one run, the sum is the same one
// for every such pixel, taken once in the same order, so the result is the
// same to the bit as summing each pixel's window.
void gaussianPass(std::vector<float>& px, int w, int h, bool rows, const std::vector<float>& kernel) {
  int k = static_cast<int>(kernel.size()) - 1;
  int n = rows ? w : h, lines = rows ? h : w;
  std::vector<float> line(static_cast<std::size_t>(n));
  std::vector<int> runStart(static_cast<std::size_t>(n)), runEnd(static_cast<std::size_t>(n));
  float lastValue = 0, lastSum = 0;
  bool haveLast = false;
  auto uniformSum = [&](float v) {
    if (haveLast && v == lastValue) return lastSum;
    float sum = v * kernel[0];
    for (int j = 1; j <= k; ++j) {
      sum += v * kernel[static_cast<std::size_t>(j)];
      sum += v * kernel[static_cast<std::size_t>(j)];
    }
    haveLast = true;
    lastValue = v;
    lastSum = sum;
    return sum;
  };
  for (int l = 0; l < lines; ++l) {
    auto at = [&](int i) -> float& {
      return rows ? px[static_cast<std::size_t>(l) * w + i] : px[static_cast<std::size_t>(i) * w + l];
    };
    for (int i = 0; i < n; ++i) line[static_cast<std::size_t>(i)] = at(i);
    for (int i = 0; i < n; ++i)
      runStart[static_cast<std::size_t>(i)] =
          i > 0 && line[static_cast<std::size_t>(i)] == line[static_cast<std::size_t>(i - 1)] ? runStart[static_cast<std::size_t>(i - 1)] : i;
    for (int i = n - 1; i >= 0; --i)
      runEnd[static_cast<std::size_t>(i)] =
          i + 1 < n && line[static_cast<std::size_t>(i)] == line[static_cast<std::size_t>(i + 1)] ? runEnd[static_cast<std::size_t>(i + 1)] : i + 1;
    for (int i = 0; i < n; ++i) {
      if (i - k >= 0 && i + k < n && runStart[static_cast<std::size_t>(i)] <= i - k && runEnd[static_cast<std::size_t>(i)] > i + k) {
        at(i) = uniformSum(line[static_cast<std::size_t>(i)]);
        continue;
      }
      float sum = line[static_cast<std::size_t>(i)] * kernel[0];
      for (int j = 1; j <= k; ++j) {
        if (i - j >= 0) sum += line[static_cast<std::size_t>(i - j)] * kernel[static_cast<std::size_t>(j)];
        if (i + j < n) sum += line[static_cast<std::size_t>(i + j)] * kernel[static_cast<std::size_t>(j)];
      }
      at(i) = sum;
    }
  }
}

}  // namespace

void Canvas::shadow(Rect extent, double radius, Colour c, double dx, double dy,
                    const std::function<void(cairo_t*)>& shape) {
  if (radius <= 0 || c.a <= 0 || extent.w <= 0 || extent.h <= 0) return;
  // A layer's shadow radius is the blur's radius; the Gaussian's deviation is half of it.
  cairo_matrix_t ctm;
  cairo_get_matrix(cr_, &ctm);
  double sigma = radius / 2, sx = sigma, sy = 0;
  cairo_user_to_device_distance(cr_, &sx, &sy);
  sigma = std::hypot(sx, sy);
  int pad = static_cast<int>(std::ceil(3 * sigma)) + 1;
  double x0 = extent.x, y0 = extent.y, x1 = extent.x + extent.w, y1 = extent.y + extent.h;
  cairo_user_to_device(cr_, &x0, &y0);
  cairo_user_to_device(cr_, &x1, &y1);
  int left = static_cast<int>(std::floor(std::min(x0, x1))) - pad, top = static_cast<int>(std::floor(std::min(y0, y1))) - pad;
  int w = static_cast<int>(std::ceil(std::max(x0, x1))) + pad - left, h = static_cast<int>(std::ceil(std::max(y0, y1))) + pad - top;
  if (w <= 0 || h <= 0 || static_cast<long>(w) * h > 64L * 1024 * 1024) return;

  cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, w, h);
  cairo_t* m = cairo_create(mask);
  ctm.x0 -= left;
  ctm.y0 -= top;
  cairo_set_matrix(m, &ctm);
  cairo_set_source_rgba(m, 0, 0, 0, 1);
  shape(m);
  cairo_destroy(m);
  cairo_surface_flush(mask);

  std::vector<float> kernel(static_cast<std::size_t>(pad));
  float total = 0;
  for (int i = 0; i < pad; ++i) {
    kernel[static_cast<std::size_t>(i)] = static_cast<float>(std::exp(-(i * i) / (2 * sigma * sigma)));
    total += kernel[static_cast<std::size_t>(i)] * (i == 0 ? 1 : 2);
  }
  for (float& v : kernel) v /= total;
  unsigned char* data = cairo_image_surface_get_data(mask);
  int stride = cairo_image_surface_get_stride(mask);
  std::vector<float> px(static_cast<std::size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) px[static_cast<std::size_t>(y) * w + x] = data[y * stride + x] / 255.0f;
  gaussianPass(px, w, h, true, kernel);
  gaussianPass(px, w, h, false, kernel);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      data[y * stride + x] =
          static_cast<unsigned char>(std::lround(std::clamp(px[static_cast<std::size_t>(y) * w + x], 0.0f, 1.0f) * 255));
  cairo_surface_mark_dirty(mask);

  double ox = dx, oy = dy;
  cairo_user_to_device_distance(cr_, &ox, &oy);
  cairo_save(cr_);
  cairo_identity_matrix(cr_);
  source(cr_, c);
  cairo_mask_surface(cr_, mask, left + ox, top + oy);
  cairo_restore(cr_);
  cairo_surface_destroy(mask);
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
  if (style.glowRadius > 0 && style.glow.a > 0)
    shadow({left, y, tw, th}, style.glowRadius, style.glow, 0, 0, [&](cairo_t* m) {
      cairo_move_to(m, left, y);
      pango_cairo_layout_path(m, layout);
      cairo_fill(m);
    });
  cairo_move_to(cr_, left, y);
  source(cr_, c);
  pango_cairo_show_layout(cr_, layout);
  pango_font_description_free(font);
  g_object_unref(layout);
  return th;
}

double Canvas::textWidth(const std::string& text, const Text& style) {
  if (text.empty()) return 0;
  PangoLayout* layout = pango_cairo_create_layout(cr_);
  PangoFontDescription* font =
      pango_font_description_from_string(style.font.empty() ? "Inter, DejaVu Sans" : style.font.c_str());
  pango_font_description_set_absolute_size(font, style.size * PANGO_SCALE);
  if (style.font.empty())
    pango_font_description_set_weight(font, style.bold ? PANGO_WEIGHT_SEMIBOLD : PANGO_WEIGHT_NORMAL);
  pango_layout_set_font_description(layout, font);
  pango_layout_set_text(layout, text.c_str(), -1);
  int w = 0, h = 0;
  pango_layout_get_size(layout, &w, &h);
  pango_font_description_free(font);
  g_object_unref(layout);
  return static_cast<double>(w) / PANGO_SCALE;
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
    double sx = r.w / cairo_image_surface_get_width(img), sy = r.h / cairo_image_surface_get_height(img);
    shadow(r, blur, c, dx, dy, [&](cairo_t* m) {
      cairo_translate(m, r.x, r.y);
      cairo_scale(m, sx, sy);
      cairo_mask_surface(m, img, 0, 0);
    });
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

namespace {

void appendBytes(png_structp png, png_bytep data, png_size_t length) {
  static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}

void flushNothing(png_structp) {}

}  // namespace

// Encoded with libpng rather than cairo's writer, at zlib's fastest level and
// without filtering: a screen encodes several times faster, and its flat
// colours and gradients come out no larger than with a filter. A picture with
// nothing transparent (every screen) is written without the alpha channel, a
// quarter less to compress, for the same pixels.
std::string Canvas::png() const {
  cairo_surface_flush(surface_);
  int w = cairo_image_surface_get_width(surface_), h = cairo_image_surface_get_height(surface_);
  int stride = cairo_image_surface_get_stride(surface_);
  const unsigned char* data = cairo_image_surface_get_data(surface_);
  auto rowOf = [&](int y) { return reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride); };
  std::uint32_t all = 0xFFFFFFFF;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) all &= rowOf(y)[x];
  bool opaque = (all >> 24) == 0xFF;
  int channels = opaque ? 3 : 4;
  // Everything with a destructor exists before setjmp, so libpng's longjmp skips none.
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(w) * h / 2);
  std::vector<unsigned char> row(static_cast<std::size_t>(w) * channels);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error("cannot encode the picture");
  }
  png_set_write_fn(png, &bytes, &appendBytes, &flushNothing);
  png_set_compression_level(png, 1);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 8,
               opaque ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE,
               PNG_FILTER_TYPE_BASE);
  png_write_info(png, info);
  for (int y = 0; y < h; ++y) {
    // Cairo keeps premultiplied native-endian ARGB; PNG wants straight RGB(A).
    const std::uint32_t* src = rowOf(y);
    unsigned char* out = row.data();
    for (int x = 0; x < w; ++x, out += channels) {
      std::uint32_t p = src[x];
      unsigned a = p >> 24;
      if (a == 255) {  // nearly every pixel of a screen: nothing to divide
        out[0] = static_cast<unsigned char>(p >> 16);
        out[1] = static_cast<unsigned char>(p >> 8);
        out[2] = static_cast<unsigned char>(p);
      } else {
        auto straight = [a](unsigned c) { return a ? static_cast<unsigned char>((c * 255 + a / 2) / a) : 0; };
        out[0] = straight((p >> 16) & 0xFF);
        out[1] = straight((p >> 8) & 0xFF);
        out[2] = straight(p & 0xFF);
      }
      if (!opaque) out[3] = static_cast<unsigned char>(a);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return bytes;
}

void Canvas::save(const std::string& pngFile) const { writeFile(pngFile, png()); }

void writeFile(const std::string& file, const std::string& bytes) {
  std::unique_ptr<FILE, int (*)(FILE*)> out(std::fopen(file.c_str(), "wb"), &std::fclose);
  if (!out) throw std::runtime_error("cannot write the picture " + file + ": " + std::strerror(errno));
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), out.get()) == bytes.size();
  // A full disk often shows only when the buffer is flushed.
  if (!written || std::fclose(out.release()) != 0)
    throw std::runtime_error("cannot write the picture " + file + ": " + std::strerror(errno));
}

}  // namespace picture
