// Appearance proxies: colours set for every instance of a control class that
// sits inside an instance of given container classes (views or the view
// controllers that own them). A control with no colour of its own shows the
// proxy's; setting nothing on the proxy takes it away again.
#pragma once

#include <string_view>
#include <vector>

#include "foundation/NSArray.h"
#include "uikit/UIView.h"

class _UIAppearance : public NSObject {
  OBJC_CLASS(_UIAppearance, NSObject)
 public:
  Ref<UIColor> tintColor() { return objc::send<Ref<UIColor>(), "tintColor">(this); }
  void setTintColor(UIColor* c) { objc::send<void(UIColor*), "setTintColor:">(this, c); }
  Ref<UIColor> onTintColor() { return objc::send<Ref<UIColor>(), "onTintColor">(this); }
  void setOnTintColor(UIColor* c) { objc::send<void(UIColor*), "setOnTintColor:">(this, c); }

  // The proxy for instances of `target` inside all of `containers`, made on
  // first use; the same object every time after.
  static Ref<_UIAppearance> proxyFor(Class target, const std::vector<Class>& containers);

 private:
  friend struct AppearanceAccess;
  Ref<UIColor> tintColorImpl();
  void setTintColorImpl(UIColor* c);
  Ref<UIColor> onTintColorImpl();
  void setOnTintColorImpl(UIColor* c);

  Class target_;
  std::vector<Class> containers_;
  Ref<UIColor> tintColor_;
  Ref<UIColor> onTintColor_;
};

namespace uikit {

enum class AppearanceProperty { TintColor, OnTintColor };

// The colour the proxies give `view` for `property`, or nothing. The proxy
// with the most containers that all enclose the view wins.
Ref<UIColor> appearanceColor(UIView* view, AppearanceProperty property);

// The view controller whose view `view` is, or nothing.
NSObject* viewControllerOwning(UIView* view);
void setViewControllerOwning(UIView* view, NSObject* controller);

}  // namespace uikit

// The class method every view class answers, as
// [UISwitch appearanceWhenContainedInInstancesOfClasses:@[ cls ]].
template <class V>
Ref<_UIAppearance> appearanceWhenContainedInInstancesOfClasses(NSArray* containers) {
  return ref_cast<_UIAppearance>(
      objc::send<Ref<NSObject>(NSArray*), "appearanceWhenContainedInInstancesOfClasses:">(V::cls(), containers));
}
