#include "uikit/UIAppearance.h"

#include <mutex>

#include "uikit/UIViewController.h"

namespace {

std::mutex& registryMutex() {
  static std::mutex m;
  return m;
}
// Proxies live for the process, as on the device; the list is never
// destroyed, so they stay reachable to the end.
std::vector<Ref<_UIAppearance>>& registry() {
  static auto* r = new std::vector<Ref<_UIAppearance>>;
  return *r;
}

const int kOwningControllerKey = 0;
}  // namespace

struct AppearanceAccess {
  static Ref<UIColor> color(_UIAppearance* p, uikit::AppearanceProperty prop) {
    return prop == uikit::AppearanceProperty::TintColor ? p->tintColor_ : p->onTintColor_;
  }
  static Class target(_UIAppearance* p) { return p->target_; }
  static const std::vector<Class>& containers(_UIAppearance* p) { return p->containers_; }
};

Ref<_UIAppearance> UIView_Appearance::appearanceWhenContainedInInstancesOfClassesImpl(Class self, NSArray* containers) {
  std::vector<Class> list;
  if (containers)
    for (const auto& c : containers->items())
      if (c && class_isMetaClass(object_getClass(c.get()))) list.push_back(static_cast<Class>(c.get()));
  return _UIAppearance::proxyFor(self, list);
}

OBJC_IMPLEMENT_CATEGORY(UIView_Appearance)

Ref<_UIAppearance> _UIAppearance::proxyFor(Class target, const std::vector<Class>& containers) {
  std::lock_guard g(registryMutex());
  for (const auto& p : registry())
    if (p->target_ == target && p->containers_ == containers) return p;
  auto p = _UIAppearance::make();
  p->target_ = target;
  p->containers_ = containers;
  registry().push_back(p);
  return p;
}

Ref<UIColor> _UIAppearance::tintColorImpl() {
  std::lock_guard g(registryMutex());
  return tintColor_;
}
void _UIAppearance::setTintColorImpl(UIColor* c) {
  std::lock_guard g(registryMutex());
  tintColor_ = c;
}
Ref<UIColor> _UIAppearance::onTintColorImpl() {
  std::lock_guard g(registryMutex());
  return onTintColor_;
}
void _UIAppearance::setOnTintColorImpl(UIColor* c) {
  std::lock_guard g(registryMutex());
  onTintColor_ = c;
}

OBJC_IMPLEMENT(_UIAppearance)

namespace uikit {

NSObject* viewControllerOwning(UIView* view) {
  // Held without a count: the controller clears it when it lets the view go.
  Ref<NSObject> vc = objc_getAssociatedObject(view, &kOwningControllerKey);
  return vc.get();
}

void setViewControllerOwning(UIView* view, NSObject* controller) {
  objc_setAssociatedObject(view, &kOwningControllerKey, controller, OBJC_ASSOCIATION_ASSIGN);
}

Ref<UIColor> appearanceColor(UIView* view, AppearanceProperty property) {
  if (!view) return nullptr;
  std::vector<NSObject*> chain;
  for (Ref<UIView> v = view->superview(); v; v = v->superview()) {
    chain.push_back(v.get());
    auto* owning = static_cast<UIViewController*>(viewControllerOwning(v.get()));
    for (Ref<UIViewController> c(owning); c; c = c->parent()) chain.push_back(c.get());
  }
  std::lock_guard g(registryMutex());
  Ref<UIColor> best;
  std::size_t bestDepth = 0;
  bool found = false;
  for (const auto& p : registry()) {
    Ref<UIColor> c = AppearanceAccess::color(p, property);
    if (!c || !objc_opt_isKindOfClass(view, AppearanceAccess::target(p))) continue;
    bool all = true;
    for (Class container : AppearanceAccess::containers(p)) {
      bool in = false;
      for (NSObject* o : chain)
        if (objc_opt_isKindOfClass(o, container)) {
          in = true;
          break;
        }
      if (!in) {
        all = false;
        break;
      }
    }
    if (!all) continue;
    std::size_t depth = AppearanceAccess::containers(p).size();
    if (!found || depth >= bestDepth) {
      best = c;
      bestDepth = depth;
      found = true;
    }
  }
  return best;
}

}  // namespace uikit
