// A send with one argument too many.
#include "objc/define.h"

class Label : public NSObject {
  OBJC_CLASS(Label, NSObject)
  OBJC_METHOD(setNumberOfLines, "setNumberOfLines:", void(long))
  void setNumberOfLinesImpl(long) {}
};
void oneTooMany(Label* label) { label->setNumberOfLines(2L, 3L); }
