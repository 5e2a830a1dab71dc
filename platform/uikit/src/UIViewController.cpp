#include "uikit/UIViewController.h"

#include "uikit/UIAppearance.h"
#include "uikit/UINavigationController.h"
#include "uikit/UIWindow.h"

void UIViewController::deallocImpl() {
  if (view_) uikit::setViewControllerOwning(view_, nullptr);
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
  for (Ref<UIViewController> p = parent_.lock(); p; p = p->parent_.lock())
    if (auto* nav = objc_cast<UINavigationController>(p.get())) return Ref<UINavigationController>(nav);
  return nullptr;
}

Ref<NSArray> UIViewController::childViewControllersImpl() {
  NSArray::Items items(children_.begin(), children_.end());
  return NSArray::make(std::move(items));
}

void UIViewController::addChildViewControllerImpl(UIViewController* c) {
  if (!c || c == this || c->parent_.lock().get() == this) return;
  Ref<UIViewController> keep(c);
  if (c->parent_.lock()) c->removeFromParentViewController();
  children_.push_back(keep);
  c->parent_ = this;
}

void UIViewController::removeFromParentViewControllerImpl() {
  Ref<UIViewController> p = parent_.lock();
  if (!p) return;
  Ref<UIViewController> keep(this);
  std::erase_if(p->children_, [&](const Ref<UIViewController>& r) { return r.get() == this; });
  parent_ = nullptr;
}

void UIViewController::setWindow(UIWindow* w) { window_ = w; }

Ref<UITraitCollection> UIViewController::traitCollectionImpl() {
  if (overrideTraits_) return overrideTraits_;
  if (auto p = parent_.lock()) return p->traitCollection();
  if (auto p = presenting_.lock()) return p->traitCollection();
  if (auto w = window_.lock()) return w->traitCollection();
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
  Ref<UIViewController> owner = presented_ ? Ref<UIViewController>(this) : presenting_.lock();
  if (!owner || !owner->presented_) return;
  Ref<UIViewController> gone = owner->presented_;
  gone->viewWillDisappear(animated);
  owner->presented_ = nullptr;
  gone->presenting_ = nullptr;
  gone->viewDidDisappear(animated);
  if (completion) completion->call(nullptr);
}

OBJC_IMPLEMENT(UIViewController)
