// The standard rows of any tweak's page: text fields, segments and lists of
// choices, as `set` and `type` drive them.
#pragma once

#include <string>

#include "Device.h"

namespace device {

// What `settings --json` adds for these rows from the host's report of a row:
// kind, placeholder, checked, and a segment's or a text field's state.
json standardRowFields(const json& hostRow);
// The page's notice, error line and a list of choices' checked item.
json standardPageFields(const json& hostPage);

// Sets a segment, a list of choices (by value or title) or a text field from
// its report `row`; false for a row of another kind.
bool setStandardRow(const Device& device, const json& row, const std::string& name, const std::string& value);
// Types `text` into the text field of the row bound to KEY (or titled so).
void typeText(const Device& device, const std::string& key, const std::string& text);

}  // namespace device
