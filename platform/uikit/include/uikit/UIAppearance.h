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
  OBJC_METHOD(tintColor, "tintColor", Ref<UIColor>())
  OBJC_METHOD(setTintColor, "setTintColor:", void(UIColor*))
  OBJC_METHOD(onTintColor, "onTintColor", Ref<UIColor>())
  OBJC_METHOD(setOnTintColor, "setOnTintColor:", void(UIColor*))

 public:
  // The proxy for instances of `target` inside all of `containers`, made on
  // first use; the same object every time after.
  static Ref<_UIAppearance> proxyFor(Class target, const std::vector<Class>& containers);

 private:
  friend struct AppearanceAccess;
  Ref<UIColor> tintColorImpl();
  void setTintColorImpl(UIColor* c);
  Ref<UIColor> onTintColorImpl();
  void setOnTintColorImpl(UIColor* c);

  Class target_ = nullptr;
  std::vector<Class> containers_;
  Ref<UIColor> tintColor_;
  Ref<UIColor> onTintColor_;
};

// The class method every view class answers, as
// [UISwitch appearanceWhenContainedInInstancesOfClasses:@[ cls ]]; elements
// of the array that are not classes are left out.
struct UIView_Appearance {
  OBJC_CATEGORY(UIView_Appearance, UIView)
  OBJC_CATEGORY_CLASS_METHOD(appearanceWhenContainedInInstancesOfClasses,
                             "appearanceWhenContainedInInstancesOfClasses:", Ref<_UIAppearance>(NSArray*))
 private:
  static Ref<_UIAppearance> appearanceWhenContainedInInstancesOfClassesImpl(Class self, NSArray* containers);
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

// The same message sent to the view class V.
template <class V>
Ref<_UIAppearance> appearanceWhenContainedInInstancesOfClasses(objc::ParamT<NSArray*> containers) {
  return objc::send<UIView_Appearance::appearanceWhenContainedInInstancesOfClassesMessage>(V::cls(), containers);
}
