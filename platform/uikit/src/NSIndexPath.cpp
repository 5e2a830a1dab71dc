#include "uikit/NSIndexPath.h"

Ref<NSIndexPath> NSIndexPath::indexPathForRowInSectionImpl(Class, long row, long section) {
  auto p = NSIndexPath::make();
  p->row_ = row;
  p->section_ = section;
  return p;
}

bool NSIndexPath::isEqualImpl(NSObject* other) {
  auto* o = objc_cast<NSIndexPath>(other);
  return o && o->row_ == row_ && o->section_ == section_;
}

OBJC_IMPLEMENT(NSIndexPath)
