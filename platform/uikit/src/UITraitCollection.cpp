#include "uikit/UITraitCollection.h"

Ref<UITraitCollection> UITraitCollection::make(long style, long horizontalSizeClass) {
  auto t = UITraitCollection::make();
  t->style_ = style;
  t->sizeClass_ = horizontalSizeClass;
  return t;
}

namespace {
Ref<NSObject> withStyle(NSObject*, SEL, long style) {
  return UITraitCollection::make(style, UIUserInterfaceSizeClassUnspecified);
}
}  // namespace

OBJC_IMPLEMENT_LEGACY(UITraitCollection)
void UITraitCollection::registerMethods(objc::ClassBuilder<UITraitCollection>& b) {
  b.classMethod<"traitCollectionWithUserInterfaceStyle:", &withStyle>()
      .method<"userInterfaceStyle", &UITraitCollection::userInterfaceStyleImpl>()
      .method<"horizontalSizeClass", &UITraitCollection::horizontalSizeClassImpl>();
}
