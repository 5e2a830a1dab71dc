#include "uikit/UIColor+SystemBackground.h"

OBJC_IMPLEMENT(UIDynamicColor)
OBJC_IMPLEMENT_CATEGORY(UIColor_SystemBackground)

Ref<UIDynamicColor> UIDynamicColor::make(RGBA light, RGBA dark) {
  Ref<NSObject> fresh = objc::send<allocMessage>(cls());
  auto color = ref_cast<UIDynamicColor>(
      objc::send<initWithRedGreenBlueAlphaMessage>(fresh, light.red, light.green, light.blue, light.alpha));
  color->dark_ = dark;
  return color;
}

namespace {
constexpr RGBA rgb(int r, int g, int b) { return {r / 255.0, g / 255.0, b / 255.0, 1}; }
}  // namespace

Ref<UIColor> UIColor_SystemBackground::systemBackgroundColorImpl(Class) {
  return UIDynamicColor::make(rgb(0xFF, 0xFF, 0xFF), rgb(0x00, 0x00, 0x00));
}
Ref<UIColor> UIColor_SystemBackground::secondarySystemBackgroundColorImpl(Class) {
  return UIDynamicColor::make(rgb(0xF2, 0xF2, 0xF7), rgb(0x1C, 0x1C, 0x1E));
}
Ref<UIColor> UIColor_SystemBackground::tertiarySystemBackgroundColorImpl(Class) {
  return UIDynamicColor::make(rgb(0xFF, 0xFF, 0xFF), rgb(0x2C, 0x2C, 0x2E));
}

Ref<UIColor> UIColor_SystemBackground::resolvedColorWithTraitCollectionImpl(UIColor* self, UITraitCollection* traits) {
  auto* dynamic = objc_cast<UIDynamicColor>(self);
  if (!dynamic || !traits || traits->userInterfaceStyle() != UIUserInterfaceStyleDark) return Ref<UIColor>(self);
  RGBA d = dynamic->dark();
  return UIColor::colorWithRedGreenBlueAlpha(d.red, d.green, d.blue, d.alpha);
}
