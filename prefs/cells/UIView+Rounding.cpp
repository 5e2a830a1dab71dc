#include "cells/UIView+Rounding.h"

namespace {

void roundCorners(UIView* self, SEL, unsigned long corners, double radius) {
  self->setClipsToBounds(true);
  self->layer()->setCornerRadius(radius);
  self->layer()->setMaskedCorners(corners);
}

[[maybe_unused]] const bool installed = [] {
  class_addMethod(UIView::cls(), sel_registerName("roundCorners:radius:"), objc::method<&roundCorners>(),
                  objc::typesFor<void(unsigned long, double)>());
  return true;
}();

}  // namespace
