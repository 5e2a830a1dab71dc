#include "uikit/UINavigationController.h"

OBJC_IMPLEMENT_LEGACY(UINavigationItem)
void UINavigationItem::registerMethods(objc::ClassBuilder<UINavigationItem>& b) {
  b.method<"title", &UINavigationItem::titleImpl>()
      .method<"setTitle:", &UINavigationItem::setTitleImpl>()
      .method<"titleView", &UINavigationItem::titleViewImpl>()
      .method<"setTitleView:", &UINavigationItem::setTitleViewImpl>();
}

OBJC_IMPLEMENT_LEGACY(UINavigationBar)
void UINavigationBar::registerMethods(objc::ClassBuilder<UINavigationBar>&) {}

Ref<UINavigationController> UINavigationController::initWithRootViewControllerImpl(UIViewController* root) {
  auto self = ref_cast<UINavigationController>(init());
  if (self && root) self->addChildViewController(root);
  return self;
}

Ref<UINavigationBar> UINavigationController::navigationBarImpl() {
  if (!bar_) {
    bar_ = ref_cast<UINavigationBar>(UINavigationBar::alloc()->initWithFrame(CGRectMake(0, 0, 375, 44)));
    view()->addSubview(bar_);
  }
  return bar_;
}

Ref<UIViewController> UINavigationController::topViewControllerImpl() {
  return children_.empty() ? nullptr : children_.back();
}

void UINavigationController::pushViewControllerAnimatedImpl(UIViewController* vc, bool animated) {
  if (!vc) return;
  Ref<UIViewController> keep(vc);
  Ref<UIViewController> covered = topViewController();
  addChildViewController(vc);
  if (!visible_) return;
  if (covered) covered->viewWillDisappear(animated);
  vc->view();
  vc->viewWillAppear(animated);
  if (covered) covered->viewDidDisappear(animated);
  vc->viewDidAppear(animated);
}

// The root stays: popping it does nothing, as on the device.
Ref<UIViewController> UINavigationController::popViewControllerAnimatedImpl(bool animated) {
  if (children_.size() < 2) return nullptr;
  Ref<UIViewController> gone = children_.back();
  Ref<UIViewController> shown = children_[children_.size() - 2];
  if (visible_) {
    gone->viewWillDisappear(animated);
    shown->viewWillAppear(animated);
  }
  gone->removeFromParentViewController();
  if (visible_) {
    gone->viewDidDisappear(animated);
    shown->viewDidAppear(animated);
  }
  return gone;
}

void UINavigationController::forwardAppearance(bool appearing) {
  if (appearing) {
    viewWillAppear(false);
    viewDidAppear(false);
  } else {
    viewWillDisappear(false);
    viewDidDisappear(false);
  }
}

void UINavigationController::viewWillAppearImpl(bool a) {
  objc::sendSuper<void(bool), "viewWillAppear:">(UINavigationController::cls(), this, a);
  visible_ = true;
  if (auto top = topViewController()) {
    top->view();
    top->viewWillAppear(a);
  }
}
void UINavigationController::viewDidAppearImpl(bool a) {
  objc::sendSuper<void(bool), "viewDidAppear:">(UINavigationController::cls(), this, a);
  if (auto top = topViewController()) top->viewDidAppear(a);
}
void UINavigationController::viewWillDisappearImpl(bool a) {
  objc::sendSuper<void(bool), "viewWillDisappear:">(UINavigationController::cls(), this, a);
  if (auto top = topViewController()) top->viewWillDisappear(a);
}
void UINavigationController::viewDidDisappearImpl(bool a) {
  objc::sendSuper<void(bool), "viewDidDisappear:">(UINavigationController::cls(), this, a);
  visible_ = false;
  if (auto top = topViewController()) top->viewDidDisappear(a);
}

OBJC_IMPLEMENT_LEGACY(UINavigationController)
void UINavigationController::registerMethods(objc::ClassBuilder<UINavigationController>& b) {
  b.method<"initWithRootViewController:", &UINavigationController::initWithRootViewControllerImpl>()
      .method<"navigationBar", &UINavigationController::navigationBarImpl>()
      .method<"viewControllers", &UINavigationController::viewControllersImpl>()
      .method<"topViewController", &UINavigationController::topViewControllerImpl>()
      .method<"pushViewController:animated:", &UINavigationController::pushViewControllerAnimatedImpl>()
      .method<"popViewControllerAnimated:", &UINavigationController::popViewControllerAnimatedImpl>()
      .method<"viewWillAppear:", &UINavigationController::viewWillAppearImpl>()
      .method<"viewDidAppear:", &UINavigationController::viewDidAppearImpl>()
      .method<"viewWillDisappear:", &UINavigationController::viewWillDisappearImpl>()
      .method<"viewDidDisappear:", &UINavigationController::viewDidDisappearImpl>();
}
