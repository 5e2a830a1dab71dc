#include "uikit/UIControl.h"

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

OBJC_IMPLEMENT(UIControl, isEnabled, setEnabled, isSelected, setSelected, isHighlighted, setHighlighted,
               addTargetActionForControlEvents, sendActionsForControlEvents)
