// The controls a settings row carries: switch, slider and segmented control.
#pragma once

#include <vector>

#include "foundation/NSString.h"
#include "uikit/UIAppearance.h"
#include "uikit/UIControl.h"

class UISwitch : public UIControl {
  OBJC_CLASS(UISwitch, UIControl)
  OBJC_METHOD(isOn, "isOn", bool())
  OBJC_METHOD(setOn, "setOn:", void(bool))
  OBJC_METHOD(setOnAnimated, "setOn:animated:", void(bool, bool))
  // Its own colour, else the appearance proxy's, else nothing (the system green).
  OBJC_METHOD(onTintColor, "onTintColor", Ref<UIColor>())
  OBJC_METHOD(setOnTintColor, "setOnTintColor:", void(UIColor*))
  // What a tap does: flips the switch and sends the value-changed actions.
  OBJC_METHOD(_toggle, "_toggle", void())

 private:
  bool isOnImpl() { return on_; }
  void setOnImpl(bool on) { on_ = on; }
  void setOnAnimatedImpl(bool on, bool) { setOn(on); }
  Ref<UIColor> onTintColorImpl();
  void setOnTintColorImpl(UIColor* c) { onTintColor_ = c; }
  void _toggleImpl();
  bool on_ = false;
  Ref<UIColor> onTintColor_;
};

class UISlider : public UIControl {
  OBJC_CLASS(UISlider, UIControl)
  OBJC_METHOD(value, "value", float())
  // Clamped to the range.
  OBJC_METHOD(setValue, "setValue:", void(float))
  OBJC_METHOD(setValueAnimated, "setValue:animated:", void(float, bool))
  OBJC_METHOD(minimumValue, "minimumValue", float())
  OBJC_METHOD(setMinimumValue, "setMinimumValue:", void(float))
  OBJC_METHOD(maximumValue, "maximumValue", float())
  OBJC_METHOD(setMaximumValue, "setMaximumValue:", void(float))
  OBJC_OVERRIDE(tintColor)
  OBJC_OVERRIDE(setTintColor)

 private:
  float valueImpl() { return value_; }
  void setValueImpl(float v);
  void setValueAnimatedImpl(float v, bool) { setValue(v); }
  float minimumValueImpl() { return min_; }
  void setMinimumValueImpl(float v);
  float maximumValueImpl() { return max_; }
  void setMaximumValueImpl(float v);
  Ref<UIColor> tintColorImpl();
  void setTintColorImpl(UIColor* c);
  float value_ = 0, min_ = 0, max_ = 1;
  Ref<UIColor> ownTint_;
};

class UISegmentedControl : public UIControl {
  OBJC_CLASS(UISegmentedControl, UIControl)
  OBJC_METHOD(selectedSegmentIndex, "selectedSegmentIndex", long())
  OBJC_METHOD(setSelectedSegmentIndex, "setSelectedSegmentIndex:", void(long))
  OBJC_METHOD(numberOfSegments, "numberOfSegments", long())
  OBJC_METHOD(insertSegmentWithTitleAtIndexAnimated,
              "insertSegmentWithTitle:atIndex:animated:", void(NSString*, unsigned long, bool))
  OBJC_METHOD(titleForSegmentAtIndex, "titleForSegmentAtIndex:", Ref<NSString>(unsigned long))
  OBJC_OVERRIDE(tintColor)
  OBJC_OVERRIDE(setTintColor)

 private:
  long selectedSegmentIndexImpl() { return selected_; }
  void setSelectedSegmentIndexImpl(long i) { selected_ = i; }
  long numberOfSegmentsImpl() { return static_cast<long>(titles_.size()); }
  void insertSegmentWithTitleAtIndexAnimatedImpl(NSString* title, unsigned long i, bool);
  Ref<NSString> titleForSegmentAtIndexImpl(unsigned long i) { return i < titles_.size() ? titles_[i] : nullptr; }
  Ref<UIColor> tintColorImpl();
  void setTintColorImpl(UIColor* c);
  long selected_ = -1;  // none
  std::vector<Ref<NSString>> titles_;
  Ref<UIColor> ownTint_;
};
