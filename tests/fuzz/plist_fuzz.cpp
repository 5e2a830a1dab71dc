// Property lists, XML or binary, as a domain file or a page list arrives.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "foundation/Foundation.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto value = foundation::plistFromBytes({reinterpret_cast<const char*>(data), size});
  if (!value) return 0;
  // Whatever reads must write back and read again.
  for (auto format : {foundation::PlistFormat::Binary, foundation::PlistFormat::XML}) {
    auto bytes = foundation::plistToBytes(value.value().get(), format);
    if (!bytes) continue;  // a date out of range, text with a NUL: refused, not crashed
    if (!foundation::plistFromBytes(bytes.value())) std::abort();
  }
  return 0;
}
