// A class that names its grandparent as its superclass.
#include "objc/define.h"

class Shape : public NSObject {
  OBJC_CLASS(Shape, NSObject)
};
class Square : public Shape {
  OBJC_CLASS(Square, NSObject)
};
