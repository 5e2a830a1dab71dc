#include "cells/CVLOBaseTableCell.h"

namespace {
void fitOnOneLine(UILabel* label) {
  if (!label) return;
  label->setNumberOfLines(1);
  label->setMinimumScaleFactor(0.5);
  label->setAdjustsFontSizeToFitWidth(true);
}
Ref<UIColor> rowTint(PSSpecifier* item) {
  return Ref<UIColor>(item ? objc_cast<UIColor>(item->propertyForKey("tintColor").get()) : nullptr);
}
}  // namespace

Ref<PSTableCell> CVLOBaseTableCell::initWithStyleReuseIdentifierSpecifierImpl(long style, NSString* reuseIdentifier,
                                                                              PSSpecifier* item) {
  auto self = objc::sendSuper<Ref<PSTableCell>(long, NSString*, PSSpecifier*), "initWithStyle:reuseIdentifier:specifier:">(
      CVLOBaseTableCell::cls(), this, style, reuseIdentifier, item);
  if (!self) return nullptr;
  fitOnOneLine(self->textLabel());
  fitOnOneLine(self->detailTextLabel());
  ref_cast<CVLOBaseTableCell>(self)->setThemeTintColor(rowTint(item));
  return self;
}

OBJC_IMPLEMENT_LEGACY(CVLOBaseTableCell)
void CVLOBaseTableCell::registerMethods(objc::ClassBuilder<CVLOBaseTableCell>& b) {
  b.method<"initWithStyle:reuseIdentifier:specifier:", &CVLOBaseTableCell::initWithStyleReuseIdentifierSpecifierImpl>()
      .method<"themeTintColor", &CVLOBaseTableCell::themeTintColorImpl>()
      .method<"setThemeTintColor:", &CVLOBaseTableCell::setThemeTintColorImpl>()
      .method<"interactionTintColor", &CVLOBaseTableCell::interactionTintColorImpl>()
      .method<"setInteractionTintColor:", &CVLOBaseTableCell::setInteractionTintColorImpl>()
      .property("themeTintColor", {{"T", "@\"UIColor\""}, {"&", ""}, {"N", ""}})
      .property("interactionTintColor", {{"T", "@\"UIColor\""}, {"&", ""}, {"N", ""}});
}

// A row without a colour yet takes it now and shows it from the next pass.
void CVLOTintedButton::layoutSubviewsImpl() {
  objc::sendSuper<void(), "layoutSubviews">(CVLOTintedButton::cls(), this);
  Ref<UIColor> tint = themeTintColor();
  if (tint) {
    textLabel()->setTextColor(tint);
    setInteractionTintColor(tint);
    titleLabel()->setHighlightedTextColor(tint);
  } else {
    setThemeTintColor(rowTint(specifier()));
  }
}

OBJC_IMPLEMENT_LEGACY(CVLOTintedButton)
void CVLOTintedButton::registerMethods(objc::ClassBuilder<CVLOTintedButton>& b) {
  b.method<"layoutSubviews", &CVLOTintedButton::layoutSubviewsImpl>()
      .property("interactionTintColor", {{"T", "@\"UIColor\""}, {"&", ""}, {"N", ""}, {"D", ""}})
      .property("themeTintColor", {{"T", "@\"UIColor\""}, {"&", ""}, {"N", ""}, {"D", ""}});
}

void CVLODangerButton::layoutSubviewsImpl() {
  objc::sendSuper<void(), "layoutSubviews">(CVLODangerButton::cls(), this);
  Ref<UIColor> red = UIColor::systemRedColor();
  textLabel()->setTextColor(red);
  setInteractionTintColor(red);
  titleLabel()->setHighlightedTextColor(red);
}

OBJC_IMPLEMENT_LEGACY(CVLODangerButton)
void CVLODangerButton::registerMethods(objc::ClassBuilder<CVLODangerButton>& b) {
  b.method<"layoutSubviews", &CVLODangerButton::layoutSubviewsImpl>();
}
