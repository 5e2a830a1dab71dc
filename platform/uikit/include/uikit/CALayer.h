// The part of a view's layer that the pages use: rounded, masked corners, a
// shadow, and animations of its properties.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "foundation/NSArray.h"
#include "objc/define.h"
#include "uikit/CAAnimation.h"
#include "uikit/UIColor.h"
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
  // Nothing means the device's default, opaque black.
  OBJC_PROPERTY(shadowColor, setShadowColor, Ref<UIColor>)
  OBJC_PROPERTY(shadowOffset, setShadowOffset, CGSize)
  OBJC_PROPERTY(shadowRadius, setShadowRadius, double)
  OBJC_PROPERTY(shadowOpacity, setShadowOpacity, float)
  // Keeps a copy: the caller may change and add the same animation again.
  // A copy whose beginTime is 0 begins now, on the media clock.
  OBJC_METHOD(addAnimationForKey, "addAnimation:forKey:", void(CAAnimation*, NSString*))
  OBJC_METHOD(animationForKey, "animationForKey:", Ref<CAAnimation>(NSString*))
  OBJC_METHOD(animationKeys, "animationKeys", Ref<NSArray>())
  OBJC_METHOD(removeAnimationForKey, "removeAnimationForKey:", void(NSString*))
  OBJC_METHOD(removeAllAnimations, "removeAllAnimations", void())

 public:
  // The animations in the order they were added, with their keys (not a message).
  const std::vector<std::pair<std::string, Ref<CAAnimation>>>& animationList() const { return animations_; }
  // What the layer shows for a numeric key path ("shadowRadius", "opacity")
  // at `mediaTime`: the last basic animation of that key path that has not
  // been removed after finishing, else the model value. Nothing for a key
  // path this model does not know.
  std::optional<double> presentationValue(std::string_view keyPath, double mediaTime) const;
  std::optional<double> modelValue(std::string_view keyPath) const;

 private:
  Ref<CALayer> initImpl();
  void addAnimationForKeyImpl(CAAnimation* animation, NSString* key);
  Ref<CAAnimation> animationForKeyImpl(NSString* key);
  Ref<NSArray> animationKeysImpl();
  void removeAnimationForKeyImpl(NSString* key);
  void removeAllAnimationsImpl() { animations_.clear(); }

  std::vector<std::pair<std::string, Ref<CAAnimation>>> animations_;
};
