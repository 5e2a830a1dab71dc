// Windows, the application and its one recorded side effect: opening URLs.
#pragma once

#include <string>
#include <vector>

#include "foundation/NSDictionary.h"
#include "uikit/NSURL.h"
#include "uikit/UIViewController.h"

class UIWindow : public UIView {
  OBJC_CLASS(UIWindow, UIView)
 public:
  Ref<UIViewController> rootViewController() {
    return objc::send<Ref<UIViewController>(), "rootViewController">(this);
  }
  void setRootViewController(UIViewController* vc) {
    objc::send<void(UIViewController*), "setRootViewController:">(this, vc);
  }
  void makeKeyAndVisible() { objc::send<void(), "makeKeyAndVisible">(this); }
  // The window's appearance; changing it tells every controller in it.
  long overrideUserInterfaceStyle() { return objc::send<long(), "overrideUserInterfaceStyle">(this); }
  void setOverrideUserInterfaceStyle(long s) { objc::send<void(long), "setOverrideUserInterfaceStyle:">(this, s); }
  Ref<UITraitCollection> traitCollection() {
    return objc::send<Ref<UITraitCollection>(), "traitCollection">(this);
  }

 private:
  Ref<UIViewController> rootViewControllerImpl() { return root_; }
  void setRootViewControllerImpl(UIViewController* vc);
  void makeKeyAndVisibleImpl();
  long overrideUserInterfaceStyleImpl() { return style_; }
  void setOverrideUserInterfaceStyleImpl(long s);
  Ref<UITraitCollection> traitCollectionImpl();

  Ref<UIViewController> root_;
  long style_;
};

class UIApplication : public NSObject {
  OBJC_CLASS(UIApplication, NSObject)
 public:
  static Ref<UIApplication> sharedApplication() {
    return ref_cast<UIApplication>(objc::send<Ref<NSObject>(), "sharedApplication">(cls()));
  }
  Ref<UIWindow> keyWindow() { return objc::send<Ref<UIWindow>(), "keyWindow">(this); }
  // Records the address; nothing is opened on this platform.
  void openURLOptionsCompletionHandler(NSURL* url, NSDictionary* options, _UIBlock* completion) {
    objc::send<void(NSURL*, NSDictionary*, _UIBlock*), "openURL:options:completionHandler:">(this, url, options,
                                                                                          completion);
  }

  // C++ face for hosts and tests.
  void setKeyWindow(UIWindow* w) { keyWindow_ = w; }
  const std::vector<std::string>& openedURLs() const { return opened_; }
  void clearOpenedURLs() { opened_.clear(); }

 private:
  Ref<UIWindow> keyWindowImpl() { return keyWindow_; }
  void openURLOptionsCompletionHandlerImpl(NSURL* url, NSDictionary* options, _UIBlock* completion);
  Ref<UIWindow> keyWindow_;
  std::vector<std::string> opened_;
};
