#include "uikit/NSLayoutConstraint.h"

#include "foundation/Log.h"
#include "objc/Weak.h"
#include "uikit/UIView.h"

namespace {

// The nearest view that is `a` or above it and also `b` or above it.
UIView* commonAncestor(UIView* a, UIView* b) {
  if (!b) return a;
  for (UIView* x = a; x; x = x->superview().get())
    for (UIView* y = b; y; y = y->superview().get())
      if (x == y) return x;
  return nullptr;
}

bool sameAxis(long a, long b) {
  auto axis = [](long attr) {
    switch (attr) {
      case NSLayoutAttributeWidth:
      case NSLayoutAttributeHeight:
        return 0;
      case NSLayoutAttributeLeft:
      case NSLayoutAttributeRight:
      case NSLayoutAttributeLeading:
      case NSLayoutAttributeTrailing:
      case NSLayoutAttributeCenterX:
        return 1;
      default:
        return 2;
    }
  };
  return axis(a) == axis(b);
}

}  // namespace

Ref<NSLayoutConstraint> NSLayoutConstraint::equal(NSObject* first, long a1, NSObject* second, long a2,
                                                  double constant) {
  auto c = NSLayoutConstraint::make();
  c->first_ = Weak<NSObject>(first);
  c->second_ = Weak<NSObject>(second);
  c->a1_ = a1;
  c->a2_ = a2;
  c->constant_ = constant;
  return c;
}

void NSLayoutConstraint::setConstantImpl(double c) {
  constant_ = c;
  if (auto* owner = objc_cast<UIView>(owner_.lock().get())) owner->setNeedsLayout();
}

void NSLayoutConstraint::setActiveImpl(bool active) {
  Ref<NSObject> installed = owner_.lock();
  if (!active) {
    if (auto* owner = objc_cast<UIView>(installed.get())) owner->uninstallConstraint(this);
    owner_ = Weak<NSObject>();
    return;
  }
  if (installed) return;
  Ref<NSObject> first = first_.lock(), second = second_.lock();
  UIView* owner = commonAncestor(objc_cast<UIView>(first.get()), objc_cast<UIView>(second.get()));
  if (!owner) {
    NSLog("%@ was not activated: its views have no common ancestor", this);
    return;
  }
  owner_ = Weak<NSObject>(owner);
  owner->installConstraint(this);
}

void NSLayoutConstraint::activateConstraintsImpl(Class, NSArray* constraints) {
  if (!constraints) return;
  for (const auto& o : constraints->items())
    if (auto* c = objc_cast<NSLayoutConstraint>(o.get())) c->setActive(true);
}

void NSLayoutConstraint::deactivateConstraintsImpl(Class, NSArray* constraints) {
  if (!constraints) return;
  for (const auto& o : constraints->items())
    if (auto* c = objc_cast<NSLayoutConstraint>(o.get())) c->setActive(false);
}

OBJC_IMPLEMENT(NSLayoutConstraint)

Ref<NSLayoutAnchor> NSLayoutAnchor::forItem(Class cls, NSObject* item, long attribute) {
  Ref<NSObject> fresh = objc::send<allocMessage>(cls);
  auto anchor = ref_cast<NSLayoutAnchor>(objc::send<initMessage>(fresh));
  anchor->item_ = Weak<NSObject>(item);
  anchor->attribute_ = attribute;
  return anchor;
}

Ref<NSLayoutConstraint> NSLayoutAnchor::constraintEqualToAnchorImpl(NSLayoutAnchor* other) {
  return constraintEqualToAnchorConstant(other, 0.0);
}

Ref<NSLayoutConstraint> NSLayoutAnchor::constraintEqualToAnchorConstantImpl(NSLayoutAnchor* other, double constant) {
  if (!other || !sameAxis(attribute_, other->attribute_)) {
    NSLog("%@ cannot equal %@: they lie on different axes", this, other);
    return nullptr;
  }
  Ref<NSObject> mine = item_.lock(), theirs = other->item_.lock();
  return NSLayoutConstraint::equal(mine, attribute_, theirs, other->attribute_, constant);
}

OBJC_IMPLEMENT(NSLayoutAnchor)
OBJC_IMPLEMENT(NSLayoutXAxisAnchor)
OBJC_IMPLEMENT(NSLayoutYAxisAnchor)
Ref<NSLayoutConstraint> NSLayoutDimension::constraintEqualToConstantImpl(double constant) {
  Ref<NSObject> mine = item();
  return NSLayoutConstraint::equal(mine, attribute(), nullptr, NSLayoutAttributeNotAnAttribute, constant);
}

OBJC_IMPLEMENT(NSLayoutDimension)
