// The colour row of settings pages: shows a colour string with a swatch and
// hands a newly picked one to the page, which stores it under the row's key
// and posts the row's notification. The row's "supportsAlpha" lets the
// picked opacity through; otherwise the colour is stored opaque.
#pragma once

#include "preferences/PSTableCell.h"

class LCPColorCell : public PSTableCell {
  OBJC_CLASS(LCPColorCell, PSTableCell)
 public:
  // What choosing a colour in the picker does. False, and nothing stored, for
  // a text that is not a colour string.
  bool pickColorString(NSString* text) { return objc::send<bool(NSString*), "pickColorString:">(this, text); }
  Ref<UIView> swatch() { return objc::send<Ref<UIView>(), "swatch">(this); }

 private:
  Ref<PSTableCell> initWithStyleReuseIdentifierSpecifierImpl(long style, NSString* reuseIdentifier, PSSpecifier* item);
  void setValueImpl(NSObject* v);
  bool pickColorStringImpl(NSString* text);
  Ref<UIView> swatchImpl() { return swatch_; }
  Ref<UIView> swatch_;
};
