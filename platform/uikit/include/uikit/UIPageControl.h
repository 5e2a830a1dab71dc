// The page indicator: a row of dots, one of them current, in two tint colours.
// Both colours start empty: the system draws its own until someone sets one.
#pragma once

#include "uikit/UIControl.h"

class UIPageControl : public UIControl {
  OBJC_CLASS(UIPageControl, UIControl)
 public:
  long numberOfPages() { return objc::send<long(), "numberOfPages">(this); }
  void setNumberOfPages(long n) { objc::send<void(long), "setNumberOfPages:">(this, n); }
  long currentPage() { return objc::send<long(), "currentPage">(this); }
  void setCurrentPage(long p) { objc::send<void(long), "setCurrentPage:">(this, p); }
  bool hidesForSinglePage() { return objc::send<bool(), "hidesForSinglePage">(this); }
  void setHidesForSinglePage(bool h) { objc::send<void(bool), "setHidesForSinglePage:">(this, h); }
  Ref<UIColor> currentPageIndicatorTintColor() {
    return objc::send<Ref<UIColor>(), "currentPageIndicatorTintColor">(this);
  }
  void setCurrentPageIndicatorTintColor(UIColor* c) {
    objc::send<void(UIColor*), "setCurrentPageIndicatorTintColor:">(this, c);
  }
  Ref<UIColor> pageIndicatorTintColor() { return objc::send<Ref<UIColor>(), "pageIndicatorTintColor">(this); }
  void setPageIndicatorTintColor(UIColor* c) { objc::send<void(UIColor*), "setPageIndicatorTintColor:">(this, c); }

 private:
  long numberOfPagesImpl() { return numberOfPages_; }
  void setNumberOfPagesImpl(long n);
  long currentPageImpl() { return currentPage_; }
  void setCurrentPageImpl(long p);
  bool hidesForSinglePageImpl() { return hidesForSinglePage_; }
  void setHidesForSinglePageImpl(bool h) { hidesForSinglePage_ = h; }
  Ref<UIColor> currentPageIndicatorTintColorImpl() { return currentColor_; }
  void setCurrentPageIndicatorTintColorImpl(UIColor* c) { currentColor_ = c; }
  Ref<UIColor> pageIndicatorTintColorImpl() { return otherColor_; }
  void setPageIndicatorTintColorImpl(UIColor* c) { otherColor_ = c; }

  long numberOfPages_;
  long currentPage_;
  bool hidesForSinglePage_;
  Ref<UIColor> currentColor_;
  Ref<UIColor> otherColor_;
};
