#include "preferences/PSSpecifier.h"
#include "objc/Weak.h"

#include <array>
#include <utility>

namespace {
constexpr std::array<std::pair<std::string_view, long>, 15> kCellTypes{{
    {"PSGroupCell", PSGroupCell},
    {"PSLinkCell", PSLinkCell},
    {"PSLinkListCell", PSLinkListCell},
    {"PSListItemCell", PSListItemCell},
    {"PSTitleValueCell", PSTitleValueCell},
    {"PSSliderCell", PSSliderCell},
    {"PSSwitchCell", PSSwitchCell},
    {"PSStaticTextCell", PSStaticTextCell},
    {"PSEditTextCell", PSEditTextCell},
    {"PSSegmentCell", PSSegmentCell},
    {"PSGiantIconCell", PSGiantIconCell},
    {"PSGiantCell", PSGiantCell},
    {"PSSecureEditTextCell", PSSecureEditTextCell},
    {"PSButtonCell", PSButtonCell},
    {"PSEditTextViewCell", PSEditTextViewCell},
}};
}  // namespace

long PSCellTypeFromString(std::string_view name) {
  for (const auto& [n, t] : kCellTypes)
    if (n == name) return t;
  return -1;
}

const char* PSCellTypeName(long type) {
  for (const auto& [n, t] : kCellTypes)
    if (t == type) return n.data();
  return "PSUnknownCell";
}

// Always a PSSpecifier, whatever class it is sent to.
Ref<PSSpecifier> PSSpecifier::preferenceSpecifierNamedTargetSetGetDetailCellEditImpl(Class, NSString* name,
                                                                                     NSObject* target, SEL set, SEL get,
                                                                                     Class detail, long cell, Class) {
  auto s = PSSpecifier::make();
  s->properties_ = NSMutableDictionary::dictionary();
  s->name_ = name;
  s->target_ = Weak<NSObject>(target);
  s->setter_ = set;
  s->getter_ = get;
  s->detail_ = detail;
  s->cellType_ = cell;
  if (name) s->properties_->setObjectForKey(name, PSTitleKey);
  return s;
}

Ref<PSSpecifier> PSSpecifier::groupSpecifierWithNameImpl(Class self, NSString* name) {
  return preferenceSpecifierNamedTargetSetGetDetailCellEditImpl(self, name, nullptr, nullptr, nullptr, nullptr,
                                                                PSGroupCell, nullptr);
}
Ref<PSSpecifier> PSSpecifier::emptyGroupSpecifierImpl(Class self) { return groupSpecifierWithNameImpl(self, nullptr); }

NSObject* PSSpecifier::findProperty(std::string_view key) const noexcept {
  return properties_ ? properties_->find(key) : nullptr;
}

Ref<NSObject> PSSpecifier::propertyForKeyImpl(NSString* key) {
  if (!key || !properties_) return nullptr;
  return Ref<NSObject>(properties_->find(key->utf8()));
}

void PSSpecifier::setPropertyForKeyImpl(NSObject* value, NSString* key) {
  if (!key) return;
  if (!properties_) properties_ = NSMutableDictionary::dictionary();
  if (value)
    properties_->setObjectForKey(value, key);
  else
    properties_->removeObjectForKey(key);
}

void PSSpecifier::removePropertyForKeyImpl(NSString* key) { setPropertyForKeyImpl(nullptr, key); }

Ref<NSMutableDictionary> PSSpecifier::propertiesImpl() {
  if (!properties_) properties_ = NSMutableDictionary::dictionary();
  return properties_;
}

// Titles by value's description, so numbers and texts both find their title.
void PSSpecifier::setValuesTitlesImpl(NSArray* values, NSArray* titles) {
  values_ = values;
  NSDictionary::Entries entries;
  if (values && titles)
    for (std::size_t i = 0; i < values->items().size() && i < titles->items().size(); ++i)
      entries.emplace(foundation::describe(values->items()[i].get()), titles->items()[i]);
  titles_ = NSDictionary::make(std::move(entries));
}

Ref<NSString> PSSpecifier::descriptionImpl() {
  return NSString::stringWithFormat("<PSSpecifier %p: ID %@, Name %@ cell %s>", static_cast<void*>(this), identifier(),
                                    name_, PSCellTypeName(cellType_));
}

OBJC_IMPLEMENT(PSSpecifier)
