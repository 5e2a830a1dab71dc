// Unordered collections of distinct objects (distinct by isEqual:).
#pragma once

#include <vector>

#include "foundation/NSArray.h"
#include "objc/define.h"

class NSSet : public NSObject {
  OBJC_CLASS(NSSet, NSObject)
  OBJC_CLASS_METHOD(set, "set", Ref<NSSet>())
  OBJC_CLASS_METHOD(setWithArray, "setWithArray:", Ref<NSSet>(NSArray*))
  OBJC_METHOD(count, "count", unsigned long())
  // Any member, or nothing when the set is empty.
  OBJC_METHOD(anyObject, "anyObject", Ref<NSObject>())
  OBJC_METHOD(containsObject, "containsObject:", bool(NSObject*))
  OBJC_METHOD(allObjects, "allObjects", Ref<NSArray>())

 private:
  static Ref<NSSet> setImpl(Class self);
  static Ref<NSSet> setWithArrayImpl(Class self, NSArray* items);
  unsigned long countImpl() { return items_.size(); }
  Ref<NSObject> anyObjectImpl() { return items_.empty() ? nullptr : items_.front(); }
  bool containsObjectImpl(NSObject* obj);
  Ref<NSArray> allObjectsImpl() { return NSArray::make(items_); }
  std::vector<Ref<NSObject>> items_;
};
