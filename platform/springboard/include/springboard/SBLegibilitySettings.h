// How the home screen keeps its chrome readable over the wallpaper: a light
// style (white content, for dark wallpapers) or a dark one.
#pragma once

#include "foundation/NSString.h"
#include "uikit/UIColor.h"

enum _UILegibilityStyle : long {
  _UILegibilityStyleLight = 0,  // white content
  _UILegibilityStyleDark = 1,   // black content
};

class _UILegibilitySettings : public NSObject {
  OBJC_CLASS(_UILegibilitySettings, NSObject)
 public:
  static Ref<_UILegibilitySettings> settingsWithStyle(long style);
  Ref<_UILegibilitySettings> initWithStyle(long style) {
    return objc::send<Ref<_UILegibilitySettings>(long), "initWithStyle:">(this, style);
  }
  long style() { return objc::send<long(), "style">(this); }
  Ref<UIColor> primaryColor() { return objc::send<Ref<UIColor>(), "primaryColor">(this); }
  Ref<UIColor> secondaryColor() { return objc::send<Ref<UIColor>(), "secondaryColor">(this); }

 private:
  Ref<_UILegibilitySettings> initWithStyleImpl(long style);
  long styleImpl() { return style_; }
  Ref<UIColor> primaryColorImpl();
  Ref<UIColor> secondaryColorImpl();
  Ref<NSString> descriptionImpl();
  long style_;
};
