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
// The domain's name as text, made once.
NSString* CVLOPreferenceDomainName();

class CVLOHelper : public NSObject {
  OBJC_CLASS(CVLOHelper, NSObject)
  // A missing key reads as the text "0".
  OBJC_METHOD(CVLOReadPreferenceValue, "CVLOReadPreferenceValue:", Ref<NSObject>(NSString*))
  OBJC_METHOD(CVLOReadPreferenceValueFallbackValue,
              "CVLOReadPreferenceValue:fallbackValue:", Ref<NSObject>(NSString*, NSObject*))
  // A missing key reads as a new empty mutable array.
  OBJC_METHOD(CVLOReadArrayPreferenceValue, "CVLOReadArrayPreferenceValue:", Ref<NSObject>(NSString*))
  // A missing key reads as now.
  OBJC_METHOD(CVLOReadDatePreferenceValue, "CVLOReadDatePreferenceValue:", Ref<NSObject>(NSString*))
  OBJC_METHOD(CVLOReadBooleanPreferenceValueFallbackValue,
              "CVLOReadBooleanPreferenceValue:fallbackValue:", bool(NSString*, NSObject*))
  // The typed reads below hand back whatever is stored, of any type.
  OBJC_METHOD(CVLOReadColorPreferenceValueFallbackValue,
              "CVLOReadColorPreferenceValue:fallbackValue:", Ref<NSObject>(NSString*, NSObject*))
  OBJC_METHOD(CVLOReadStringPreferenceValueFallbackValue,
              "CVLOReadStringPreferenceValue:fallbackValue:", Ref<NSObject>(NSString*, NSObject*))
  OBJC_METHOD(CVLOReadIntegerPreferenceValueFallbackValue,
              "CVLOReadIntegerPreferenceValue:fallbackValue:", Ref<NSObject>(NSString*, NSObject*))
  OBJC_METHOD(CVLOWritePreferenceValueForKey, "CVLOWritePreferenceValue:forKey:", void(NSObject*, NSString*))
  OBJC_METHOD(CVLORemovePreferenceValue, "CVLORemovePreferenceValue:", void(NSString*))
  OBJC_METHOD(CVLORemovePreferenceDomain, "CVLORemovePreferenceDomain", void())
  OBJC_METHOD(CVLODoesPreferenceDomainExist, "CVLODoesPreferenceDomainExist", bool())
  OBJC_METHOD(CVLODoesPreferenceValueExist, "CVLODoesPreferenceValueExist:", bool(NSString*))

 private:
  Ref<NSObject> CVLOReadPreferenceValueImpl(NSString* key);
  Ref<NSObject> CVLOReadPreferenceValueFallbackValueImpl(NSString* key, NSObject* fallback);
  Ref<NSObject> CVLOReadArrayPreferenceValueImpl(NSString* key);
  Ref<NSObject> CVLOReadDatePreferenceValueImpl(NSString* key);
  bool CVLOReadBooleanPreferenceValueFallbackValueImpl(NSString* key, NSObject* fallback);
  Ref<NSObject> CVLOReadColorPreferenceValueFallbackValueImpl(NSString* key, NSObject* fallback) {
    return CVLOReadPreferenceValueFallbackValueImpl(key, fallback);
  }
  Ref<NSObject> CVLOReadStringPreferenceValueFallbackValueImpl(NSString* key, NSObject* fallback) {
    return CVLOReadPreferenceValueFallbackValueImpl(key, fallback);
  }
  Ref<NSObject> CVLOReadIntegerPreferenceValueFallbackValueImpl(NSString* key, NSObject* fallback) {
    return CVLOReadPreferenceValueFallbackValueImpl(key, fallback);
  }
  void CVLOWritePreferenceValueForKeyImpl(NSObject* value, NSString* key);
  void CVLORemovePreferenceValueImpl(NSString* key);
  void CVLORemovePreferenceDomainImpl();
  bool CVLODoesPreferenceDomainExistImpl();
  bool CVLODoesPreferenceValueExistImpl(NSString* key);
};
