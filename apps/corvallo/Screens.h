// What `corvallo home` and `corvallo settings` print, from the hosts' reports.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace device {

using nlohmann::json;

// "#RRGGBB" or "#RRGGBB:0.45" as the hosts report colours, to "#RRGGBBAA";
// null stays null.
json rgbaColour(const json& hostColour);

// {"pageControls": [...], "widgetStacks": [...]} from SpringBoard's state.
json homeJson(const json& springBoardState);
std::string homeText(const json& home);

// {"title", "sections", "alert", "menu", "overlay"} from the Settings host's state.
json settingsJson(const json& settingsState);
std::string settingsText(const json& settings);

}  // namespace device
