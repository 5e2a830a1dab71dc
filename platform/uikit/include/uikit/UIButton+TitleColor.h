// Title colours per control state; a state without its own shows the normal
// state's.
#pragma once

#include "uikit/UIButton.h"

struct UIButton_TitleColor {
  OBJC_CATEGORY(UIButton_TitleColor, UIButton)
  OBJC_CATEGORY_METHOD(setTitleColorForState, "setTitleColor:forState:", void(UIColor*, unsigned long))
  OBJC_CATEGORY_METHOD(titleColorForState, "titleColorForState:", Ref<UIColor>(unsigned long))

 private:
  static void setTitleColorForStateImpl(UIButton* self, UIColor* color, unsigned long state);
  static Ref<UIColor> titleColorForStateImpl(UIButton* self, unsigned long state);
};
