// Controls: enabled, selected and highlighted states, and target-action.
#pragma once

#include <vector>

#include "uikit/UIView.h"

enum UIControlEvents : unsigned long {
  UIControlEventTouchDown = 1 << 0,
  UIControlEventTouchUpInside = 1 << 6,
  UIControlEventValueChanged = 1 << 12,
  UIControlEventPrimaryActionTriggered = 1 << 13,
};

class UIControl : public UIView {
  OBJC_CLASS(UIControl, UIView)
 public:
  bool isEnabled() { return objc::send<bool(), "isEnabled">(this); }
  void setEnabled(bool e) { objc::send<void(bool), "setEnabled:">(this, e); }
  bool isSelected() { return objc::send<bool(), "isSelected">(this); }
  void setSelected(bool s) { objc::send<void(bool), "setSelected:">(this, s); }
  bool isHighlighted() { return objc::send<bool(), "isHighlighted">(this); }
  void setHighlighted(bool h) { objc::send<void(bool), "setHighlighted:">(this, h); }
  void addTargetActionForControlEvents(NSObject* target, SEL action, unsigned long events) {
    objc::send<void(NSObject*, SEL, unsigned long), "addTarget:action:forControlEvents:">(this, target, action,
                                                                                        events);
  }
  void sendActionsForControlEvents(unsigned long events) {
    objc::send<void(unsigned long), "sendActionsForControlEvents:">(this, events);
  }

 private:
  Ref<UIView> initWithFrameImpl(CGRect f);
  bool isEnabledImpl() { return !disabled_; }
  void setEnabledImpl(bool e) { disabled_ = !e; }
  bool isSelectedImpl() { return selected_; }
  void setSelectedImpl(bool s) { selected_ = s; }
  bool isHighlightedImpl() { return highlighted_; }
  void setHighlightedImpl(bool h) { highlighted_ = h; }
  void addTargetActionForControlEventsImpl(NSObject* target, SEL action, unsigned long events);
  void sendActionsForControlEventsImpl(unsigned long events);

  struct Action {
    NSObject* target;  // not retained, as on the device
    SEL action;
    unsigned long events;
  };
  bool disabled_;
  bool selected_;
  bool highlighted_;
  std::vector<Action> actions_;
};
