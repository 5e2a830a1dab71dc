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

OBJC_IMPLEMENT_LEGACY(UIWindow)
void UIWindow::registerMethods(objc::ClassBuilder<UIWindow>& b) {
  b.method<"rootViewController", &UIWindow::rootViewControllerImpl>()
      .method<"setRootViewController:", &UIWindow::setRootViewControllerImpl>()
      .method<"makeKeyAndVisible", &UIWindow::makeKeyAndVisibleImpl>()
      .method<"overrideUserInterfaceStyle", &UIWindow::overrideUserInterfaceStyleImpl>()
      .method<"setOverrideUserInterfaceStyle:", &UIWindow::setOverrideUserInterfaceStyleImpl>()
      .method<"traitCollection", &UIWindow::traitCollectionImpl>();
}

// ------------------------------------------------------------- application

namespace {
Ref<NSObject> theApplication(NSObject*, SEL) {
  static UIApplication* const app = [] { return UIApplication::make().leak(); }();
  return Ref<NSObject>(app);
}
}  // namespace

void UIApplication::openURLOptionsCompletionHandlerImpl(NSURL* url, NSDictionary*, _UIBlock* completion) {
  if (url) opened_.push_back(url->absoluteString()->utf8());
  if (completion) completion->call(nullptr);
}

OBJC_IMPLEMENT_LEGACY(UIApplication)
void UIApplication::registerMethods(objc::ClassBuilder<UIApplication>& b) {
  b.classMethod<"sharedApplication", &theApplication>()
      .method<"keyWindow", &UIApplication::keyWindowImpl>()
      .method<"openURL:options:completionHandler:", &UIApplication::openURLOptionsCompletionHandlerImpl>();
}
