#include "uikit/UIViewController.h"

#include "uikit/UIAppearance.h"
#include "uikit/UINavigationController.h"
#include "uikit/UIWindow.h"

void UIViewController::deallocImpl() {
  if (view_) uikit::setViewControllerOwning(view_, nullptr);
  for (auto& c : children_) c->parent_ = nullptr;
  if (presented_) presented_->presenting_ = nullptr;
  sendSuper<deallocMessage>();
}

Ref<UIView> UIViewController::viewImpl() {
  if (!view_) {
    loadView();
    if (!view_) setView(UIView::make(kUIScreenBounds));
    viewDidLoad();
  }
  return view_;
}

void UIViewController::setViewImpl(UIView* v) {
  if (view_) uikit::setViewControllerOwning(view_, nullptr);
  view_ = v;
  if (v) uikit::setViewControllerOwning(v, this);
}

void UIViewController::loadViewImpl() { setView(UIView::make(kUIScreenBounds)); }

Ref<UINavigationItem> UIViewController::navigationItemImpl() {
  if (!navigationItem_) {
    navigationItem_ = UINavigationItem::make();
    navigationItem_->setTitle(title_);
  }
  return navigationItem_;
}

Ref<UINavigationController> UIViewController::navigationControllerImpl() {
  for (UIViewController* p = parent_; p; p = p->parent_)
    if (auto* nav = objc_cast<UINavigationController>(p)) return Ref<UINavigationController>(nav);
  return nullptr;
}

Ref<NSArray> UIViewController::childViewControllersImpl() {
  NSArray::Items items(children_.begin(), children_.end());
  return NSArray::make(std::move(items));
}

void UIViewController::addChildViewControllerImpl(UIViewController* c) {
  if (!c || c == this || c->parent_ == this) return;
  Ref<UIViewController> keep(c);
  if (c->parent_) c->removeFromParentViewController();
  children_.push_back(keep);
  c->parent_ = this;
}

void UIViewController::removeFromParentViewControllerImpl() {
  UIViewController* p = parent_;
  if (!p) return;
  Ref<UIViewController> keep(this);
  std::erase_if(p->children_, [&](const Ref<UIViewController>& r) { return r.get() == this; });
  parent_ = nullptr;
}

Ref<UITraitCollection> UIViewController::traitCollectionImpl() {
  if (overrideTraits_) return overrideTraits_;
  if (parent_) return parent_->traitCollection();
  if (presenting_) return presenting_->traitCollection();
  if (window_) return window_->traitCollection();
  return UITraitCollection::make(UIUserInterfaceStyleLight, UIUserInterfaceSizeClassCompact);
}

void UIViewController::propagateTraitChange(UITraitCollection* previous) {
  Ref<UIViewController> keep(this);
  if (view_) traitCollectionDidChange(previous);
  auto children = children_;
  for (auto& c : children) c->propagateTraitChange(previous);
  if (auto p = presented_) p->propagateTraitChange(previous);
}

void UIViewController::presentViewControllerAnimatedCompletionImpl(UIViewController* vc, bool animated,
                                                                   _UIBlock* completion) {
  if (!vc || presented_) return;  // one presentation at a time, as on the device
  presented_ = vc;
  vc->presenting_ = this;
  vc->view();
  vc->viewWillAppear(animated);
  vc->viewDidAppear(animated);
  if (completion) completion->call(nullptr);
}

// Sent to the presented controller it goes to its presenter, as on the device.
void UIViewController::dismissViewControllerAnimatedCompletionImpl(bool animated, _UIBlock* completion) {
  UIViewController* owner = presented_ ? this : presenting_;
  if (!owner || !owner->presented_) return;
  Ref<UIViewController> gone = owner->presented_;
  gone->viewWillDisappear(animated);
  owner->presented_ = nullptr;
  gone->presenting_ = nullptr;
  gone->viewDidDisappear(animated);
  if (completion) completion->call(nullptr);
}

OBJC_IMPLEMENT(UIViewController)
