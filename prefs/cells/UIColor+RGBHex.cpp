#include "cells/UIColor+RGBHex.h"

#include <cstdint>
#include <string>

#include "foundation/Log.h"

namespace {

// scanHexInt: as the platform scanner reads it: white space skipped, an
// optional 0x, digits up to the first other character, saturating at 32 bits.
std::uint32_t scanHexInt(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r' || s[i] == '\v' || s[i] == '\f'))
    ++i;
  if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) i += 2;
  std::uint64_t value = 0;
  bool overflow = false;
  for (; i < s.size(); ++i) {
    char c = s[i];
    int d = c >= '0' && c <= '9'   ? c - '0'
            : c >= 'a' && c <= 'f' ? c - 'a' + 10
            : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                   : -1;
    if (d < 0) break;
    if (!overflow) {
      value = value * 16 + static_cast<std::uint64_t>(d);
      if (value > 0xFFFFFFFFull) overflow = true;
    }
  }
  return overflow ? 0xFFFFFFFFu : static_cast<std::uint32_t>(value);
}

Ref<UIColor> colorOf(std::uint64_t v) {
  double r = static_cast<double>((v >> 16) & 0xFF) / 255.0;
  double g = static_cast<double>((v >> 8) & 0xFF) / 255.0;
  double b = static_cast<double>(v & 0xFF) / 255.0;
  return UIColor::colorWithRedGreenBlueAlpha(r, g, b, 1.0);
}

}  // namespace

Ref<UIColor> UIColor_RGBHex::colorFromHexStringImpl(Class, NSString* text) {
  NSLog("[DEBUG] rgbHexStringValue: %@", text);
  std::uint32_t value = 0;
  const char* marker = nullptr;
  if (text && text->hasPrefix("0x"_ns)) {
    NSLog("[DEBUG] is in format 0xAAAAAA");
    marker = "0x";
  } else if (text && text->hasPrefix("#"_ns)) {
    NSLog("[DEBUG] is in format #AAAAAA");
    marker = "#";
  }
  if (marker) {
    Ref<NSString> plain = text->stringByReplacingOccurrencesOfStringWithString(NSString::make(marker), ""_ns);
    NSLog("[DEBUG] plainRGBHexStringValue: %@", plain);
    value = scanHexInt(plain->utf8());
  }
  return colorOf(value);
}

Ref<UIColor> UIColor_RGBHex::colorFromHexImpl(Class, long value) { return colorOf(static_cast<std::uint64_t>(value)); }

OBJC_IMPLEMENT_CATEGORY(UIColor_RGBHex)
