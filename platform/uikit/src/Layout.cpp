#include "uikit/Layout.h"

#include <cmath>

#include "uikit/UIView.h"

namespace uikit {

namespace {

constexpr int kMaxRounds = 8;
constexpr double kSettled = 1e-9;

bool horizontal(long a) {
  return a == NSLayoutAttributeLeft || a == NSLayoutAttributeRight || a == NSLayoutAttributeLeading ||
         a == NSLayoutAttributeTrailing || a == NSLayoutAttributeWidth || a == NSLayoutAttributeCenterX;
}

double valueOf(const CGRect& r, long a) {
  switch (a) {
    case NSLayoutAttributeLeft:
    case NSLayoutAttributeLeading:
      return r.origin.x;
    case NSLayoutAttributeRight:
    case NSLayoutAttributeTrailing:
      return r.origin.x + r.size.width;
    case NSLayoutAttributeTop:
      return r.origin.y;
    case NSLayoutAttributeBottom:
      return r.origin.y + r.size.height;
    case NSLayoutAttributeWidth:
      return r.size.width;
    case NSLayoutAttributeHeight:
      return r.size.height;
    case NSLayoutAttributeCenterX:
      return r.origin.x + r.size.width / 2;
    case NSLayoutAttributeCenterY:
      return r.origin.y + r.size.height / 2;
    default:
      return 0;
  }
}

// Moves (or for a dimension, resizes) `r` so that the attribute reads `v`.
void assign(CGRect& r, long a, double v) {
  double now = valueOf(r, a);
  double d = v - now;
  switch (a) {
    case NSLayoutAttributeWidth:
      r.size.width = v;
      break;
    case NSLayoutAttributeHeight:
      r.size.height = v;
      break;
    default:
      (horizontal(a) ? r.origin.x : r.origin.y) += d;
  }
}

void applyIntrinsicSize(UIView* v) {
  if (!v || v->translatesAutoresizingMaskIntoConstraints()) return;
  CGSize intrinsic = v->intrinsicContentSize();
  CGRect f = v->frame();
  if (intrinsic.width >= 0) f.size.width = intrinsic.width;
  if (intrinsic.height >= 0) f.size.height = intrinsic.height;
  if (f != v->frame()) v->setFrame(f);
}

// One equality; answers whether anything moved.
bool apply(UIView* owner, NSLayoutConstraint* c) {
  auto* first = objc_cast<UIView>(c->firstItem().get());
  if (!first) return false;
  double target = c->constant();
  if (Ref<NSObject> secondItem = c->secondItem()) {
    auto* second = objc_cast<UIView>(secondItem.get());
    auto rect = second ? second->frameIn(owner) : std::nullopt;
    if (!rect) return false;
    target += valueOf(*rect, c->secondAttribute());
  }
  auto current = first->frameIn(owner);
  if (!current || !std::isfinite(target)) return false;
  long a = c->firstAttribute();
  if (std::abs(valueOf(*current, a) - target) <= kSettled) return false;
  if (first == owner) {
    // A view moves itself only in size; its place is its superview's business.
    if (a != NSLayoutAttributeWidth && a != NSLayoutAttributeHeight) return false;
    CGRect f = owner->frame();
    assign(f, a, target);
    owner->setFrame(f);
    return true;
  }
  CGRect wanted = *current;
  assign(wanted, a, target);
  CGRect f = first->frame();
  f.origin.x += wanted.origin.x - current->origin.x;
  f.origin.y += wanted.origin.y - current->origin.y;
  f.size = wanted.size;
  first->setFrame(f);
  return true;
}

}  // namespace

void resolveConstraints(UIView* owner) {
  if (!owner || owner->installedConstraints().empty()) return;
  Ref<UIView> keep(owner);
  auto constraints = owner->installedConstraints();
  for (const auto& c : constraints) {
    applyIntrinsicSize(objc_cast<UIView>(c->firstItem().get()));
    applyIntrinsicSize(objc_cast<UIView>(c->secondItem().get()));
  }
  for (int round = 0; round < kMaxRounds; ++round) {
    bool moved = false;
    for (const auto& c : constraints) moved = apply(owner, c.get()) || moved;
    if (!moved) return;
  }
}

}  // namespace uikit
