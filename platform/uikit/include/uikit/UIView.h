// Views: a frame in the superview's coordinates, visibility, a subview tree,
// hit testing and a layer.
#pragma once

#include <vector>

#include "objc/define.h"
#include "uikit/CALayer.h"
#include "uikit/UIColor.h"
#include "uikit/UIEvent.h"
#include "uikit/UIGeometry.h"

enum UIViewAutoresizing : unsigned long {
  UIViewAutoresizingNone = 0,
  UIViewAutoresizingFlexibleLeftMargin = 1 << 0,
  UIViewAutoresizingFlexibleWidth = 1 << 1,
  UIViewAutoresizingFlexibleRightMargin = 1 << 2,
  UIViewAutoresizingFlexibleTopMargin = 1 << 3,
  UIViewAutoresizingFlexibleHeight = 1 << 4,
  UIViewAutoresizingFlexibleBottomMargin = 1 << 5,
};

class UIView : public NSObject {
  OBJC_CLASS(UIView, NSObject)
 public:
  Ref<UIView> init() { return objc::send<Ref<UIView>(), "init">(this); }
  Ref<UIView> initWithFrame(CGRect f) { return objc::send<Ref<UIView>(CGRect), "initWithFrame:">(this, f); }

  CGRect frame() { return objc::send<CGRect(), "frame">(this); }
  void setFrame(CGRect f) { objc::send<void(CGRect), "setFrame:">(this, f); }
  CGRect bounds() { return objc::send<CGRect(), "bounds">(this); }
  bool isHidden() { return objc::send<bool(), "isHidden">(this); }
  void setHidden(bool h) { objc::send<void(bool), "setHidden:">(this, h); }
  CGFloat alpha() { return objc::send<double(), "alpha">(this); }
  void setAlpha(CGFloat a) { objc::send<void(double), "setAlpha:">(this, a); }
  Ref<UIColor> backgroundColor() { return objc::send<Ref<UIColor>(), "backgroundColor">(this); }
  void setBackgroundColor(UIColor* c) { objc::send<void(UIColor*), "setBackgroundColor:">(this, c); }
  Ref<UIColor> tintColor() { return objc::send<Ref<UIColor>(), "tintColor">(this); }
  void setTintColor(UIColor* c) { objc::send<void(UIColor*), "setTintColor:">(this, c); }
  bool isUserInteractionEnabled() { return objc::send<bool(), "isUserInteractionEnabled">(this); }
  void setUserInteractionEnabled(bool e) { objc::send<void(bool), "setUserInteractionEnabled:">(this, e); }
  bool clipsToBounds() { return objc::send<bool(), "clipsToBounds">(this); }
  void setClipsToBounds(bool c) { objc::send<void(bool), "setClipsToBounds:">(this, c); }
  long tag() { return objc::send<long(), "tag">(this); }
  void setTag(long t) { objc::send<void(long), "setTag:">(this, t); }
  unsigned long autoresizingMask() { return objc::send<unsigned long(), "autoresizingMask">(this); }
  void setAutoresizingMask(unsigned long m) { objc::send<void(unsigned long), "setAutoresizingMask:">(this, m); }
  Ref<CALayer> layer() { return objc::send<Ref<CALayer>(), "layer">(this); }

  Ref<UIView> superview() { return objc::send<Ref<UIView>(), "superview">(this); }
  void addSubview(UIView* v) { objc::send<void(UIView*), "addSubview:">(this, v); }
  void insertSubviewAtIndex(UIView* v, long i) {
    objc::send<void(UIView*, long), "insertSubview:atIndex:">(this, v, i);
  }
  void removeFromSuperview() { objc::send<void(), "removeFromSuperview">(this); }
  void layoutSubviews() { objc::send<void(), "layoutSubviews">(this); }
  void setNeedsLayout() { objc::send<void(), "setNeedsLayout">(this); }
  void layoutIfNeeded() { objc::send<void(), "layoutIfNeeded">(this); }
  void didMoveToSuperview() { objc::send<void(), "didMoveToSuperview">(this); }
  void didMoveToWindow() { objc::send<void(), "didMoveToWindow">(this); }
  void tintColorDidChange() { objc::send<void(), "tintColorDidChange">(this); }

  Ref<UIView> hitTestWithEvent(CGPoint p, UIEvent* e) {
    return objc::send<Ref<UIView>(CGPoint, UIEvent*), "hitTest:withEvent:">(this, p, e);
  }
  bool pointInsideWithEvent(CGPoint p, UIEvent* e) {
    return objc::send<bool(CGPoint, UIEvent*), "pointInside:withEvent:">(this, p, e);
  }

  // The children in back-to-front order; a C++ view of the tree for hosts and tests.
  const std::vector<Ref<UIView>>& subviewList() const { return subviews_; }

 private:
  Ref<UIView> initImpl();
  Ref<UIView> initWithFrameImpl(CGRect f);
  void deallocImpl();
  CGRect frameImpl() { return frame_; }
  void setFrameImpl(CGRect f) { frame_ = f; }
  CGRect boundsImpl() { return CGRect{{0, 0}, frame_.size}; }
  bool isHiddenImpl() { return hidden_; }
  void setHiddenImpl(bool h) { hidden_ = h; }
  double alphaImpl() { return alpha_; }
  void setAlphaImpl(double a) { alpha_ = a; }
  Ref<UIColor> backgroundColorImpl() { return backgroundColor_; }
  void setBackgroundColorImpl(UIColor* c) { backgroundColor_ = c; }
  Ref<UIColor> tintColorImpl();
  void setTintColorImpl(UIColor* c);
  bool isUserInteractionEnabledImpl() { return !interactionDisabled_; }
  void setUserInteractionEnabledImpl(bool e) { interactionDisabled_ = !e; }
  bool clipsToBoundsImpl() { return clipsToBounds_; }
  void setClipsToBoundsImpl(bool c) { clipsToBounds_ = c; }
  long tagImpl() { return tag_; }
  void setTagImpl(long t) { tag_ = t; }
  unsigned long autoresizingMaskImpl() { return autoresizingMask_; }
  void setAutoresizingMaskImpl(unsigned long m) { autoresizingMask_ = m; }
  Ref<CALayer> layerImpl();
  Ref<UIView> superviewImpl() { return Ref<UIView>(superview_); }
  void addSubviewImpl(UIView* v);
  void insertSubviewAtIndexImpl(UIView* v, long i);
  void removeFromSuperviewImpl();
  void layoutSubviewsImpl() {}
  void setNeedsLayoutImpl() { needsLayout_ = true; }
  void layoutIfNeededImpl();
  void didMoveToSuperviewImpl() {}
  void didMoveToWindowImpl() {}
  void tintColorDidChangeImpl() {}
  Ref<UIView> hitTestWithEventImpl(CGPoint p, UIEvent* e);
  bool pointInsideWithEventImpl(CGPoint p, UIEvent* e);

  CGRect frame_;
  bool hidden_;
  bool interactionDisabled_;
  bool clipsToBounds_;
  bool needsLayout_;
  double alpha_;
  long tag_;
  unsigned long autoresizingMask_;
  Ref<UIColor> backgroundColor_;
  Ref<UIColor> tintColor_;
  Ref<CALayer> layer_;
  std::vector<Ref<UIView>> subviews_;
  UIView* superview_;  // not retained: the superview owns its subviews
};
