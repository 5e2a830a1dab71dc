#include "colorcell/LCPColorCell.h"

#include <cstdio>

#include "colorpicker/ColorString.h"
#include "colorpicker/libcolorpicker.h"
#include "foundation/Log.h"
#include "foundation/NSNumber.h"

namespace {
bool supportsAlpha(PSSpecifier* item) {
  auto* n = item ? objc_cast<NSNumber>(item->findProperty("supportsAlpha")) : nullptr;
  return n && n->boolValue();
}
NSString* fallbackOf(PSSpecifier* item) { return item ? objc_cast<NSString>(item->findProperty("default")) : nullptr; }
}  // namespace

Ref<PSTableCell> LCPColorCell::initWithStyleReuseIdentifierSpecifierImpl(long, NSString* reuseIdentifier,
                                                                         PSSpecifier* item) {
  // Always the value style: the colour string shows as the detail text.
  Ref<PSTableCell> self =
      sendSuper<initWithStyleReuseIdentifierSpecifierMessage>(UITableViewCellStyleValue1, reuseIdentifier, item);
  if (!self) return nullptr;
  auto* cell = static_cast<LCPColorCell*>(self.get());
  cell->swatch_ = UIView::make(CGRectMake(0, 0, 28, 28));
  cell->swatch_->layer()->setCornerRadius(14);
  cell->setAccessoryView(cell->swatch_);
  return self;
}

void LCPColorCell::setValueImpl(NSObject* v) {
  sendSuper<setValueMessage>(v);
  auto* text = objc_cast<NSString>(v);
  if (text) detailTextLabel()->setText(text);
  Ref<PSSpecifier> item = specifier();
  Ref<UIColor> colour = LCPParseColorString(text, fallbackOf(item));
  swatch_->setBackgroundColor(colour);
}

bool LCPColorCell::pickColorStringImpl(NSString* text) {
  Ref<PSSpecifier> item = specifier();
  auto rgba = text ? colorpicker::parseColorString(text->utf8()) : std::nullopt;
  if (!rgba) {
    NSLog("%@ is not a colour string; %@ keeps its colour", text, item ? item->name() : nullptr);
    return false;
  }
  std::string stored = text->utf8();
  if (!supportsAlpha(item)) stored = stored.substr(0, stored.find(':'));
  Ref<NSString> value = NSString::make(stored);
  setValue(value);
  sendSetter(item, value);
  return true;
}

OBJC_IMPLEMENT(LCPColorCell)
