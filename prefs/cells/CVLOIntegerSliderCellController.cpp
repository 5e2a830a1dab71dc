#include "cells/CVLOIntegerSliderCellController.h"

#include <cmath>

#include "foundation/NSNumber.h"
#include "uikit/UIControls.h"

float CVLOIntegerSliderCellController::wholeNumber(float v) {
  // Saturating, so that NaN and values past the integer range stay defined.
  long long whole = foundation::saturatingTruncate(std::round(static_cast<double>(v)));
  return static_cast<float>(whole);
}

void CVLOIntegerSliderCellController::controlChangedImpl(NSObject* sender) {
  if (auto* slider = objc_cast<UISlider>(sender)) slider->setValue(wholeNumber(slider->value()));
  sendSuper<controlChangedMessage>(sender);
}

void CVLOIntegerSliderCellController::setValueImpl(NSObject* value) {
  sendSuper<setValueMessage>(value);
  auto* n = objc_cast<NSNumber>(value);
  auto* s = objc_cast<NSString>(value);
  float f = n ? n->floatValue() : s ? s->floatValue() : 0.0f;
  sendSuper<setValueMessage>(NSNumber::numberWithFloat(wholeNumber(f)));
}

OBJC_IMPLEMENT(CVLOIntegerSliderCellController)
