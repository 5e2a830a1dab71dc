// The part of a view's layer that the pages use: rounded, masked corners.
#pragma once

#include "objc/define.h"
#include "uikit/UIGeometry.h"

// Which corners a corner radius applies to.
enum CACornerMask : unsigned long {
  kCALayerMinXMinYCorner = 1,  // top left
  kCALayerMaxXMinYCorner = 2,  // top right
  kCALayerMinXMaxYCorner = 4,  // bottom left
  kCALayerMaxXMaxYCorner = 8,  // bottom right
};
inline constexpr unsigned long kCALayerTopCorners = kCALayerMinXMinYCorner | kCALayerMaxXMinYCorner;
inline constexpr unsigned long kCALayerBottomCorners = kCALayerMinXMaxYCorner | kCALayerMaxXMaxYCorner;
inline constexpr unsigned long kCALayerAllCorners = kCALayerTopCorners | kCALayerBottomCorners;

class CALayer : public NSObject {
  OBJC_CLASS(CALayer, NSObject)
  OBJC_OVERRIDE(init)
  OBJC_PROPERTY(cornerRadius, setCornerRadius, double)
  OBJC_PROPERTY(maskedCorners, setMaskedCorners, unsigned long)
  OBJC_PROPERTY(masksToBounds, setMasksToBounds, bool)
  OBJC_PROPERTY(opacity, setOpacity, float)

 private:
  Ref<CALayer> initImpl();
};
