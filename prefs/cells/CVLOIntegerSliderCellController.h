// A slider row that only takes whole numbers: a moved slider snaps to the
// nearest one before the value is stored, and a shown value is rounded.
#pragma once

#include "preferences/PSTableCell.h"

class CVLOIntegerSliderCellController : public PSSliderTableCell {
  OBJC_CLASS(CVLOIntegerSliderCellController, PSSliderTableCell)
  OBJC_OVERRIDE(controlChanged)
  OBJC_OVERRIDE(setValue)

 public:
  // Nearest whole number, halves away from zero, through a 64-bit integer
  // (not a message).
  static float wholeNumber(float v);

 private:
  void controlChangedImpl(NSObject* sender);
  void setValueImpl(NSObject* value);
};
