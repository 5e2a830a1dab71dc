// Colour strings: "#RRGGBB", optionally followed by ":" and an opacity between
// 0 and 1 written as a decimal fraction ("#FFFFFF:0.45").
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "uikit/UIColor.h"

namespace colorpicker {

// The colour the text describes, or nothing when it is not a colour string.
// Reads the text in place: nothing is allocated.
std::optional<RGBA> parseColorString(std::string_view text) noexcept;

// A colour as people and reports write it: a colour string, "#RRGGBBAA" or
// "#RGB". Only for reading input and reports; a stored value is read by
// parseColorString alone.
std::optional<RGBA> parseColorNotation(std::string_view text) noexcept;

// The colour string for `c`: "#RRGGBB", and ":alpha" when it is not opaque,
// with the fewest decimals (two or three) that read back as the same
// 8-bit opacity.
std::string colorString(const RGBA& c);

}  // namespace colorpicker
