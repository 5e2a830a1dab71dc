#include "preferences/PSTableCell.h"

#include "foundation/Log.h"
#include "SpecifierFactory.h"
#include "foundation/NSNumber.h"
#include "uikit/UIControls.h"

#include <cmath>

void PSTableCell::sendSetter(PSSpecifier* item, NSObject* value) {
  if (!item) return;
  Ref<NSObject> target = item->target();
  SEL setter = item->_setter();
  if (!target || !setter) return;
  if (!class_respondsToSelector(target->isa(), setter)) {
    NSLog("%@ does not answer %s; the value of %@ is not stored", target, sel_getName(setter), item->name());
    return;
  }
  objc::sendSel<void(NSObject*, PSSpecifier*)>(target, setter, value, item);
}

Ref<PSTableCell> PSTableCell::initWithStyleReuseIdentifierSpecifierImpl(long style, NSString* reuseIdentifier,
                                                                        PSSpecifier* item) {
  auto self = ref_cast<PSTableCell>(initWithStyleReuseIdentifier(style, reuseIdentifier));
  if (!self) return nullptr;
  self->setSpecifier(item);
  if (item) {
    self->type_ = item->cellType();
    Ref<NSString> name = item->name();
    self->textLabel()->setText(name);
    if (type_ == PSLinkCell || type_ == PSLinkListCell)
      self->setAccessoryType(UITableViewCellAccessoryDisclosureIndicator);
    // A button's title is drawn in the tint colour.
    if (type_ == PSButtonCell) self->textLabel()->setTextColor(UIColor::systemBlueColor());
    if (auto a = preferences::numberOf(item->findProperty("alignment")); a && *a >= 0 && *a <= 4)
      self->textLabel()->setTextAlignment(static_cast<long>(*a));
  }
  return self;
}

// Shows the value as the detail text: a list row shows the title of its value.
void PSTableCell::setValueImpl(NSObject* v) {
  value_ = v;
  Ref<PSSpecifier> item = specifier();
  NSString* shown = nullptr;
  Ref<NSString> text;
  if (item && v && item->titleDictionary())
    shown = objc_cast<NSString>(item->titleDictionary()->find(foundation::describe(v)));
  if (!shown && v &&
      (type_ == PSTitleValueCell || type_ == PSLinkListCell || type_ == PSEditTextCell ||
       type_ == PSSecureEditTextCell || objc_cast<NSString>(v))) {
    text = NSString::make(foundation::describe(v));
    shown = text.get();
  }
  if (shown) detailTextLabel()->setText(shown);
}

void PSTableCell::refreshCellContentsWithSpecifierImpl(PSSpecifier* s) {
  if (!s) return;
  Ref<NSString> name = s->name();
  textLabel()->setText(name);
  auto* enabled = objc_cast<NSNumber>(s->findProperty(PSEnabledKey));
  setCellEnabled(!enabled || enabled->boolValue());
}

OBJC_IMPLEMENT(PSTableCell)

// ------------------------------------------------------------------ control

void PSControlTableCell::setControlImpl(UIControl* c) {
  if (control_) control_->removeFromSuperview();
  control_ = c;
  if (c) {
    c->addTargetActionForControlEvents(this, controlChangedMessage::sel(), UIControlEventValueChanged);
    setAccessoryView(c);
  }
}

void PSControlTableCell::controlChangedImpl(NSObject*) {
  Ref<PSSpecifier> item = specifier();
  Ref<NSObject> v = controlValue();
  sendSuper<setValueMessage>(v);
  sendSetter(item, v);
}

OBJC_IMPLEMENT(PSControlTableCell)

// ------------------------------------------------------------------- switch

Ref<PSTableCell> PSSwitchTableCell::initWithStyleReuseIdentifierSpecifierImpl(long style, NSString* reuseIdentifier,
                                                                              PSSpecifier* item) {
  Ref<PSTableCell> self = sendSuper<initWithStyleReuseIdentifierSpecifierMessage>(style, reuseIdentifier, item);
  if (!self) return nullptr;
  auto sw = UISwitch::make(CGRectMake(0, 0, 51, 31));
  objc::send<setControlMessage>(self, sw);
  return self;
}

void PSSwitchTableCell::setValueImpl(NSObject* v) {
  sendSuper<setValueMessage>(v);
  auto* n = objc_cast<NSNumber>(v);
  auto* s = objc_cast<NSString>(v);
  bool on = n ? n->boolValue() : s ? s->boolValue() : false;
  if (auto* sw = objc_cast<UISwitch>(control().get())) sw->setOn(on);
}

Ref<NSObject> PSSwitchTableCell::controlValueImpl() {
  auto* sw = objc_cast<UISwitch>(control().get());
  return NSNumber::numberWithBool(sw && sw->isOn());
}

OBJC_IMPLEMENT(PSSwitchTableCell)

// ------------------------------------------------------------------- slider

namespace {
float numberProperty(PSSpecifier* item, std::string_view key, float fallback) {
  NSObject* v = item ? item->findProperty(key) : nullptr;
  if (auto* n = objc_cast<NSNumber>(v)) return n->floatValue();
  if (auto* s = objc_cast<NSString>(v)) return s->floatValue();
  return fallback;
}
}  // namespace

Ref<PSTableCell> PSSliderTableCell::initWithStyleReuseIdentifierSpecifierImpl(long style, NSString* reuseIdentifier,
                                                                              PSSpecifier* item) {
  Ref<PSTableCell> self = sendSuper<initWithStyleReuseIdentifierSpecifierMessage>(style, reuseIdentifier, item);
  if (!self) return nullptr;
  auto slider = UISlider::make(CGRectMake(0, 0, 200, 31));
  slider->setMinimumValue(numberProperty(item, PSControlMinimumKey, 0.0f));
  slider->setMaximumValue(numberProperty(item, PSControlMaximumKey, 1.0f));
  objc::send<setControlMessage>(self, slider);
  return self;
}

void PSSliderTableCell::showValue() {
  Ref<PSSpecifier> item = specifier();
  auto* show = item ? objc_cast<NSNumber>(item->findProperty(PSSliderShowValueKey)) : nullptr;
  auto* slider = objc_cast<UISlider>(control().get());
  if (show && show->boolValue() && slider) {
    Ref<NSString> text = NSString::stringWithFormat("%.2f", static_cast<double>(slider->value()));
    detailTextLabel()->setText(text);
  }
}

void PSSliderTableCell::setValueImpl(NSObject* v) {
  sendSuper<setValueMessage>(v);
  auto* slider = objc_cast<UISlider>(control().get());
  if (!slider) return;
  if (auto* n = objc_cast<NSNumber>(v))
    slider->setValue(n->floatValue());
  else if (auto* s = objc_cast<NSString>(v))
    slider->setValue(s->floatValue());
  showValue();
}

Ref<NSObject> PSSliderTableCell::controlValueImpl() {
  auto* slider = objc_cast<UISlider>(control().get());
  return NSNumber::numberWithFloat(slider ? slider->value() : 0.0f);
}

void PSSliderTableCell::controlChangedImpl(NSObject* sender) {
  // A segmented slider stops only at its marks: min, max and the steps between.
  Ref<PSSpecifier> item = specifier();
  auto* segmented = item ? objc_cast<NSNumber>(item->findProperty("isSegmented")) : nullptr;
  auto* slider = objc_cast<UISlider>(control().get());
  if (segmented && segmented->boolValue() && slider) {
    float steps = std::floor(numberProperty(item, "segmentCount", 0.0f));
    float lo = slider->minimumValue(), hi = slider->maximumValue();
    if (steps >= 1 && hi > lo) {
      float step = (hi - lo) / steps;
      slider->setValue(lo + std::round((slider->value() - lo) / step) * step);
    }
  }
  sendSuper<controlChangedMessage>(sender);
  showValue();
}

OBJC_IMPLEMENT(PSSliderTableCell)
