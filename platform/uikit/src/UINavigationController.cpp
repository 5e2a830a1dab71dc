#include "uikit/UINavigationController.h"

OBJC_IMPLEMENT(UINavigationItem)

void UINavigationBar::_showItemImpl(UINavigationItem* item) {
  item_ = item;
  setNeedsLayout();
}

// The title view centred in the bar at its own size (a view laid out by
// constraints resolves them first), the right item's custom view at the
// trailing margin, both centred vertically.
void UINavigationBar::layoutSubviewsImpl() {
  sendSuper<layoutSubviewsMessage>();
  Ref<UIView> title = item_ ? item_->titleView() : nullptr;
  Ref<UIBarButtonItem> right = item_ ? item_->rightBarButtonItem() : nullptr;
  Ref<UIView> rightView = right ? right->customView() : nullptr;
  for (auto& shown : {shownTitle_, shownRight_})
    if (shown && shown != title && shown != rightView && shown->superview().get() == this) shown->removeFromSuperview();
  CGSize bar = frame().size;
  if (title) {
    if (title->superview().get() != this) addSubview(title);
    title->layoutIfNeeded();
    CGSize s = title->frame().size;
    title->setFrame(CGRectMake((bar.width - s.width) / 2, (bar.height - s.height) / 2, s.width, s.height));
  }
  if (rightView) {
    if (rightView->superview().get() != this) addSubview(rightView);
    CGSize s = rightView->frame().size;
    rightView->setFrame(
        CGRectMake(bar.width - kUINavigationBarMargin - s.width, (bar.height - s.height) / 2, s.width, s.height));
  }
  shownTitle_ = title;
  shownRight_ = rightView;
}

OBJC_IMPLEMENT(UINavigationBar)

Ref<UINavigationController> UINavigationController::initWithRootViewControllerImpl(UIViewController* root) {
  Ref<NSObject> self = init();  // a subclass's init runs first
  if (!self) return nullptr;
  auto nav = ref_cast<UINavigationController>(std::move(self));
  if (root) nav->addChildViewController(root);
  return nav;
}

Ref<UINavigationBar> UINavigationController::navigationBarImpl() {
  if (!bar_) {
    bar_ = UINavigationBar::make(CGRectMake(0, 0, kUIScreenWidth, kUINavigationBarHeight));
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
  sendSuper<viewWillAppearMessage>(a);
  visible_ = true;
  if (auto top = topViewController()) {
    top->view();
    top->viewWillAppear(a);
  }
}
void UINavigationController::viewDidAppearImpl(bool a) {
  sendSuper<viewDidAppearMessage>(a);
  if (auto top = topViewController()) top->viewDidAppear(a);
}
void UINavigationController::viewWillDisappearImpl(bool a) {
  sendSuper<viewWillDisappearMessage>(a);
  if (auto top = topViewController()) top->viewWillDisappear(a);
}
void UINavigationController::viewDidDisappearImpl(bool a) {
  sendSuper<viewDidDisappearMessage>(a);
  visible_ = false;
  if (auto top = topViewController()) top->viewDidDisappear(a);
}

OBJC_IMPLEMENT(UINavigationController)
