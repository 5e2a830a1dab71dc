// The trailing part of the platform's standard rows as iOS draws it:
// segments, text fields, list values with their chevron, checkmarks,
// placeholders' notes, and the notice and error lines of an entry's page.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "Canvas.h"

namespace picture {

struct RowInk {
  Colour label, secondary, fill, tint;
  bool dark;
};

// Draws what the row's kind adds after its title; false for a kind drawn elsewhere.
bool standardRowAccessory(Canvas& c, const nlohmann::json& row, Rect cell, const RowInk& ink);
// The title of a row whose kind draws it its own way; false when the plain title applies.
// `root` is the device root its icon files are read from.
bool standardRowTitle(Canvas& c, const nlohmann::json& row, Rect cell, const RowInk& ink, const std::string& root);

}  // namespace picture
