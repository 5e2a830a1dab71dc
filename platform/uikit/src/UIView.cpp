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
  objc::sendSuper<void(), "dealloc">(UIView::cls(), this);
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
  auto& list = parent->subviews_;
  list.erase(std::remove_if(list.begin(), list.end(), [&](const Ref<UIView>& r) { return r.get() == this; }),
             list.end());
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
  if (isHidden() || !isUserInteractionEnabled() || alpha() < 0.01) return nullptr;
  if (!pointInsideWithEvent(p, e)) return nullptr;
  for (auto it = subviews_.rbegin(); it != subviews_.rend(); ++it) {
    Ref<UIView> child = *it;  // a hit test may change the tree
    CGRect f = child->frame();
    if (auto hit = child->hitTestWithEvent(CGPoint{p.x - f.origin.x, p.y - f.origin.y}, e)) return hit;
  }
  return Ref<UIView>(this);
}

OBJC_IMPLEMENT_LEGACY(UIView)
void UIView::registerMethods(objc::ClassBuilder<UIView>& b) {
  b.method<"init", &UIView::initImpl>()
      .method<"initWithFrame:", &UIView::initWithFrameImpl>()
      .method<"dealloc", &UIView::deallocImpl>()
      .method<"frame", &UIView::frameImpl>()
      .method<"setFrame:", &UIView::setFrameImpl>()
      .method<"bounds", &UIView::boundsImpl>()
      .method<"isHidden", &UIView::isHiddenImpl>()
      .method<"setHidden:", &UIView::setHiddenImpl>()
      .method<"alpha", &UIView::alphaImpl>()
      .method<"setAlpha:", &UIView::setAlphaImpl>()
      .method<"backgroundColor", &UIView::backgroundColorImpl>()
      .method<"setBackgroundColor:", &UIView::setBackgroundColorImpl>()
      .method<"tintColor", &UIView::tintColorImpl>()
      .method<"setTintColor:", &UIView::setTintColorImpl>()
      .method<"isUserInteractionEnabled", &UIView::isUserInteractionEnabledImpl>()
      .method<"setUserInteractionEnabled:", &UIView::setUserInteractionEnabledImpl>()
      .method<"clipsToBounds", &UIView::clipsToBoundsImpl>()
      .method<"setClipsToBounds:", &UIView::setClipsToBoundsImpl>()
      .method<"tag", &UIView::tagImpl>()
      .method<"setTag:", &UIView::setTagImpl>()
      .method<"autoresizingMask", &UIView::autoresizingMaskImpl>()
      .method<"setAutoresizingMask:", &UIView::setAutoresizingMaskImpl>()
      .method<"layer", &UIView::layerImpl>()
      .method<"superview", &UIView::superviewImpl>()
      .method<"addSubview:", &UIView::addSubviewImpl>()
      .method<"insertSubview:atIndex:", &UIView::insertSubviewAtIndexImpl>()
      .method<"removeFromSuperview", &UIView::removeFromSuperviewImpl>()
      .method<"layoutSubviews", &UIView::layoutSubviewsImpl>()
      .method<"setNeedsLayout", &UIView::setNeedsLayoutImpl>()
      .method<"layoutIfNeeded", &UIView::layoutIfNeededImpl>()
      .method<"didMoveToSuperview", &UIView::didMoveToSuperviewImpl>()
      .method<"didMoveToWindow", &UIView::didMoveToWindowImpl>()
      .method<"tintColorDidChange", &UIView::tintColorDidChangeImpl>()
      .method<"hitTest:withEvent:", &UIView::hitTestWithEventImpl>()
      .method<"pointInside:withEvent:", &UIView::pointInsideWithEventImpl>();
}
