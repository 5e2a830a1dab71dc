#include "uikit/UIView.h"

#include <algorithm>

Ref<UIView> UIView::initImpl() { return initWithFrame(CGRectZero); }

Ref<UIView> UIView::initWithFrameImpl(CGRect f) {
  frame_ = f;
  alpha_ = 1.0;
  layer_ = CALayer::make();
  return Ref<UIView>(this);
}

void UIView::deallocImpl() {
  for (auto& v : subviews_) v->superview_ = nullptr;
  sendSuper<deallocMessage>();
}

// A view without a tint of its own shows its superview's, and the system
// blue at the top of the tree.
Ref<UIColor> UIView::tintColorImpl() {
  if (tintColor_) return tintColor_;
  if (superview_) return superview_->tintColor();
  return UIColor::systemBlueColor();
}

void UIView::setTintColorImpl(UIColor* c) {
  tintColor_ = c;
  tintColorDidChange();
}

Ref<CALayer> UIView::layerImpl() {
  if (!layer_) layer_ = CALayer::make();
  return layer_;
}

void UIView::addSubviewImpl(UIView* v) { insertSubviewAtIndex(v, static_cast<long>(subviews_.size())); }

void UIView::insertSubviewAtIndexImpl(UIView* v, long i) {
  if (!v || v == this) return;
  Ref<UIView> keep(v);
  if (v->superview_) v->removeFromSuperview();
  long at = std::clamp<long>(i, 0, static_cast<long>(subviews_.size()));
  subviews_.insert(subviews_.begin() + at, keep);
  v->superview_ = this;
  v->didMoveToSuperview();
}

void UIView::removeFromSuperviewImpl() {
  UIView* parent = superview_;
  if (!parent) return;
  Ref<UIView> keep(this);
  std::erase_if(parent->subviews_, [&](const Ref<UIView>& r) { return r.get() == this; });
  superview_ = nullptr;
  didMoveToSuperview();
}

void UIView::layoutIfNeededImpl() {
  if (!needsLayout_) return;
  needsLayout_ = false;
  layoutSubviews();
}

bool UIView::pointInsideWithEventImpl(CGPoint p, UIEvent*) { return CGRectContainsPoint(bounds(), p); }

Ref<UIView> UIView::hitTestWithEventImpl(CGPoint p, UIEvent* e) {
  if (isHidden() || !isUserInteractionEnabled() || alpha() < kUIMinimumHitTestAlpha) return nullptr;
  if (!pointInsideWithEvent(p, e)) return nullptr;
  // A child's hit test may add or remove views; walk the children as they were.
  const std::vector<Ref<UIView>> children = subviews_;
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    CGRect f = (*it)->frame();
    if (auto hit = (*it)->hitTestWithEvent(CGPoint{p.x - f.origin.x, p.y - f.origin.y}, e)) return hit;
  }
  return Ref<UIView>(this);
}

OBJC_IMPLEMENT(UIView, init, initWithFrame, dealloc, frame, bounds, isHidden, setHidden, alpha, backgroundColor,
               tintColor, setTintColor, isUserInteractionEnabled, setUserInteractionEnabled, clipsToBounds, tag,
               autoresizingMask, layer, superview, addSubview, insertSubviewAtIndex, removeFromSuperview,
               layoutSubviews, setNeedsLayout, layoutIfNeeded, didMoveToSuperview, didMoveToWindow, tintColorDidChange,
               hitTestWithEvent, pointInsideWithEvent)
