// A view's trait collection: its window's, or, for a view outside any window,
// the key window's (the appearance the application shows at that moment).
#pragma once

#include "uikit/UITraitCollection.h"
#include "uikit/UIView.h"

struct UIView_Traits {
  OBJC_CATEGORY(UIView_Traits, UIView)
  OBJC_CATEGORY_METHOD(traitCollection, "traitCollection", Ref<UITraitCollection>())

 private:
  static Ref<UITraitCollection> traitCollectionImpl(UIView* self);
};
