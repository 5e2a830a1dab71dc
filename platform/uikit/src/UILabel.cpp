#include "uikit/UILabel.h"

Ref<UIView> UILabel::initWithFrameImpl(CGRect f) {
  auto self = objc::sendSuper<Ref<UIView>(CGRect), "initWithFrame:">(UILabel::cls(), this, f);
  numberOfLines_ = 1;
  return self;
}

OBJC_IMPLEMENT_LEGACY(UILabel)
void UILabel::registerMethods(objc::ClassBuilder<UILabel>& b) {
  b.method<"initWithFrame:", &UILabel::initWithFrameImpl>()
      .method<"text", &UILabel::textImpl>()
      .method<"setText:", &UILabel::setTextImpl>()
      .method<"textColor", &UILabel::textColorImpl>()
      .method<"setTextColor:", &UILabel::setTextColorImpl>()
      .method<"highlightedTextColor", &UILabel::highlightedTextColorImpl>()
      .method<"setHighlightedTextColor:", &UILabel::setHighlightedTextColorImpl>()
      .method<"numberOfLines", &UILabel::numberOfLinesImpl>()
      .method<"setNumberOfLines:", &UILabel::setNumberOfLinesImpl>()
      .method<"minimumScaleFactor", &UILabel::minimumScaleFactorImpl>()
      .method<"setMinimumScaleFactor:", &UILabel::setMinimumScaleFactorImpl>()
      .method<"adjustsFontSizeToFitWidth", &UILabel::adjustsFontSizeToFitWidthImpl>()
      .method<"setAdjustsFontSizeToFitWidth:", &UILabel::setAdjustsFontSizeToFitWidthImpl>();
}
