#include "uikit/UIWindow.h"

#include "uikit/UINavigationController.h"

void UIWindow::setRootViewControllerImpl(UIViewController* vc) {
  if (root_) root_->setWindow(nullptr);
  root_ = vc;
  if (vc) {
    vc->setWindow(this);
    addSubview(vc->view());
  }
}

void UIWindow::makeKeyAndVisibleImpl() {
  UIApplication::sharedApplication()->setKeyWindow(this);
  if (!root_) return;
  if (auto* nav = objc_cast<UINavigationController>(root_.get())) {
    nav->forwardAppearance(true);
  } else {
    root_->viewWillAppear(false);
    root_->viewDidAppear(false);
  }
}

void UIWindow::setOverrideUserInterfaceStyleImpl(long s) {
  Ref<UITraitCollection> previous = traitCollection();
  style_ = s;
  if (root_) root_->propagateTraitChange(previous);
}

Ref<UITraitCollection> UIWindow::traitCollectionImpl() {
  long style = style_ == UIUserInterfaceStyleUnspecified ? UIUserInterfaceStyleLight : style_;
  return UITraitCollection::make(style, UIUserInterfaceSizeClassCompact);
}

OBJC_IMPLEMENT(UIWindow)

// ------------------------------------------------------------- application

// One for the process, never released.
Ref<UIApplication> UIApplication::sharedApplicationImpl(Class) {
  static UIApplication* const app = UIApplication::make().leak();
  return Ref<UIApplication>(app);
}

void UIApplication::openURLOptionsCompletionHandlerImpl(NSURL* url, NSDictionary*, _UIBlock* completion) {
  if (url) opened_.push_back(url->absoluteString()->utf8());
  if (completion) completion->call(nullptr);
}

OBJC_IMPLEMENT(UIApplication)
