// The bundle's own cells: single-line labels that shrink to fit, the row's
// theme colour, and the tinted and the danger button rows.
#pragma once

#include "preferences/PSTableCell.h"

class CVLOBaseTableCell : public PSTableCell {
  OBJC_CLASS(CVLOBaseTableCell, PSTableCell)
 public:
  Ref<UIColor> themeTintColor() { return objc::send<Ref<UIColor>(), "themeTintColor">(this); }
  void setThemeTintColor(UIColor* c) { objc::send<void(UIColor*), "setThemeTintColor:">(this, c); }
  Ref<UIColor> interactionTintColor() { return objc::send<Ref<UIColor>(), "interactionTintColor">(this); }
  void setInteractionTintColor(UIColor* c) { objc::send<void(UIColor*), "setInteractionTintColor:">(this, c); }

 private:
  Ref<PSTableCell> initWithStyleReuseIdentifierSpecifierImpl(long style, NSString* reuseIdentifier, PSSpecifier* item);
  Ref<UIColor> themeTintColorImpl() { return themeTintColor_; }
  void setThemeTintColorImpl(UIColor* c) { themeTintColor_ = c; }
  Ref<UIColor> interactionTintColorImpl() { return interactionTintColor_; }
  void setInteractionTintColorImpl(UIColor* c) { interactionTintColor_ = c; }
  Ref<UIColor> themeTintColor_;
  Ref<UIColor> interactionTintColor_;
};

class CVLOTintedButton : public CVLOBaseTableCell {
  OBJC_CLASS(CVLOTintedButton, CVLOBaseTableCell)
 private:
  void layoutSubviewsImpl();
};

class CVLODangerButton : public CVLOBaseTableCell {
  OBJC_CLASS(CVLODangerButton, CVLOBaseTableCell)
 private:
  void layoutSubviewsImpl();
};
