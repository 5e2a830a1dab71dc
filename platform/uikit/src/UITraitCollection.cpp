#include "uikit/UITraitCollection.h"

Ref<UITraitCollection> UITraitCollection::initWithUserInterfaceStyleHorizontalSizeClassImpl(long style,
                                                                                            long horizontalSizeClass) {
  style_ = style;
  sizeClass_ = horizontalSizeClass;
  return Ref<UITraitCollection>(this);
}

Ref<UITraitCollection> UITraitCollection::traitCollectionWithUserInterfaceStyleImpl(Class, long style) {
  return UITraitCollection::make(style, UIUserInterfaceSizeClassUnspecified);
}

OBJC_IMPLEMENT(UITraitCollection)
