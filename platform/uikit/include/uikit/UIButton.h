// A button: per-state titles and images, a menu, and what a tap does.
#pragma once

#include <map>

#include "foundation/NSString.h"
#include "uikit/UIControl.h"
#include "uikit/UIFont.h"
#include "uikit/UIImage.h"
#include "uikit/UIMenu.h"

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
