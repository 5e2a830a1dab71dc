// Colour texts as stored by the colour row and read by the tweak.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "colorpicker/libcolorpicker.h"
#include "foundation/Foundation.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Ref<NSString> fallback = NSString::make("#FF0000");
  Ref<NSString> text = NSString::make(std::string_view(reinterpret_cast<const char*>(data), size));
  Ref<UIColor> colour = LCPParseColorString(text, fallback);
  if (!colour) std::abort();  // the fallback stands in for any text
  return 0;
}
