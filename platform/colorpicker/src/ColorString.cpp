#include "colorpicker/ColorString.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace colorpicker {

namespace {
int hexDigit(char c) noexcept {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

int hexByte(char hi, char lo) noexcept {
  int h = hexDigit(hi), l = hexDigit(lo);
  return h < 0 || l < 0 ? -1 : h * 16 + l;
}

unsigned byteOf(double v) { return static_cast<unsigned>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); }
}  // namespace

std::optional<RGBA> parseColorString(std::string_view text) noexcept {
  if (text.size() < 7 || text[0] != '#') return std::nullopt;
  int channel[3];
  for (int i = 0; i < 3; ++i) {
    int hi = hexDigit(text[1 + 2 * i]);
    int lo = hexDigit(text[2 + 2 * i]);
    if (hi < 0 || lo < 0) return std::nullopt;
    channel[i] = hi * 16 + lo;
  }
  double alpha = 1.0;
  std::string_view rest = text.substr(7);
  if (!rest.empty()) {
    if (rest[0] != ':' || rest.size() == 1) return std::nullopt;
    const char* first = rest.data() + 1;
    const char* last = rest.data() + rest.size();
    auto [end, ec] = std::from_chars(first, last, alpha, std::chars_format::fixed);
    if (ec != std::errc() || end != last || !(alpha >= 0.0 && alpha <= 1.0)) return std::nullopt;
  }
  return RGBA{channel[0] / 255.0, channel[1] / 255.0, channel[2] / 255.0, alpha};
}

std::optional<RGBA> parseColorNotation(std::string_view text) noexcept {
  if (auto c = parseColorString(text)) return c;
  if (text.empty() || text[0] != '#') return std::nullopt;
  if (text.size() == 4) {
    int channel[3];
    for (int i = 0; i < 3; ++i)
      if ((channel[i] = hexByte(text[1 + i], text[1 + i])) < 0) return std::nullopt;
    return RGBA{channel[0] / 255.0, channel[1] / 255.0, channel[2] / 255.0, 1.0};
  }
  if (text.size() == 9) {
    auto c = parseColorString(text.substr(0, 7));
    int alpha = hexByte(text[7], text[8]);
    if (!c || alpha < 0) return std::nullopt;
    c->alpha = alpha / 255.0;
    return c;
  }
  return std::nullopt;
}

std::string colorString(const RGBA& c) {
  char out[32];
  std::snprintf(out, sizeof out, "#%02X%02X%02X", byteOf(c.red), byteOf(c.green), byteOf(c.blue));
  std::string text = out;
  unsigned alpha = byteOf(c.alpha);
  if (alpha == 255) return text;
  std::snprintf(out, sizeof out, ":%.2f", alpha / 255.0);
  if (byteOf(std::strtod(out + 1, nullptr)) != alpha) std::snprintf(out, sizeof out, ":%.3f", alpha / 255.0);
  return text + out;
}

}  // namespace colorpicker
