#include "CVLOBetterTitleView.h"

#include <algorithm>

#include "preferences/CoreFoundation.h"

namespace {
constexpr double kTitleFontSize = 17;
}  // namespace

Ref<CVLOBetterTitleView> CVLOBetterTitleView::initWithTitleMinimumScrollOffsetRequiredImpl(NSString* title,
                                                                                           double minimum) {
  Ref<UIView> base = initWithFrame(CGRectZero);
  if (!base) return nullptr;
  auto self = ref_cast<CVLOBetterTitleView>(std::move(base));

  auto label = UILabel::make();
  label->setText(title);
  label->setTextAlignment(NSTextAlignmentCenter);
  label->setTextColor(self->colorForCurrentStyle());
  label->setFont(UIFont::systemFontOfSizeWeight(kTitleFontSize, UIFontWeightSemibold));
  label->setTranslatesAutoresizingMaskIntoConstraints(false);
  label->sizeToFit();
  self->addSubview(label);
  self->_titleLabel = label;

  self->_yConstraint = label->centerYAnchor()->constraintEqualToAnchorConstant(self->centerYAnchor(), kRestingOffset);
  NSLayoutConstraint::activateConstraints(NSArray::of({
      self->widthAnchor()->constraintEqualToAnchor(label->widthAnchor()),
      self->heightAnchor()->constraintEqualToAnchor(label->heightAnchor()),
      label->centerXAnchor()->constraintEqualToAnchor(self->centerXAnchor()),
      self->_yConstraint,
  }));
  self->_minimumOffsetRequired = minimum;
  return self;
}

// A scroll offset that is not a number fails the comparison and reads as
// above the minimum.
double CVLOBetterTitleView::labelOffsetFor(double y, double m) {
  if (m <= y) return std::max(0.0, m - y + kRestingOffset);
  return kAboveMinimumOffset;
}

void CVLOBetterTitleView::adjustLabelPositionToScrollOffsetImpl(double offset) {
  if (_yConstraint) _yConstraint->setConstant(labelOffsetFor(offset, _minimumOffsetRequired));
}

Ref<UIColor> CVLOBetterTitleView::colorForCurrentStyle() {
  Ref<UITraitCollection> traits = traitCollection();
  bool dark = kCFCoreFoundationVersionNumber >= kCFCoreFoundationVersionNumber_iOS_13_0 && traits &&
              traits->userInterfaceStyle() == UIUserInterfaceStyleDark;
  return dark ? UIColor::whiteColor() : UIColor::blackColor();
}

void CVLOBetterTitleView::updateTitleColorBasedOnCurrentInterfaceStyleImpl() {
  if (_titleLabel) _titleLabel->setTextColor(colorForCurrentStyle());
}

OBJC_IMPLEMENT(CVLOBetterTitleView)
