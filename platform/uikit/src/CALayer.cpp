#include "uikit/CALayer.h"

Ref<CALayer> CALayer::initImpl() {
  opacity_ = 1.0f;
  maskedCorners_ = kCALayerMinXMinYCorner | kCALayerMaxXMinYCorner | kCALayerMinXMaxYCorner | kCALayerMaxXMaxYCorner;
  return Ref<CALayer>(this);
}

OBJC_IMPLEMENT_LEGACY(CALayer)
void CALayer::registerMethods(objc::ClassBuilder<CALayer>& b) {
  b.method<"init", &CALayer::initImpl>()
      .method<"cornerRadius", &CALayer::cornerRadiusImpl>()
      .method<"setCornerRadius:", &CALayer::setCornerRadiusImpl>()
      .method<"maskedCorners", &CALayer::maskedCornersImpl>()
      .method<"setMaskedCorners:", &CALayer::setMaskedCornersImpl>()
      .method<"masksToBounds", &CALayer::masksToBoundsImpl>()
      .method<"setMasksToBounds:", &CALayer::setMasksToBoundsImpl>()
      .method<"opacity", &CALayer::opacityImpl>()
      .method<"setOpacity:", &CALayer::setOpacityImpl>();
}
