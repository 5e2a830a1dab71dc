// The bundle's own cells: single-line labels that shrink to fit, the row's
// theme colour, and the tinted and the danger button rows.
#pragma once

#include "preferences/PSTableCell.h"

class CVLOBaseTableCell : public PSTableCell {
  OBJC_CLASS(CVLOBaseTableCell, PSTableCell)

  OBJC_OVERRIDE(initWithStyleReuseIdentifierSpecifier)
  OBJC_PROPERTY(themeTintColor, setThemeTintColor, Ref<UIColor>)
  OBJC_PROPERTY(interactionTintColor, setInteractionTintColor, Ref<UIColor>)

 private:
  Ref<PSTableCell> initWithStyleReuseIdentifierSpecifierImpl(long style, NSString* reuseIdentifier, PSSpecifier* item);
};

class CVLOTintedButton : public CVLOBaseTableCell {
  OBJC_CLASS(CVLOTintedButton, CVLOBaseTableCell)
  OBJC_OVERRIDE(layoutSubviews)

 private:
  void layoutSubviewsImpl();
  // Re-declares the base cell's two colours as dynamic (D): the accessors
  // stay the base's, readers of the attributes see this class's.
  OBJC_REGISTRATION(dynamicTintColors)
  static void objcRegister_dynamicTintColors(objc::ClassBuilder<CVLOTintedButton>& b);
};

class CVLODangerButton : public CVLOBaseTableCell {
  OBJC_CLASS(CVLODangerButton, CVLOBaseTableCell)
  OBJC_OVERRIDE(layoutSubviews)

 private:
  void layoutSubviewsImpl();
};
