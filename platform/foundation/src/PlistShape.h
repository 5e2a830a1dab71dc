// Checks a property list's size and nesting before it is parsed.
#pragma once

#include <cstddef>
#include <string_view>

#include "foundation/Result.h"

namespace foundation {

// Larger files are refused: no preference domain or page list comes near it.
inline constexpr std::size_t kMaxPlistBytes = std::size_t{64} << 20;

// Done, or why the bytes must not be handed to the parser: too large, more
// than maxDepth collections deep, or (binary) a collection containing itself
// or text holding a NUL character.
// Other malformations are left to the parser.
Status checkPlistShape(std::string_view bytes, int maxDepth);

}  // namespace foundation
