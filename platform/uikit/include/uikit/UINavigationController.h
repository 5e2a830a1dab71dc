// Navigation: a stack of view controllers under one bar.
#pragma once

#include "foundation/NSString.h"
#include "uikit/UIViewController.h"

class UINavigationBar : public UIView {
  OBJC_CLASS(UINavigationBar, UIView)
};

class UINavigationController : public UIViewController {
  OBJC_CLASS(UINavigationController, UIViewController)
 public:
  Ref<UINavigationController> initWithRootViewController(UIViewController* root) {
    return objc::send<Ref<UINavigationController>(UIViewController*), "initWithRootViewController:">(this, root);
  }
  Ref<UINavigationBar> navigationBar() { return objc::send<Ref<UINavigationBar>(), "navigationBar">(this); }
  Ref<NSArray> viewControllers() { return objc::send<Ref<NSArray>(), "viewControllers">(this); }
  Ref<UIViewController> topViewController() {
    return objc::send<Ref<UIViewController>(), "topViewController">(this);
  }
  // Synchronous: the covered controller disappears and the new one appears
  // before this returns, whatever `animated` says.
  void pushViewControllerAnimated(UIViewController* vc, bool animated) {
    objc::send<void(UIViewController*, bool), "pushViewController:animated:">(this, vc, animated);
  }
  Ref<UIViewController> popViewControllerAnimated(bool animated) {
    return objc::send<Ref<UIViewController>(bool), "popViewControllerAnimated:">(this, animated);
  }

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
  bool visible_;
};

inline Ref<UINavigationController> UIViewController::navigationController() {
  return objc::send<Ref<UINavigationController>(), "navigationController">(this);
}
