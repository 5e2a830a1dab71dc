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
  OBJC_CLASS_METHOD(dictionary, "dictionary", Ref<NSDictionary>())
  OBJC_CLASS_METHOD(dictionaryWithDictionary, "dictionaryWithDictionary:", Ref<NSDictionary>(NSDictionary*))
  // Nothing (nil) if the file is missing or not a dictionary property list.
  OBJC_CLASS_METHOD(dictionaryWithContentsOfFile, "dictionaryWithContentsOfFile:", Ref<NSDictionary>(NSString*))
  OBJC_METHOD(count, "count", unsigned long())
  // Nothing for a missing key or a key that is not text.
  OBJC_METHOD(objectForKey, "objectForKey:", Ref<NSObject>(NSObject*))
  OBJC_METHOD(allKeys, "allKeys", Ref<NSArray>())
  OBJC_METHOD(allValues, "allValues", Ref<NSArray>())
  OBJC_METHOD(isEqualToDictionary, "isEqualToDictionary:", bool(NSDictionary*))
  OBJC_METHOD(copy, "copy", Ref<NSDictionary>())
  OBJC_METHOD(mutableCopy, "mutableCopy", Ref<NSMutableDictionary>())
  OBJC_OVERRIDE(description)
  OBJC_OVERRIDE(isEqual)
  OBJC_OVERRIDE(hash)

 public:
  using Entries = std::map<std::string, Ref<NSObject>, std::less<>>;

  // C++ conveniences, not messages. Raise on a null value.
  static Ref<NSDictionary> make(Entries entries);
  static Ref<NSDictionary> of(std::initializer_list<std::pair<const std::string, Ref<NSObject>>> entries) {
    return make(Entries(entries));
  }
  // objectForKey: with a C++ text key.
  template <foundation::TextLike K>
  Ref<NSObject> objectForKey(K&& key) {
    return objectForKey(NSString::make(std::string_view(key)));
  }

  // Direct reads, without a message: for enumeration and the plist writer.
  const Entries& entries() const noexcept { return entries_; }
  NSObject* find(std::string_view key) const noexcept {
    auto it = entries_.find(key);
    return it == entries_.end() ? nullptr : it->second.get();
  }

 protected:
  // An instance of `cls` (NSDictionary or a subclass) holding `entries`.
  static Ref<NSDictionary> makeIn(Class cls, Entries entries);
  Entries entries_;

 private:
  static Ref<NSDictionary> dictionaryImpl(Class self);
  static Ref<NSDictionary> dictionaryWithDictionaryImpl(Class self, NSDictionary* other);
  static Ref<NSDictionary> dictionaryWithContentsOfFileImpl(Class self, NSString* path);
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
  OBJC_INHERITED_CLASS_METHOD(dictionary)
  OBJC_INHERITED_CLASS_METHOD(dictionaryWithDictionary)
  OBJC_INHERITED_CLASS_METHOD(dictionaryWithContentsOfFile)
  // Raises NSInvalidArgumentException for a null value or a key that is not text.
  OBJC_METHOD(setObjectForKey, "setObject:forKey:", void(NSObject*, NSObject*))
  OBJC_METHOD(removeObjectForKey, "removeObjectForKey:", void(NSObject*))
  OBJC_METHOD(removeAllObjects, "removeAllObjects", void())
  OBJC_METHOD(addEntriesFromDictionary, "addEntriesFromDictionary:", void(NSDictionary*))
  OBJC_OVERRIDE(copy)

 public:
  static Ref<NSMutableDictionary> make(Entries entries);

  // The messages with a C++ text key.
  template <class V, foundation::TextLike K>
  void setObjectForKey(V&& obj, K&& key) {
    setObjectForKey(std::forward<V>(obj), NSString::make(std::string_view(key)));
  }
  template <foundation::TextLike K>
  void removeObjectForKey(K&& key) {
    removeObjectForKey(NSString::make(std::string_view(key)));
  }

 private:
  void setObjectForKeyImpl(NSObject* obj, NSObject* key);
  void removeObjectForKeyImpl(NSObject* key);
  void removeAllObjectsImpl() { entries_.clear(); }
  void addEntriesFromDictionaryImpl(NSDictionary* other);
  Ref<NSDictionary> copyImpl();
};
