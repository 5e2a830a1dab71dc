// Dictionaries from text keys to objects. Keys are compared by their text;
// enumeration and allKeys go in key order, so output is stable.
#pragma once

#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "foundation/NSArray.h"
#include "foundation/NSString.h"

class NSMutableDictionary;

class NSDictionary : public NSObject {
  OBJC_CLASS(NSDictionary, NSObject)
 public:
  using Entries = std::map<std::string, Ref<NSObject>, std::less<>>;

  static Ref<NSDictionary> dictionary() {
    return ref_cast<NSDictionary>(objc::send<Ref<NSObject>(), "dictionary">(cls()));
  }
  static Ref<NSDictionary> dictionaryWithDictionary(NSDictionary* other) {
    return ref_cast<NSDictionary>(objc::send<Ref<NSObject>(id), "dictionaryWithDictionary:">(cls(), other));
  }
  // Nothing (nil) if the file is missing or not a dictionary property list.
  static Ref<NSDictionary> dictionaryWithContentsOfFile(NSString* path) {
    return ref_cast<NSDictionary>(objc::send<Ref<NSObject>(id), "dictionaryWithContentsOfFile:">(cls(), path));
  }
  // C++ conveniences, not messages. Raise on a null value.
  static Ref<NSDictionary> make(Entries entries);
  static Ref<NSDictionary> of(std::initializer_list<std::pair<const std::string, Ref<NSObject>>> entries) {
    return make(Entries(entries));
  }

  unsigned long count() { return objc::send<unsigned long(), "count">(this); }
  // Nothing for a missing key or a key that is not text.
  Ref<NSObject> objectForKey(NSObject* key) { return objc::send<Ref<NSObject>(id), "objectForKey:">(this, key); }
  Ref<NSObject> objectForKey(std::string_view key) { return objectForKey(NSString::make(key)); }
  Ref<NSArray> allKeys() { return ref_cast<NSArray>(objc::send<Ref<NSObject>(), "allKeys">(this)); }
  Ref<NSArray> allValues() { return ref_cast<NSArray>(objc::send<Ref<NSObject>(), "allValues">(this)); }
  bool isEqualToDictionary(NSDictionary* other) {
    return objc::send<bool(id), "isEqualToDictionary:">(this, other);
  }
  Ref<NSString> description() { return ref_cast<NSString>(objc::send<Ref<NSObject>(), "description">(this)); }
  Ref<NSDictionary> copy() { return ref_cast<NSDictionary>(objc::send<Ref<NSObject>(), "copy">(this)); }
  inline Ref<NSMutableDictionary> mutableCopy();

  // Direct reads, without a message: for enumeration and the plist writer.
  const Entries& entries() const noexcept { return entries_; }
  NSObject* find(std::string_view key) const noexcept {
    auto it = entries_.find(key);
    return it == entries_.end() ? nullptr : it->second.get();
  }

 protected:
  friend struct DictionaryAccess;
  Entries entries_;

 private:
  unsigned long countImpl() { return entries_.size(); }
  Ref<NSObject> objectForKeyImpl(NSObject* key);
  Ref<NSArray> allKeysImpl();
  Ref<NSArray> allValuesImpl();
  bool isEqualToDictionaryImpl(NSDictionary* other);
  Ref<NSString> descriptionImpl();
  bool isEqualImpl(NSObject* other);
  unsigned long hashImpl() { return entries_.size(); }
  Ref<NSDictionary> copyImpl();
  Ref<NSMutableDictionary> mutableCopyImpl();
};

class NSMutableDictionary : public NSDictionary {
  OBJC_CLASS(NSMutableDictionary, NSDictionary)
 public:
  static Ref<NSMutableDictionary> dictionary() {
    return ref_cast<NSMutableDictionary>(objc::send<Ref<NSObject>(), "dictionary">(cls()));
  }
  static Ref<NSMutableDictionary> dictionaryWithDictionary(NSDictionary* other) {
    return ref_cast<NSMutableDictionary>(objc::send<Ref<NSObject>(id), "dictionaryWithDictionary:">(cls(), other));
  }
  static Ref<NSMutableDictionary> dictionaryWithContentsOfFile(NSString* path) {
    return ref_cast<NSMutableDictionary>(objc::send<Ref<NSObject>(id), "dictionaryWithContentsOfFile:">(cls(), path));
  }
  static Ref<NSMutableDictionary> make(Entries entries);

  // Raises NSInvalidArgumentException for a null value or a key that is not text.
  void setObjectForKey(NSObject* obj, NSObject* key) { objc::send<void(id, id), "setObject:forKey:">(this, obj, key); }
  void setObjectForKey(NSObject* obj, std::string_view key) { setObjectForKey(obj, NSString::make(key)); }
  void removeObjectForKey(NSObject* key) { objc::send<void(id), "removeObjectForKey:">(this, key); }
  void removeObjectForKey(std::string_view key) { removeObjectForKey(NSString::make(key)); }
  void removeAllObjects() { objc::send<void(), "removeAllObjects">(this); }
  void addEntriesFromDictionary(NSDictionary* other) {
    objc::send<void(id), "addEntriesFromDictionary:">(this, other);
  }

 private:
  void setObjectForKeyImpl(NSObject* obj, NSObject* key);
  void removeObjectForKeyImpl(NSObject* key);
  void removeAllObjectsImpl() { entries_.clear(); }
  void addEntriesFromDictionaryImpl(NSDictionary* other);
  Ref<NSDictionary> copyImpl();
};

inline Ref<NSMutableDictionary> NSDictionary::mutableCopy() {
  return ref_cast<NSMutableDictionary>(objc::send<Ref<NSObject>(), "mutableCopy">(this));
}
