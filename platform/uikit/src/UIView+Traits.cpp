#include "uikit/UIView+Traits.h"

#include "uikit/UIWindow.h"

OBJC_IMPLEMENT_CATEGORY(UIView_Traits, traitCollection)

Ref<UITraitCollection> UIView_Traits::traitCollectionImpl(UIView* self) {
  Ref<UIView> v(self);
  while (v && !objc_cast<UIWindow>(v.get())) v = v->superview();
  Ref<UIWindow> window = v ? ref_cast<UIWindow>(v) : UIApplication::sharedApplication()->keyWindow();
  if (window) return window->traitCollection();
  return UITraitCollection::make(UIUserInterfaceStyleLight, UIUserInterfaceSizeClassCompact);
}
