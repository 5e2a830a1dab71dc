#include "colorpicker/ColorString.h"

#include <charconv>

namespace colorpicker {

namespace {
int hexDigit(char c) noexcept {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
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

}  // namespace colorpicker
