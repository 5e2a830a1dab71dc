// Labels: a text with its colours and how it fits its width.
#pragma once

#include "foundation/NSString.h"
#include "uikit/UIView.h"

class UILabel : public UIView {
  OBJC_CLASS(UILabel, UIView)
 public:
  Ref<NSString> text() { return objc::send<Ref<NSString>(), "text">(this); }
  void setText(NSString* t) { objc::send<void(NSString*), "setText:">(this, t); }
  // Never nothing: setting nothing gives the system's label colour back.
  Ref<UIColor> textColor() { return objc::send<Ref<UIColor>(), "textColor">(this); }
  void setTextColor(UIColor* c) { objc::send<void(UIColor*), "setTextColor:">(this, c); }
  Ref<UIColor> highlightedTextColor() { return objc::send<Ref<UIColor>(), "highlightedTextColor">(this); }
  void setHighlightedTextColor(UIColor* c) { objc::send<void(UIColor*), "setHighlightedTextColor:">(this, c); }
  long numberOfLines() { return objc::send<long(), "numberOfLines">(this); }
  void setNumberOfLines(long n) { objc::send<void(long), "setNumberOfLines:">(this, n); }
  CGFloat minimumScaleFactor() { return objc::send<double(), "minimumScaleFactor">(this); }
  void setMinimumScaleFactor(CGFloat f) { objc::send<void(double), "setMinimumScaleFactor:">(this, f); }
  bool adjustsFontSizeToFitWidth() { return objc::send<bool(), "adjustsFontSizeToFitWidth">(this); }
  void setAdjustsFontSizeToFitWidth(bool a) { objc::send<void(bool), "setAdjustsFontSizeToFitWidth:">(this, a); }

 private:
  Ref<UIView> initWithFrameImpl(CGRect f);
  Ref<NSString> textImpl() { return text_; }
  void setTextImpl(NSString* t) { text_ = t; }
  Ref<UIColor> textColorImpl() { return textColor_ ? textColor_ : UIColor::labelColor(); }
  void setTextColorImpl(UIColor* c) { textColor_ = c; }
  Ref<UIColor> highlightedTextColorImpl() { return highlightedTextColor_; }
  void setHighlightedTextColorImpl(UIColor* c) { highlightedTextColor_ = c; }
  long numberOfLinesImpl() { return numberOfLines_; }
  void setNumberOfLinesImpl(long n) { numberOfLines_ = n; }
  double minimumScaleFactorImpl() { return minimumScaleFactor_; }
  void setMinimumScaleFactorImpl(double f) { minimumScaleFactor_ = f; }
  bool adjustsFontSizeToFitWidthImpl() { return adjustsFontSize_; }
  void setAdjustsFontSizeToFitWidthImpl(bool a) { adjustsFontSize_ = a; }

  Ref<NSString> text_;
  Ref<UIColor> textColor_;
  Ref<UIColor> highlightedTextColor_;
  long numberOfLines_;
  double minimumScaleFactor_;
  bool adjustsFontSize_;
};
