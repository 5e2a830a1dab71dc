// How pictures leave the renderer: as PNG bytes that read back as the pixels
// drawn, the same bytes a file gets; and the shortcuts that make a frame
// cheap (a wallpaper drawn once, a blur summed once over flat runs) give the
// very pixels the long way gives.
#include <cairo.h>
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Canvas.h"
#include "picture/Picture.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

// Straight RGBA, as any PNG reader gives it.
struct Decoded {
  unsigned width = 0, height = 0;
  bool hasAlpha = false;
  std::vector<unsigned char> rgba;
  std::vector<unsigned char> at(double x, double y) const {  // in points
    auto i = (static_cast<std::size_t>(y * picture::kScale) * width + static_cast<std::size_t>(x * picture::kScale)) * 4;
    return {rgba[i], rgba[i + 1], rgba[i + 2], rgba[i + 3]};
  }
};

Decoded decode(const std::string& png) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  EXPECT_TRUE(png_image_begin_read_from_memory(&image, png.data(), png.size())) << image.message;
  Decoded d{image.width, image.height, (image.format & PNG_FORMAT_FLAG_ALPHA) != 0, {}};
  image.format = PNG_FORMAT_RGBA;
  d.rgba.resize(PNG_IMAGE_SIZE(image));
  EXPECT_TRUE(png_image_finish_read(&image, nullptr, d.rgba.data(), 0, nullptr)) << image.message;
  return d;
}

json homeWithDot(const std::string& colour, double width = 375, double height = 812) {
  return json{{"screen", {0, 0, width, height}},
              {"pageControl",
               {{"hidden", false}, {"alpha", 1.0}, {"currentPage", 1}, {"currentPageIndicatorTintColor", colour},
                {"pageIndicatorTintColor", "#FFFFFF:0.30"}, {"dotDiameter", 7.0},
                {"dots", {{171.5, 680.5}, {187.5, 680.5}, {203.5, 680.5}}}}}};
}

}  // namespace

TEST(PictureEncoding, AScreenReadsBackAsDrawnAndAFileGetsTheSameBytes) {
  std::string png = picture::homeScreenPng(homeWithDot("#FF2D55"));
  Decoded d = decode(png);
  EXPECT_EQ(d.width, 750u);
  EXPECT_EQ(d.height, 1624u);
  EXPECT_FALSE(d.hasAlpha) << "a screen has nothing transparent to keep";
  EXPECT_EQ(d.at(187.5, 680.5), (std::vector<unsigned char>{0xFF, 0x2D, 0x55, 0xFF})) << "the current dot";

  fs::path file = fs::temp_directory_path() / ("cvenc." + std::to_string(::getpid()) + ".png");
  picture::drawHomeScreen(homeWithDot("#FF2D55"), file.string());
  std::ifstream in(file, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  fs::remove(file);
  EXPECT_EQ(bytes.str(), png);
}

TEST(PictureEncoding, WhatIsSeeThroughStaysSoInStraightColour) {
  picture::Canvas c(10, 10);
  c.roundedRect({0, 0, 5, 10}, 0, {1, 0.5, 0, 0.4});  // half the canvas, 40 % opaque; the rest clear
  Decoded d = decode(c.png());
  ASSERT_TRUE(d.hasAlpha);
  auto half = d.at(1, 1);
  EXPECT_EQ(half[3], 102);
  EXPECT_NEAR(half[0], 255, 1) << "not premultiplied";
  EXPECT_NEAR(half[1], 128, 1);
  EXPECT_EQ(half[2], 0);
  EXPECT_EQ(d.at(8, 8)[3], 0);
}

TEST(PictureEncoding, EachScreenSizeHasItsOwnWallpaper) {
  Decoded small = decode(picture::homeScreenPng(homeWithDot("#FFFFFF", 200, 300)));
  Decoded large = decode(picture::homeScreenPng(homeWithDot("#FFFFFF", 390, 844)));
  ASSERT_EQ(large.width, 780u);
  EXPECT_FALSE(large.hasAlpha) << "a smaller wallpaper left part of the screen bare";
  // The gradient ends in pink at the bottom right of whatever the size.
  for (const Decoded* d : {&small, &large}) {
    auto corner = d->at((d->width - 1) / picture::kScale, (d->height - 40) / picture::kScale);
    EXPECT_GT(corner[0], 180);
    EXPECT_LT(corner[1], 140);
  }
}

// The blur the long way: every pixel's whole window, over the whole canvas.
std::vector<unsigned char> referenceShadow(int w, int h, double sigma, const std::function<void(cairo_t*)>& shape) {
  cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, w, h);
  cairo_t* m = cairo_create(mask);
  cairo_scale(m, picture::kScale, picture::kScale);
  shape(m);
  cairo_destroy(m);
  cairo_surface_flush(mask);
  int pad = static_cast<int>(std::ceil(3 * sigma)) + 1;
  std::vector<float> kernel(static_cast<std::size_t>(pad));
  float total = 0;
  for (int i = 0; i < pad; ++i) {
    kernel[static_cast<std::size_t>(i)] = static_cast<float>(std::exp(-(i * i) / (2 * sigma * sigma)));
    total += kernel[static_cast<std::size_t>(i)] * (i == 0 ? 1 : 2);
  }
  for (float& v : kernel) v /= total;
  std::vector<float> px(static_cast<std::size_t>(w) * h);
  const unsigned char* data = cairo_image_surface_get_data(mask);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) px[static_cast<std::size_t>(y * w + x)] = data[y * cairo_image_surface_get_stride(mask) + x] / 255.0f;
  cairo_surface_destroy(mask);
  auto pass = [&](bool rows) {
    std::vector<float> out(px.size());
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        auto tap = [&](int d) -> float {
          int xx = rows ? x + d : x, yy = rows ? y : y + d;
          return xx < 0 || yy < 0 || xx >= w || yy >= h ? 0.0f : px[static_cast<std::size_t>(yy * w + xx)];
        };
        float sum = tap(0) * kernel[0];
        for (int j = 1; j < pad; ++j) {
          sum += tap(-j) * kernel[static_cast<std::size_t>(j)];
          sum += tap(j) * kernel[static_cast<std::size_t>(j)];
        }
        out[static_cast<std::size_t>(y * w + x)] = sum;
      }
    px = out;
  };
  pass(true);
  pass(false);
  std::vector<unsigned char> alpha;
  for (float v : px) alpha.push_back(static_cast<unsigned char>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255)));
  return alpha;
}

TEST(PictureEncoding, AShadowIsTheGaussianOfItsShapeToTheBit) {
  // Flat runs, curves and narrow gaps between shapes, with a blur wider than some of them.
  auto shape = [](cairo_t* m) {
    picture::roundedPath(m, {20, 16, 60, 30}, 9);
    cairo_rectangle(m, 84, 16, 3, 40);
    cairo_arc(m, 100, 60, 7.3, 0, 2 * M_PI);
    cairo_fill(m);
  };
  for (double radius : {1.5, 6.0, 13.0}) {
    picture::Canvas c(130, 90);
    c.shadow({20, 16, 90, 52}, radius, {0, 0, 0, 1}, 0, 0, shape);
    std::vector<unsigned char> expected = referenceShadow(260, 180, radius / 2 * picture::kScale, shape);
    cairo_surface_flush(c.surface());
    const unsigned char* data = cairo_image_surface_get_data(c.surface());
    int stride = cairo_image_surface_get_stride(c.surface()), differing = 0;
    for (int y = 0; y < 180; ++y)
      for (int x = 0; x < 260; ++x)
        differing += data[y * stride + x * 4 + 3] != expected[static_cast<std::size_t>(y * 260 + x)];
    EXPECT_EQ(differing, 0) << "radius " << radius;
  }
}
