#include "uikit/UIBarButtonItem.h"

Ref<UIBarButtonItem> UIBarButtonItem::initWithCustomViewImpl(UIView* view) {
  customView_ = view;
  return Ref<UIBarButtonItem>(this);
}

OBJC_IMPLEMENT(UIBarButtonItem)
