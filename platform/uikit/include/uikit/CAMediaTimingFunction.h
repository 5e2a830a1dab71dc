// Pacing of an animation: a cubic Bézier curve from (0, 0) to (1, 1).
#pragma once

#include "foundation/NSString.h"

inline constexpr const char* kCAMediaTimingFunctionLinear = "linear";
inline constexpr const char* kCAMediaTimingFunctionEaseIn = "easeIn";
inline constexpr const char* kCAMediaTimingFunctionEaseOut = "easeOut";
inline constexpr const char* kCAMediaTimingFunctionEaseInEaseOut = "easeInEaseOut";
inline constexpr const char* kCAMediaTimingFunctionDefault = "default";

class CAMediaTimingFunction : public NSObject {
  OBJC_CLASS(CAMediaTimingFunction, NSObject)
  // Nothing for a name that is none of the five.
  OBJC_CLASS_METHOD(functionWithName, "functionWithName:", Ref<CAMediaTimingFunction>(NSString*))
  OBJC_METHOD(name, "name", Ref<NSString>())

 public:
  // The paced fraction for a fraction of time, both in [0, 1] (not a message).
  double evaluate(double t) const;

 private:
  static Ref<CAMediaTimingFunction> functionWithNameImpl(Class self, NSString* name);
  Ref<NSString> nameImpl() { return name_; }
  Ref<NSString> name_;
  double x1_ = 0, y1_ = 0, x2_ = 1, y2_ = 1;
};
