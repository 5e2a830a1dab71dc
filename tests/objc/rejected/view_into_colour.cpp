// Object types that can never be each other.
#include "objc/define.h"

class Colour : public NSObject {
  OBJC_CLASS(Colour, NSObject)
};
class View : public NSObject {
  OBJC_CLASS(View, NSObject)
  OBJC_METHOD(setTint, "setTint:", void(Colour*))
  void setTintImpl(View*) {}
};
OBJC_IMPLEMENT(View)
