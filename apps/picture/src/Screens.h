// Each screen drawn onto a canvas of its own size.
#pragma once

#include <memory>

#include "Canvas.h"

namespace picture {

std::unique_ptr<Canvas> homeScreen(const nlohmann::json& springBoardState);
std::unique_ptr<Canvas> settingsPage(const nlohmann::json& settingsState, const std::string& deviceRoot);

// The status bar both screens share: the time on the left, signal and battery on the right.
void statusBar(Canvas& canvas, Colour ink);

}  // namespace picture
