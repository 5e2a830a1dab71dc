// The navigation bar's title: "Corvallo" on one line, off centre while the
// page is near its top and sliding to the middle of the bar over the next 50
// points of scrolling once the page is past a minimum offset. Black text in
// light appearance, white in dark.
#pragma once

#include "uikit/UILabel.h"

class CVLOBetterTitleView : public UIView {
  OBJC_CLASS(CVLOBetterTitleView, UIView)
  OBJC_INIT(initWithTitleMinimumScrollOffsetRequired,
            "initWithTitle:minimumScrollOffsetRequired:", Ref<CVLOBetterTitleView>(NSString*, double))
  OBJC_METHOD(adjustLabelPositionToScrollOffset, "adjustLabelPositionToScrollOffset:", void(double))
  OBJC_METHOD(updateTitleColorBasedOnCurrentInterfaceStyle, "updateTitleColorBasedOnCurrentInterfaceStyle", void())

 public:
  // How far the label sits below the middle: at construction and at the
  // minimum offset, and while the page is above the minimum.
  static constexpr double kRestingOffset = 50;
  static constexpr double kAboveMinimumOffset = -50;
  // The rule alone (not a message): the label's offset for a scroll offset.
  static double labelOffsetFor(double scrollOffset, double minimum);

 private:
  Ref<CVLOBetterTitleView> initWithTitleMinimumScrollOffsetRequiredImpl(NSString* title, double minimum);
  void adjustLabelPositionToScrollOffsetImpl(double offset);
  void updateTitleColorBasedOnCurrentInterfaceStyleImpl();
  Ref<UIColor> colorForCurrentStyle();

  Ref<UILabel> _titleLabel = nullptr;
  Ref<NSLayoutConstraint> _yConstraint = nullptr;
  double _minimumOffsetRequired = 0;
};
