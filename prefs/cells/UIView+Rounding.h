// Category Rounding on UIView: round chosen corners of any view.
#pragma once

#include "uikit/UIView.h"

struct UIView_Rounding {
  // Corner bits: 1 top left, 2 top right, 4 bottom left, 8 bottom right.
  static void roundCornersRadius(UIView* view, unsigned long corners, double radius) {
    objc::send<void(unsigned long, double), "roundCorners:radius:">(view, corners, radius);
  }
};
