#include "uikit/UIButton+TitleColor.h"

OBJC_IMPLEMENT_CATEGORY(UIButton_TitleColor)

namespace {
// One association key per combination of the three state bits.
constexpr unsigned long kStates = 8;
const char kKeys[kStates] = {};
const void* keyFor(unsigned long state) { return &kKeys[state % kStates]; }
}  // namespace

void UIButton_TitleColor::setTitleColorForStateImpl(UIButton* self, UIColor* color, unsigned long state) {
  objc_setAssociatedObject(self, keyFor(state), color, OBJC_ASSOCIATION_RETAIN_NONATOMIC);
}

Ref<UIColor> UIButton_TitleColor::titleColorForStateImpl(UIButton* self, unsigned long state) {
  Ref<NSObject> c = objc_getAssociatedObject(self, keyFor(state));
  if (!c && state != UIControlStateNormal) c = objc_getAssociatedObject(self, keyFor(UIControlStateNormal));
  return Ref<UIColor>(objc_cast<UIColor>(c.get()));
}
