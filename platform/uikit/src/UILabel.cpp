#include "uikit/UILabel.h"

#include <algorithm>

#include "uikit/TextMeasure.h"

namespace {
std::string_view textOf(const Ref<NSString>& s) { return s ? std::string_view(s->utf8()) : std::string_view(); }
}  // namespace

Ref<UIView> UILabel::initWithFrameImpl(CGRect f) {
  Ref<UIView> self = sendSuper<initWithFrameMessage>(f);
  if (self) static_cast<UILabel*>(self.get())->textAlignment_ = NSTextAlignmentNatural;
  return self;
}

Ref<UIFont> UILabel::fontImpl() { return font_ ? font_ : UIFont::systemFontOfSize(kUILabelDefaultFontSize); }

// The width given bounds wrapping only when the label may use more lines.
CGSize UILabel::sizeThatFitsImpl(CGSize size) {
  Ref<UIFont> f = font();
  return uikit::measureText(textOf(text()), f.get(), numberOfLines_, size.width);
}

CGSize UILabel::intrinsicContentSizeImpl() {
  Ref<UIFont> f = font();
  return uikit::measureText(textOf(text()), f.get(), numberOfLines_, numberOfLines_ == 1 ? 0 : frame().size.width);
}

double UILabel::displayedPointSize() {
  Ref<UIFont> f = font();
  double size = f->pointSize();
  double width = frame().size.width;
  if (!adjustsFontSizeToFitWidth() || numberOfLines_ != 1 || width <= 0) return size;
  double natural = uikit::measureText(textOf(text()), f.get()).width;
  if (natural <= width) return size;
  return size * std::max(minimumScaleFactor(), width / natural);
}

OBJC_IMPLEMENT(UILabel)
