#include "uikit/UIPageControl.h"

#include <algorithm>

void UIPageControl::setNumberOfPagesImpl(long n) {
  numberOfPages_ = std::max(0L, n);
  currentPage_ = std::clamp(currentPage_, 0L, std::max(0L, numberOfPages_ - 1));
}

void UIPageControl::setCurrentPageImpl(long p) { currentPage_ = std::clamp(p, 0L, std::max(0L, numberOfPages_ - 1)); }

OBJC_IMPLEMENT(UIPageControl)
