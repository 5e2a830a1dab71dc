// Layer animations: timing (duration, repeats, reversing, pacing) and the
// basic animation of one numeric property between two values. A layer keeps
// a copy of what it is given; what it shows at any moment of the media clock
// is `valueAtTime`.
#pragma once

#include <optional>

#include "foundation/NSString.h"
#include "uikit/CAMediaTimingFunction.h"

class CAAnimation : public NSObject {
  OBJC_CLASS(CAAnimation, NSObject)
  OBJC_OVERRIDE(init)
  OBJC_CLASS_METHOD(animation, "animation", Ref<CAAnimation>())
  OBJC_PROPERTY(duration, setDuration, double)
  OBJC_PROPERTY(timingFunction, setTimingFunction, Ref<CAMediaTimingFunction>)
  OBJC_PROPERTY(autoreverses, setAutoreverses, bool)
  // The largest float means without end.
  OBJC_PROPERTY(repeatCount, setRepeatCount, float)
  OBJC_PROPERTY(removedOnCompletion, setRemovedOnCompletion, bool)
  // In media time; 0 until a layer takes the animation, which sets the moment.
  OBJC_PROPERTY(beginTime, setBeginTime, double)
  OBJC_METHOD(copy, "copy", Ref<CAAnimation>())

 public:
  // An unset (zero) duration lasts a quarter of a second, as on the device.
  static constexpr double kDefaultDuration = 0.25;
  double effectiveDuration() const { return duration_ > 0 ? duration_ : kDefaultDuration; }
  bool repeatsForever() const;
  // Seconds from beginTime until the last repeat ends (infinity when never).
  double activeDuration() const;
  // Where along from-to the animation stands at `mediaTime`, paced: 0 at the
  // start and before it, 1 at the end of a forward pass.
  double progressAtTime(double mediaTime) const;

 protected:
  // The fields every animation has, onto a fresh one of the same class.
  void copyTimingTo(CAAnimation* other) const;

 private:
  static Ref<CAAnimation> animationImpl(Class self);
  Ref<CAAnimation> initImpl();
  Ref<CAAnimation> copyImpl();
};

class CAPropertyAnimation : public CAAnimation {
  OBJC_CLASS(CAPropertyAnimation, CAAnimation)
  OBJC_CLASS_METHOD(animationWithKeyPath, "animationWithKeyPath:", Ref<CAPropertyAnimation>(NSString*))
  OBJC_PROPERTY(keyPath, setKeyPath, Ref<NSString>)
  OBJC_OVERRIDE(copy)

 private:
  static Ref<CAPropertyAnimation> animationWithKeyPathImpl(Class self, NSString* keyPath);
  Ref<CAAnimation> copyImpl();
};

class CABasicAnimation : public CAPropertyAnimation {
  OBJC_CLASS(CABasicAnimation, CAPropertyAnimation)
  OBJC_INHERITED_CLASS_METHOD(animationWithKeyPath)
  OBJC_PROPERTY(fromValue, setFromValue, Ref<NSObject>)
  OBJC_PROPERTY(toValue, setToValue, Ref<NSObject>)
  OBJC_OVERRIDE(copy)

 public:
  // The animated value at `mediaTime`, when both ends are numbers.
  std::optional<double> valueAtTime(double mediaTime) const;

 private:
  Ref<CAAnimation> copyImpl();
};
