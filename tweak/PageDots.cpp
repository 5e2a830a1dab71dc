// The page-dot hooks: hiding and recolouring the home-screen and widget-stack
// indicators by the snapshot, and putting the system's colours back.
#include "Tweak.h"
#include "colorpicker/libcolorpicker.h"
#include "dispatch/dispatch.h"
#include "substrate/substrate.h"
#include "uikit/UIPageControl.h"

namespace {

// One association key per saved-colour property, shared by getter and setter.
char cachedCurrentKey, cachedOtherKey;

NSString* fallbackActive() {
  static NSString* const t = NSString::make(cvlo::kDefaultActiveColor).leak();
  return t;
}
NSString* fallbackInactive() {
  static NSString* const t = NSString::make(cvlo::kDefaultInactiveColor).leak();
  return t;
}

bool on(const std::atomic<bool>& flag) { return flag.load(std::memory_order_relaxed); }

Ref<NSObject> cachedCurrentGetter(NSObject* self, SEL) { return objc_getAssociatedObject(self, &cachedCurrentKey); }
void cachedCurrentSetter(NSObject* self, SEL, NSObject* colour) {
  objc_setAssociatedObject(self, &cachedCurrentKey, colour, OBJC_ASSOCIATION_RETAIN_NONATOMIC);
}
Ref<NSObject> cachedOtherGetter(NSObject* self, SEL) { return objc_getAssociatedObject(self, &cachedOtherKey); }
void cachedOtherSetter(NSObject* self, SEL, NSObject* colour) {
  objc_setAssociatedObject(self, &cachedOtherKey, colour, OBJC_ASSOCIATION_RETAIN_NONATOMIC);
}

Ref<UIColor> savedCurrent(UIPageControl* c) {
  return objc::send<Ref<UIColor>(), "cachedCurrentPageIndicatorTintColor">(c);
}
Ref<UIColor> savedOther(UIPageControl* c) { return objc::send<Ref<UIColor>(), "cachedPageIndicatorTintColor">(c); }

void handleHiding(UIPageControl* self, SEL) {
  Ref<UIPageControl> control(self);
  dispatch_async(dispatch_get_main_queue(), [control] {
    if (on(enabled) && on(hidePageDotsEnabled)) {
      control->setHidden(true);
    } else if (control->isHidden()) {
      control->setHidden(false);
    }
  });
}

// Saves the system's colours once, then either paints the chosen ones or puts
// the saved ones back. Identity, not value, decides whether to put back.
void applyColours(UIPageControl* self, bool customise) {
  if (!savedCurrent(self))
    objc::send<void(UIColor*), "setCachedCurrentPageIndicatorTintColor:">(self,
                                                                          self->currentPageIndicatorTintColor());
  if (!savedOther(self))
    objc::send<void(UIColor*), "setCachedPageIndicatorTintColor:">(self, self->pageIndicatorTintColor());
  if (customise) {
    self->setCurrentPageIndicatorTintColor(LCPParseColorString(activePageDotColorString.load(), fallbackActive()));
    self->setPageIndicatorTintColor(LCPParseColorString(inactivePageDotColorString.load(), fallbackInactive()));
    return;
  }
  Ref<UIColor> current = savedCurrent(self);
  if (current && current.get() != self->currentPageIndicatorTintColor().get())
    self->setCurrentPageIndicatorTintColor(current);
  Ref<UIColor> other = savedOther(self);
  if (other && other.get() != self->pageIndicatorTintColor().get()) self->setPageIndicatorTintColor(other);
}

void handleColorCustomization(UIPageControl* self, SEL) {
  applyColours(self, on(enabled) && on(colorCustomizationEnabled));
}

void handleWidgetColorCustomization(UIPageControl* self, SEL) {
  applyColours(self, on(enabled) && on(colorCustomizationEnabled) && on(applyToWidgetDotsEnabled));
}

void hideAndColour(NSObject* control) {
  objc::send<void(), "handleHiding">(control);
  objc::send<void(), "handleColorCustomization">(control);
}

IMP previousHitTest, previousShouldAnimate, previousInitWithFrame, previousSetPageControlHidden;

Ref<UIView> hitTestHook(UIPageControl* self, SEL cmd, CGPoint point, UIEvent* event) {
  hideAndColour(self);
  return objc::invoke<Ref<UIView>(CGPoint, UIEvent*)>(previousHitTest, self, cmd, point, event);
}

bool shouldAnimateHook(UIPageControl* self, SEL cmd, NSString* key) {
  hideAndColour(self);
  return objc::invoke<bool(NSString*)>(previousShouldAnimate, self, cmd, key);
}

Ref<UIView> initWithFrameHook(UIPageControl* self, SEL cmd, CGRect frame) {
  if (pageControls && !pageControls->containsObject(self)) pageControls->addObject(self);
  hideAndColour(self);
  return objc::invoke<Ref<UIView>(CGRect)>(previousInitWithFrame, self, cmd, frame);
}

void setPageControlHiddenHook(NSObject* self, SEL cmd, bool hidden, bool animated) {
  Ref<NSObject> control = objc::send<Ref<NSObject>(), "pageControl">(self);
  objc::send<void(), "handleWidgetColorCustomization">(control);
  bool force = on(enabled) && on(hidePageDotsEnabled) && on(applyToWidgetDotsEnabled);
  objc::invoke<void(bool, bool)>(previousSetPageControlHidden, self, cmd, hidden || force, animated);
}

std::atomic<Class> iconListClass{nullptr};

}  // namespace

void CVLORefreshPageControls() {
  if (!pageControls) return;
  Class cls = iconListClass.load();
  if (!cls) {
    cls = objc_getClass("SBIconListPageControl");
    iconListClass.store(cls);
  }
  // The count is read afresh each step: a decision may register more controls.
  for (unsigned long i = 0; i < pageControls->count(); ++i) {
    Ref<NSObject> control = pageControls->objectAtIndex(i);
    if (objc_opt_isKindOfClass(control, cls)) hideAndColour(control);
  }
}

void CVLOInstallAppearanceHooks(Class pageControl, Class iconList, Class widgetStack) {
  if (pageControl) {
    objc_property_attribute_t attrs[] = {{"T", "@\"UIColor\""}, {"&", ""}, {"N", ""}};
    class_addProperty(pageControl, "cachedCurrentPageIndicatorTintColor", attrs, 3);
    class_addProperty(pageControl, "cachedPageIndicatorTintColor", attrs, 3);
    // Getter "%s@:" and setter "v@:%s", each filled with the object type.
    const char* getter = "@@:";
    const char* setter = "v@:@";
    class_addMethod(pageControl, sel_registerName("cachedCurrentPageIndicatorTintColor"),
                    objc::method<&cachedCurrentGetter>(), getter);
    class_addMethod(pageControl, sel_registerName("setCachedCurrentPageIndicatorTintColor:"),
                    objc::method<&cachedCurrentSetter>(), setter);
    class_addMethod(pageControl, sel_registerName("cachedPageIndicatorTintColor"), objc::method<&cachedOtherGetter>(),
                    getter);
    class_addMethod(pageControl, sel_registerName("setCachedPageIndicatorTintColor:"),
                    objc::method<&cachedOtherSetter>(), setter);
    class_addMethod(pageControl, sel_registerName("handleHiding"), objc::method<&handleHiding>(), "v@:");
    class_addMethod(pageControl, sel_registerName("handleColorCustomization"),
                    objc::method<&handleColorCustomization>(), "v@:");
    class_addMethod(pageControl, sel_registerName("handleWidgetColorCustomization"),
                    objc::method<&handleWidgetColorCustomization>(), "v@:");
  }
  MSHookMessageEx(iconList, sel_registerName("hitTest:withEvent:"), objc::method<&hitTestHook>(), &previousHitTest);
  MSHookMessageEx(iconList, sel_registerName("_shouldAnimatePropertyWithKey:"), objc::method<&shouldAnimateHook>(),
                  &previousShouldAnimate);
  MSHookMessageEx(iconList, sel_registerName("initWithFrame:"), objc::method<&initWithFrameHook>(),
                  &previousInitWithFrame);
  MSHookMessageEx(widgetStack, sel_registerName("_setPageControlHidden:animated:"),
                  objc::method<&setPageControlHiddenHook>(), &previousSetPageControlHidden);
}
