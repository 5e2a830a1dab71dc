// The system background colours. Each is one colour with a light and a dark
// value; which one shows depends on the trait collection it is resolved
// with, as the device resolves its dynamic colours when it draws.
#pragma once

#include "uikit/UIColor.h"
#include "uikit/UITraitCollection.h"

class UIDynamicColor : public UIColor {
  OBJC_CLASS(UIDynamicColor, UIColor)

 public:
  // The colour's own components are the light value.
  static Ref<UIDynamicColor> make(RGBA light, RGBA dark);
  RGBA dark() const { return dark_; }

 private:
  RGBA dark_;
};

struct UIColor_SystemBackground {
  OBJC_CATEGORY(UIColor_SystemBackground, UIColor)
  OBJC_CATEGORY_CLASS_METHOD(systemBackgroundColor, "systemBackgroundColor", Ref<UIColor>())
  OBJC_CATEGORY_CLASS_METHOD(secondarySystemBackgroundColor, "secondarySystemBackgroundColor", Ref<UIColor>())
  OBJC_CATEGORY_CLASS_METHOD(tertiarySystemBackgroundColor, "tertiarySystemBackgroundColor", Ref<UIColor>())
  // The colour as it shows with the traits: a plain colour is itself.
  OBJC_CATEGORY_METHOD(resolvedColorWithTraitCollection,
                       "resolvedColorWithTraitCollection:", Ref<UIColor>(UITraitCollection*))

 private:
  static Ref<UIColor> systemBackgroundColorImpl(Class self);
  static Ref<UIColor> secondarySystemBackgroundColorImpl(Class self);
  static Ref<UIColor> tertiarySystemBackgroundColorImpl(Class self);
  static Ref<UIColor> resolvedColorWithTraitCollectionImpl(UIColor* self, UITraitCollection* traits);
};
