// Controls: enabled, selected and highlighted states, and target-action.
#pragma once

#include <vector>

#include "uikit/UIView.h"

enum UIControlEvents : unsigned long {
  UIControlEventTouchDown = 1 << 0,
  UIControlEventTouchUpInside = 1 << 6,
  UIControlEventValueChanged = 1 << 12,
  UIControlEventPrimaryActionTriggered = 1 << 13,
  UIControlEventEditingChanged = 1 << 17,
  UIControlEventEditingDidEnd = 1 << 18,
};

class UIControl : public UIView {
  OBJC_CLASS(UIControl, UIView)
  OBJC_METHOD(isEnabled, "isEnabled", bool())
  OBJC_METHOD(setEnabled, "setEnabled:", void(bool))
  OBJC_METHOD(isSelected, "isSelected", bool())
  OBJC_METHOD(setSelected, "setSelected:", void(bool))
  OBJC_METHOD(isHighlighted, "isHighlighted", bool())
  OBJC_METHOD(setHighlighted, "setHighlighted:", void(bool))
  OBJC_METHOD(addTargetActionForControlEvents,
              "addTarget:action:forControlEvents:", void(NSObject*, SEL, unsigned long))
  OBJC_METHOD(sendActionsForControlEvents, "sendActionsForControlEvents:", void(unsigned long))

 private:
  bool isEnabledImpl() { return enabled_; }
  void setEnabledImpl(bool e) { enabled_ = e; }
  bool isSelectedImpl() { return selected_; }
  void setSelectedImpl(bool s) { selected_ = s; }
  bool isHighlightedImpl() { return highlighted_; }
  void setHighlightedImpl(bool h) { highlighted_ = h; }
  void addTargetActionForControlEventsImpl(NSObject* target, SEL action, unsigned long events);
  void sendActionsForControlEventsImpl(unsigned long events);

  struct Action {
    NSObject* target = nullptr;  // not retained, as on the device
    SEL action = nullptr;
    unsigned long events = 0;
  };
  bool enabled_ = true;
  bool selected_ = false;
  bool highlighted_ = false;
  std::vector<Action> actions_;
};
