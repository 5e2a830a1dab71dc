// Category RGBHex on UIColor: opaque colours from "#RRGGBB" and "0xRRGGBB"
// texts, or from an integer. Added to the platform class when the bundle loads.
#pragma once

#include "foundation/NSString.h"
#include "uikit/UIColor.h"

struct UIColor_RGBHex {
  OBJC_CATEGORY(UIColor_RGBHex, UIColor)
  OBJC_CATEGORY_CLASS_METHOD(colorFromHexString, "colorFromHexString:", Ref<UIColor>(NSString*))
  OBJC_CATEGORY_CLASS_METHOD(colorFromHex, "colorFromHex:", Ref<UIColor>(long))

 private:
  static Ref<UIColor> colorFromHexStringImpl(Class self, NSString* text);
  static Ref<UIColor> colorFromHexImpl(Class self, long value);
};
