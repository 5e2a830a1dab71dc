// An implementation whose signature differs from its message's.
#include "objc/define.h"

class Gauge : public NSObject {
  OBJC_CLASS(Gauge, NSObject)
  OBJC_METHOD(level, "level", double())
  int levelImpl() { return 1; }
};
OBJC_IMPLEMENT(Gauge)
