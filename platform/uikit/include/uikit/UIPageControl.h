// The page indicator: a row of dots, one of them current, in two tint colours.
// Both colours start empty: the system draws its own until someone sets one.
#pragma once

#include "uikit/UIControl.h"

class UIPageControl : public UIControl {
  OBJC_CLASS(UIPageControl, UIControl)
  // Never negative; the current page follows it down.
  OBJC_METHOD(numberOfPages, "numberOfPages", long())
  OBJC_METHOD(setNumberOfPages, "setNumberOfPages:", void(long))
  // Clamped to the pages there are.
  OBJC_METHOD(currentPage, "currentPage", long())
  OBJC_METHOD(setCurrentPage, "setCurrentPage:", void(long))
  OBJC_PROPERTY(hidesForSinglePage, setHidesForSinglePage, bool)
  OBJC_PROPERTY(currentPageIndicatorTintColor, setCurrentPageIndicatorTintColor, Ref<UIColor>)
  OBJC_PROPERTY(pageIndicatorTintColor, setPageIndicatorTintColor, Ref<UIColor>)

 private:
  long numberOfPagesImpl() { return numberOfPages_; }
  void setNumberOfPagesImpl(long n);
  long currentPageImpl() { return currentPage_; }
  void setCurrentPageImpl(long p);

  long numberOfPages_ = 0;
  long currentPage_ = 0;
};
