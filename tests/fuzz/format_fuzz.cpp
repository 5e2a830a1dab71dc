// stringWithFormat: with any format and a spread of arguments of each kind.
#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/Foundation.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view fmt(reinterpret_cast<const char*>(data), size);
  static Ref<NSString> text = NSString::make("text");
  long long n = size ? static_cast<long long>(data[0]) - 128 : 0;
  (void)foundation::format(fmt);
  (void)foundation::format(fmt, n, 3.5, "c-text", text, static_cast<void*>(nullptr));
  (void)foundation::format(fmt, text, n, -1.0 / 3, static_cast<unsigned long>(n), 'x', std::string("s"));
  return 0;
}
