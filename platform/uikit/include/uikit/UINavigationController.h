// Navigation: a stack of view controllers under one bar.
#pragma once

#include "foundation/NSString.h"
#include "uikit/UIViewController.h"

// The bar's leading and trailing margin.
inline constexpr CGFloat kUINavigationBarMargin = 16;

// Shows one navigation item: its title view and its right item's custom view
// become subviews of the bar, placed at each layout.
class UINavigationBar : public UIView {
  OBJC_CLASS(UINavigationBar, UIView)
  OBJC_METHOD(topItem, "topItem", Ref<UINavigationItem>())
  // The item whose views the bar shows from its next layout.
  OBJC_METHOD(_showItem, "_showItem:", void(UINavigationItem*))
  OBJC_OVERRIDE(layoutSubviews)

 private:
  Ref<UINavigationItem> topItemImpl() { return item_; }
  void _showItemImpl(UINavigationItem* item);
  void layoutSubviewsImpl();
  Ref<UINavigationItem> item_;
  Ref<UIView> shownTitle_, shownRight_;
};

class UINavigationController : public UIViewController {
  OBJC_CLASS(UINavigationController, UIViewController)
  OBJC_INIT(initWithRootViewController, "initWithRootViewController:", Ref<UINavigationController>(UIViewController*))
  OBJC_METHOD(navigationBar, "navigationBar", Ref<UINavigationBar>())
  OBJC_METHOD(viewControllers, "viewControllers", Ref<NSArray>())
  OBJC_METHOD(topViewController, "topViewController", Ref<UIViewController>())
  // Synchronous: the covered controller disappears and the new one appears
  // before this returns, whatever `animated` says.
  OBJC_METHOD(pushViewControllerAnimated, "pushViewController:animated:", void(UIViewController*, bool))
  OBJC_METHOD(popViewControllerAnimated, "popViewControllerAnimated:", Ref<UIViewController>(bool))
  OBJC_OVERRIDE(viewWillAppear)
  OBJC_OVERRIDE(viewDidAppear)
  OBJC_OVERRIDE(viewWillDisappear)
  OBJC_OVERRIDE(viewDidDisappear)

 public:
  // Sends the appearance messages of the top controller, as a container that
  // shows or hides this controller does (not a message).
  void forwardAppearance(bool appearing);

 private:
  Ref<UINavigationController> initWithRootViewControllerImpl(UIViewController* root);
  Ref<UINavigationBar> navigationBarImpl();
  Ref<NSArray> viewControllersImpl() { return childViewControllers(); }
  Ref<UIViewController> topViewControllerImpl();
  void pushViewControllerAnimatedImpl(UIViewController* vc, bool animated);
  Ref<UIViewController> popViewControllerAnimatedImpl(bool animated);
  void viewWillAppearImpl(bool a);
  void viewDidAppearImpl(bool a);
  void viewWillDisappearImpl(bool a);
  void viewDidDisappearImpl(bool a);

  Ref<UINavigationBar> bar_;
  bool visible_ = false;
};
