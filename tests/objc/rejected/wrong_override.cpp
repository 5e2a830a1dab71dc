// An override whose signature differs from the inherited message's.
#include "objc/define.h"

class Gauge : public NSObject {
  OBJC_CLASS(Gauge, NSObject)
  OBJC_METHOD(setLevel, "setLevel:", void(double))
  void setLevelImpl(double) {}
};
class Dial : public Gauge {
  OBJC_CLASS(Dial, Gauge)
  OBJC_OVERRIDE(setLevel)
  void setLevelImpl(bool) {}
};
OBJC_IMPLEMENT(Gauge)
OBJC_IMPLEMENT(Dial)
