// The home screen's page indicator under the icon pages.
#pragma once

#include "foundation/NSArray.h"
#include "foundation/NSString.h"
#include "objc/Weak.h"
#include "springboard/SBLegibilitySettings.h"
#include "uikit/UIGestureRecognizer.h"
#include "uikit/UIPageControl.h"

class SBIconListPageControl : public UIPageControl {
  OBJC_CLASS(SBIconListPageControl, UIPageControl)

  OBJC_OVERRIDE(initWithFrame)
  OBJC_OVERRIDE(hitTestWithEvent)
  OBJC_METHOD(defaultHeight, "defaultHeight", double())
  OBJC_METHOD(tapGestureDidUpdate, "tapGestureDidUpdate:", void(NSObject*))
  OBJC_METHOD(touchesCancelledWithEvent, "touchesCancelled:withEvent:", void(NSObject*, NSObject*))
  OBJC_METHOD(setLegibilitySettings, "setLegibilitySettings:", void(NSObject*))
  OBJC_METHOD(legibilitySettings, "legibilitySettings", Ref<NSObject>())
  OBJC_METHOD(touchesEndedWithEvent, "touchesEnded:withEvent:", void(NSObject*, NSObject*))
  OBJC_METHOD(legibilitySettingsDidChange, "legibilitySettingsDidChange", void())
  OBJC_METHOD(gestureRecognizerShouldBegin, "gestureRecognizerShouldBegin:", bool(NSObject*))
  OBJC_PROPERTY(actsAsButton, setActsAsButton, bool)
  OBJC_METHOD(tapGestureRecognizer, "tapGestureRecognizer", Ref<NSObject>())
  OBJC_METHOD(delegate, "delegate", Ref<NSObject>())
  OBJC_METHOD(setDelegate, "setDelegate:", void(NSObject*))
  OBJC_PROPERTY(touchIgnoreRects, setTouchIgnoreRects, Ref<NSObject>)
  OBJC_METHOD(setButtonHighlighted, "setButtonHighlighted:", void(bool))
  OBJC_METHOD(touchesBeganWithEvent, "touchesBegan:withEvent:", void(NSObject*, NSObject*))
  OBJC_METHOD(effectiveLegibilitySettings, "effectiveLegibilitySettings", Ref<NSObject>())
  OBJC_METHOD(pageControlCurrentPageDidChange, "pageControlCurrentPageDidChange:", void(NSObject*))
  OBJC_METHOD(_shouldAnimatePropertyWithKey, "_shouldAnimatePropertyWithKey:", bool(NSString*))

 public:
  bool isButtonHighlighted() const { return buttonHighlighted_; }

 private:
  Ref<UIView> initWithFrameImpl(CGRect f);
  Ref<UIView> hitTestWithEventImpl(CGPoint p, UIEvent* e);
  double defaultHeightImpl() { return 37.0; }
  void tapGestureDidUpdateImpl(NSObject* g);
  void touchesCancelledWithEventImpl(NSObject* t, NSObject* e);
  void setLegibilitySettingsImpl(NSObject* s);
  Ref<NSObject> legibilitySettingsImpl() { return legibility_; }
  void touchesEndedWithEventImpl(NSObject* t, NSObject* e);
  void legibilitySettingsDidChangeImpl();
  bool gestureRecognizerShouldBeginImpl(NSObject* g);
  Ref<NSObject> tapGestureRecognizerImpl() { return tapRecognizer_; }
  Ref<NSObject> delegateImpl() { return delegate_.lock(); }
  void setDelegateImpl(NSObject* d) { delegate_ = d; }
  void setButtonHighlightedImpl(bool h) { buttonHighlighted_ = h; }
  void touchesBeganWithEventImpl(NSObject* t, NSObject* e);
  Ref<NSObject> effectiveLegibilitySettingsImpl();
  void pageControlCurrentPageDidChangeImpl(NSObject* s);
  bool _shouldAnimatePropertyWithKeyImpl(NSString* key);

  Ref<NSObject> legibility_ = nullptr;
  Ref<NSObject> tapRecognizer_ = nullptr;
  Weak<NSObject> delegate_;  // not retained, as delegates never are
  bool buttonHighlighted_ = false;
};
