// The controls a settings row carries: switch, slider and segmented control.
#pragma once

#include <map>
#include <vector>

#include "foundation/NSString.h"
#include "uikit/UIAppearance.h"
#include "uikit/UIControl.h"
#include "uikit/UIFont.h"
#include "uikit/UIImage.h"
#include "uikit/UIMenu.h"

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
  OBJC_OVERRIDE(tintColor)
  OBJC_OVERRIDE(setTintColor)

 private:
  long selectedSegmentIndexImpl() { return selected_; }
  void setSelectedSegmentIndexImpl(long i) { selected_ = i; }
  long numberOfSegmentsImpl() { return static_cast<long>(titles_.size()); }
  void insertSegmentWithTitleAtIndexAnimatedImpl(NSString* title, unsigned long i, bool);
  Ref<UIColor> tintColorImpl();
  void setTintColorImpl(UIColor* c);
  long selected_ = -1;  // none
  std::vector<Ref<NSString>> titles_;
  Ref<UIColor> ownTint_;
};

enum UIControlState : unsigned long {
  UIControlStateNormal = 0,
  UIControlStateHighlighted = 1 << 0,
  UIControlStateDisabled = 1 << 1,
  UIControlStateSelected = 1 << 2,
};

enum UIButtonType : long {
  UIButtonTypeCustom = 0,
  UIButtonTypeSystem = 1,
};

// The size an empty button fits to, as on the device.
inline constexpr CGSize kUIEmptyButtonSize{30, 34};

class UIButton : public UIControl {
  OBJC_CLASS(UIButton, UIControl)
  OBJC_CLASS_METHOD(buttonWithType, "buttonWithType:", Ref<UIButton>(long))
  OBJC_METHOD(buttonType, "buttonType", long())
  // A state without its own title or image shows the normal state's.
  OBJC_METHOD(titleForState, "titleForState:", Ref<NSString>(unsigned long))
  OBJC_METHOD(setTitleForState, "setTitle:forState:", void(NSString*, unsigned long))
  OBJC_METHOD(imageForState, "imageForState:", Ref<UIImage>(unsigned long))
  OBJC_METHOD(setImageForState, "setImage:forState:", void(UIImage*, unsigned long))
  OBJC_PROPERTY(menu, setMenu, Ref<UIMenu>)
  OBJC_PROPERTY(showsMenuAsPrimaryAction, setShowsMenuAsPrimaryAction, bool)
  // The title's font: the system font of 15 points unless set.
  OBJC_METHOD(_titleFont, "_titleFont", Ref<UIFont>())
  OBJC_OVERRIDE(sizeThatFits)
  OBJC_OVERRIDE(intrinsicContentSize)
  // What a tap does: opens the menu when that is the primary action, else
  // sends the touch-up and primary actions.
  OBJC_METHOD(_tap, "_tap", void())

 public:
  // The state the button shows now (highlighted, selected, disabled bits).
  unsigned long currentState();

 private:
  static Ref<UIButton> buttonWithTypeImpl(Class self, long type);
  long buttonTypeImpl() { return type_; }
  Ref<NSString> titleForStateImpl(unsigned long state);
  void setTitleForStateImpl(NSString* t, unsigned long state);
  Ref<UIImage> imageForStateImpl(unsigned long state);
  void setImageForStateImpl(UIImage* i, unsigned long state);
  Ref<UIFont> _titleFontImpl();
  CGSize sizeThatFitsImpl(CGSize size);
  CGSize intrinsicContentSizeImpl() { return sizeThatFits(frame().size); }
  void _tapImpl();

  long type_ = UIButtonTypeCustom;
  std::map<unsigned long, Ref<NSString>> titles_;
  std::map<unsigned long, Ref<UIImage>> images_;
};
