// The device's appearance is the system's, not the Settings process's: it is
// kept in a device file when it changes, and a relaunched Settings (which
// ends with SpringBoard) opens in it.
#pragma once

#include <optional>
#include <string>

namespace settings {

// "light" or "dark" as last kept, or nothing when it never changed.
std::optional<std::string> storedAppearance();
// Keeps `style` for the next launch; a file that cannot be written is logged.
void storeAppearance(const std::string& style);

}  // namespace settings
