// Ordered collections of objects. Arrays hold strong references to their
// elements and never hold nothing (adding nothing raises, as on the device).
#pragma once

#include <climits>
#include <initializer_list>
#include <vector>

#include "objc/define.h"

class NSString;
class NSMutableArray;

// NSNotFound as on the device.
inline constexpr unsigned long NSNotFound = static_cast<unsigned long>(LONG_MAX);

class NSArray : public NSObject {
  OBJC_CLASS(NSArray, NSObject)
  OBJC_CLASS_METHOD(array, "array", Ref<NSArray>())
  OBJC_CLASS_METHOD(arrayWithArray, "arrayWithArray:", Ref<NSArray>(NSArray*))
  OBJC_CLASS_METHOD(arrayWithObject, "arrayWithObject:", Ref<NSArray>(NSObject*))
  // Nothing (nil) if the file is missing or not an array property list.
  OBJC_CLASS_METHOD(arrayWithContentsOfFile, "arrayWithContentsOfFile:", Ref<NSArray>(NSString*))
  OBJC_METHOD(count, "count", unsigned long())
  // Raises NSRangeException past the end.
  OBJC_METHOD(objectAtIndex, "objectAtIndex:", Ref<NSObject>(unsigned long))
  OBJC_METHOD(firstObject, "firstObject", Ref<NSObject>())
  OBJC_METHOD(lastObject, "lastObject", Ref<NSObject>())
  OBJC_METHOD(containsObject, "containsObject:", bool(NSObject*))
  OBJC_METHOD(indexOfObject, "indexOfObject:", unsigned long(NSObject*))
  OBJC_METHOD(isEqualToArray, "isEqualToArray:", bool(NSArray*))
  OBJC_METHOD(componentsJoinedByString, "componentsJoinedByString:", Ref<NSString>(NSString*))
  OBJC_METHOD(copy, "copy", Ref<NSArray>())
  OBJC_METHOD(mutableCopy, "mutableCopy", Ref<NSMutableArray>())
  OBJC_OVERRIDE(description)
  OBJC_OVERRIDE(isEqual)
  OBJC_OVERRIDE(hash)

 public:
  using Items = std::vector<Ref<NSObject>>;

  // C++ conveniences, not messages. Raise on a null element.
  static Ref<NSArray> make(Items items);
  static Ref<NSArray> of(std::initializer_list<Ref<NSObject>> items) { return make(Items(items)); }

  // Fast enumeration: reads the elements directly, without a message each.
  const Items& items() const noexcept { return items_; }
  Items::const_iterator begin() const noexcept { return items_.begin(); }
  Items::const_iterator end() const noexcept { return items_.end(); }

 protected:
  // An instance of `cls` (NSArray or a subclass) holding `items`.
  static Ref<NSArray> makeIn(Class cls, Items items);
  Items items_;

 private:
  static Ref<NSArray> arrayImpl(Class self);
  static Ref<NSArray> arrayWithArrayImpl(Class self, NSArray* other);
  static Ref<NSArray> arrayWithObjectImpl(Class self, NSObject* obj);
  static Ref<NSArray> arrayWithContentsOfFileImpl(Class self, NSString* path);
  unsigned long countImpl() { return items_.size(); }
  Ref<NSObject> objectAtIndexImpl(unsigned long i);
  Ref<NSObject> firstObjectImpl() { return items_.empty() ? nullptr : items_.front(); }
  Ref<NSObject> lastObjectImpl() { return items_.empty() ? nullptr : items_.back(); }
  bool containsObjectImpl(NSObject* obj) { return indexOfObjectImpl(obj) != NSNotFound; }
  unsigned long indexOfObjectImpl(NSObject* obj);
  bool isEqualToArrayImpl(NSArray* other);
  Ref<NSString> componentsJoinedByStringImpl(NSString* separator);
  Ref<NSString> descriptionImpl();
  bool isEqualImpl(NSObject* other);
  unsigned long hashImpl() { return items_.size(); }
  Ref<NSArray> copyImpl();
  Ref<NSMutableArray> mutableCopyImpl();
};

class NSMutableArray : public NSArray {
  OBJC_CLASS(NSMutableArray, NSArray)
  OBJC_INHERITED_CLASS_METHOD(array)
  OBJC_INHERITED_CLASS_METHOD(arrayWithArray)
  OBJC_INHERITED_CLASS_METHOD(arrayWithObject)
  OBJC_INHERITED_CLASS_METHOD(arrayWithContentsOfFile)
  OBJC_METHOD(addObject, "addObject:", void(NSObject*))
  OBJC_METHOD(addObjectsFromArray, "addObjectsFromArray:", void(NSArray*))
  OBJC_METHOD(insertObjectAtIndex, "insertObject:atIndex:", void(NSObject*, unsigned long))
  OBJC_METHOD(replaceObjectAtIndexWithObject, "replaceObjectAtIndex:withObject:", void(unsigned long, NSObject*))
  OBJC_METHOD(removeObjectAtIndex, "removeObjectAtIndex:", void(unsigned long))
  OBJC_METHOD(removeObject, "removeObject:", void(NSObject*))
  OBJC_METHOD(removeLastObject, "removeLastObject", void())
  OBJC_METHOD(removeAllObjects, "removeAllObjects", void())
  OBJC_OVERRIDE(copy)

 public:
  static Ref<NSMutableArray> make(Items items);

 private:
  void addObjectImpl(NSObject* obj);
  void addObjectsFromArrayImpl(NSArray* other);
  void insertObjectAtIndexImpl(NSObject* obj, unsigned long i);
  void replaceObjectAtIndexWithObjectImpl(unsigned long i, NSObject* obj);
  void removeObjectAtIndexImpl(unsigned long i);
  void removeObjectImpl(NSObject* obj);
  void removeLastObjectImpl();
  void removeAllObjectsImpl() { items_.clear(); }
  Ref<NSArray> copyImpl();
};

#include "foundation/NSString.h"
