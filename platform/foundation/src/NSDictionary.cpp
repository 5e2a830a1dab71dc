#include "foundation/NSDictionary.h"

#include "Internal.h"
#include "foundation/DevicePaths.h"
#include "foundation/NSException.h"
#include "foundation/PropertyList.h"

using foundation::detail::allocAs;

namespace {
NSString* textKey(NSObject* key) { return objc_cast<NSString>(key); }
}  // namespace

// ------------------------------------------------------------ NSDictionary

OBJC_IMPLEMENT(NSDictionary)

Ref<NSDictionary> NSDictionary::makeIn(Class cls, Entries entries) {
  for (const auto& [key, value] : entries)
    if (!value)
      NSException::raise(NSInvalidArgumentException, "*** dictionary: object cannot be nil (key: " + key + ")");
  Ref<NSDictionary> d = allocAs<NSDictionary>(cls);
  d->entries_ = std::move(entries);
  return d;
}

// Sent to NSMutableDictionary, the factories make mutable dictionaries.
Ref<NSDictionary> NSDictionary::dictionaryImpl(Class c) { return allocAs<NSDictionary>(c); }
Ref<NSDictionary> NSDictionary::dictionaryWithDictionaryImpl(Class c, NSDictionary* other) {
  return makeIn(c, other ? other->entries() : Entries{});
}
Ref<NSDictionary> NSDictionary::dictionaryWithContentsOfFileImpl(Class c, NSString* path) {
  if (!path) return nullptr;
  auto value = foundation::plistFromFile(foundation::devicePath(path->utf8()));
  if (!value) return nullptr;
  auto* d = objc_cast<NSDictionary>(value->get());
  return d ? makeIn(c, d->entries()) : nullptr;
}

Ref<NSDictionary> NSDictionary::make(Entries entries) { return makeIn(cls(), std::move(entries)); }

Ref<NSObject> NSDictionary::objectForKeyImpl(NSObject* key) {
  NSString* k = textKey(key);
  return k ? Ref<NSObject>(find(k->utf8())) : nullptr;
}

Ref<NSArray> NSDictionary::allKeysImpl() {
  NSArray::Items keys;
  keys.reserve(entries_.size());
  for (const auto& [key, value] : entries_) keys.push_back(NSString::make(key));
  return NSArray::make(std::move(keys));
}

Ref<NSArray> NSDictionary::allValuesImpl() {
  NSArray::Items values;
  values.reserve(entries_.size());
  for (const auto& [key, value] : entries_) values.push_back(value);
  return NSArray::make(std::move(values));
}

bool NSDictionary::isEqualToDictionaryImpl(NSDictionary* other) {
  if (!other) return false;
  if (other == this) return true;
  if (other->entries_.size() != entries_.size()) return false;
  for (auto a = entries_.begin(), b = other->entries_.begin(); a != entries_.end(); ++a, ++b) {
    if (a->first != b->first) return false;
    if (a->second.get() != b->second.get() && !a->second->isEqual(b->second.get())) return false;
  }
  return true;
}

Ref<NSString> NSDictionary::descriptionImpl() {
  std::string out;
  foundation::detail::appendPlistDescription(out, this, 0);
  return NSString::make(out);
}

bool NSDictionary::isEqualImpl(NSObject* other) {
  auto* d = objc_cast<NSDictionary>(other);
  return d && isEqualToDictionaryImpl(d);
}

Ref<NSDictionary> NSDictionary::copyImpl() { return Ref<NSDictionary>(this); }
Ref<NSMutableDictionary> NSDictionary::mutableCopyImpl() { return NSMutableDictionary::make(entries_); }

// ----------------------------------------------------- NSMutableDictionary

OBJC_IMPLEMENT(NSMutableDictionary)

Ref<NSMutableDictionary> NSMutableDictionary::make(Entries entries) {
  return ref_cast<NSMutableDictionary>(makeIn(cls(), std::move(entries)));
}

void NSMutableDictionary::setObjectForKeyImpl(NSObject* obj, NSObject* key) {
  NSString* k = textKey(key);
  if (!k)
    NSException::raise(NSInvalidArgumentException, "*** -[NSMutableDictionary setObject:forKey:]: key is not text");
  if (!obj)
    NSException::raise(NSInvalidArgumentException,
                       "*** -[NSMutableDictionary setObject:forKey:]: object cannot be nil (key: " + k->utf8() + ")");
  Ref<NSObject> value(obj);
  auto it = entries_.find(k->utf8());
  if (it != entries_.end())
    it->second = std::move(value);  // the old value is released after the new one is in
  else
    entries_.emplace(k->utf8(), std::move(value));
}

void NSMutableDictionary::removeObjectForKeyImpl(NSObject* key) {
  NSString* k = textKey(key);
  if (!k) return;
  auto it = entries_.find(k->utf8());
  if (it == entries_.end()) return;
  Ref<NSObject> old = std::move(it->second);  // released once the entry is gone
  entries_.erase(it);
}

void NSMutableDictionary::addEntriesFromDictionaryImpl(NSDictionary* other) {
  if (!other || other == this) return;
  for (const auto& [key, value] : other->entries()) entries_[key] = value;
}

Ref<NSDictionary> NSMutableDictionary::copyImpl() { return NSDictionary::make(entries_); }
