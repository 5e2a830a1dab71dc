// A hook whose signature differs from the message it replaces.
#include "objc/define.h"

class Gauge : public NSObject {
  OBJC_CLASS(Gauge, NSObject)
  OBJC_METHOD(setLevelAnimated, "setLevel:animated:", void(double, bool))
  void setLevelAnimatedImpl(double, bool) {}
};
void hook(Gauge*, SEL, double) {}
IMP replacement = objc::implementation<Gauge::setLevelAnimatedMessage, &hook>();
