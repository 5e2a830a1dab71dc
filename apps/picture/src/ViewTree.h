// Draws a view tree as the Settings host reports it (the banner, the title
// view, bar buttons): frames, backgrounds, corners, shadows at their animated
// moment, labels in their fonts, images from the device root and the system
// symbols the pages use.
#pragma once

#include <string>

#include "Canvas.h"

namespace picture {

// `x`, `y`: where the tree's superview's origin lies on the canvas.
void drawViewTree(Canvas& c, const nlohmann::json& view, double x, double y, const std::string& deviceRoot);

// A system symbol by name, in `r`, in `ink` (a gear, circular arrows, or a dot for others).
void drawSymbol(Canvas& c, const std::string& name, Rect r, Colour ink);

}  // namespace picture
