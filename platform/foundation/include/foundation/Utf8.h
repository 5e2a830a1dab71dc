// Whether bytes are well-formed UTF-8: no stray continuation bytes, overlong
// forms, surrogates or values past Unicode (ICU's decoder decides).
#pragma once

#include <unicode/utf8.h>

#include <cstdint>
#include <string_view>

namespace foundation {

inline bool isWellFormedUtf8(std::string_view text) {
  const auto* s = reinterpret_cast<const std::uint8_t*>(text.data());
  const auto length = static_cast<std::int32_t>(text.size());
  if (static_cast<std::size_t>(length) != text.size()) return false;
  for (std::int32_t i = 0; i < length;) {
    UChar32 c;
    U8_NEXT(s, i, length, c);
    if (c < 0) return false;
  }
  return true;
}

}  // namespace foundation
