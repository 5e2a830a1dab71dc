// Views as the control protocol reports them: everything a picture of the
// screen needs to draw a view without laying anything out itself.
#pragma once

#include <nlohmann/json.hpp>

#include "uikit/CALayer.h"
#include "uikit/UIView.h"

namespace settings {

nlohmann::json rectJson(const CGRect& r);
nlohmann::json colorJson(const Ref<UIColor>& c);
// The layer: corners, shadow and its animations with their values now.
nlohmann::json layerJson(CALayer* layer, double mediaTime);
// The view and its subtree; frames are in the superview's coordinates.
nlohmann::json viewTreeJson(UIView* v, double mediaTime);

}  // namespace settings
