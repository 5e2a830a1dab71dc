#include "CVLOHelper.h"

#include "foundation/NSUserDefaults.h"

NSString* CVLOPreferenceDomainName() {
  static NSString* const name = NSString::make(kCVLOPreferenceDomain).leak();
  return name;
}

namespace {

// Numbers and texts both answer it.
using boolValueMessage = objc::Message<"boolValue", bool()>;

Ref<NSObject> storedValue(NSString* key) {
  auto domain = NSUserDefaults::standardUserDefaults()->persistentDomainForName(CVLOPreferenceDomainName());
  return domain && key ? domain->objectForKey(key) : nullptr;
}

}  // namespace

Ref<NSObject> CVLOHelper::CVLOReadPreferenceValueImpl(NSString* key) {
  if (auto v = storedValue(key)) return v;
  return NSString::make("0");
}

Ref<NSObject> CVLOHelper::CVLOReadPreferenceValueFallbackValueImpl(NSString* key, NSObject* fallback) {
  if (auto v = storedValue(key)) return v;
  return Ref<NSObject>(fallback);
}

Ref<NSObject> CVLOHelper::CVLOReadArrayPreferenceValueImpl(NSString* key) {
  if (auto v = storedValue(key)) return v;
  return NSMutableArray::array();
}

Ref<NSObject> CVLOHelper::CVLOReadDatePreferenceValueImpl(NSString* key) {
  if (auto v = storedValue(key)) return v;
  return NSDate::date();
}

// A stored value with no truth value (a date, an array) reads as missing
// instead of throwing out of the snapshot loader.
bool CVLOHelper::CVLOReadBooleanPreferenceValueFallbackValueImpl(NSString* key, NSObject* fallback) {
  if (auto v = storedValue(key); v && class_respondsToSelector(object_getClass(v), boolValueMessage::sel()))
    return objc::send<boolValueMessage>(v);
  return objc::send<boolValueMessage>(fallback);
}

// Writes go through the store's serialised update, so a write from the
// settings pages at the same moment is never lost.
void CVLOHelper::CVLOWritePreferenceValueForKeyImpl(NSObject* value, NSString* key) {
  if (!key || !value) return;
  NSUserDefaults::standardUserDefaults()->updatePersistentDomainForName(
      CVLOPreferenceDomainName(), [&](NSMutableDictionary* domain) { domain->setObjectForKey(value, key); });
}

void CVLOHelper::CVLORemovePreferenceValueImpl(NSString* key) {
  if (!key) return;
  NSUserDefaults::standardUserDefaults()->updatePersistentDomainForName(CVLOPreferenceDomainName(),
                                                                        [&](NSMutableDictionary* domain) {
                                                                          if (!domain->objectForKey(key)) return false;
                                                                          domain->removeObjectForKey(key);
                                                                          return true;
                                                                        });
}

void CVLOHelper::CVLORemovePreferenceDomainImpl() {
  NSUserDefaults::standardUserDefaults()->removePersistentDomainForName(CVLOPreferenceDomainName());
}

bool CVLOHelper::CVLODoesPreferenceDomainExistImpl() {
  return static_cast<bool>(NSUserDefaults::standardUserDefaults()->persistentDomainForName(CVLOPreferenceDomainName()));
}

bool CVLOHelper::CVLODoesPreferenceValueExistImpl(NSString* key) { return static_cast<bool>(storedValue(key)); }

OBJC_IMPLEMENT(CVLOHelper)
