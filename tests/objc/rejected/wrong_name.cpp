// A C++ name that does not follow its selector.
#include "objc/define.h"

class Gauge : public NSObject {
  OBJC_CLASS(Gauge, NSObject)
  OBJC_CLASS_METHOD(withLevel, "gaugeWithLevel:", Ref<Gauge>(double))
};
