// The page-dot hooks: hiding and recolouring the home-screen and widget-stack
// indicators by the snapshot, and putting the system's colours back.
#include "PageDots.h"
#include "HostMessages.h"
#include "Tweak.h"
#include "colorpicker/libcolorpicker.h"
#include "dispatch/dispatch.h"
#include "foundation/HopTrace.h"
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

Ref<UIColor> savedCurrent(UIPageControl* c) { return UIPageControl_CVLODots::cachedCurrentPageIndicatorTintColor(c); }
Ref<UIColor> savedOther(UIPageControl* c) { return UIPageControl_CVLODots::cachedPageIndicatorTintColor(c); }

// Saves the system's colours once, then either paints the chosen ones or puts
// the saved ones back. Identity, not value, decides whether to put back.
void applyColours(UIPageControl* self, bool customise) {
  if (!savedCurrent(self))
    UIPageControl_CVLODots::setCachedCurrentPageIndicatorTintColor(self, self->currentPageIndicatorTintColor());
  if (!savedOther(self)) UIPageControl_CVLODots::setCachedPageIndicatorTintColor(self, self->pageIndicatorTintColor());
  if (customise) {
    Ref<NSString> active = activePageDotColorString.load(), inactive = inactivePageDotColorString.load();
    self->setCurrentPageIndicatorTintColor(LCPParseColorString(active, fallbackActive()));
    self->setPageIndicatorTintColor(LCPParseColorString(inactive, fallbackInactive()));
    return;
  }
  Ref<UIColor> current = savedCurrent(self);
  if (current && current.get() != self->currentPageIndicatorTintColor().get())
    self->setCurrentPageIndicatorTintColor(current);
  Ref<UIColor> other = savedOther(self);
  if (other && other.get() != self->pageIndicatorTintColor().get()) self->setPageIndicatorTintColor(other);
}

void hideAndColour(NSObject* control) {
  UIPageControl_CVLODots::handleHiding(control);
  UIPageControl_CVLODots::handleColorCustomization(control);
}

IMP previousHitTest, previousShouldAnimate, previousInitWithFrame, previousSetPageControlHidden;

Ref<UIView> hitTestHook(UIPageControl* self, SEL cmd, CGPoint point, UIEvent* event) {
  hideAndColour(self);
  return objc::invoke<host::hitTestWithEventMessage>(previousHitTest, self, cmd, point, event);
}

bool shouldAnimateHook(UIPageControl* self, SEL cmd, NSString* key) {
  hideAndColour(self);
  return objc::invoke<host::_shouldAnimatePropertyWithKeyMessage>(previousShouldAnimate, self, cmd, key);
}

Ref<UIView> initWithFrameHook(UIPageControl* self, SEL cmd, CGRect frame) {
  if (pageControls && !pageControls->containsObject(self)) pageControls->addObject(self);
  hideAndColour(self);
  return objc::invoke<host::initWithFrameMessage>(previousInitWithFrame, self, cmd, frame);
}

void setPageControlHiddenHook(NSObject* self, SEL cmd, bool hidden, bool animated) {
  UIPageControl_CVLODots::handleWidgetColorCustomization(objc::send<host::pageControlMessage>(self));
  bool force = on(enabled) && on(hidePageDotsEnabled) && on(applyToWidgetDotsEnabled);
  objc::invoke<host::_setPageControlHiddenAnimatedMessage>(previousSetPageControlHidden, self, cmd, hidden || force,
                                                           animated);
}

std::atomic<Class> iconListClass{nullptr};

}  // namespace

void CVLORefreshPageControls() {
  if (!pageControls) return;
  foundation::hops::record("refresh");
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

// Associated objects: each control's slot is its own and holds its colour strongly.
Ref<UIColor> UIPageControl_CVLODots::cachedCurrentPageIndicatorTintColorImpl(UIPageControl* self) {
  return ref_cast<UIColor>(objc_getAssociatedObject(self, &cachedCurrentKey));
}
void UIPageControl_CVLODots::setCachedCurrentPageIndicatorTintColorImpl(UIPageControl* self, UIColor* colour) {
  objc_setAssociatedObject(self, &cachedCurrentKey, colour, OBJC_ASSOCIATION_RETAIN_NONATOMIC);
}
Ref<UIColor> UIPageControl_CVLODots::cachedPageIndicatorTintColorImpl(UIPageControl* self) {
  return ref_cast<UIColor>(objc_getAssociatedObject(self, &cachedOtherKey));
}
void UIPageControl_CVLODots::setCachedPageIndicatorTintColorImpl(UIPageControl* self, UIColor* colour) {
  objc_setAssociatedObject(self, &cachedOtherKey, colour, OBJC_ASSOCIATION_RETAIN_NONATOMIC);
}

void UIPageControl_CVLODots::handleHidingImpl(UIPageControl* self) {
  Ref<UIPageControl> control(self);
  dispatch_async(dispatch_get_main_queue(), [control] {
    if (on(enabled) && on(hidePageDotsEnabled)) {
      control->setHidden(true);
    } else if (control->isHidden()) {
      control->setHidden(false);
    }
    foundation::hops::record("hide");
  });
}

void UIPageControl_CVLODots::handleColorCustomizationImpl(UIPageControl* self) {
  applyColours(self, on(enabled) && on(colorCustomizationEnabled));
}

void UIPageControl_CVLODots::handleWidgetColorCustomizationImpl(UIPageControl* self) {
  applyColours(self, on(enabled) && on(colorCustomizationEnabled) && on(applyToWidgetDotsEnabled));
}

OBJC_DEFINE_CATEGORY(UIPageControl_CVLODots)

// The category goes in with the hooks, in the library's second load-time step.
void CVLOInstallAppearanceHooks(Class iconList, Class widgetStack) {
  UIPageControl_CVLODots::install();
  MSHookMessageEx(iconList, host::hitTestWithEventMessage::sel(),
                  objc::implementation<host::hitTestWithEventMessage, &hitTestHook>(), &previousHitTest);
  MSHookMessageEx(iconList, host::_shouldAnimatePropertyWithKeyMessage::sel(),
                  objc::implementation<host::_shouldAnimatePropertyWithKeyMessage, &shouldAnimateHook>(),
                  &previousShouldAnimate);
  MSHookMessageEx(iconList, host::initWithFrameMessage::sel(),
                  objc::implementation<host::initWithFrameMessage, &initWithFrameHook>(), &previousInitWithFrame);
  MSHookMessageEx(widgetStack, host::_setPageControlHiddenAnimatedMessage::sel(),
                  objc::implementation<host::_setPageControlHiddenAnimatedMessage, &setPageControlHiddenHook>(),
                  &previousSetPageControlHidden);
}
