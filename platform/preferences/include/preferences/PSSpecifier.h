// Specifiers: the rows of a settings page. Every key of the row's entry in
// its page list stays in the properties, unknown keys included; the typed
// fields are what the framework derives from them.
#pragma once

#include <string_view>

#include "foundation/NSArray.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSString.h"
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
 public:
  static Ref<PSSpecifier> preferenceSpecifierNamedTargetSetGetDetailCellEdit(NSString* name, NSObject* target,
                                                                            SEL set, SEL get, Class detail,
                                                                            long cell, Class edit) {
    return ref_cast<PSSpecifier>(objc::send<Ref<NSObject>(NSString*, NSObject*, SEL, SEL, Class, long, Class),
                                            "preferenceSpecifierNamed:target:set:get:detail:cell:edit:">(
        cls(), name, target, set, get, detail, cell, edit));
  }
  static Ref<PSSpecifier> groupSpecifierWithName(NSString* name) {
    return ref_cast<PSSpecifier>(objc::send<Ref<NSObject>(NSString*), "groupSpecifierWithName:">(cls(), name));
  }
  static Ref<PSSpecifier> emptyGroupSpecifier() {
    return ref_cast<PSSpecifier>(objc::send<Ref<NSObject>(), "emptyGroupSpecifier">(cls()));
  }

  // Nothing when unset.
  Ref<NSObject> propertyForKey(NSString* key) { return objc::send<Ref<NSObject>(NSString*), "propertyForKey:">(this, key); }
  Ref<NSObject> propertyForKey(std::string_view key) { return propertyForKey(NSString::make(key)); }
  // Setting nothing removes the property.
  void setPropertyForKey(NSObject* value, NSString* key) {
    objc::send<void(NSObject*, NSString*), "setProperty:forKey:">(this, value, key);
  }
  void setPropertyForKey(NSObject* value, std::string_view key) { setPropertyForKey(value, NSString::make(key)); }
  void removePropertyForKey(NSString* key) { objc::send<void(NSString*), "removePropertyForKey:">(this, key); }
  Ref<NSMutableDictionary> properties() { return objc::send<Ref<NSMutableDictionary>(), "properties">(this); }

  Ref<NSObject> target() { return objc::send<Ref<NSObject>(), "target">(this); }
  void setTarget(NSObject* t) { objc::send<void(NSObject*), "setTarget:">(this, t); }
  SEL buttonAction() { return objc::send<SEL(), "buttonAction">(this); }
  void setButtonAction(SEL a) { objc::send<void(SEL), "setButtonAction:">(this, a); }
  SEL setter() { return objc::send<SEL(), "_setter">(this); }
  SEL getter() { return objc::send<SEL(), "_getter">(this); }
  long cellType() { return objc::send<long(), "cellType">(this); }
  void setCellType(long t) { objc::send<void(long), "setCellType:">(this, t); }
  Ref<NSString> name() { return objc::send<Ref<NSString>(), "name">(this); }
  void setName(NSString* n) { objc::send<void(NSString*), "setName:">(this, n); }
  Ref<NSString> identifier() { return objc::send<Ref<NSString>(), "identifier">(this); }
  void setIdentifier(NSString* i) { objc::send<void(NSString*), "setIdentifier:">(this, i); }
  Ref<NSObject> detailControllerClass() { return objc::send<Ref<NSObject>(), "detailControllerClass">(this); }
  void setDetailControllerClass(Class c) { objc::send<void(Class), "setDetailControllerClass:">(this, c); }
  Ref<NSArray> values() { return objc::send<Ref<NSArray>(), "values">(this); }
  Ref<NSDictionary> titleDictionary() { return objc::send<Ref<NSDictionary>(), "titleDictionary">(this); }
  void setValuesTitles(NSArray* values, NSArray* titles) {
    objc::send<void(NSArray*, NSArray*), "setValues:titles:">(this, values, titles);
  }

  // Direct reads without a message or a new key object, for hot loops.
  NSObject* findProperty(std::string_view key) const noexcept;

 private:
  static Ref<PSSpecifier> makeImpl(NSObject* cls, SEL, NSString* name, NSObject* target, SEL set, SEL get,
                                   Class detail, long cell, Class edit);
  static Ref<PSSpecifier> groupImpl(NSObject* cls, SEL, NSString* name);
  static Ref<PSSpecifier> emptyGroupImpl(NSObject* cls, SEL);
  Ref<NSObject> propertyForKeyImpl(NSString* key);
  void setPropertyForKeyImpl(NSObject* value, NSString* key);
  void removePropertyForKeyImpl(NSString* key);
  Ref<NSMutableDictionary> propertiesImpl();
  Ref<NSObject> targetImpl() { return target_.lock(); }
  void setTargetImpl(NSObject* t) { target_ = Weak<NSObject>(t); }
  SEL buttonActionImpl() { return action_; }
  void setButtonActionImpl(SEL a) { action_ = a; }
  SEL setterImpl() { return setter_; }
  SEL getterImpl() { return getter_; }
  long cellTypeImpl() { return cellType_; }
  void setCellTypeImpl(long t) { cellType_ = t; }
  Ref<NSString> nameImpl() { return name_; }
  void setNameImpl(NSString* n) { name_ = n; }
  Ref<NSString> identifierImpl() { return identifier_ ? identifier_ : name_; }
  void setIdentifierImpl(NSString* i) { identifier_ = i; }
  Ref<NSObject> detailControllerClassImpl() { return Ref<NSObject>(detail_); }
  void setDetailControllerClassImpl(Class c) { detail_ = c; }
  Ref<NSArray> valuesImpl() { return values_; }
  Ref<NSDictionary> titleDictionaryImpl() { return titles_; }
  void setValuesTitlesImpl(NSArray* values, NSArray* titles);
  Ref<NSString> descriptionImpl();

  Ref<NSMutableDictionary> properties_;
  Weak<NSObject> target_;
  SEL action_;
  SEL setter_;
  SEL getter_;
  long cellType_;
  Ref<NSString> name_;
  Ref<NSString> identifier_;
  Class detail_;
  Ref<NSArray> values_;
  Ref<NSDictionary> titles_;
};
