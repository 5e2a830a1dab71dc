#include "uikit/UIAlertController.h"

Ref<UIAlertAction> UIAlertAction::actionWithTitleStyleHandlerImpl(Class, NSString* title, long style,
                                                                  _UIBlock* handler) {
  auto a = UIAlertAction::make();
  a->title_ = title;
  a->style_ = style;
  a->handler_ = handler;
  return a;
}

OBJC_IMPLEMENT(UIAlertAction)

Ref<UIAlertController> UIAlertController::alertControllerWithTitleMessagePreferredStyleImpl(Class, NSString* title,
                                                                                            NSString* message,
                                                                                            long style) {
  auto a = UIAlertController::make();
  a->setTitle(title);
  a->message_ = message;
  a->style_ = style;
  return a;
}

Ref<NSArray> UIAlertController::actionsImpl() {
  NSArray::Items items(actions_.begin(), actions_.end());
  return NSArray::make(std::move(items));
}

void UIAlertController::chooseAction(UIAlertAction* a) {
  Ref<UIAlertController> keep(this);
  Ref<UIAlertAction> action(a);
  dismissViewControllerAnimatedCompletion(true, nullptr);
  if (auto h = action->handler()) h->call(action);
}

OBJC_IMPLEMENT(UIAlertController)
