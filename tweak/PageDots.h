// What the tweak adds to every page indicator: two slots for the system's own
// colours, and the three decisions its hooks run.
#pragma once

#include "objc/define.h"
#include "uikit/UIPageControl.h"

struct UIPageControl_CVLODots {
  OBJC_CATEGORY(UIPageControl_CVLODots, UIPageControl)
  OBJC_CATEGORY_METHOD(cachedCurrentPageIndicatorTintColor, "cachedCurrentPageIndicatorTintColor", Ref<UIColor>())
  OBJC_CATEGORY_METHOD(setCachedCurrentPageIndicatorTintColor,
                       "setCachedCurrentPageIndicatorTintColor:", void(UIColor*))
  OBJC_CATEGORY_METHOD(cachedPageIndicatorTintColor, "cachedPageIndicatorTintColor", Ref<UIColor>())
  OBJC_CATEGORY_METHOD(setCachedPageIndicatorTintColor, "setCachedPageIndicatorTintColor:", void(UIColor*))
  // Hides or shows the indicator by the snapshot, later on the main queue.
  OBJC_CATEGORY_METHOD(handleHiding, "handleHiding", void())
  OBJC_CATEGORY_METHOD(handleColorCustomization, "handleColorCustomization", void())
  OBJC_CATEGORY_METHOD(handleWidgetColorCustomization, "handleWidgetColorCustomization", void())

  // The two slots read as properties, as on the device.
  OBJC_REGISTRATION(cachedColours)
  static void objcRegister_cachedColours(objc::CategoryBuilder<Self_>& b) {
    b.template property<Ref<UIColor>>("cachedCurrentPageIndicatorTintColor")
        .template property<Ref<UIColor>>("cachedPageIndicatorTintColor");
  }

  static Ref<UIColor> cachedCurrentPageIndicatorTintColorImpl(UIPageControl* self);
  static void setCachedCurrentPageIndicatorTintColorImpl(UIPageControl* self, UIColor* colour);
  static Ref<UIColor> cachedPageIndicatorTintColorImpl(UIPageControl* self);
  static void setCachedPageIndicatorTintColorImpl(UIPageControl* self, UIColor* colour);
  static void handleHidingImpl(UIPageControl* self);
  static void handleColorCustomizationImpl(UIPageControl* self);
  static void handleWidgetColorCustomizationImpl(UIPageControl* self);
};
