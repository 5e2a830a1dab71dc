// A stack of widgets the user pages through; its dots show while it scrolls.
#pragma once

#include "uikit/UIPageControl.h"

class SBHWidgetStackViewController : public NSObject {
  OBJC_CLASS(SBHWidgetStackViewController, NSObject)
 public:
  Ref<SBHWidgetStackViewController> initWithWidgetCount(long n) {
    return objc::send<Ref<SBHWidgetStackViewController>(long), "initWithWidgetCount:">(this, n);
  }
  Ref<UIView> view() { return objc::send<Ref<UIView>(), "view">(this); }
  Ref<UIPageControl> pageControl() { return objc::send<Ref<UIPageControl>(), "pageControl">(this); }
  void _setPageControlHiddenAnimated(bool hidden, bool animated) {
    objc::send<void(bool, bool), "_setPageControlHidden:animated:">(this, hidden, animated);
  }
  // Scrolls to a widget: the dots show, then hide once the stack has rested
  // for the hide delay.
  void scrollToWidget(long index) { objc::send<void(long), "scrollToWidget:">(this, index); }

  // How long the stack rests before hiding its dots; the host may shorten it.
  static void setHideDelayMilliseconds(long ms);
  static long hideDelayMilliseconds();
  bool lastRequestAnimated() const { return lastAnimated_; }

 private:
  Ref<SBHWidgetStackViewController> initWithWidgetCountImpl(long n);
  Ref<UIView> viewImpl() { return view_; }
  Ref<UIPageControl> pageControlImpl() { return pageControl_; }
  void _setPageControlHiddenAnimatedImpl(bool hidden, bool animated);
  void scrollToWidgetImpl(long index);

  Ref<UIView> view_;
  Ref<UIPageControl> pageControl_;
  unsigned long scrollGeneration_;
  bool lastAnimated_;
};
