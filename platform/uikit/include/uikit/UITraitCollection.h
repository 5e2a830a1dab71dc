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
 public:
  static Ref<UITraitCollection> traitCollectionWithUserInterfaceStyle(long style) {
    return ref_cast<UITraitCollection>(
        objc::send<Ref<NSObject>(long), "traitCollectionWithUserInterfaceStyle:">(cls(), style));
  }
  // Not a message: a collection with both traits set.
  static Ref<UITraitCollection> make(long style, long horizontalSizeClass);

  long userInterfaceStyle() { return objc::send<long(), "userInterfaceStyle">(this); }
  long horizontalSizeClass() { return objc::send<long(), "horizontalSizeClass">(this); }

 private:
  long userInterfaceStyleImpl() { return style_; }
  long horizontalSizeClassImpl() { return sizeClass_; }
  long style_;
  long sizeClass_;
};
