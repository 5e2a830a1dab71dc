#include "springboard/SBIconListPageControl.h"

#include <set>
#include <string>

OBJC_IMPLEMENT_LEGACY(UITapGestureRecognizer)
void UITapGestureRecognizer::registerMethods(objc::ClassBuilder<UITapGestureRecognizer>&) {}

Ref<UIView> SBIconListPageControl::initWithFrameImpl(CGRect f) {
  auto self = objc::sendSuper<Ref<UIView>(CGRect), "initWithFrame:">(SBIconListPageControl::cls(), this, f);
  if (!self) return self;
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
  return objc::sendSuper<Ref<UIView>(CGPoint, UIEvent*), "hitTest:withEvent:">(SBIconListPageControl::cls(), this,
                                                                                p, e);
}

bool SBIconListPageControl::_shouldAnimatePropertyWithKeyImpl(NSString* key) {
  static const std::set<std::string> animated{"alpha", "opacity", "currentPage", "bounds", "position"};
  return key && animated.count(key->utf8()) > 0;
}

OBJC_IMPLEMENT_LEGACY(SBIconListPageControl)
void SBIconListPageControl::registerMethods(objc::ClassBuilder<SBIconListPageControl>& b) {
  b.method<"initWithFrame:", &SBIconListPageControl::initWithFrameImpl>()
      .method<"defaultHeight", &SBIconListPageControl::defaultHeightImpl>()
      .method<"tapGestureDidUpdate:", &SBIconListPageControl::tapGestureDidUpdateImpl>()
      .method<"touchesCancelled:withEvent:", &SBIconListPageControl::touchesCancelledWithEventImpl>()
      .method<"setLegibilitySettings:", &SBIconListPageControl::setLegibilitySettingsImpl>()
      .method<"legibilitySettings", &SBIconListPageControl::legibilitySettingsImpl>()
      .method<"touchesEnded:withEvent:", &SBIconListPageControl::touchesEndedWithEventImpl>()
      .method<"legibilitySettingsDidChange", &SBIconListPageControl::legibilitySettingsDidChangeImpl>()
      .method<"gestureRecognizerShouldBegin:", &SBIconListPageControl::gestureRecognizerShouldBeginImpl>()
      .method<"actsAsButton", &SBIconListPageControl::actsAsButtonImpl>()
      .method<"tapGestureRecognizer", &SBIconListPageControl::tapGestureRecognizerImpl>()
      .method<"delegate", &SBIconListPageControl::delegateImpl>()
      .method<"setDelegate:", &SBIconListPageControl::setDelegateImpl>()
      .method<"setActsAsButton:", &SBIconListPageControl::setActsAsButtonImpl>()
      .method<"setTouchIgnoreRects:", &SBIconListPageControl::setTouchIgnoreRectsImpl>()
      .method<"setButtonHighlighted:", &SBIconListPageControl::setButtonHighlightedImpl>()
      .method<"touchesBegan:withEvent:", &SBIconListPageControl::touchesBeganWithEventImpl>()
      .method<"effectiveLegibilitySettings", &SBIconListPageControl::effectiveLegibilitySettingsImpl>()
      .method<"pageControlCurrentPageDidChange:", &SBIconListPageControl::pageControlCurrentPageDidChangeImpl>()
      .method<"touchIgnoreRects", &SBIconListPageControl::touchIgnoreRectsImpl>()
      .method<"hitTest:withEvent:", &SBIconListPageControl::hitTestWithEventImpl>()
      .method<"_shouldAnimatePropertyWithKey:", &SBIconListPageControl::_shouldAnimatePropertyWithKeyImpl>();
}
