#include "uikit/UIControls.h"

#include <algorithm>
#include <cmath>


Ref<UIColor> UISwitch::onTintColorImpl() {
  if (onTintColor_) return onTintColor_;
  return uikit::appearanceColor(this, uikit::AppearanceProperty::OnTintColor);
}

void UISwitch::_toggleImpl() {
  if (!isEnabled()) return;
  setOnAnimated(!isOn(), true);
  sendActionsForControlEvents(UIControlEventValueChanged);
}

OBJC_IMPLEMENT(UISwitch)

// ------------------------------------------------------------------ slider

void UISlider::setValueImpl(float v) {
  if (std::isnan(v)) v = min_;
  value_ = std::clamp(v, min_, std::max(min_, max_));
}
void UISlider::setMinimumValueImpl(float v) {
  min_ = v;
  if (max_ < min_) max_ = min_;
  setValue(value_);
}
void UISlider::setMaximumValueImpl(float v) {
  max_ = v;
  if (min_ > max_) min_ = max_;
  setValue(value_);
}

// A colour of its own first, then the appearance proxy's, then the inherited one.
Ref<UIColor> UISlider::tintColorImpl() {
  if (ownTint_) return ownTint_;
  if (auto c = uikit::appearanceColor(this, uikit::AppearanceProperty::TintColor)) return c;
  return sendSuper<tintColorMessage>();
}
void UISlider::setTintColorImpl(UIColor* c) {
  ownTint_ = c;
  sendSuper<setTintColorMessage>(c);
}

OBJC_IMPLEMENT(UISlider)

// ------------------------------------------------------- segmented control

void UISegmentedControl::insertSegmentWithTitleAtIndexAnimatedImpl(NSString* title, unsigned long i, bool) {
  i = std::min<unsigned long>(i, titles_.size());
  titles_.insert(titles_.begin() + static_cast<long>(i), Ref<NSString>(title));
}

Ref<UIColor> UISegmentedControl::tintColorImpl() {
  if (ownTint_) return ownTint_;
  if (auto c = uikit::appearanceColor(this, uikit::AppearanceProperty::TintColor)) return c;
  return sendSuper<tintColorMessage>();
}
void UISegmentedControl::setTintColorImpl(UIColor* c) {
  ownTint_ = c;
  sendSuper<setTintColorMessage>(c);
}

OBJC_IMPLEMENT(UISegmentedControl)
