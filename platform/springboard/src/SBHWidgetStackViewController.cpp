#include "springboard/SBHWidgetStackViewController.h"

#include <algorithm>
#include <atomic>

#include "dispatch/dispatch.h"

namespace {
std::atomic<long> hideDelayMs{1500};
}

void SBHWidgetStackViewController::setHideDelayMilliseconds(long ms) { hideDelayMs = std::max(0L, ms); }
long SBHWidgetStackViewController::hideDelayMilliseconds() { return hideDelayMs; }

Ref<SBHWidgetStackViewController> SBHWidgetStackViewController::initWithWidgetCountImpl(long n) {
  view_ = UIView::make(CGRectMake(0, 0, 170, 170));
  pageControl_ = UIPageControl::make(CGRectMake(150, 40, 16, 90));
  pageControl_->setNumberOfPages(std::max(1L, n));
  view_->addSubview(pageControl_);
  // At rest a stack shows no dots.
  _setPageControlHiddenAnimated(true, false);
  return Ref<SBHWidgetStackViewController>(this);
}

void SBHWidgetStackViewController::_setPageControlHiddenAnimatedImpl(bool hidden, bool animated) {
  lastAnimated_ = animated;
  pageControl_->setHidden(hidden);
  pageControl_->setAlpha(hidden ? 0.0 : 1.0);
}

void SBHWidgetStackViewController::scrollToWidgetImpl(long index) {
  pageControl_->setCurrentPage(index);
  _setPageControlHiddenAnimated(false, true);
  unsigned long generation = ++scrollGeneration_;
  Ref<SBHWidgetStackViewController> self(this);
  dispatch_after(dispatch_time(DISPATCH_TIME_NOW, hideDelayMs.load() * static_cast<long>(NSEC_PER_MSEC)),
                 dispatch_get_main_queue(), [self, generation] {
                   // A later scroll restarts the rest period.
                   if (self->scrollGeneration_ == generation) self->_setPageControlHiddenAnimated(true, true);
                 });
}

OBJC_IMPLEMENT(SBHWidgetStackViewController)
