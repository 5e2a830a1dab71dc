// Bar items: what a navigation bar shows at its ends.
#pragma once

#include "uikit/UIView.h"

class UIBarButtonItem : public NSObject {
  OBJC_CLASS(UIBarButtonItem, NSObject)
  OBJC_INIT(initWithCustomView, "initWithCustomView:", Ref<UIBarButtonItem>(UIView*))
  OBJC_PROPERTY(customView, setCustomView, Ref<UIView>)

 private:
  Ref<UIBarButtonItem> initWithCustomViewImpl(UIView* view);
};
