// The page dots as a person reads them.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace device {

// "home dots: hidden; current #FFFFFF, others #FFFFFF:0.30", one line per indicator.
std::string describeHomeScreen(const nlohmann::json& state);

// The visible rows of the open settings page: "  [on ] Hide Page Dots".
std::string describeSettingsPage(const nlohmann::json& state);

}  // namespace device
