// Colour strings: "#RRGGBB", optionally followed by ":" and an opacity between
// 0 and 1 written as a decimal fraction ("#FFFFFF:0.45").
#pragma once

#include <optional>
#include <string_view>

#include "uikit/UIColor.h"

namespace colorpicker {

// The colour the text describes, or nothing when it is not a colour string.
// Reads the text in place: nothing is allocated.
std::optional<RGBA> parseColorString(std::string_view text) noexcept;

}  // namespace colorpicker
