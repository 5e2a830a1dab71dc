// Touch events, as far as hit testing needs them.
#pragma once

#include "objc/define.h"
#include "uikit/UIGeometry.h"

class UIEvent : public NSObject {
  OBJC_CLASS(UIEvent, NSObject)
  OBJC_METHOD(timestamp, "timestamp", double())

 private:
  double timestampImpl() { return timestamp_; }
  double timestamp_ = 0;
};

class UITouch : public NSObject {
  OBJC_CLASS(UITouch, NSObject)
  OBJC_INIT(initWithLocation, "initWithLocation:", Ref<UITouch>(CGPoint))
  OBJC_METHOD(location, "location", CGPoint())

 private:
  Ref<UITouch> initWithLocationImpl(CGPoint p) {
    location_ = p;
    return Ref<UITouch>(this);
  }
  CGPoint locationImpl() { return location_; }
  CGPoint location_;
};
