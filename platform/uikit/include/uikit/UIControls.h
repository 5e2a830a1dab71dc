// The controls a settings row carries: switch, slider and segmented control.
#pragma once

#include <vector>

#include "foundation/NSString.h"
#include "uikit/UIAppearance.h"
#include "uikit/UIControl.h"

class UISwitch : public UIControl {
  OBJC_CLASS(UISwitch, UIControl)
 public:
  bool isOn() { return objc::send<bool(), "isOn">(this); }
  void setOn(bool on) { objc::send<void(bool), "setOn:">(this, on); }
  void setOnAnimated(bool on, bool animated) { objc::send<void(bool, bool), "setOn:animated:">(this, on, animated); }
  // Its own colour, else the appearance proxy's, else nothing (the system green).
  Ref<UIColor> onTintColor() { return objc::send<Ref<UIColor>(), "onTintColor">(this); }
  void setOnTintColor(UIColor* c) { objc::send<void(UIColor*), "setOnTintColor:">(this, c); }
  // What a tap does: flips the switch and sends the value-changed actions.
  void _toggle() { objc::send<void(), "_toggle">(this); }

 private:
  void setOnImpl(bool on) { on_ = on; }
  bool isOnImpl() { return on_; }
  void setOnAnimatedImpl(bool on, bool) { setOn(on); }
  Ref<UIColor> onTintColorImpl();
  void setOnTintColorImpl(UIColor* c) { onTintColor_ = c; }
  void toggleImpl();
  bool on_;
  Ref<UIColor> onTintColor_;
};

class UISlider : public UIControl {
  OBJC_CLASS(UISlider, UIControl)
 public:
  float value() { return objc::send<float(), "value">(this); }
  // Clamped to the range.
  void setValue(float v) { objc::send<void(float), "setValue:">(this, v); }
  void setValueAnimated(float v, bool a) { objc::send<void(float, bool), "setValue:animated:">(this, v, a); }
  float minimumValue() { return objc::send<float(), "minimumValue">(this); }
  void setMinimumValue(float v) { objc::send<void(float), "setMinimumValue:">(this, v); }
  float maximumValue() { return objc::send<float(), "maximumValue">(this); }
  void setMaximumValue(float v) { objc::send<void(float), "setMaximumValue:">(this, v); }

 private:
  Ref<UIView> initWithFrameImpl(CGRect f);
  float valueImpl() { return value_; }
  void setValueImpl(float v);
  void setValueAnimatedImpl(float v, bool) { setValue(v); }
  float minimumValueImpl() { return min_; }
  void setMinimumValueImpl(float v);
  float maximumValueImpl() { return max_; }
  void setMaximumValueImpl(float v);
  Ref<UIColor> tintColorImpl();
  void setTintColorImpl(UIColor* c);
  float value_, min_, max_;
  Ref<UIColor> ownTint_;
};

class UISegmentedControl : public UIControl {
  OBJC_CLASS(UISegmentedControl, UIControl)
 public:
  long selectedSegmentIndex() { return objc::send<long(), "selectedSegmentIndex">(this); }
  void setSelectedSegmentIndex(long i) { objc::send<void(long), "setSelectedSegmentIndex:">(this, i); }
  long numberOfSegments() { return objc::send<long(), "numberOfSegments">(this); }
  void insertSegmentWithTitleAtIndexAnimated(NSString* title, unsigned long i, bool a) {
    objc::send<void(NSString*, unsigned long, bool), "insertSegmentWithTitle:atIndex:animated:">(this, title, i, a);
  }

 private:
  Ref<UIView> initWithFrameImpl(CGRect f);
  long selectedSegmentIndexImpl() { return selected_; }
  void setSelectedSegmentIndexImpl(long i) { selected_ = i; }
  long numberOfSegmentsImpl() { return static_cast<long>(titles_.size()); }
  void insertSegmentWithTitleAtIndexAnimatedImpl(NSString* title, unsigned long i, bool);
  Ref<UIColor> tintColorImpl();
  void setTintColorImpl(UIColor* c);
  long selected_;
  std::vector<Ref<NSString>> titles_;
  Ref<UIColor> ownTint_;
};

class UIButton : public UIControl {
  OBJC_CLASS(UIButton, UIControl)
 public:
  static Ref<UIButton> buttonWithType(long type) {
    return ref_cast<UIButton>(objc::send<Ref<NSObject>(long), "buttonWithType:">(cls(), type));
  }
  Ref<NSString> titleForState(unsigned long state) {
    return objc::send<Ref<NSString>(unsigned long), "titleForState:">(this, state);
  }
  void setTitleForState(NSString* t, unsigned long state) {
    objc::send<void(NSString*, unsigned long), "setTitle:forState:">(this, t, state);
  }

 private:
  Ref<NSString> titleForStateImpl(unsigned long) { return title_; }
  void setTitleForStateImpl(NSString* t, unsigned long) { title_ = t; }
  Ref<NSString> title_;
};
