// `corvallo demo`: starts the device and changes the settings as a user would,
// showing the dots after each step.
#pragma once

#include <filesystem>

#include "Install.h"

namespace device {

// 0 when every step settled within its time.
int runDemo(const BuildOutput& build, const std::filesystem::path& root);

}  // namespace device
