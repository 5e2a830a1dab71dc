#include "cells/CVLOHeaderCell.h"

#include "foundation/NSFileManager.h"
#include "uikit/UIImage.h"

namespace {
constexpr double kIconSide = 58;
constexpr double kTitleTop = 18;
constexpr double kTitleInset = 30;
constexpr double kTitleFontSize = 32;
}  // namespace

Ref<PSTableCell> CVLOHeaderCell::initWithSpecifierImpl(PSSpecifier* item) {
  Ref<PSTableCell> self = initWithStyleReuseIdentifierSpecifier(UITableViewCellStyleDefault, "Banner"_ns, item);
  if (!self) return nullptr;
  self->setFrame(CGRectMake(0, 0, 320, 320));
  CGRect bounds = self->frame();

  auto label = UILabel::make(CGRectMake(0, kTitleTop, bounds.size.width - kTitleInset, bounds.size.height));
  label->setNumberOfLines(1);
  label->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
  label->setFont(UIFont::systemFontOfSize(kTitleFontSize));
  if (auto* tint = item ? objc_cast<UIColor>(item->findProperty("tintColor")) : nullptr) label->setTextColor(tint);
  label->setText("Corvallo"_ns);
  label->setBackgroundColor(UIColor::clearColor());
  label->setTextAlignment(NSTextAlignmentCenter);

  // The plain path first; the prefixed copy is read without asking whether it exists.
  Ref<NSString> path = NSString::make(kIconPath);
  Ref<UIImage> icon =
      NSFileManager::defaultManager()->fileExistsAtPath(path)
          ? UIImage::imageWithContentsOfFile(path)
          : UIImage::imageWithContentsOfFile(NSString::make(kJailbreakPrefix)->stringByAppendingPathComponent(path));
  auto iconView = UIImageView::make(icon.get());
  iconView->setFrame(CGRectMake(bounds.size.width * 0.5 - kIconSide / 2, -20, kIconSide, kIconSide));

  self->addSubview(iconView);
  self->addSubview(label);
  return self;
}

OBJC_IMPLEMENT(CVLOHeaderCell)
