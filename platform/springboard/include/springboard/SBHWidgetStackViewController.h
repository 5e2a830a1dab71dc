// A stack of widgets the user pages through; its dots show while it scrolls.
#pragma once

#include "uikit/UIPageControl.h"

class SBHWidgetStackViewController : public NSObject {
  OBJC_CLASS(SBHWidgetStackViewController, NSObject)
  OBJC_INIT(initWithWidgetCount, "initWithWidgetCount:", Ref<SBHWidgetStackViewController>(long))
  OBJC_METHOD(view, "view", Ref<UIView>())
  OBJC_METHOD(pageControl, "pageControl", Ref<UIPageControl>())
  OBJC_METHOD(_setPageControlHiddenAnimated, "_setPageControlHidden:animated:", void(bool, bool))
  // Scrolls to a widget: the dots show, then hide once the stack has rested
  // for the hide delay.
  OBJC_METHOD(scrollToWidget, "scrollToWidget:", void(long))

 public:
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

  Ref<UIView> view_ = nullptr;
  Ref<UIPageControl> pageControl_ = nullptr;
  unsigned long scrollGeneration_ = 0;
  bool lastAnimated_ = false;
};
