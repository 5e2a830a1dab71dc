// Gesture recognisers attached to views. A tap is recognised when the host
// delivers one (`recognizeTap`); the recogniser then sends its actions.
#pragma once

#include <vector>

#include "foundation/NSArray.h"
#include "objc/Weak.h"
#include "uikit/UIView.h"

class UIGestureRecognizer : public NSObject {
  OBJC_CLASS(UIGestureRecognizer, NSObject)
  OBJC_INIT(initWithTargetAction, "initWithTarget:action:", Ref<UIGestureRecognizer>(NSObject*, SEL))
  OBJC_METHOD(addTargetAction, "addTarget:action:", void(NSObject*, SEL))
  OBJC_METHOD(view, "view", Ref<UIView>())
  OBJC_METHOD(isEnabled, "isEnabled", bool())
  OBJC_METHOD(setEnabled, "setEnabled:", void(bool))

 public:
  // Attaching is the view's business (UIView_Gestures); not a message.
  void attach(UIView* view) { view_ = Weak<UIView>(view); }

 protected:
  // Sends every action to its target with the recogniser as the argument.
  void sendActions();

 private:
  Ref<UIGestureRecognizer> initWithTargetActionImpl(NSObject* target, SEL action);
  void addTargetActionImpl(NSObject* target, SEL action);
  Ref<UIView> viewImpl() { return view_.lock(); }
  bool isEnabledImpl() { return enabled_; }
  void setEnabledImpl(bool e) { enabled_ = e; }

  struct Action {
    NSObject* target = nullptr;  // not retained, as on the device
    SEL action = nullptr;
  };
  std::vector<Action> actions_;
  Weak<UIView> view_;  // the view owns its recognisers
  bool enabled_ = true;
};

class UITapGestureRecognizer : public UIGestureRecognizer {
  OBJC_CLASS(UITapGestureRecognizer, UIGestureRecognizer)

 public:
  // One tap ended on the view: the actions run unless the recogniser is
  // disabled or detached. Answers whether they ran.
  bool recognizeTap();
};

struct UIView_Gestures {
  OBJC_CATEGORY(UIView_Gestures, UIView)
  OBJC_CATEGORY_METHOD(addGestureRecognizer, "addGestureRecognizer:", void(UIGestureRecognizer*))
  OBJC_CATEGORY_METHOD(removeGestureRecognizer, "removeGestureRecognizer:", void(UIGestureRecognizer*))
  OBJC_CATEGORY_METHOD(gestureRecognizers, "gestureRecognizers", Ref<NSArray>())

 private:
  static void addGestureRecognizerImpl(UIView* self, UIGestureRecognizer* recognizer);
  static void removeGestureRecognizerImpl(UIView* self, UIGestureRecognizer* recognizer);
  static Ref<NSArray> gestureRecognizersImpl(UIView* self);
};
