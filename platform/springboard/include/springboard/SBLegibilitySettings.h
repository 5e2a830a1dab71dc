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
  OBJC_INIT(initWithStyle, "initWithStyle:", Ref<_UILegibilitySettings>(long))
  OBJC_METHOD(style, "style", long())
  OBJC_METHOD(primaryColor, "primaryColor", Ref<UIColor>())
  OBJC_METHOD(secondaryColor, "secondaryColor", Ref<UIColor>())
  OBJC_OVERRIDE(description)

 public:
  static Ref<_UILegibilitySettings> settingsWithStyle(long style) { return make(style); }

 private:
  Ref<_UILegibilitySettings> initWithStyleImpl(long style);
  long styleImpl() { return style_; }
  Ref<UIColor> primaryColorImpl();
  Ref<UIColor> secondaryColorImpl();
  Ref<NSString> descriptionImpl();

  long style_ = _UILegibilityStyleLight;
};
