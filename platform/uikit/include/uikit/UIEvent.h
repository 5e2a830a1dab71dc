// Touch events, as far as hit testing needs them.
#pragma once

#include "objc/define.h"
#include "uikit/UIGeometry.h"

class UIEvent : public NSObject {
  OBJC_CLASS(UIEvent, NSObject)
 public:
  double timestamp() { return objc::send<double(), "timestamp">(this); }

 private:
  double timestampImpl() { return timestamp_; }
  double timestamp_;
};

class UITouch : public NSObject {
  OBJC_CLASS(UITouch, NSObject)
 public:
  Ref<UITouch> initWithLocation(CGPoint p) { return objc::send<Ref<UITouch>(CGPoint), "initWithLocation:">(this, p); }
  CGPoint location() { return objc::send<CGPoint(), "location">(this); }

 private:
  Ref<UITouch> initWithLocationImpl(CGPoint p) {
    location_ = p;
    return Ref<UITouch>(this);
  }
  CGPoint locationImpl() { return location_; }
  CGPoint location_;
};
