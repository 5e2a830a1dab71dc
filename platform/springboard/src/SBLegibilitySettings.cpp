#include "springboard/SBLegibilitySettings.h"

Ref<_UILegibilitySettings> _UILegibilitySettings::initWithStyleImpl(long style) {
  style_ = style == _UILegibilityStyleDark ? _UILegibilityStyleDark : _UILegibilityStyleLight;
  return Ref<_UILegibilitySettings>(this);
}

// Fresh colour objects every time, as the system's own code makes them.
Ref<UIColor> _UILegibilitySettings::primaryColorImpl() {
  return style_ == _UILegibilityStyleDark ? UIColor::blackColor() : UIColor::whiteColor();
}

Ref<UIColor> _UILegibilitySettings::secondaryColorImpl() {
  return style_ == _UILegibilityStyleDark ? UIColor::colorWithWhiteAlpha(0.0, 0.3)
                                          : UIColor::colorWithWhiteAlpha(1.0, 0.3);
}

Ref<NSString> _UILegibilitySettings::descriptionImpl() {
  return NSString::stringWithFormat("<_UILegibilitySettings: %p; style: %s>", this,
                                    style_ == _UILegibilityStyleDark ? "dark" : "light");
}

OBJC_IMPLEMENT(_UILegibilitySettings)
