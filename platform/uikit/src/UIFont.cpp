#include "uikit/UIFont.h"

#include <cmath>

#include "uikit/TextMeasure.h"

Ref<UIFont> UIFont::systemFontOfSizeImpl(Class self, double size) {
  return systemFontOfSizeWeightImpl(self, size, UIFontWeightRegular);
}

Ref<UIFont> UIFont::systemFontOfSizeWeightImpl(Class, double size, double weight) {
  auto font = UIFont::make();
  font->size_ = std::isfinite(size) && size > 0 ? size : 0;
  font->weight_ = std::isfinite(weight) ? weight : UIFontWeightRegular;
  return font;
}

Ref<UIFont> UIFont::boldSystemFontOfSizeImpl(Class self, double size) {
  return systemFontOfSizeWeightImpl(self, size, UIFontWeightBold);
}

Ref<NSString> UIFont::familyNameImpl() { return NSString::make(uikit::resolvedSystemFamily()); }

Ref<UIFont> UIFont::fontWithSizeImpl(double size) { return systemFontOfSizeWeightImpl(cls(), size, weight_); }

// The nearest of the device's named weights, as the face's CSS weight.
int UIFont::cssWeight() const {
  struct Step {
    double weight;
    int css;
  };
  constexpr Step steps[] = {{UIFontWeightUltraLight, 200}, {UIFontWeightThin, 100},   {UIFontWeightLight, 300},
                            {UIFontWeightRegular, 400},    {UIFontWeightMedium, 500}, {UIFontWeightSemibold, 600},
                            {UIFontWeightBold, 700},       {UIFontWeightHeavy, 800},  {UIFontWeightBlack, 900}};
  int best = 400;
  double distance = INFINITY;
  for (const auto& s : steps)
    if (std::abs(s.weight - weight_) < distance) {
      distance = std::abs(s.weight - weight_);
      best = s.css;
    }
  return best;
}

OBJC_IMPLEMENT(UIFont)
