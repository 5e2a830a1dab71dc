// Strings tables in the old text form, as a tweak's bundle ships them.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz_device.h"
#include "preferences/StringsText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::quietLogs();
  auto table = preferences::parseStringsText(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!table) return 0;
  // What it reads is text a label can show: no NUL in a key or a value.
  for (const auto& [key, value] : table.value()->entries()) {
    auto* s = objc_cast<NSString>(value.get());
    if (!s || key.find('\0') != std::string::npos || s->utf8().find('\0') != std::string::npos) std::abort();
  }
  return 0;
}
