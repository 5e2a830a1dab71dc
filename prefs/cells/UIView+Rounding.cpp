#include "cells/UIView+Rounding.h"

void UIView_Rounding::roundCornersRadiusImpl(UIView* self, unsigned long corners, double radius) {
  self->setClipsToBounds(true);
  self->layer()->setCornerRadius(radius);
  self->layer()->setMaskedCorners(corners);
}

OBJC_IMPLEMENT_CATEGORY(UIView_Rounding)
