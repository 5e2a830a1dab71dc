// View controllers: a lazily loaded view, the appearance life cycle, traits,
// a parent, children and modal presentation.
#pragma once

#include <vector>

#include "foundation/NSArray.h"
#include "foundation/NSString.h"
#include "uikit/UIBlock.h"
#include "uikit/UITraitCollection.h"
#include "uikit/UIView.h"

class UINavigationController;
class UIWindow;

class UINavigationItem : public NSObject {
  OBJC_CLASS(UINavigationItem, NSObject)
 public:
  Ref<NSString> title() { return objc::send<Ref<NSString>(), "title">(this); }
  void setTitle(NSString* t) { objc::send<void(NSString*), "setTitle:">(this, t); }
  Ref<UIView> titleView() { return objc::send<Ref<UIView>(), "titleView">(this); }
  void setTitleView(UIView* v) { objc::send<void(UIView*), "setTitleView:">(this, v); }

 private:
  Ref<NSString> titleImpl() { return title_; }
  void setTitleImpl(NSString* t) { title_ = t; }
  Ref<UIView> titleViewImpl() { return titleView_; }
  void setTitleViewImpl(UIView* v) { titleView_ = v; }
  Ref<NSString> title_;
  Ref<UIView> titleView_;
};


class UIViewController : public NSObject {
  OBJC_CLASS(UIViewController, NSObject)
 public:
  Ref<UIViewController> init() { return objc::send<Ref<UIViewController>(), "init">(this); }

  // Loads the view on first use: loadView, then viewDidLoad.
  Ref<UIView> view() { return objc::send<Ref<UIView>(), "view">(this); }
  void setView(UIView* v) { objc::send<void(UIView*), "setView:">(this, v); }
  bool isViewLoaded() { return objc::send<bool(), "isViewLoaded">(this); }
  void loadView() { objc::send<void(), "loadView">(this); }
  void viewDidLoad() { objc::send<void(), "viewDidLoad">(this); }
  void viewWillAppear(bool a) { objc::send<void(bool), "viewWillAppear:">(this, a); }
  void viewDidAppear(bool a) { objc::send<void(bool), "viewDidAppear:">(this, a); }
  void viewWillDisappear(bool a) { objc::send<void(bool), "viewWillDisappear:">(this, a); }
  void viewDidDisappear(bool a) { objc::send<void(bool), "viewDidDisappear:">(this, a); }

  Ref<NSString> title() { return objc::send<Ref<NSString>(), "title">(this); }
  void setTitle(NSString* t) { objc::send<void(NSString*), "setTitle:">(this, t); }
  Ref<UINavigationItem> navigationItem() { return objc::send<Ref<UINavigationItem>(), "navigationItem">(this); }
  // The nearest enclosing navigation controller, or nothing.
  inline Ref<UINavigationController> navigationController();
  Ref<UIViewController> parentViewController() {
    return objc::send<Ref<UIViewController>(), "parentViewController">(this);
  }
  Ref<NSArray> childViewControllers() { return objc::send<Ref<NSArray>(), "childViewControllers">(this); }
  void addChildViewController(UIViewController* c) {
    objc::send<void(UIViewController*), "addChildViewController:">(this, c);
  }
  void removeFromParentViewController() { objc::send<void(), "removeFromParentViewController">(this); }

  // The override a host or a test set, else the parent's (or the presenter's)
  // traits, else the window's; light appearance when there is none of them.
  Ref<UITraitCollection> traitCollection() {
    return objc::send<Ref<UITraitCollection>(), "traitCollection">(this);
  }
  void traitCollectionDidChange(UITraitCollection* previous) {
    objc::send<void(UITraitCollection*), "traitCollectionDidChange:">(this, previous);
  }

  void presentViewControllerAnimatedCompletion(UIViewController* vc, bool animated, _UIBlock* completion) {
    objc::send<void(UIViewController*, bool, _UIBlock*), "presentViewController:animated:completion:">(
        this, vc, animated, completion);
  }
  Ref<UIViewController> presentedViewController() {
    return objc::send<Ref<UIViewController>(), "presentedViewController">(this);
  }
  Ref<UIViewController> presentingViewController() {
    return objc::send<Ref<UIViewController>(), "presentingViewController">(this);
  }
  void dismissViewControllerAnimatedCompletion(bool animated, _UIBlock* completion) {
    objc::send<void(bool, _UIBlock*), "dismissViewControllerAnimated:completion:">(this, animated, completion);
  }

  // C++ helpers for hosts and tests (not messages).
  void setOverrideTraitCollection(UITraitCollection* t) { overrideTraits_ = t; }
  void setWindow(UIWindow* w) { window_ = w; }
  UIViewController* parent() const { return parent_; }
  // Sends traitCollectionDidChange: to this controller, when its view is
  // loaded, and then to its children and what it presents.
  void propagateTraitChange(UITraitCollection* previous);

 protected:
  std::vector<Ref<UIViewController>> children_;

 private:
  Ref<UIViewController> initImpl();
  void deallocImpl();
  Ref<UIView> viewImpl();
  void setViewImpl(UIView* v);
  bool isViewLoadedImpl() { return view_ != nullptr; }
  void loadViewImpl();
  void viewDidLoadImpl() {}
  void viewWillAppearImpl(bool) {}
  void viewDidAppearImpl(bool) {}
  void viewWillDisappearImpl(bool) {}
  void viewDidDisappearImpl(bool) {}
  Ref<NSString> titleImpl() { return title_; }
  void setTitleImpl(NSString* t) { title_ = t; }
  Ref<UINavigationItem> navigationItemImpl();
  Ref<UINavigationController> navigationControllerImpl();
  Ref<UIViewController> parentViewControllerImpl() { return Ref<UIViewController>(parent_); }
  Ref<NSArray> childViewControllersImpl();
  void addChildViewControllerImpl(UIViewController* c);
  void removeFromParentViewControllerImpl();
  Ref<UITraitCollection> traitCollectionImpl();
  void traitCollectionDidChangeImpl(UITraitCollection*) {}
  void presentViewControllerAnimatedCompletionImpl(UIViewController* vc, bool animated, _UIBlock* completion);
  Ref<UIViewController> presentedViewControllerImpl() { return presented_; }
  Ref<UIViewController> presentingViewControllerImpl() { return Ref<UIViewController>(presenting_); }
  void dismissViewControllerAnimatedCompletionImpl(bool animated, _UIBlock* completion);

  Ref<UIView> view_;
  Ref<NSString> title_;
  Ref<UINavigationItem> navigationItem_;
  Ref<UITraitCollection> overrideTraits_;
  Ref<UIViewController> presented_;
  UIViewController* presenting_;  // not retained: the presenter owns what it presents
  UIViewController* parent_;      // not retained: the parent owns its children
  UIWindow* window_;              // not retained
};

#include "uikit/UINavigationController.h"
