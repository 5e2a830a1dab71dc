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

class CALayer : public NSObject {
  OBJC_CLASS(CALayer, NSObject)
 public:
  CGFloat cornerRadius() { return objc::send<double(), "cornerRadius">(this); }
  void setCornerRadius(CGFloat r) { objc::send<void(double), "setCornerRadius:">(this, r); }
  unsigned long maskedCorners() { return objc::send<unsigned long(), "maskedCorners">(this); }
  void setMaskedCorners(unsigned long m) { objc::send<void(unsigned long), "setMaskedCorners:">(this, m); }
  bool masksToBounds() { return objc::send<bool(), "masksToBounds">(this); }
  void setMasksToBounds(bool m) { objc::send<void(bool), "setMasksToBounds:">(this, m); }
  float opacity() { return objc::send<float(), "opacity">(this); }
  void setOpacity(float o) { objc::send<void(float), "setOpacity:">(this, o); }

 private:
  Ref<CALayer> initImpl();
  double cornerRadiusImpl() { return cornerRadius_; }
  void setCornerRadiusImpl(double r) { cornerRadius_ = r; }
  unsigned long maskedCornersImpl() { return maskedCorners_; }
  void setMaskedCornersImpl(unsigned long m) { maskedCorners_ = m; }
  bool masksToBoundsImpl() { return masksToBounds_; }
  void setMasksToBoundsImpl(bool m) { masksToBounds_ = m; }
  float opacityImpl() { return opacity_; }
  void setOpacityImpl(float o) { opacity_ = o; }

  double cornerRadius_;
  unsigned long maskedCorners_;
  bool masksToBounds_;
  float opacity_;
};
