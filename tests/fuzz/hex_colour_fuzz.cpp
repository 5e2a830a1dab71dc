// The bundle's own hex colour texts ("#RRGGBB", "0xRRGGBB"), read for the
// theme colour and by the rows' cells.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "cells/UIColor+RGBHex.h"
#include "fuzz_device.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::quietLogs();
  Ref<NSString> text = NSString::make(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!UIColor_RGBHex::colorFromHexString(text)) std::abort();  // any text gives a colour
  long value = 0;
  std::memcpy(&value, data, size < sizeof value ? size : sizeof value);
  if (!UIColor_RGBHex::colorFromHex(value)) std::abort();
  return 0;
}
