#include "uikit/UIGestureRecognizer.h"

#include "foundation/NSArray.h"
#include "uikit/UIAction.h"

OBJC_IMPLEMENT(UIGestureRecognizer)
OBJC_IMPLEMENT(UITapGestureRecognizer)

Ref<UIGestureRecognizer> UIGestureRecognizer::initWithTargetActionImpl(NSObject* target, SEL action) {
  addTargetActionImpl(target, action);
  return Ref<UIGestureRecognizer>(this);
}

void UIGestureRecognizer::addTargetActionImpl(NSObject* target, SEL action) {
  if (target && action) actions_.push_back({target, action});
}

void UIGestureRecognizer::sendActions() {
  Ref<UIGestureRecognizer> keep(this);  // an action may detach the view and with it this
  auto actions = actions_;
  for (const auto& a : actions) uikit::sendAction(a.target, a.action, this);
}

bool UITapGestureRecognizer::recognizeTap() {
  if (!view() || !isEnabled()) return false;
  sendActions();
  return true;
}

// ------------------------------------------------------------------ views

namespace {
const char kRecognizersKey = 0;

Ref<NSMutableArray> recognizersOf(UIView* view, bool create) {
  Ref<NSMutableArray> list(objc_cast<NSMutableArray>(objc_getAssociatedObject(view, &kRecognizersKey).get()));
  if (!list && create) {
    list = NSMutableArray::array();
    objc_setAssociatedObject(view, &kRecognizersKey, list.get(), OBJC_ASSOCIATION_RETAIN_NONATOMIC);
  }
  return list;
}
}  // namespace

OBJC_IMPLEMENT_CATEGORY(UIView_Gestures)

void UIView_Gestures::addGestureRecognizerImpl(UIView* self, UIGestureRecognizer* recognizer) {
  if (!recognizer) return;
  Ref<NSMutableArray> list = recognizersOf(self, true);
  if (list->containsObject(recognizer)) return;
  if (Ref<UIView> previous = recognizer->view()) removeGestureRecognizerImpl(previous.get(), recognizer);
  list->addObject(recognizer);
  recognizer->attach(self);
}

void UIView_Gestures::removeGestureRecognizerImpl(UIView* self, UIGestureRecognizer* recognizer) {
  Ref<NSMutableArray> list = recognizersOf(self, false);
  if (!list || !recognizer || !list->containsObject(recognizer)) return;
  recognizer->attach(nullptr);
  list->removeObject(recognizer);
}

Ref<NSArray> UIView_Gestures::gestureRecognizersImpl(UIView* self) {
  Ref<NSMutableArray> list = recognizersOf(self, false);
  return list ? list->copy() : NSArray::array();
}
