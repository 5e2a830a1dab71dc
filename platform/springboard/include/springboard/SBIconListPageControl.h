// The home screen's page indicator under the icon pages.
#pragma once

#include "foundation/NSArray.h"
#include "foundation/NSString.h"
#include "springboard/SBLegibilitySettings.h"
#include "uikit/UIPageControl.h"

// The recogniser behind tapping the indicator to change page.
class UITapGestureRecognizer : public NSObject {
  OBJC_CLASS(UITapGestureRecognizer, NSObject)
};

class SBIconListPageControl : public UIPageControl {
  OBJC_CLASS(SBIconListPageControl, UIPageControl)
 public:
  double defaultHeight() { return objc::send<double(), "defaultHeight">(this); }
  void tapGestureDidUpdate(NSObject* g) { objc::send<void(id), "tapGestureDidUpdate:">(this, g); }
  void touchesCancelledWithEvent(NSObject* t, NSObject* e) {
    objc::send<void(id, id), "touchesCancelled:withEvent:">(this, t, e);
  }
  void setLegibilitySettings(NSObject* s) { objc::send<void(id), "setLegibilitySettings:">(this, s); }
  Ref<NSObject> legibilitySettings() { return objc::send<Ref<NSObject>(), "legibilitySettings">(this); }
  void touchesEndedWithEvent(NSObject* t, NSObject* e) {
    objc::send<void(id, id), "touchesEnded:withEvent:">(this, t, e);
  }
  void legibilitySettingsDidChange() { objc::send<void(), "legibilitySettingsDidChange">(this); }
  bool gestureRecognizerShouldBegin(NSObject* g) {
    return objc::send<bool(id), "gestureRecognizerShouldBegin:">(this, g);
  }
  bool actsAsButton() { return objc::send<bool(), "actsAsButton">(this); }
  Ref<NSObject> tapGestureRecognizer() { return objc::send<Ref<NSObject>(), "tapGestureRecognizer">(this); }
  Ref<NSObject> delegate() { return objc::send<Ref<NSObject>(), "delegate">(this); }
  void setDelegate(NSObject* d) { objc::send<void(id), "setDelegate:">(this, d); }
  void setActsAsButton(bool b) { objc::send<void(bool), "setActsAsButton:">(this, b); }
  void setTouchIgnoreRects(NSObject* r) { objc::send<void(id), "setTouchIgnoreRects:">(this, r); }
  void setButtonHighlighted(bool h) { objc::send<void(bool), "setButtonHighlighted:">(this, h); }
  void touchesBeganWithEvent(NSObject* t, NSObject* e) {
    objc::send<void(id, id), "touchesBegan:withEvent:">(this, t, e);
  }
  Ref<NSObject> effectiveLegibilitySettings() {
    return objc::send<Ref<NSObject>(), "effectiveLegibilitySettings">(this);
  }
  void pageControlCurrentPageDidChange(NSObject* s) {
    objc::send<void(id), "pageControlCurrentPageDidChange:">(this, s);
  }
  Ref<NSObject> touchIgnoreRects() { return objc::send<Ref<NSObject>(), "touchIgnoreRects">(this); }
  bool _shouldAnimatePropertyWithKey(NSString* key) {
    return objc::send<bool(NSString*), "_shouldAnimatePropertyWithKey:">(this, key);
  }

  bool isButtonHighlighted() const { return buttonHighlighted_; }

 private:
  Ref<UIView> initWithFrameImpl(CGRect f);
  double defaultHeightImpl() { return 37.0; }
  void tapGestureDidUpdateImpl(NSObject* g);
  void touchesCancelledWithEventImpl(NSObject* t, NSObject* e);
  void setLegibilitySettingsImpl(NSObject* s);
  Ref<NSObject> legibilitySettingsImpl() { return legibility_; }
  void touchesEndedWithEventImpl(NSObject* t, NSObject* e);
  void legibilitySettingsDidChangeImpl();
  bool gestureRecognizerShouldBeginImpl(NSObject* g);
  bool actsAsButtonImpl() { return actsAsButton_; }
  Ref<NSObject> tapGestureRecognizerImpl() { return tapRecognizer_; }
  Ref<NSObject> delegateImpl() { return Ref<NSObject>(delegate_); }
  void setDelegateImpl(NSObject* d) { delegate_ = d; }
  void setActsAsButtonImpl(bool b) { actsAsButton_ = b; }
  void setTouchIgnoreRectsImpl(NSObject* r) { touchIgnoreRects_ = r; }
  void setButtonHighlightedImpl(bool h) { buttonHighlighted_ = h; }
  void touchesBeganWithEventImpl(NSObject* t, NSObject* e);
  Ref<NSObject> effectiveLegibilitySettingsImpl();
  void pageControlCurrentPageDidChangeImpl(NSObject* s);
  Ref<NSObject> touchIgnoreRectsImpl() { return touchIgnoreRects_; }
  Ref<UIView> hitTestWithEventImpl(CGPoint p, UIEvent* e);
  bool _shouldAnimatePropertyWithKeyImpl(NSString* key);

  Ref<NSObject> legibility_;
  Ref<NSObject> tapRecognizer_;
  Ref<NSObject> touchIgnoreRects_;
  NSObject* delegate_;  // not retained, as delegates never are
  bool actsAsButton_;
  bool buttonHighlighted_;
};
