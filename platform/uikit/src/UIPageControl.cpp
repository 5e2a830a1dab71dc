#include "uikit/UIPageControl.h"

#include <algorithm>

void UIPageControl::setNumberOfPagesImpl(long n) {
  numberOfPages_ = std::max(0L, n);
  currentPage_ = std::clamp(currentPage_, 0L, std::max(0L, numberOfPages_ - 1));
}

void UIPageControl::setCurrentPageImpl(long p) {
  currentPage_ = std::clamp(p, 0L, std::max(0L, numberOfPages_ - 1));
}

OBJC_IMPLEMENT_LEGACY(UIPageControl)
void UIPageControl::registerMethods(objc::ClassBuilder<UIPageControl>& b) {
  b.method<"numberOfPages", &UIPageControl::numberOfPagesImpl>()
      .method<"setNumberOfPages:", &UIPageControl::setNumberOfPagesImpl>()
      .method<"currentPage", &UIPageControl::currentPageImpl>()
      .method<"setCurrentPage:", &UIPageControl::setCurrentPageImpl>()
      .method<"hidesForSinglePage", &UIPageControl::hidesForSinglePageImpl>()
      .method<"setHidesForSinglePage:", &UIPageControl::setHidesForSinglePageImpl>()
      .method<"currentPageIndicatorTintColor", &UIPageControl::currentPageIndicatorTintColorImpl>()
      .method<"setCurrentPageIndicatorTintColor:", &UIPageControl::setCurrentPageIndicatorTintColorImpl>()
      .method<"pageIndicatorTintColor", &UIPageControl::pageIndicatorTintColorImpl>()
      .method<"setPageIndicatorTintColor:", &UIPageControl::setPageIndicatorTintColorImpl>();
}
