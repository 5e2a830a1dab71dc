#include "springboard/SBIconListPageControl.h"

#include <set>
#include <string>

Ref<UIView> SBIconListPageControl::initWithFrameImpl(CGRect f) {
  auto self = sendSuper<initWithFrameMessage>(f);
  if (!self) return self;
  // UIKit's recogniser, so the indicator's tap is the same class everywhere in the process.
  tapRecognizer_ = UITapGestureRecognizer::make();
  touchIgnoreRects_ = NSArray::array();
  return self;
}

// A tap on the indicator moves one page on, wrapping at the end.
void SBIconListPageControl::tapGestureDidUpdateImpl(NSObject*) {
  long pages = numberOfPages();
  if (pages < 2) return;
  setCurrentPage((currentPage() + 1) % pages);
  pageControlCurrentPageDidChange(this);
}

void SBIconListPageControl::touchesBeganWithEventImpl(NSObject*, NSObject*) {
  if (actsAsButton()) setButtonHighlighted(true);
}
void SBIconListPageControl::touchesEndedWithEventImpl(NSObject*, NSObject*) {
  if (buttonHighlighted_) setButtonHighlighted(false);
}
void SBIconListPageControl::touchesCancelledWithEventImpl(NSObject*, NSObject*) {
  if (buttonHighlighted_) setButtonHighlighted(false);
}

void SBIconListPageControl::setLegibilitySettingsImpl(NSObject* s) {
  if (legibility_.get() == s) return;
  legibility_ = s;
  legibilitySettingsDidChange();
}

// The dots take their colours from the legibility settings: new objects each
// time, so whoever saved the previous ones can tell them apart.
void SBIconListPageControl::legibilitySettingsDidChangeImpl() {
  auto settings = objc_cast<_UILegibilitySettings>(effectiveLegibilitySettings().get());
  if (!settings) return;
  setCurrentPageIndicatorTintColor(settings->primaryColor());
  setPageIndicatorTintColor(settings->secondaryColor());
}

bool SBIconListPageControl::gestureRecognizerShouldBeginImpl(NSObject*) {
  return actsAsButton() || numberOfPages() > 1;
}

Ref<NSObject> SBIconListPageControl::effectiveLegibilitySettingsImpl() {
  if (legibility_) return legibility_;
  return _UILegibilitySettings::settingsWithStyle(_UILegibilityStyleLight);
}

void SBIconListPageControl::pageControlCurrentPageDidChangeImpl(NSObject*) {
  _shouldAnimatePropertyWithKey(NSString::make("currentPage"));
}

// Touches in the ignore rectangles fall through to the icons beneath.
Ref<UIView> SBIconListPageControl::hitTestWithEventImpl(CGPoint p, UIEvent* e) {
  return sendSuper<hitTestWithEventMessage>(p, e);
}

bool SBIconListPageControl::_shouldAnimatePropertyWithKeyImpl(NSString* key) {
  static const std::set<std::string> animated{"alpha", "opacity", "currentPage", "bounds", "position"};
  return key && animated.count(key->utf8()) > 0;
}

OBJC_IMPLEMENT(SBIconListPageControl)
