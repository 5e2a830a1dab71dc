#include "uikit/UIView.h"

#include "uikit/UIViewAnimation.h"

#include <algorithm>

#include "uikit/Layout.h"
#include "uikit/UIAppearance.h"
#include "uikit/UIViewController.h"
#include "uikit/UIWindow.h"

Ref<UIView> UIView::initImpl() { return initWithFrame(CGRectZero); }

Ref<UIView> UIView::initWithFrameImpl(CGRect f) {
  frame_ = f;
  translatesAutoresizingMaskIntoConstraints_ = true;
  alpha_ = 1.0;
  layer_ = CALayer::make();
  return Ref<UIView>(this);
}

// A view without a tint of its own shows its superview's, and the system
// blue at the top of the tree.
Ref<UIColor> UIView::tintColorImpl() {
  if (tintColor_) return tintColor_;
  if (auto s = superview_.lock()) return s->tintColor();
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
  if (v->superview_.lock()) v->removeFromSuperview();
  long at = std::clamp<long>(i, 0, static_cast<long>(subviews_.size()));
  subviews_.insert(subviews_.begin() + at, keep);
  v->superview_ = this;
  v->didMoveToSuperview();
}

void UIView::removeFromSuperviewImpl() {
  Ref<UIView> parent = superview_.lock();
  if (!parent) return;
  Ref<UIView> keep(this);
  std::erase_if(parent->subviews_, [&](const Ref<UIView>& r) { return r.get() == this; });
  superview_ = nullptr;
  didMoveToSuperview();
}

void UIView::setFrameImpl(CGRect f) {
  CGSize old = frame_.size;
  frame_ = f;
  if (old != f.size) resizeSubviews(old);
}

namespace {

// Shares `delta` among the flexible parts of one axis in proportion to their
// sizes (equally when all are zero), as the device's autoresizing does.
void distribute(double delta, bool flexLead, bool flexSize, bool flexTrail, double lead, double size, double trail,
                double* origin, double* length) {
  double parts = (flexLead ? lead : 0) + (flexSize ? size : 0) + (flexTrail ? trail : 0);
  int count = flexLead + flexSize + flexTrail;
  if (count == 0) return;
  auto share = [&](bool flex, double part) {
    if (!flex) return 0.0;
    return parts > 0 ? delta * part / parts : delta / count;
  };
  *origin += share(flexLead, lead);
  *length += share(flexSize, size);
}

}  // namespace

void UIView::resizeSubviews(CGSize old) {
  double dw = frame_.size.width - old.width, dh = frame_.size.height - old.height;
  auto children = subviews_;
  for (auto& child : children) {
    unsigned long mask = child->autoresizingMask();
    if (mask == UIViewAutoresizingNone || !child->translatesAutoresizingMaskIntoConstraints()) continue;
    CGRect f = child->frame();
    distribute(dw, mask & UIViewAutoresizingFlexibleLeftMargin, mask & UIViewAutoresizingFlexibleWidth,
               mask & UIViewAutoresizingFlexibleRightMargin, f.origin.x, f.size.width,
               old.width - f.origin.x - f.size.width, &f.origin.x, &f.size.width);
    distribute(dh, mask & UIViewAutoresizingFlexibleTopMargin, mask & UIViewAutoresizingFlexibleHeight,
               mask & UIViewAutoresizingFlexibleBottomMargin, f.origin.y, f.size.height,
               old.height - f.origin.y - f.size.height, &f.origin.y, &f.size.height);
    child->setFrame(f);
  }
}

void UIView::sizeToFitImpl() {
  CGSize fitted = sizeThatFits(frame_.size);
  setFrame(CGRect{frame_.origin, fitted});
}

std::optional<CGRect> UIView::frameIn(const UIView* ancestor) const {
  if (ancestor == this) return CGRect{{0, 0}, frame_.size};
  CGRect r = frame_;
  for (Ref<UIView> v = superview_.lock(); v; v = v->superview_.lock()) {
    if (v.get() == ancestor) return r;
    r.origin.x += v->frame_.origin.x;
    r.origin.y += v->frame_.origin.y;
  }
  return std::nullopt;
}

Ref<NSLayoutDimension> UIView::widthAnchorImpl() {
  return ref_cast<NSLayoutDimension>(NSLayoutAnchor::forItem(NSLayoutDimension::cls(), this, NSLayoutAttributeWidth));
}
Ref<NSLayoutDimension> UIView::heightAnchorImpl() {
  return ref_cast<NSLayoutDimension>(NSLayoutAnchor::forItem(NSLayoutDimension::cls(), this, NSLayoutAttributeHeight));
}
Ref<NSLayoutXAxisAnchor> UIView::centerXAnchorImpl() {
  return ref_cast<NSLayoutXAxisAnchor>(
      NSLayoutAnchor::forItem(NSLayoutXAxisAnchor::cls(), this, NSLayoutAttributeCenterX));
}
Ref<NSLayoutYAxisAnchor> UIView::centerYAnchorImpl() {
  return ref_cast<NSLayoutYAxisAnchor>(
      NSLayoutAnchor::forItem(NSLayoutYAxisAnchor::cls(), this, NSLayoutAttributeCenterY));
}
Ref<NSLayoutXAxisAnchor> UIView::leadingAnchorImpl() {
  return ref_cast<NSLayoutXAxisAnchor>(
      NSLayoutAnchor::forItem(NSLayoutXAxisAnchor::cls(), this, NSLayoutAttributeLeading));
}
Ref<NSLayoutXAxisAnchor> UIView::trailingAnchorImpl() {
  return ref_cast<NSLayoutXAxisAnchor>(
      NSLayoutAnchor::forItem(NSLayoutXAxisAnchor::cls(), this, NSLayoutAttributeTrailing));
}
Ref<NSLayoutYAxisAnchor> UIView::topAnchorImpl() {
  return ref_cast<NSLayoutYAxisAnchor>(NSLayoutAnchor::forItem(NSLayoutYAxisAnchor::cls(), this, NSLayoutAttributeTop));
}
Ref<NSLayoutYAxisAnchor> UIView::bottomAnchorImpl() {
  return ref_cast<NSLayoutYAxisAnchor>(
      NSLayoutAnchor::forItem(NSLayoutYAxisAnchor::cls(), this, NSLayoutAttributeBottom));
}

Ref<NSArray> UIView::constraintsImpl() {
  NSArray::Items items(constraints_.begin(), constraints_.end());
  return NSArray::make(std::move(items));
}

void UIView::installConstraint(NSLayoutConstraint* c) {
  if (std::find(constraints_.begin(), constraints_.end(), c) == constraints_.end())
    constraints_.push_back(Ref<NSLayoutConstraint>(c));
  setNeedsLayout();
}

void UIView::uninstallConstraint(NSLayoutConstraint* c) {
  std::erase_if(constraints_, [&](const Ref<NSLayoutConstraint>& r) { return r.get() == c; });
  setNeedsLayout();
}

Ref<UITraitCollection> UIView::traitCollectionImpl() {
  if (auto* vc = objc_cast<UIViewController>(uikit::viewControllerOwning(this))) return vc->traitCollection();
  if (auto s = superview_.lock()) return s->traitCollection();
  if (auto window = UIApplication::sharedApplication()->keyWindow(); window && window.get() != this)
    return window->traitCollection();
  return UITraitCollection::make(UIUserInterfaceStyleLight, UIUserInterfaceSizeClassCompact);
}

void UIView::layoutSubviewsImpl() { uikit::resolveConstraints(this); }

// Lays out this view when it asked for it, then its subtree.
void UIView::layoutIfNeededImpl() {
  Ref<UIView> keep(this);
  if (needsLayout_) {
    needsLayout_ = false;
    layoutSubviews();
  }
  auto children = subviews_;
  for (auto& child : children) child->layoutIfNeeded();
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

void UIView::setAlphaImpl(double a) {
  double from = alpha_;
  alpha_ = a;
  uikit::detail::noteAnimatableChange(this, "alpha", from, a);
}

OBJC_IMPLEMENT(UIView)
