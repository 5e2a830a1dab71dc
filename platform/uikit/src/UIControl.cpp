#include "uikit/UIControl.h"

#include <algorithm>

Ref<UIView> UIControl::initWithFrameImpl(CGRect f) {
  return objc::sendSuper<Ref<UIView>(CGRect), "initWithFrame:">(UIControl::cls(), this, f);
}

void UIControl::addTargetActionForControlEventsImpl(NSObject* target, SEL action, unsigned long events) {
  actions_.push_back({target, action, events});
}

// Actions take the sender as their one argument, as tweak pages write them.
void UIControl::sendActionsForControlEventsImpl(unsigned long events) {
  auto actions = actions_;  // an action may add or remove others
  for (const auto& a : actions) {
    if (!(a.events & events) || !a.target) continue;
    objc::sendSel<void(NSObject*)>(a.target, a.action, this);
  }
}

OBJC_IMPLEMENT_LEGACY(UIControl)
void UIControl::registerMethods(objc::ClassBuilder<UIControl>& b) {
  b.method<"initWithFrame:", &UIControl::initWithFrameImpl>()
      .method<"isEnabled", &UIControl::isEnabledImpl>()
      .method<"setEnabled:", &UIControl::setEnabledImpl>()
      .method<"isSelected", &UIControl::isSelectedImpl>()
      .method<"setSelected:", &UIControl::setSelectedImpl>()
      .method<"isHighlighted", &UIControl::isHighlightedImpl>()
      .method<"setHighlighted:", &UIControl::setHighlightedImpl>()
      .method<"addTarget:action:forControlEvents:", &UIControl::addTargetActionForControlEventsImpl>()
      .method<"sendActionsForControlEvents:", &UIControl::sendActionsForControlEventsImpl>();
}
