// View controllers: a lazily loaded view, the appearance life cycle, traits,
// a parent, children and modal presentation.
#pragma once

#include <vector>

#include "foundation/NSArray.h"
#include "foundation/NSString.h"
#include "objc/Weak.h"
#include "uikit/UIBarButtonItem.h"
#include "uikit/UIBlock.h"
#include "uikit/UITraitCollection.h"
#include "uikit/UIView.h"

class UINavigationController;
class UIWindow;

class UINavigationItem : public NSObject {
  OBJC_CLASS(UINavigationItem, NSObject)
  OBJC_PROPERTY(title, setTitle, Ref<NSString>)
  // Shown in the middle of the bar instead of the title.
  OBJC_PROPERTY(titleView, setTitleView, Ref<UIView>)
  OBJC_PROPERTY(rightBarButtonItem, setRightBarButtonItem, Ref<UIBarButtonItem>)
};

class UIViewController : public NSObject {
  OBJC_CLASS(UIViewController, NSObject)
  OBJC_OVERRIDE(dealloc)
  // Loads the view on first use: loadView, then viewDidLoad.
  OBJC_METHOD(view, "view", Ref<UIView>())
  OBJC_METHOD(setView, "setView:", void(UIView*))
  OBJC_METHOD(isViewLoaded, "isViewLoaded", bool())
  OBJC_METHOD(loadView, "loadView", void())
  OBJC_METHOD(viewDidLoad, "viewDidLoad", void())
  OBJC_METHOD(viewWillAppear, "viewWillAppear:", void(bool))
  OBJC_METHOD(viewDidAppear, "viewDidAppear:", void(bool))
  OBJC_METHOD(viewWillDisappear, "viewWillDisappear:", void(bool))
  OBJC_METHOD(viewDidDisappear, "viewDidDisappear:", void(bool))

  OBJC_PROPERTY(title, setTitle, Ref<NSString>)
  OBJC_METHOD(navigationItem, "navigationItem", Ref<UINavigationItem>())
  // The nearest enclosing navigation controller, or nothing.
  OBJC_METHOD(navigationController, "navigationController", Ref<UINavigationController>())
  OBJC_METHOD(parentViewController, "parentViewController", Ref<UIViewController>())
  OBJC_METHOD(childViewControllers, "childViewControllers", Ref<NSArray>())
  OBJC_METHOD(addChildViewController, "addChildViewController:", void(UIViewController*))
  OBJC_METHOD(removeFromParentViewController, "removeFromParentViewController", void())

  // The override a host or a test set, else the parent's (or the presenter's)
  // traits, else the window's; light appearance when there is none of them.
  OBJC_METHOD(traitCollection, "traitCollection", Ref<UITraitCollection>())
  OBJC_METHOD(traitCollectionDidChange, "traitCollectionDidChange:", void(UITraitCollection*))

  OBJC_METHOD(presentViewControllerAnimatedCompletion,
              "presentViewController:animated:completion:", void(UIViewController*, bool, _UIBlock*))
  OBJC_METHOD(presentedViewController, "presentedViewController", Ref<UIViewController>())
  OBJC_METHOD(presentingViewController, "presentingViewController", Ref<UIViewController>())
  OBJC_METHOD(dismissViewControllerAnimatedCompletion,
              "dismissViewControllerAnimated:completion:", void(bool, _UIBlock*))

 public:
  // C++ helpers for hosts and tests (not messages).
  void setOverrideTraitCollection(Ref<UITraitCollection> t) { overrideTraits_ = std::move(t); }
  void setWindow(UIWindow* w);
  Ref<UIViewController> parent() const { return parent_.lock(); }
  // Sends traitCollectionDidChange: to this controller, when its view is
  // loaded, and then to its children and what it presents.
  void propagateTraitChange(UITraitCollection* previous);

 protected:
  std::vector<Ref<UIViewController>> children_;

 private:
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
  Ref<UINavigationItem> navigationItemImpl();
  Ref<UINavigationController> navigationControllerImpl();
  Ref<UIViewController> parentViewControllerImpl() { return parent_.lock(); }
  Ref<NSArray> childViewControllersImpl();
  void addChildViewControllerImpl(UIViewController* c);
  void removeFromParentViewControllerImpl();
  Ref<UITraitCollection> traitCollectionImpl();
  void traitCollectionDidChangeImpl(UITraitCollection*) {}
  void presentViewControllerAnimatedCompletionImpl(UIViewController* vc, bool animated, _UIBlock* completion);
  Ref<UIViewController> presentedViewControllerImpl() { return presented_; }
  Ref<UIViewController> presentingViewControllerImpl() { return presenting_.lock(); }
  void dismissViewControllerAnimatedCompletionImpl(bool animated, _UIBlock* completion);

  Ref<UIView> view_;
  Ref<UINavigationItem> navigationItem_;
  Ref<UITraitCollection> overrideTraits_;
  Ref<UIViewController> presented_;
  Weak<UIViewController> presenting_;  // the presenter owns what it presents
  Weak<UIViewController> parent_;      // the parent owns its children
  Weak<UIWindow> window_;              // the window owns its root controller
};

#include "uikit/UINavigationController.h"
