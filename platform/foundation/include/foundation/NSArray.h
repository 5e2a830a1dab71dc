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
 public:
  using Items = std::vector<Ref<NSObject>>;

  static Ref<NSArray> array() { return ref_cast<NSArray>(objc::send<Ref<NSObject>(), "array">(cls())); }
  static Ref<NSArray> arrayWithArray(NSArray* other) {
    return ref_cast<NSArray>(objc::send<Ref<NSObject>(id), "arrayWithArray:">(cls(), other));
  }
  static Ref<NSArray> arrayWithObject(NSObject* obj) {
    return ref_cast<NSArray>(objc::send<Ref<NSObject>(id), "arrayWithObject:">(cls(), obj));
  }
  // Nothing (nil) if the file is missing or not an array property list.
  static Ref<NSArray> arrayWithContentsOfFile(NSString* path) {
    return ref_cast<NSArray>(objc::send<Ref<NSObject>(id), "arrayWithContentsOfFile:">(cls(), path));
  }
  // C++ conveniences, not messages. Raise on a null element.
  static Ref<NSArray> make(Items items);
  static Ref<NSArray> of(std::initializer_list<Ref<NSObject>> items) { return make(Items(items)); }

  unsigned long count() { return objc::send<unsigned long(), "count">(this); }
  // Raises NSRangeException past the end.
  Ref<NSObject> objectAtIndex(unsigned long i) { return objc::send<Ref<NSObject>(unsigned long), "objectAtIndex:">(this, i); }
  Ref<NSObject> firstObject() { return objc::send<Ref<NSObject>(), "firstObject">(this); }
  Ref<NSObject> lastObject() { return objc::send<Ref<NSObject>(), "lastObject">(this); }
  bool containsObject(NSObject* obj) { return objc::send<bool(id), "containsObject:">(this, obj); }
  unsigned long indexOfObject(NSObject* obj) { return objc::send<unsigned long(id), "indexOfObject:">(this, obj); }
  bool isEqualToArray(NSArray* other) { return objc::send<bool(id), "isEqualToArray:">(this, other); }
  inline Ref<NSString> componentsJoinedByString(NSString* separator);
  inline Ref<NSString> description();
  Ref<NSArray> copy() { return ref_cast<NSArray>(objc::send<Ref<NSObject>(), "copy">(this)); }
  inline Ref<NSMutableArray> mutableCopy();

  // Fast enumeration: reads the elements directly, without a message each.
  const Items& items() const noexcept { return items_; }
  Items::const_iterator begin() const noexcept { return items_.begin(); }
  Items::const_iterator end() const noexcept { return items_.end(); }

 protected:
  friend struct ArrayAccess;
  Items items_;

 private:
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
 public:
  static Ref<NSMutableArray> array() {
    return ref_cast<NSMutableArray>(objc::send<Ref<NSObject>(), "array">(cls()));
  }
  static Ref<NSMutableArray> arrayWithArray(NSArray* other) {
    return ref_cast<NSMutableArray>(objc::send<Ref<NSObject>(id), "arrayWithArray:">(cls(), other));
  }
  static Ref<NSMutableArray> arrayWithObject(NSObject* obj) {
    return ref_cast<NSMutableArray>(objc::send<Ref<NSObject>(id), "arrayWithObject:">(cls(), obj));
  }
  static Ref<NSMutableArray> arrayWithContentsOfFile(NSString* path) {
    return ref_cast<NSMutableArray>(objc::send<Ref<NSObject>(id), "arrayWithContentsOfFile:">(cls(), path));
  }
  static Ref<NSMutableArray> make(Items items);

  void addObject(NSObject* obj) { objc::send<void(id), "addObject:">(this, obj); }
  void addObjectsFromArray(NSArray* other) { objc::send<void(id), "addObjectsFromArray:">(this, other); }
  void insertObjectAtIndex(NSObject* obj, unsigned long i) {
    objc::send<void(id, unsigned long), "insertObject:atIndex:">(this, obj, i);
  }
  void replaceObjectAtIndexWithObject(unsigned long i, NSObject* obj) {
    objc::send<void(unsigned long, id), "replaceObjectAtIndex:withObject:">(this, i, obj);
  }
  void removeObjectAtIndex(unsigned long i) { objc::send<void(unsigned long), "removeObjectAtIndex:">(this, i); }
  void removeObject(NSObject* obj) { objc::send<void(id), "removeObject:">(this, obj); }
  void removeLastObject() { objc::send<void(), "removeLastObject">(this); }
  void removeAllObjects() { objc::send<void(), "removeAllObjects">(this); }

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

inline Ref<NSString> NSArray::componentsJoinedByString(NSString* separator) {
  return ref_cast<NSString>(objc::send<Ref<NSObject>(id), "componentsJoinedByString:">(this, separator));
}
inline Ref<NSString> NSArray::description() {
  return ref_cast<NSString>(objc::send<Ref<NSObject>(), "description">(this));
}
inline Ref<NSMutableArray> NSArray::mutableCopy() {
  return ref_cast<NSMutableArray>(objc::send<Ref<NSObject>(), "mutableCopy">(this));
}
