#include "CVLOHelper.h"

#include "foundation/NSUserDefaults.h"

namespace {

NSString* domainName() {
  static NSString* const name = NSString::make(kCVLOPreferenceDomain).leak();
  return name;
}

Ref<NSObject> storedValue(NSString* key) {
  auto domain = NSUserDefaults::standardUserDefaults()->persistentDomainForName(domainName());
  return domain && key ? domain->objectForKey(key) : nullptr;
}

}  // namespace

Ref<NSObject> CVLOHelper::readImpl(NSString* key) {
  if (auto v = storedValue(key)) return v;
  return NSString::make("0");
}

Ref<NSObject> CVLOHelper::readFallbackImpl(NSString* key, NSObject* fallback) {
  if (auto v = storedValue(key)) return v;
  return Ref<NSObject>(fallback);
}

Ref<NSObject> CVLOHelper::readArrayImpl(NSString* key) {
  if (auto v = storedValue(key)) return v;
  return NSMutableArray::array();
}

Ref<NSObject> CVLOHelper::readDateImpl(NSString* key) {
  if (auto v = storedValue(key)) return v;
  return NSDate::date();
}

// A stored value with no truth value (a date, an array) reads as missing
// instead of throwing out of the snapshot loader.
bool CVLOHelper::readBooleanImpl(NSString* key, NSObject* fallback) {
  static const SEL boolValue = sel_registerName("boolValue");
  if (auto v = storedValue(key); v && class_respondsToSelector(object_getClass(v), boolValue))
    return objc::send<bool(), "boolValue">(v);
  return objc::send<bool(), "boolValue">(fallback);
}

// Writes go through the store's serialised update, so a write from the
// settings pages at the same moment is never lost.
void CVLOHelper::writeImpl(NSObject* value, NSString* key) {
  if (!key || !value) return;
  NSUserDefaults::standardUserDefaults()->updatePersistentDomainForName(
      domainName(), [&](NSMutableDictionary* domain) { domain->setObjectForKey(value, key); });
}

void CVLOHelper::removeValueImpl(NSString* key) {
  if (!key) return;
  NSUserDefaults::standardUserDefaults()->updatePersistentDomainForName(domainName(), [&](NSMutableDictionary* domain) {
    if (!domain->objectForKey(key)) return false;
    domain->removeObjectForKey(key);
    return true;
  });
}

void CVLOHelper::removeDomainImpl() { NSUserDefaults::standardUserDefaults()->removePersistentDomainForName(domainName()); }

bool CVLOHelper::domainExistsImpl() {
  return static_cast<bool>(NSUserDefaults::standardUserDefaults()->persistentDomainForName(domainName()));
}

bool CVLOHelper::valueExistsImpl(NSString* key) { return static_cast<bool>(storedValue(key)); }

OBJC_IMPLEMENT_LEGACY(CVLOHelper)
void CVLOHelper::registerMethods(objc::ClassBuilder<CVLOHelper>& b) {
  b.method<"CVLOReadPreferenceValue:", &CVLOHelper::readImpl>()
      .method<"CVLOReadPreferenceValue:fallbackValue:", &CVLOHelper::readFallbackImpl>()
      .method<"CVLOReadArrayPreferenceValue:", &CVLOHelper::readArrayImpl>()
      .method<"CVLOReadDatePreferenceValue:", &CVLOHelper::readDateImpl>()
      .method<"CVLOReadBooleanPreferenceValue:fallbackValue:", &CVLOHelper::readBooleanImpl>()
      .method<"CVLOReadColorPreferenceValue:fallbackValue:", &CVLOHelper::readFallbackImpl>()
      .method<"CVLOReadStringPreferenceValue:fallbackValue:", &CVLOHelper::readFallbackImpl>()
      .method<"CVLOReadIntegerPreferenceValue:fallbackValue:", &CVLOHelper::readFallbackImpl>()
      .method<"CVLOWritePreferenceValue:forKey:", &CVLOHelper::writeImpl>()
      .method<"CVLORemovePreferenceValue:", &CVLOHelper::removeValueImpl>()
      .method<"CVLORemovePreferenceDomain", &CVLOHelper::removeDomainImpl>()
      .method<"CVLODoesPreferenceDomainExist", &CVLOHelper::domainExistsImpl>()
      .method<"CVLODoesPreferenceValueExist:", &CVLOHelper::valueExistsImpl>();
}
