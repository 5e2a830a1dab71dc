// Pictures of the simulated device's screens. Each is a rendering of a host's
// report (its `state` answer): every frame, colour and text comes from there,
// so a picture never lays anything out on its own.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace picture {

// Points are drawn at this many pixels each.
inline constexpr double kScale = 2.0;

// SpringBoard's state: wallpaper, status bar, icons, dock, widget stacks and
// every indicator's dots as the model holds them. Throws std::runtime_error
// when the file cannot be written.
void drawHomeScreen(const nlohmann::json& springBoardState, const std::string& pngFile);
// The Settings host's state: the visible page in its appearance, with any alert on top.
// Images the report names by device path (an entry's icon) are read under `deviceRoot`.
void drawSettingsPage(const nlohmann::json& settingsState, const std::string& pngFile,
                      const std::string& deviceRoot = {});
// The same pictures as PNG bytes, byte for byte what the file would hold, for
// a caller that sends them on rather than keeping a file.
std::string homeScreenPng(const nlohmann::json& springBoardState);
std::string settingsPagePng(const nlohmann::json& settingsState, const std::string& deviceRoot = {});
// Both screens side by side under a caption.
void drawSideBySide(const nlohmann::json& springBoardState, const nlohmann::json& settingsState,
                    const std::string& pngFile, const std::string& caption, const std::string& deviceRoot = {});

}  // namespace picture
