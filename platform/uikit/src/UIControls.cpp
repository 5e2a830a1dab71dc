#include "uikit/UIControls.h"

#include <algorithm>
#include <cmath>

Ref<UIColor> UISwitch::onTintColorImpl() {
  if (onTintColor_) return onTintColor_;
  return uikit::appearanceColor(this, uikit::AppearanceProperty::OnTintColor);
}

void UISwitch::toggleImpl() {
  if (!isEnabled()) return;
  setOnAnimated(!isOn(), true);
  sendActionsForControlEvents(UIControlEventValueChanged);
}

OBJC_IMPLEMENT_LEGACY(UISwitch)
void UISwitch::registerMethods(objc::ClassBuilder<UISwitch>& b) {
  b.method<"isOn", &UISwitch::isOnImpl>()
      .method<"setOn:", &UISwitch::setOnImpl>()
      .method<"setOn:animated:", &UISwitch::setOnAnimatedImpl>()
      .method<"onTintColor", &UISwitch::onTintColorImpl>()
      .method<"setOnTintColor:", &UISwitch::setOnTintColorImpl>()
      .method<"_toggle", &UISwitch::toggleImpl>();
}

// ------------------------------------------------------------------ slider

Ref<UIView> UISlider::initWithFrameImpl(CGRect f) {
  auto self = objc::sendSuper<Ref<UIView>(CGRect), "initWithFrame:">(UISlider::cls(), this, f);
  max_ = 1.0f;
  return self;
}

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
  return objc::sendSuper<Ref<UIColor>(), "tintColor">(UISlider::cls(), this);
}
void UISlider::setTintColorImpl(UIColor* c) {
  ownTint_ = c;
  objc::sendSuper<void(UIColor*), "setTintColor:">(UISlider::cls(), this, c);
}

OBJC_IMPLEMENT_LEGACY(UISlider)
void UISlider::registerMethods(objc::ClassBuilder<UISlider>& b) {
  b.method<"initWithFrame:", &UISlider::initWithFrameImpl>()
      .method<"value", &UISlider::valueImpl>()
      .method<"setValue:", &UISlider::setValueImpl>()
      .method<"setValue:animated:", &UISlider::setValueAnimatedImpl>()
      .method<"minimumValue", &UISlider::minimumValueImpl>()
      .method<"setMinimumValue:", &UISlider::setMinimumValueImpl>()
      .method<"maximumValue", &UISlider::maximumValueImpl>()
      .method<"setMaximumValue:", &UISlider::setMaximumValueImpl>()
      .method<"tintColor", &UISlider::tintColorImpl>()
      .method<"setTintColor:", &UISlider::setTintColorImpl>();
}

// ------------------------------------------------------- segmented control

Ref<UIView> UISegmentedControl::initWithFrameImpl(CGRect f) {
  auto self = objc::sendSuper<Ref<UIView>(CGRect), "initWithFrame:">(UISegmentedControl::cls(), this, f);
  selected_ = -1;
  return self;
}

void UISegmentedControl::insertSegmentWithTitleAtIndexAnimatedImpl(NSString* title, unsigned long i, bool) {
  i = std::min<unsigned long>(i, titles_.size());
  titles_.insert(titles_.begin() + static_cast<long>(i), Ref<NSString>(title));
}

Ref<UIColor> UISegmentedControl::tintColorImpl() {
  if (ownTint_) return ownTint_;
  if (auto c = uikit::appearanceColor(this, uikit::AppearanceProperty::TintColor)) return c;
  return objc::sendSuper<Ref<UIColor>(), "tintColor">(UISegmentedControl::cls(), this);
}
void UISegmentedControl::setTintColorImpl(UIColor* c) {
  ownTint_ = c;
  objc::sendSuper<void(UIColor*), "setTintColor:">(UISegmentedControl::cls(), this, c);
}

OBJC_IMPLEMENT_LEGACY(UISegmentedControl)
void UISegmentedControl::registerMethods(objc::ClassBuilder<UISegmentedControl>& b) {
  b.method<"initWithFrame:", &UISegmentedControl::initWithFrameImpl>()
      .method<"selectedSegmentIndex", &UISegmentedControl::selectedSegmentIndexImpl>()
      .method<"setSelectedSegmentIndex:", &UISegmentedControl::setSelectedSegmentIndexImpl>()
      .method<"numberOfSegments", &UISegmentedControl::numberOfSegmentsImpl>()
      .method<"insertSegmentWithTitle:atIndex:animated:", &UISegmentedControl::insertSegmentWithTitleAtIndexAnimatedImpl>()
      .method<"tintColor", &UISegmentedControl::tintColorImpl>()
      .method<"setTintColor:", &UISegmentedControl::setTintColorImpl>();
}

// ------------------------------------------------------------------ button

namespace {
Ref<NSObject> makeButton(NSObject* cls, SEL, long) {
  auto b = ref_cast<UIButton>(objc::send<Ref<NSObject>(), "alloc">(cls));
  return b->initWithFrame(CGRectZero);
}
}  // namespace

OBJC_IMPLEMENT_LEGACY(UIButton)
void UIButton::registerMethods(objc::ClassBuilder<UIButton>& b) {
  b.classMethod<"buttonWithType:", &makeButton>()
      .method<"titleForState:", &UIButton::titleForStateImpl>()
      .method<"setTitle:forState:", &UIButton::setTitleForStateImpl>();
}
