// Labels: a text in a font, its colours, alignment, line count and how it
// fits its width. Sizes are measured from the real text (uikit/TextMeasure.h).
#pragma once

#include "foundation/NSString.h"
#include "uikit/UIFont.h"
#include "uikit/UIView.h"

enum NSTextAlignment : long {
  NSTextAlignmentLeft = 0,
  NSTextAlignmentCenter = 1,
  NSTextAlignmentRight = 2,
  NSTextAlignmentJustified = 3,
  NSTextAlignmentNatural = 4,
};

class UILabel : public UIView {
  OBJC_CLASS(UILabel, UIView)
  OBJC_OVERRIDE(initWithFrame)
  OBJC_PROPERTY(text, setText, Ref<NSString>)
  // Never nothing: setting nothing gives the system's label colour back.
  OBJC_METHOD(textColor, "textColor", Ref<UIColor>())
  OBJC_METHOD(setTextColor, "setTextColor:", void(UIColor*))
  OBJC_PROPERTY(highlightedTextColor, setHighlightedTextColor, Ref<UIColor>)
  // Never nothing: the system font of 17 points unless set.
  OBJC_METHOD(font, "font", Ref<UIFont>())
  OBJC_METHOD(setFont, "setFont:", void(UIFont*))
  OBJC_PROPERTY(textAlignment, setTextAlignment, long)
  // 0 means as many as the text needs.
  OBJC_METHOD(numberOfLines, "numberOfLines", long())
  OBJC_METHOD(setNumberOfLines, "setNumberOfLines:", void(long))
  OBJC_PROPERTY(minimumScaleFactor, setMinimumScaleFactor, double)
  OBJC_PROPERTY(adjustsFontSizeToFitWidth, setAdjustsFontSizeToFitWidth, bool)
  OBJC_OVERRIDE(sizeThatFits)
  OBJC_OVERRIDE(intrinsicContentSize)

 public:
  // The point size the text is drawn at: the font's, or smaller when the
  // label shrinks a single line to fit its width, never below
  // minimumScaleFactor of it (not a message).
  double displayedPointSize();

 private:
  Ref<UIView> initWithFrameImpl(CGRect f);
  Ref<UIColor> textColorImpl() { return textColor_ ? textColor_ : UIColor::labelColor(); }
  void setTextColorImpl(UIColor* c) { textColor_ = c; }
  Ref<UIFont> fontImpl();
  void setFontImpl(UIFont* f) { font_ = f; }
  long numberOfLinesImpl() { return numberOfLines_; }
  void setNumberOfLinesImpl(long n) { numberOfLines_ = n; }
  CGSize sizeThatFitsImpl(CGSize size);
  CGSize intrinsicContentSizeImpl();

  Ref<UIColor> textColor_;
  Ref<UIFont> font_;
  long numberOfLines_ = 1;
};
