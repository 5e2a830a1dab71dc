// Layout constraints: "this attribute of one view equals that attribute of
// another plus a constant". Active constraints live on the nearest common
// ancestor of their views and are resolved when that view lays out.
#pragma once

#include "foundation/NSArray.h"
#include "objc/Weak.h"
#include "objc/define.h"

enum NSLayoutAttribute : long {
  NSLayoutAttributeNotAnAttribute = 0,
  NSLayoutAttributeLeft = 1,
  NSLayoutAttributeRight = 2,
  NSLayoutAttributeTop = 3,
  NSLayoutAttributeBottom = 4,
  NSLayoutAttributeLeading = 5,
  NSLayoutAttributeTrailing = 6,
  NSLayoutAttributeWidth = 7,
  NSLayoutAttributeHeight = 8,
  NSLayoutAttributeCenterX = 9,
  NSLayoutAttributeCenterY = 10,
};

class NSLayoutConstraint : public NSObject {
  OBJC_CLASS(NSLayoutConstraint, NSObject)
  // Constraints whose views share no ancestor are left inactive, with a log line.
  OBJC_CLASS_METHOD(activateConstraints, "activateConstraints:", void(NSArray*))
  OBJC_CLASS_METHOD(deactivateConstraints, "deactivateConstraints:", void(NSArray*))
  OBJC_METHOD(constant, "constant", double())
  // Lays the constraint's view out again at the next pass.
  OBJC_METHOD(setConstant, "setConstant:", void(double))
  OBJC_METHOD(isActive, "isActive", bool())
  OBJC_METHOD(setActive, "setActive:", void(bool))
  OBJC_METHOD(firstItem, "firstItem", Ref<NSObject>())
  OBJC_METHOD(secondItem, "secondItem", Ref<NSObject>())
  OBJC_METHOD(firstAttribute, "firstAttribute", long())
  OBJC_METHOD(secondAttribute, "secondAttribute", long())

 public:
  // first.a1 = second.a2 + constant (not a message; anchors make these).
  static Ref<NSLayoutConstraint> equal(NSObject* first, long a1, NSObject* second, long a2, double constant);
  // The view it is installed on, or nothing while inactive.
  Ref<NSObject> owner() const { return owner_.lock(); }

 private:
  static void activateConstraintsImpl(Class self, NSArray* constraints);
  static void deactivateConstraintsImpl(Class self, NSArray* constraints);
  double constantImpl() { return constant_; }
  void setConstantImpl(double c);
  bool isActiveImpl() { return owner_.lock().get() != nullptr; }
  void setActiveImpl(bool active);
  Ref<NSObject> firstItemImpl() { return first_.lock(); }
  Ref<NSObject> secondItemImpl() { return second_.lock(); }
  long firstAttributeImpl() { return a1_; }
  long secondAttributeImpl() { return a2_; }

  // Views are held weakly: a view holds the constraints installed on it.
  Weak<NSObject> first_, second_, owner_;
  long a1_ = NSLayoutAttributeNotAnAttribute, a2_ = NSLayoutAttributeNotAnAttribute;
  double constant_ = 0;
};

// An attribute of one view, to make constraints from. Anchors of different
// axes never meet: such a constraint is nothing, with a log line.
class NSLayoutAnchor : public NSObject {
  OBJC_CLASS(NSLayoutAnchor, NSObject)
  OBJC_METHOD(constraintEqualToAnchor, "constraintEqualToAnchor:", Ref<NSLayoutConstraint>(NSLayoutAnchor*))
  OBJC_METHOD(constraintEqualToAnchorConstant,
              "constraintEqualToAnchor:constant:", Ref<NSLayoutConstraint>(NSLayoutAnchor*, double))

 public:
  // An anchor of class `cls` for the attribute of `item` (not a message).
  static Ref<NSLayoutAnchor> forItem(Class cls, NSObject* item, long attribute);
  long attribute() const { return attribute_; }
  Ref<NSObject> item() const { return item_.lock(); }

 private:
  Ref<NSLayoutConstraint> constraintEqualToAnchorImpl(NSLayoutAnchor* other);
  Ref<NSLayoutConstraint> constraintEqualToAnchorConstantImpl(NSLayoutAnchor* other, double constant);
  Weak<NSObject> item_;
  long attribute_ = NSLayoutAttributeNotAnAttribute;
};

class NSLayoutXAxisAnchor : public NSLayoutAnchor {
  OBJC_CLASS(NSLayoutXAxisAnchor, NSLayoutAnchor)
};
class NSLayoutYAxisAnchor : public NSLayoutAnchor {
  OBJC_CLASS(NSLayoutYAxisAnchor, NSLayoutAnchor)
};
class NSLayoutDimension : public NSLayoutAnchor {
  OBJC_CLASS(NSLayoutDimension, NSLayoutAnchor)
  // A width or height of its own, related to no other view.
  OBJC_METHOD(constraintEqualToConstant, "constraintEqualToConstant:", Ref<NSLayoutConstraint>(double))

 private:
  Ref<NSLayoutConstraint> constraintEqualToConstantImpl(double constant);
};
