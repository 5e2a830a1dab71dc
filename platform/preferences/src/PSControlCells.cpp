#include "preferences/PSControlCells.h"

#include "foundation/NSNumber.h"
#include "foundation/Format.h"
#include "uikit/UIControls.h"
#include "uikit/UITextField.h"

namespace {

bool flag(PSSpecifier* item, std::string_view key) {
  NSObject* v = item ? item->findProperty(key) : nullptr;
  if (auto* n = objc_cast<NSNumber>(v)) return n->boolValue();
  if (auto* s = objc_cast<NSString>(v)) return s->boolValue();
  return false;
}

}  // namespace

// ------------------------------------------------------------------ segment

Ref<PSTableCell> PSSegmentTableCell::initWithStyleReuseIdentifierSpecifierImpl(long style, NSString* reuseIdentifier,
                                                                               PSSpecifier* item) {
  Ref<PSTableCell> self = sendSuper<initWithStyleReuseIdentifierSpecifierMessage>(style, reuseIdentifier, item);
  if (!self) return nullptr;
  auto segments = UISegmentedControl::make(CGRectMake(0, 0, 200, 32));
  Ref<NSArray> values = item ? item->values() : nullptr;
  Ref<NSDictionary> titles = item ? item->titleDictionary() : nullptr;
  unsigned long i = 0;
  if (values)
    for (const auto& v : values->items()) {
      std::string key = foundation::describe(v.get());
      auto* title = titles ? objc_cast<NSString>(titles->find(key)) : nullptr;
      segments->insertSegmentWithTitleAtIndexAnimated(title ? Ref<NSString>(title) : NSString::make(key), i++, false);
    }
  objc::send<setControlMessage>(self, segments);
  return self;
}

void PSSegmentTableCell::setValueImpl(NSObject* v) {
  sendSuper<setValueMessage>(v);
  detailTextLabel()->setText(nullptr);  // the segments show it
  auto* segments = objc_cast<UISegmentedControl>(control().get());
  Ref<PSSpecifier> item = specifier();
  Ref<NSArray> values = item ? item->values() : nullptr;
  if (!segments) return;
  long chosen = -1;
  if (v && values) {
    std::string want = foundation::describe(v);
    for (unsigned long i = 0; i < values->items().size(); ++i)
      if (foundation::describe(values->items()[i].get()) == want) chosen = static_cast<long>(i);
  }
  segments->setSelectedSegmentIndex(chosen);
}

Ref<NSObject> PSSegmentTableCell::controlValueImpl() {
  auto* segments = objc_cast<UISegmentedControl>(control().get());
  Ref<PSSpecifier> item = specifier();
  Ref<NSArray> values = item ? item->values() : nullptr;
  long i = segments ? segments->selectedSegmentIndex() : -1;
  if (!values || i < 0 || static_cast<unsigned long>(i) >= values->items().size()) return nullptr;
  return values->items()[static_cast<unsigned long>(i)];
}

void PSSegmentTableCell::controlChangedImpl(NSObject* sender) {
  sendSuper<controlChangedMessage>(sender);
  detailTextLabel()->setText(nullptr);  // the segments show it
}

OBJC_IMPLEMENT(PSSegmentTableCell)

// ---------------------------------------------------------------- text field

Ref<PSTableCell> PSEditableTableCell::initWithStyleReuseIdentifierSpecifierImpl(long style, NSString* reuseIdentifier,
                                                                                PSSpecifier* item) {
  Ref<PSTableCell> self = sendSuper<initWithStyleReuseIdentifierSpecifierMessage>(style, reuseIdentifier, item);
  if (!self) return nullptr;
  auto field = UITextField::make(CGRectMake(0, 0, 200, 24));
  if (item) {
    field->setPlaceholder(objc_cast<NSString>(item->findProperty("placeholder")));
    field->setSecureTextEntry(item->cellType() == PSSecureEditTextCell);
    field->setKeyboardType(flag(item, "isIP")        ? UIKeyboardTypeDecimalPad
                           : flag(item, "isURL")     ? UIKeyboardTypeURL
                           : flag(item, "isNumeric") ? UIKeyboardTypeNumberPad
                                                     : UIKeyboardTypeDefault);
    field->setAutocorrectionType(flag(item, "noAutoCorrect") ? UITextAutocorrectionTypeNo
                                                             : UITextAutocorrectionTypeDefault);
  }
  objc::send<setControlMessage>(self, field);
  // A field's value is what stands when editing ends, not each keystroke.
  field->addTargetActionForControlEvents(self, controlChangedMessage::sel(), UIControlEventEditingDidEnd);
  return self;
}

void PSEditableTableCell::setValueImpl(NSObject* v) {
  sendSuper<setValueMessage>(v);
  detailTextLabel()->setText(nullptr);  // the field shows it
  if (auto* field = objc_cast<UITextField>(control().get()))
    field->setText(v ? NSString::make(foundation::describe(v)) : nullptr);
}

Ref<NSObject> PSEditableTableCell::controlValueImpl() {
  auto* field = objc_cast<UITextField>(control().get());
  Ref<NSString> text = field ? field->text() : nullptr;
  return text ? Ref<NSObject>(text) : Ref<NSObject>(NSString::make(""));
}

void PSEditableTableCell::controlChangedImpl(NSObject* sender) {
  sendSuper<controlChangedMessage>(sender);
  detailTextLabel()->setText(nullptr);  // the field shows it
}

OBJC_IMPLEMENT(PSEditableTableCell)

// --------------------------------------------------------------- placeholder

void PSPlaceholderTableCell::setValueImpl(NSObject* v) {
  sendSuper<setValueMessage>(v);
  Ref<PSSpecifier> item = specifier();
  auto* missing = item ? objc_cast<NSString>(item->findProperty(PSMissingCodeKey)) : nullptr;
  detailTextLabel()->setText(missing ? NSString::stringWithFormat("needs %@", missing) : nullptr);
}

OBJC_IMPLEMENT(PSPlaceholderTableCell)
