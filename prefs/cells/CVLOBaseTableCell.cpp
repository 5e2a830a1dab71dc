#include "cells/CVLOBaseTableCell.h"

#include <string>

namespace {
// Row titles may shrink to half their size before they are cut.
constexpr double kMinimumTitleScale = 0.5;

void fitOnOneLine(const Ref<UILabel>& label) {
  if (!label) return;
  label->setNumberOfLines(1);
  label->setMinimumScaleFactor(kMinimumTitleScale);
  label->setAdjustsFontSizeToFitWidth(true);
}
Ref<UIColor> rowTint(PSSpecifier* item) {
  return Ref<UIColor>(item ? objc_cast<UIColor>(item->propertyForKey("tintColor").get()) : nullptr);
}
}  // namespace

Ref<PSTableCell> CVLOBaseTableCell::initWithStyleReuseIdentifierSpecifierImpl(long style, NSString* reuseIdentifier,
                                                                              PSSpecifier* item) {
  Ref<PSTableCell> self = sendSuper<initWithStyleReuseIdentifierSpecifierMessage>(style, reuseIdentifier, item);
  if (!self) return nullptr;
  fitOnOneLine(self->textLabel());
  fitOnOneLine(self->detailTextLabel());
  ref_cast<CVLOBaseTableCell>(self)->setThemeTintColor(rowTint(item));
  return self;
}

OBJC_IMPLEMENT(CVLOBaseTableCell)

// A row without a colour yet takes it now and shows it from the next pass.
void CVLOTintedButton::layoutSubviewsImpl() {
  sendSuper<layoutSubviewsMessage>();
  Ref<UIColor> tint = themeTintColor();
  if (tint) {
    textLabel()->setTextColor(tint);
    setInteractionTintColor(tint);
    titleLabel()->setHighlightedTextColor(tint);
  } else {
    Ref<PSSpecifier> row = specifier();
    setThemeTintColor(rowTint(row));
  }
}

void CVLOTintedButton::objcRegister_dynamicTintColors(objc::ClassBuilder<CVLOTintedButton>& b) {
  static const std::string type = objc::PropertyTraits<Ref<UIColor>>::type();
  const objc_property_attribute_t attrs[] = {{"T", type.c_str()}, {"&", ""}, {"N", ""}, {"D", ""}};
  for (const char* name : {"interactionTintColor", "themeTintColor"}) class_addProperty(b.cls(), name, attrs, 4);
}

OBJC_IMPLEMENT(CVLOTintedButton)

void CVLODangerButton::layoutSubviewsImpl() {
  sendSuper<layoutSubviewsMessage>();
  Ref<UIColor> red = UIColor::systemRedColor();
  textLabel()->setTextColor(red);
  setInteractionTintColor(red);
  titleLabel()->setHighlightedTextColor(red);
}

OBJC_IMPLEMENT(CVLODangerButton)
