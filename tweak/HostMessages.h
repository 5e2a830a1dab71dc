// The messages the tweak sends to or hooks in SpringBoard's own classes. The
// tweak does not link SpringBoard, so each is stated here, once, as the host
// answers it.
#pragma once

#include "foundation/NSString.h"
#include "uikit/UIEvent.h"
#include "uikit/UIPageControl.h"

namespace host {

// SBIconListPageControl (initWithFrame: and hitTest:withEvent: are UIView's)
using initWithFrameMessage = UIView::initWithFrameMessage;
using hitTestWithEventMessage = UIView::hitTestWithEventMessage;
using _shouldAnimatePropertyWithKeyMessage = objc::Message<"_shouldAnimatePropertyWithKey:", bool(NSString*)>;
using defaultHeightMessage = objc::Message<"defaultHeight", double()>;
using tapGestureDidUpdateMessage = objc::Message<"tapGestureDidUpdate:", void(NSObject*)>;
using touchesCancelledWithEventMessage = objc::Message<"touchesCancelled:withEvent:", void(NSObject*, NSObject*)>;
using setLegibilitySettingsMessage = objc::Message<"setLegibilitySettings:", void(NSObject*)>;
using legibilitySettingsMessage = objc::Message<"legibilitySettings", Ref<NSObject>()>;
using touchesEndedWithEventMessage = objc::Message<"touchesEnded:withEvent:", void(NSObject*, NSObject*)>;
using legibilitySettingsDidChangeMessage = objc::Message<"legibilitySettingsDidChange", void()>;
using gestureRecognizerShouldBeginMessage = objc::Message<"gestureRecognizerShouldBegin:", bool(NSObject*)>;
using actsAsButtonMessage = objc::Message<"actsAsButton", bool()>;
using tapGestureRecognizerMessage = objc::Message<"tapGestureRecognizer", Ref<NSObject>()>;
using delegateMessage = objc::Message<"delegate", Ref<NSObject>()>;
using setDelegateMessage = objc::Message<"setDelegate:", void(NSObject*)>;
using setActsAsButtonMessage = objc::Message<"setActsAsButton:", void(bool)>;
using setTouchIgnoreRectsMessage = objc::Message<"setTouchIgnoreRects:", void(NSObject*)>;
using setButtonHighlightedMessage = objc::Message<"setButtonHighlighted:", void(bool)>;
using touchesBeganWithEventMessage = objc::Message<"touchesBegan:withEvent:", void(NSObject*, NSObject*)>;
using effectiveLegibilitySettingsMessage = objc::Message<"effectiveLegibilitySettings", Ref<NSObject>()>;
using pageControlCurrentPageDidChangeMessage = objc::Message<"pageControlCurrentPageDidChange:", void(NSObject*)>;
using touchIgnoreRectsMessage = objc::Message<"touchIgnoreRects", Ref<NSObject>()>;

// SBHWidgetStackViewController
using pageControlMessage = objc::Message<"pageControl", Ref<UIPageControl>()>;
using _setPageControlHiddenAnimatedMessage = objc::Message<"_setPageControlHidden:animated:", void(bool, bool)>;

// FBSystemService
using sharedInstanceMessage = objc::Message<"sharedInstance", Ref<NSObject>()>;
using exitAndRelaunchMessage = objc::Message<"exitAndRelaunch:", void(bool)>;

}  // namespace host
