#include "uikit/CALayer.h"

Ref<CALayer> CALayer::initImpl() {
  opacity_ = 1.0f;
  maskedCorners_ = kCALayerAllCorners;
  return Ref<CALayer>(this);
}

OBJC_IMPLEMENT(CALayer, init, cornerRadius, maskedCorners, masksToBounds, opacity)
