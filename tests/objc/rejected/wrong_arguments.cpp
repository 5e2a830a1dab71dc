// A send with an argument of the wrong kind.
#include "objc/define.h"

class Label : public NSObject {
  OBJC_CLASS(Label, NSObject)
  OBJC_METHOD(setNumberOfLines, "setNumberOfLines:", void(long))
  void setNumberOfLinesImpl(long) {}
};
void wrongKind(Label* label) { label->setNumberOfLines("x"); }
