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
 public:
  // The handler is called with the action once it is chosen; it may be nothing.
  static Ref<UIAlertAction> actionWithTitleStyleHandler(NSString* title, long style, _UIBlock* handler) {
    return ref_cast<UIAlertAction>(objc::send<Ref<NSObject>(NSString*, long, _UIBlock*),
                                              "actionWithTitle:style:handler:">(cls(), title, style, handler));
  }
  Ref<NSString> title() { return objc::send<Ref<NSString>(), "title">(this); }
  long style() { return objc::send<long(), "style">(this); }

  Ref<_UIBlock> handler() const { return handler_; }

 private:
  static Ref<UIAlertAction> actionWithTitleStyleHandlerImpl(NSObject* cls, SEL, NSString* title, long style,
                                                            _UIBlock* handler);
  Ref<NSString> titleImpl() { return title_; }
  long styleImpl() { return style_; }
  Ref<NSString> title_;
  long style_;
  Ref<_UIBlock> handler_;
};

class UIAlertController : public UIViewController {
  OBJC_CLASS(UIAlertController, UIViewController)
 public:
  static Ref<UIAlertController> alertControllerWithTitleMessagePreferredStyle(NSString* title, NSString* message,
                                                                              long style) {
    return ref_cast<UIAlertController>(objc::send<Ref<NSObject>(NSString*, NSString*, long),
                                                  "alertControllerWithTitle:message:preferredStyle:">(
        cls(), title, message, style));
  }
  Ref<NSString> message() { return objc::send<Ref<NSString>(), "message">(this); }
  long preferredStyle() { return objc::send<long(), "preferredStyle">(this); }
  void addAction(UIAlertAction* a) { objc::send<void(UIAlertAction*), "addAction:">(this, a); }
  Ref<NSArray> actions() { return objc::send<Ref<NSArray>(), "actions">(this); }

  // What a tap on an action does: dismisses the sheet, then runs the handler.
  void chooseAction(UIAlertAction* a);

 private:
  static Ref<UIAlertController> makeImpl(NSObject* cls, SEL, NSString* title, NSString* message, long style);
  Ref<NSString> messageImpl() { return message_; }
  long preferredStyleImpl() { return style_; }
  void addActionImpl(UIAlertAction* a) { actions_.push_back(Ref<UIAlertAction>(a)); }
  Ref<NSArray> actionsImpl();
  Ref<NSString> message_;
  long style_;
  std::vector<Ref<UIAlertAction>> actions_;
};
