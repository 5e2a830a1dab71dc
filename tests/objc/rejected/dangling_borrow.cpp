// A pointer taken from a temporary reference would dangle at the semicolon.
#include "objc/define.h"

class Gauge : public NSObject {
  OBJC_CLASS(Gauge, NSObject)
};
void borrow() {
  Gauge* g = Gauge::make();
  (void)g;
}
