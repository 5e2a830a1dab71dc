// Views: a frame in the superview's coordinates, visibility, a subview tree,
// hit testing, a layer, fitting sizes, automatic resizing of subviews and
// layout constraints.
#pragma once

#include <optional>
#include <vector>

#include "objc/Weak.h"
#include "objc/define.h"
#include "uikit/CALayer.h"
#include "uikit/NSLayoutConstraint.h"
#include "uikit/UIColor.h"
#include "uikit/UIEvent.h"
#include "uikit/UIGeometry.h"
#include "uikit/UITraitCollection.h"

enum UIViewAutoresizing : unsigned long {
  UIViewAutoresizingNone = 0,
  UIViewAutoresizingFlexibleLeftMargin = 1 << 0,
  UIViewAutoresizingFlexibleWidth = 1 << 1,
  UIViewAutoresizingFlexibleRightMargin = 1 << 2,
  UIViewAutoresizingFlexibleTopMargin = 1 << 3,
  UIViewAutoresizingFlexibleHeight = 1 << 4,
  UIViewAutoresizingFlexibleBottomMargin = 1 << 5,
};

inline constexpr CGFloat UIViewNoIntrinsicMetric = -1;

class UIView : public NSObject {
  OBJC_CLASS(UIView, NSObject)
  OBJC_OVERRIDE(init)
  OBJC_INIT(initWithFrame, "initWithFrame:", Ref<UIView>(CGRect))
  OBJC_METHOD(frame, "frame", CGRect())
  // A new size resizes the subviews by their autoresizing masks.
  OBJC_METHOD(setFrame, "setFrame:", void(CGRect))
  OBJC_METHOD(bounds, "bounds", CGRect())
  OBJC_METHOD(isHidden, "isHidden", bool())
  OBJC_METHOD(setHidden, "setHidden:", void(bool))
  OBJC_METHOD(alpha, "alpha", double())
  // Inside an animation block the change is animated (UIView_Animation).
  OBJC_METHOD(setAlpha, "setAlpha:", void(double))
  OBJC_PROPERTY(backgroundColor, setBackgroundColor, Ref<UIColor>)
  OBJC_METHOD(tintColor, "tintColor", Ref<UIColor>())
  OBJC_METHOD(setTintColor, "setTintColor:", void(UIColor*))
  OBJC_METHOD(isUserInteractionEnabled, "isUserInteractionEnabled", bool())
  OBJC_METHOD(setUserInteractionEnabled, "setUserInteractionEnabled:", void(bool))
  OBJC_PROPERTY(clipsToBounds, setClipsToBounds, bool)
  OBJC_PROPERTY(tag, setTag, long)
  OBJC_PROPERTY(autoresizingMask, setAutoresizingMask, unsigned long)
  OBJC_METHOD(layer, "layer", Ref<CALayer>())

  OBJC_METHOD(superview, "superview", Ref<UIView>())
  OBJC_METHOD(addSubview, "addSubview:", void(UIView*))
  OBJC_METHOD(insertSubviewAtIndex, "insertSubview:atIndex:", void(UIView*, long))
  OBJC_METHOD(removeFromSuperview, "removeFromSuperview", void())
  OBJC_METHOD(layoutSubviews, "layoutSubviews", void())
  OBJC_METHOD(setNeedsLayout, "setNeedsLayout", void())
  OBJC_METHOD(layoutIfNeeded, "layoutIfNeeded", void())
  OBJC_METHOD(didMoveToSuperview, "didMoveToSuperview", void())
  OBJC_METHOD(didMoveToWindow, "didMoveToWindow", void())
  OBJC_METHOD(tintColorDidChange, "tintColorDidChange", void())

  // The size that suits the content: the view's own size unless a subclass knows better.
  OBJC_METHOD(sizeThatFits, "sizeThatFits:", CGSize(CGSize))
  // Keeps the origin and takes sizeThatFits: of the current size.
  OBJC_METHOD(sizeToFit, "sizeToFit", void())
  // What the content needs, UIViewNoIntrinsicMetric in a dimension it leaves open.
  OBJC_METHOD(intrinsicContentSize, "intrinsicContentSize", CGSize())
  OBJC_PROPERTY(translatesAutoresizingMaskIntoConstraints, setTranslatesAutoresizingMaskIntoConstraints, bool)
  OBJC_METHOD(widthAnchor, "widthAnchor", Ref<NSLayoutDimension>())
  OBJC_METHOD(heightAnchor, "heightAnchor", Ref<NSLayoutDimension>())
  OBJC_METHOD(centerXAnchor, "centerXAnchor", Ref<NSLayoutXAxisAnchor>())
  OBJC_METHOD(centerYAnchor, "centerYAnchor", Ref<NSLayoutYAxisAnchor>())
  OBJC_METHOD(leadingAnchor, "leadingAnchor", Ref<NSLayoutXAxisAnchor>())
  OBJC_METHOD(trailingAnchor, "trailingAnchor", Ref<NSLayoutXAxisAnchor>())
  OBJC_METHOD(topAnchor, "topAnchor", Ref<NSLayoutYAxisAnchor>())
  OBJC_METHOD(bottomAnchor, "bottomAnchor", Ref<NSLayoutYAxisAnchor>())
  // The active constraints installed on this view.
  OBJC_METHOD(constraints, "constraints", Ref<NSArray>())
  // The owning controller's, else the superview's, else (outside any window)
  // the key window's, else light appearance.
  OBJC_METHOD(traitCollection, "traitCollection", Ref<UITraitCollection>())

  OBJC_METHOD(hitTestWithEvent, "hitTest:withEvent:", Ref<UIView>(CGPoint, UIEvent*))
  OBJC_METHOD(pointInsideWithEvent, "pointInside:withEvent:", bool(CGPoint, UIEvent*))

 public:
  // The children in back-to-front order; a C++ view of the tree for hosts and tests.
  const std::vector<Ref<UIView>>& subviewList() const { return subviews_; }
  // The frame in the coordinates of `ancestor` (the view's own bounds when it
  // is the ancestor); nothing when `ancestor` is not above it.
  std::optional<CGRect> frameIn(const UIView* ancestor) const;
  // Constraints installed here (for NSLayoutConstraint and the layout pass).
  const std::vector<Ref<NSLayoutConstraint>>& installedConstraints() const { return constraints_; }
  void installConstraint(NSLayoutConstraint* c);
  void uninstallConstraint(NSLayoutConstraint* c);

 private:
  Ref<UIView> initImpl();
  Ref<UIView> initWithFrameImpl(CGRect f);
  CGRect frameImpl() { return frame_; }
  void setFrameImpl(CGRect f);
  void resizeSubviews(CGSize old);
  CGSize sizeThatFitsImpl(CGSize) { return frame_.size; }
  void sizeToFitImpl();
  CGSize intrinsicContentSizeImpl() { return CGSize{UIViewNoIntrinsicMetric, UIViewNoIntrinsicMetric}; }
  Ref<NSLayoutDimension> widthAnchorImpl();
  Ref<NSLayoutDimension> heightAnchorImpl();
  Ref<NSLayoutXAxisAnchor> centerXAnchorImpl();
  Ref<NSLayoutYAxisAnchor> centerYAnchorImpl();
  Ref<NSLayoutXAxisAnchor> leadingAnchorImpl();
  Ref<NSLayoutXAxisAnchor> trailingAnchorImpl();
  Ref<NSLayoutYAxisAnchor> topAnchorImpl();
  Ref<NSLayoutYAxisAnchor> bottomAnchorImpl();
  Ref<NSArray> constraintsImpl();
  Ref<UITraitCollection> traitCollectionImpl();
  CGRect boundsImpl() { return CGRect{{0, 0}, frame_.size}; }
  double alphaImpl() { return alpha_; }
  void setAlphaImpl(double a);
  bool isHiddenImpl() { return hidden_; }
  void setHiddenImpl(bool h) { hidden_ = h; }
  Ref<UIColor> tintColorImpl();
  void setTintColorImpl(UIColor* c);
  bool isUserInteractionEnabledImpl() { return userInteractionEnabled_; }
  void setUserInteractionEnabledImpl(bool e) { userInteractionEnabled_ = e; }
  Ref<CALayer> layerImpl();
  Ref<UIView> superviewImpl() { return superview_.lock(); }
  void addSubviewImpl(UIView* v);
  void insertSubviewAtIndexImpl(UIView* v, long i);
  void removeFromSuperviewImpl();
  void layoutSubviewsImpl();
  void setNeedsLayoutImpl() { needsLayout_ = true; }
  void layoutIfNeededImpl();
  void didMoveToSuperviewImpl() {}
  void didMoveToWindowImpl() {}
  void tintColorDidChangeImpl() {}
  Ref<UIView> hitTestWithEventImpl(CGPoint p, UIEvent* e);
  bool pointInsideWithEventImpl(CGPoint p, UIEvent* e);

  CGRect frame_;
  double alpha_ = 0;
  bool hidden_ = false;
  bool userInteractionEnabled_ = true;
  bool needsLayout_ = false;
  Ref<UIColor> tintColor_;
  Ref<CALayer> layer_;
  std::vector<Ref<UIView>> subviews_;
  std::vector<Ref<NSLayoutConstraint>> constraints_;
  Weak<UIView> superview_;  // the superview owns its subviews
};
