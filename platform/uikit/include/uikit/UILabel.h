// Labels: a text with its colours and how it fits its width.
#pragma once

#include "foundation/NSString.h"
#include "uikit/UIView.h"

class UILabel : public UIView {
  OBJC_CLASS(UILabel, UIView)
  OBJC_PROPERTY(text, setText, Ref<NSString>)
  // Never nothing: setting nothing gives the system's label colour back.
  OBJC_METHOD(textColor, "textColor", Ref<UIColor>())
  OBJC_METHOD(setTextColor, "setTextColor:", void(UIColor*))
  OBJC_PROPERTY(highlightedTextColor, setHighlightedTextColor, Ref<UIColor>)
  OBJC_METHOD(numberOfLines, "numberOfLines", long())
  OBJC_METHOD(setNumberOfLines, "setNumberOfLines:", void(long))
  OBJC_PROPERTY(minimumScaleFactor, setMinimumScaleFactor, double)
  OBJC_PROPERTY(adjustsFontSizeToFitWidth, setAdjustsFontSizeToFitWidth, bool)

 private:
  Ref<UIColor> textColorImpl() { return textColor_ ? textColor_ : UIColor::labelColor(); }
  void setTextColorImpl(UIColor* c) { textColor_ = c; }
  long numberOfLinesImpl() { return numberOfLines_; }
  void setNumberOfLinesImpl(long n) { numberOfLines_ = n; }

  Ref<UIColor> textColor_;
  long numberOfLines_ = 1;
};
