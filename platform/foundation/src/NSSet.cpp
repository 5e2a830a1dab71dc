#include "foundation/NSSet.h"

#include "Internal.h"

OBJC_IMPLEMENT(NSSet)

Ref<NSSet> NSSet::setImpl(Class self) { return foundation::detail::allocAs<NSSet>(self); }

Ref<NSSet> NSSet::setWithArrayImpl(Class self, NSArray* items) {
  Ref<NSSet> s = foundation::detail::allocAs<NSSet>(self);
  if (items)
    for (const auto& item : items->items())
      if (!s->containsObjectImpl(item.get())) s->items_.push_back(item);
  return s;
}

bool NSSet::containsObjectImpl(NSObject* obj) {
  for (const auto& item : items_)
    if (item.get() == obj || (obj && item->isEqual(obj))) return true;
  return false;
}
