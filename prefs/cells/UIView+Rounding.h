// Category Rounding on UIView: round chosen corners of any view.
#pragma once

#include "uikit/UIView.h"

struct UIView_Rounding {
  OBJC_CATEGORY(UIView_Rounding, UIView)
  OBJC_CATEGORY_METHOD(roundCornersRadius, "roundCorners:radius:", void(unsigned long, double))

 public:
  // The corner bits roundCorners:radius: takes, as the layer's maskedCorners.
  static constexpr unsigned long kTopLeft = 1;
  static constexpr unsigned long kTopRight = 2;
  static constexpr unsigned long kBottomLeft = 4;
  static constexpr unsigned long kBottomRight = 8;
  static constexpr unsigned long kTopCorners = kTopLeft | kTopRight;
  static constexpr unsigned long kBottomCorners = kBottomLeft | kBottomRight;
  static constexpr unsigned long kAllCorners = kTopCorners | kBottomCorners;

 private:
  static void roundCornersRadiusImpl(UIView* self, unsigned long corners, double radius);
};
