// Measuring text as it will be drawn. Both the layout model and the pictures
// of the simulated device lay text out with Pango through these settings, so
// a fitted label and its drawing agree to the pixel:
//
// - family list kSystemFontFamilies (Inter, else DejaVu Sans), the UIFont's
//   point size as an absolute size (1 point = 1 pixel at scale 1) and its
//   weight by name (UIFont::cssWeight() 600 is "Semi-Bold");
// - unhinted metrics and unrounded glyph positions, so sizes keep fractions;
// - one line unless the label allows more; the size is Pango's logical extent.
#pragma once

#include <string>
#include <string_view>

#include "uikit/UIFont.h"
#include "uikit/UIGeometry.h"

namespace uikit {

inline constexpr const char* kSystemFontFamilies = "Inter,DejaVu Sans";

// The Pango font description of a font, as pango_font_description_from_string
// reads it: "Inter,DejaVu Sans, Semi-Bold 17px".
std::string pangoFontDescription(const UIFont* font);

// The size of `text` set in `font`. `lines` 1 keeps it on one line; 0 (any
// number) or more wraps at `width` when width > 0, keeping at most `lines`.
CGSize measureText(std::string_view text, const UIFont* font, long lines = 1, CGFloat width = 0);

// The family fontconfig actually gives for kSystemFontFamilies.
std::string resolvedSystemFamily();

}  // namespace uikit
