#include "uikit/UIAlertController.h"

Ref<UIAlertAction> UIAlertAction::actionWithTitleStyleHandlerImpl(NSObject*, SEL, NSString* title, long style,
                                                                  _UIBlock* handler) {
  auto a = UIAlertAction::make();
  a->title_ = title;
  a->style_ = style;
  a->handler_ = handler;
  return a;
}

OBJC_IMPLEMENT_LEGACY(UIAlertAction)
void UIAlertAction::registerMethods(objc::ClassBuilder<UIAlertAction>& b) {
  b.classMethod<"actionWithTitle:style:handler:", &UIAlertAction::actionWithTitleStyleHandlerImpl>()
      .method<"title", &UIAlertAction::titleImpl>()
      .method<"style", &UIAlertAction::styleImpl>();
}

Ref<UIAlertController> UIAlertController::makeImpl(NSObject*, SEL, NSString* title, NSString* message, long style) {
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

OBJC_IMPLEMENT_LEGACY(UIAlertController)
void UIAlertController::registerMethods(objc::ClassBuilder<UIAlertController>& b) {
  b.classMethod<"alertControllerWithTitle:message:preferredStyle:", &UIAlertController::makeImpl>()
      .method<"message", &UIAlertController::messageImpl>()
      .method<"preferredStyle", &UIAlertController::preferredStyleImpl>()
      .method<"addAction:", &UIAlertController::addActionImpl>()
      .method<"actions", &UIAlertController::actionsImpl>();
}
