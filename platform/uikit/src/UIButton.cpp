#include "uikit/UIButton.h"

#include <algorithm>

#include "uikit/TextMeasure.h"

// A subclass gets an instance of itself.
Ref<UIButton> UIButton::buttonWithTypeImpl(Class self, long type) {
  Ref<NSObject> fresh = objc::send<allocMessage>(self);
  auto button = ref_cast<UIButton>(objc::send<initWithFrameMessage>(fresh, CGRectZero));
  button->type_ = type;
  return button;
}

unsigned long UIButton::currentState() {
  unsigned long state = UIControlStateNormal;
  if (isHighlighted()) state |= UIControlStateHighlighted;
  if (isSelected()) state |= UIControlStateSelected;
  if (!isEnabled()) state |= UIControlStateDisabled;
  return state;
}

Ref<NSString> UIButton::titleForStateImpl(unsigned long state) {
  if (auto it = titles_.find(state); it != titles_.end() && it->second) return it->second;
  auto normal = titles_.find(UIControlStateNormal);
  return normal == titles_.end() ? nullptr : normal->second;
}
void UIButton::setTitleForStateImpl(NSString* t, unsigned long state) { titles_[state] = t; }

Ref<UIImage> UIButton::imageForStateImpl(unsigned long state) {
  if (auto it = images_.find(state); it != images_.end() && it->second) return it->second;
  auto normal = images_.find(UIControlStateNormal);
  return normal == images_.end() ? nullptr : normal->second;
}
void UIButton::setImageForStateImpl(UIImage* i, unsigned long state) { images_[state] = i; }

Ref<UIFont> UIButton::_titleFontImpl() { return UIFont::systemFontOfSize(kUIButtonDefaultFontSize); }

// The image and the title side by side; an empty button has the device's size.
CGSize UIButton::sizeThatFitsImpl(CGSize) {
  Ref<UIImage> image = imageForState(currentState());
  Ref<NSString> title = titleForState(currentState());
  if (!image && (!title || title->utf8().empty())) return kUIEmptyButtonSize;
  CGSize imageSize = image ? image->size() : CGSize{};
  Ref<UIFont> font = _titleFont();
  CGSize titleSize = title ? uikit::measureText(title->utf8(), font.get()) : CGSize{};
  return CGSize{imageSize.width + titleSize.width, std::max(imageSize.height, titleSize.height)};
}

void UIButton::_tapImpl() {
  if (!isEnabled()) return;
  if (Ref<UIMenu> m = menu(); m && showsMenuAsPrimaryAction()) {
    uikit::presentMenu(m, this);
    return;
  }
  sendActionsForControlEvents(UIControlEventTouchUpInside | UIControlEventPrimaryActionTriggered);
}

OBJC_IMPLEMENT(UIButton)
