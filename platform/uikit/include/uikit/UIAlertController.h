// Alert sheets: a title, a message and actions, presented by a controller
// until one action is chosen.
#pragma once

#include <vector>

#include "foundation/NSString.h"
#include "uikit/UIViewController.h"

enum UIAlertControllerStyle : long {
  UIAlertControllerStyleActionSheet = 0,
  UIAlertControllerStyleAlert = 1,
};

enum UIAlertActionStyle : long {
  UIAlertActionStyleDefault = 0,
  UIAlertActionStyleCancel = 1,
  UIAlertActionStyleDestructive = 2,
};

class UIAlertAction : public NSObject {
  OBJC_CLASS(UIAlertAction, NSObject)
  // The handler is called with the action once it is chosen; it may be nothing.
  OBJC_CLASS_METHOD(actionWithTitleStyleHandler,
                    "actionWithTitle:style:handler:", Ref<UIAlertAction>(NSString*, long, _UIBlock*))
  OBJC_METHOD(title, "title", Ref<NSString>())
  OBJC_METHOD(style, "style", long())

 public:
  Ref<_UIBlock> handler() const { return handler_; }

 private:
  static Ref<UIAlertAction> actionWithTitleStyleHandlerImpl(Class self, NSString* title, long style, _UIBlock* handler);
  Ref<NSString> titleImpl() { return title_; }
  long styleImpl() { return style_; }
  Ref<NSString> title_;
  long style_ = UIAlertActionStyleDefault;
  Ref<_UIBlock> handler_;
};

class UIAlertController : public UIViewController {
  OBJC_CLASS(UIAlertController, UIViewController)
  OBJC_CLASS_METHOD(alertControllerWithTitleMessagePreferredStyle, "alertControllerWithTitle:message:preferredStyle:",
                    Ref<UIAlertController>(NSString*, NSString*, long))
  OBJC_METHOD(message, "message", Ref<NSString>())
  OBJC_METHOD(preferredStyle, "preferredStyle", long())
  OBJC_METHOD(addAction, "addAction:", void(UIAlertAction*))
  OBJC_METHOD(actions, "actions", Ref<NSArray>())

 public:
  // What a tap on an action does: dismisses the sheet, then runs the handler.
  void chooseAction(UIAlertAction* a);

 private:
  static Ref<UIAlertController> alertControllerWithTitleMessagePreferredStyleImpl(Class self, NSString* title,
                                                                                  NSString* message, long style);
  Ref<NSString> messageImpl() { return message_; }
  long preferredStyleImpl() { return style_; }
  void addActionImpl(UIAlertAction* a) { actions_.push_back(Ref<UIAlertAction>(a)); }
  Ref<NSArray> actionsImpl();
  Ref<NSString> message_;
  long style_ = UIAlertControllerStyleActionSheet;
  std::vector<Ref<UIAlertAction>> actions_;
};
