#include "uikit/UIControl.h"

#include "uikit/UIAction.h"

void UIControl::addTargetActionForControlEventsImpl(NSObject* target, SEL action, unsigned long events) {
  actions_.push_back({target, action, events});
}

void UIControl::sendActionsForControlEventsImpl(unsigned long events) {
  auto actions = actions_;  // an action may add or remove others
  for (const auto& a : actions) {
    if (!(a.events & events) || !a.target) continue;
    uikit::sendAction(a.target, a.action, this);
  }
}

OBJC_IMPLEMENT(UIControl)
