// Specifiers: the rows of a settings page. Every key of the row's entry in
// its page list stays in the properties, unknown keys included; the typed
// fields are what the framework derives from them.
#pragma once

#include <string_view>
#include <type_traits>
#include <utility>

#include "foundation/NSArray.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSString.h"
#include "objc/Weak.h"
#include "objc/define.h"

enum PSCellType : long {
  PSGroupCell = 0,
  PSLinkCell = 1,
  PSLinkListCell = 2,
  PSListItemCell = 3,
  PSTitleValueCell = 4,
  PSSliderCell = 5,
  PSSwitchCell = 6,
  PSStaticTextCell = 7,
  PSEditTextCell = 8,
  PSSegmentCell = 9,
  PSGiantIconCell = 10,
  PSGiantCell = 11,
  PSSecureEditTextCell = 12,
  PSButtonCell = 13,
  PSEditTextViewCell = 14,
};

// The property keys, spelled as in page lists.
inline constexpr std::string_view PSTitleKey = "label";
inline constexpr std::string_view PSIDKey = "id";
inline constexpr std::string_view PSCellKey = "cell";
inline constexpr std::string_view PSKeyNameKey = "key";
inline constexpr std::string_view PSDefaultValueKey = "default";
inline constexpr std::string_view PSDefaultsKey = "defaults";
inline constexpr std::string_view PSValueChangedNotificationKey = "PostNotification";
inline constexpr std::string_view PSTableCellKey = "cellObject";
inline constexpr std::string_view PSCellClassKey = "cellClass";
inline constexpr std::string_view PSDetailControllerClassKey = "detail";
inline constexpr std::string_view PSEnabledKey = "enabled";
inline constexpr std::string_view PSFooterTextGroupKey = "footerText";
inline constexpr std::string_view PSControlMinimumKey = "min";
inline constexpr std::string_view PSControlMaximumKey = "max";
inline constexpr std::string_view PSSliderShowValueKey = "showValue";
inline constexpr std::string_view PSValidTitlesKey = "validTitles";
inline constexpr std::string_view PSValidValuesKey = "validValues";
inline constexpr std::string_view PSActionKey = "action";
inline constexpr std::string_view PSHeightKey = "height";

// The cell type a page list names ("PSSwitchCell"), or -1 for an unknown name.
long PSCellTypeFromString(std::string_view name);
const char* PSCellTypeName(long type);

class PSSpecifier : public NSObject {
  OBJC_CLASS(PSSpecifier, NSObject)
  OBJC_CLASS_METHOD(preferenceSpecifierNamedTargetSetGetDetailCellEdit,
                    "preferenceSpecifierNamed:target:set:get:detail:cell:edit:",
                    Ref<PSSpecifier>(NSString*, NSObject*, SEL, SEL, Class, long, Class))
  OBJC_CLASS_METHOD(groupSpecifierWithName, "groupSpecifierWithName:", Ref<PSSpecifier>(NSString*))
  OBJC_CLASS_METHOD(emptyGroupSpecifier, "emptyGroupSpecifier", Ref<PSSpecifier>())
  // Nothing when unset.
  OBJC_METHOD(propertyForKey, "propertyForKey:", Ref<NSObject>(NSString*))
  // Setting nothing removes the property.
  OBJC_METHOD(setPropertyForKey, "setProperty:forKey:", void(NSObject*, NSString*))
  OBJC_METHOD(removePropertyForKey, "removePropertyForKey:", void(NSString*))
  OBJC_METHOD(properties, "properties", Ref<NSMutableDictionary>())
  // The row's page, held weakly: pages own their rows.
  OBJC_METHOD(target, "target", Ref<NSObject>())
  OBJC_METHOD(setTarget, "setTarget:", void(NSObject*))
  OBJC_PROPERTY(buttonAction, setButtonAction, SEL)
  OBJC_METHOD(_setter, "_setter", SEL())
  OBJC_METHOD(_getter, "_getter", SEL())
  OBJC_PROPERTY(cellType, setCellType, long)
  OBJC_PROPERTY(name, setName, Ref<NSString>)
  // The identifier, else the name.
  OBJC_METHOD(identifier, "identifier", Ref<NSString>())
  OBJC_METHOD(setIdentifier, "setIdentifier:", void(NSString*))
  // The class as an object (a message cannot answer a bare Class).
  OBJC_METHOD(detailControllerClass, "detailControllerClass", Ref<NSObject>())
  OBJC_METHOD(setDetailControllerClass, "setDetailControllerClass:", void(Class))
  OBJC_METHOD(values, "values", Ref<NSArray>())
  OBJC_METHOD(titleDictionary, "titleDictionary", Ref<NSDictionary>())
  OBJC_METHOD(setValuesTitles, "setValues:titles:", void(NSArray*, NSArray*))
  OBJC_OVERRIDE(description)

 public:
  // Keys written as text ("tintColor", PSTitleKey): one key object per call.
  template <class K>
  requires std::is_convertible_v<K, std::string_view> Ref<NSObject> propertyForKey(K&& key) {
    return propertyForKey(NSString::make(std::string_view(key)));
  }
  template <class V, class K>
  requires std::is_convertible_v<K, std::string_view>
  void setPropertyForKey(V&& value, K&& key) {
    setPropertyForKey(std::forward<V>(value), NSString::make(std::string_view(key)));
  }

  // Direct reads without a message or a new key object, for hot loops.
  NSObject* findProperty(std::string_view key) const noexcept;

 private:
  static Ref<PSSpecifier> preferenceSpecifierNamedTargetSetGetDetailCellEditImpl(Class self, NSString* name,
                                                                                 NSObject* target, SEL set, SEL get,
                                                                                 Class detail, long cell, Class edit);
  static Ref<PSSpecifier> groupSpecifierWithNameImpl(Class self, NSString* name);
  static Ref<PSSpecifier> emptyGroupSpecifierImpl(Class self);
  Ref<NSObject> propertyForKeyImpl(NSString* key);
  void setPropertyForKeyImpl(NSObject* value, NSString* key);
  void removePropertyForKeyImpl(NSString* key);
  Ref<NSMutableDictionary> propertiesImpl();
  Ref<NSObject> targetImpl() { return target_.lock(); }
  void setTargetImpl(NSObject* t) { target_ = Weak<NSObject>(t); }
  SEL _setterImpl() { return setter_; }
  SEL _getterImpl() { return getter_; }
  Ref<NSString> identifierImpl() { return identifier_ ? identifier_ : name_; }
  void setIdentifierImpl(NSString* i) { identifier_ = i; }
  Ref<NSObject> detailControllerClassImpl() { return Ref<NSObject>(detail_); }
  void setDetailControllerClassImpl(Class c) { detail_ = c; }
  Ref<NSArray> valuesImpl() { return values_; }
  Ref<NSDictionary> titleDictionaryImpl() { return titles_; }
  void setValuesTitlesImpl(NSArray* values, NSArray* titles);
  Ref<NSString> descriptionImpl();

  Ref<NSMutableDictionary> properties_ = nullptr;
  Weak<NSObject> target_ = {};
  SEL setter_ = nullptr;
  SEL getter_ = nullptr;
  Ref<NSString> identifier_ = nullptr;
  Class detail_ = nullptr;
  Ref<NSArray> values_ = nullptr;
  Ref<NSDictionary> titles_ = nullptr;
};
