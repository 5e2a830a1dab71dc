// Windows, the application and its one recorded side effect: opening URLs.
#pragma once

#include <string>
#include <vector>

#include "foundation/NSDictionary.h"
#include "uikit/NSURL.h"
#include "uikit/UIViewController.h"

class UIWindow : public UIView {
  OBJC_CLASS(UIWindow, UIView)
  OBJC_METHOD(rootViewController, "rootViewController", Ref<UIViewController>())
  OBJC_METHOD(setRootViewController, "setRootViewController:", void(UIViewController*))
  OBJC_METHOD(makeKeyAndVisible, "makeKeyAndVisible", void())
  // The window's appearance; changing it tells every controller in it.
  OBJC_METHOD(overrideUserInterfaceStyle, "overrideUserInterfaceStyle", long())
  OBJC_METHOD(setOverrideUserInterfaceStyle, "setOverrideUserInterfaceStyle:", void(long))
  OBJC_OVERRIDE(traitCollection)

 private:
  Ref<UIViewController> rootViewControllerImpl() { return root_; }
  void setRootViewControllerImpl(UIViewController* vc);
  void makeKeyAndVisibleImpl();
  long overrideUserInterfaceStyleImpl() { return style_; }
  void setOverrideUserInterfaceStyleImpl(long s);
  Ref<UITraitCollection> traitCollectionImpl();

  Ref<UIViewController> root_;
  long style_ = UIUserInterfaceStyleUnspecified;
};

class UIApplication : public NSObject {
  OBJC_CLASS(UIApplication, NSObject)
  OBJC_CLASS_METHOD(sharedApplication, "sharedApplication", Ref<UIApplication>())
  OBJC_METHOD(keyWindow, "keyWindow", Ref<UIWindow>())
  // Records the address; nothing is opened on this platform.
  OBJC_METHOD(openURLOptionsCompletionHandler,
              "openURL:options:completionHandler:", void(NSURL*, NSDictionary*, _UIBlock*))

 public:
  // C++ face for hosts and tests.
  void setKeyWindow(UIWindow* w) { keyWindow_ = w; }
  const std::vector<std::string>& openedURLs() const { return opened_; }
  void clearOpenedURLs() { opened_.clear(); }

 private:
  static Ref<UIApplication> sharedApplicationImpl(Class self);
  Ref<UIWindow> keyWindowImpl() { return keyWindow_; }
  void openURLOptionsCompletionHandlerImpl(NSURL* url, NSDictionary* options, _UIBlock* completion);
  Ref<UIWindow> keyWindow_;
  std::vector<std::string> opened_;
};
