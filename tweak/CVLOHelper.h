// Typed access to the tweak's preference domain. Stateless: every call reads
// the stored domain afresh, so a value the settings pages wrote is seen at
// once.
#pragma once

#include "foundation/NSArray.h"
#include "foundation/NSDate.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSNumber.h"
#include "foundation/NSString.h"

inline constexpr const char* kCVLOPreferenceDomain = "com.tenvarix.corvalloprefs";

class CVLOHelper : public NSObject {
  OBJC_CLASS(CVLOHelper, NSObject)
 public:
  Ref<NSObject> CVLOReadPreferenceValue(NSString* key) {
    return objc::send<Ref<NSObject>(id), "CVLOReadPreferenceValue:">(this, key);
  }
  Ref<NSObject> CVLOReadPreferenceValueFallbackValue(NSString* key, NSObject* fallback) {
    return objc::send<Ref<NSObject>(id, id), "CVLOReadPreferenceValue:fallbackValue:">(this, key, fallback);
  }
  Ref<NSObject> CVLOReadArrayPreferenceValue(NSString* key) {
    return objc::send<Ref<NSObject>(id), "CVLOReadArrayPreferenceValue:">(this, key);
  }
  Ref<NSObject> CVLOReadDatePreferenceValue(NSString* key) {
    return objc::send<Ref<NSObject>(id), "CVLOReadDatePreferenceValue:">(this, key);
  }
  bool CVLOReadBooleanPreferenceValueFallbackValue(NSString* key, NSObject* fallback) {
    return objc::send<bool(id, id), "CVLOReadBooleanPreferenceValue:fallbackValue:">(this, key, fallback);
  }
  Ref<NSObject> CVLOReadColorPreferenceValueFallbackValue(NSString* key, NSObject* fallback) {
    return objc::send<Ref<NSObject>(id, id), "CVLOReadColorPreferenceValue:fallbackValue:">(this, key, fallback);
  }
  Ref<NSObject> CVLOReadStringPreferenceValueFallbackValue(NSString* key, NSObject* fallback) {
    return objc::send<Ref<NSObject>(id, id), "CVLOReadStringPreferenceValue:fallbackValue:">(this, key, fallback);
  }
  Ref<NSObject> CVLOReadIntegerPreferenceValueFallbackValue(NSString* key, NSObject* fallback) {
    return objc::send<Ref<NSObject>(id, id), "CVLOReadIntegerPreferenceValue:fallbackValue:">(this, key, fallback);
  }
  void CVLOWritePreferenceValueForKey(NSObject* value, NSString* key) {
    objc::send<void(id, id), "CVLOWritePreferenceValue:forKey:">(this, value, key);
  }
  void CVLORemovePreferenceValue(NSString* key) { objc::send<void(id), "CVLORemovePreferenceValue:">(this, key); }
  void CVLORemovePreferenceDomain() { objc::send<void(), "CVLORemovePreferenceDomain">(this); }
  bool CVLODoesPreferenceDomainExist() { return objc::send<bool(), "CVLODoesPreferenceDomainExist">(this); }
  bool CVLODoesPreferenceValueExist(NSString* key) {
    return objc::send<bool(id), "CVLODoesPreferenceValueExist:">(this, key);
  }

 private:
  Ref<NSObject> readImpl(NSString* key);
  Ref<NSObject> readFallbackImpl(NSString* key, NSObject* fallback);
  Ref<NSObject> readArrayImpl(NSString* key);
  Ref<NSObject> readDateImpl(NSString* key);
  bool readBooleanImpl(NSString* key, NSObject* fallback);
  void writeImpl(NSObject* value, NSString* key);
  void removeValueImpl(NSString* key);
  void removeDomainImpl();
  bool domainExistsImpl();
  bool valueExistsImpl(NSString* key);
};
