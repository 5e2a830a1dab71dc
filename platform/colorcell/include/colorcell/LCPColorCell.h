// The colour row of settings pages: shows a colour string with a swatch and
// hands a newly picked one to the page, which stores it under the row's key
// and posts the row's notification. The row's "supportsAlpha" lets the
// picked opacity through; otherwise the colour is stored opaque.
#pragma once

#include "preferences/PSTableCell.h"

class LCPColorCell : public PSTableCell {
  OBJC_CLASS(LCPColorCell, PSTableCell)
  // What choosing a colour in the picker does. False, and nothing stored, for
  // a text that is not a colour string.
  OBJC_METHOD(pickColorString, "pickColorString:", bool(NSString*))
  OBJC_METHOD(swatch, "swatch", Ref<UIView>())
  OBJC_OVERRIDE(initWithStyleReuseIdentifierSpecifier)
  OBJC_OVERRIDE(setValue)

  Ref<PSTableCell> initWithStyleReuseIdentifierSpecifierImpl(long style, NSString* reuseIdentifier, PSSpecifier* item);
  void setValueImpl(NSObject* v);
  bool pickColorStringImpl(NSString* text);
  Ref<UIView> swatchImpl() { return swatch_; }

  Ref<UIView> swatch_ = nullptr;
};
