// Category RGBHex on UIColor: opaque colours from "#RRGGBB" and "0xRRGGBB"
// texts, or from an integer. Added to the platform class when the bundle loads.
#pragma once

#include "foundation/NSString.h"
#include "uikit/UIColor.h"

struct UIColor_RGBHex {
  static Ref<UIColor> colorFromHexString(NSString* text) {
    return ref_cast<UIColor>(objc::send<Ref<NSObject>(NSString*), "colorFromHexString:">(UIColor::cls(), text));
  }
  static Ref<UIColor> colorFromHex(long long value) {
    return ref_cast<UIColor>(objc::send<Ref<NSObject>(long long), "colorFromHex:">(UIColor::cls(), value));
  }
};
