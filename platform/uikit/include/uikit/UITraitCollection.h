// Trait collections: the appearance (light or dark) and the width class a
// view controller is shown with.
#pragma once

#include "objc/define.h"

enum UIUserInterfaceStyle : long {
  UIUserInterfaceStyleUnspecified = 0,
  UIUserInterfaceStyleLight = 1,
  UIUserInterfaceStyleDark = 2,
};

enum UIUserInterfaceSizeClass : long {
  UIUserInterfaceSizeClassUnspecified = 0,
  UIUserInterfaceSizeClassCompact = 1,
  UIUserInterfaceSizeClassRegular = 2,
};

class UITraitCollection : public NSObject {
  OBJC_CLASS(UITraitCollection, NSObject)
  OBJC_CLASS_METHOD(traitCollectionWithUserInterfaceStyle,
                    "traitCollectionWithUserInterfaceStyle:", Ref<UITraitCollection>(long))
  // A collection with both traits set: `make(style, horizontalSizeClass)`.
  OBJC_INIT(initWithUserInterfaceStyleHorizontalSizeClass,
            "initWithUserInterfaceStyle:horizontalSizeClass:", Ref<UITraitCollection>(long, long))
  OBJC_METHOD(userInterfaceStyle, "userInterfaceStyle", long())
  OBJC_METHOD(horizontalSizeClass, "horizontalSizeClass", long())

 private:
  static Ref<UITraitCollection> traitCollectionWithUserInterfaceStyleImpl(Class self, long style);
  Ref<UITraitCollection> initWithUserInterfaceStyleHorizontalSizeClassImpl(long style, long horizontalSizeClass);
  long userInterfaceStyleImpl() { return style_; }
  long horizontalSizeClassImpl() { return sizeClass_; }
  long style_ = UIUserInterfaceStyleUnspecified;
  long sizeClass_ = UIUserInterfaceSizeClassUnspecified;
};
