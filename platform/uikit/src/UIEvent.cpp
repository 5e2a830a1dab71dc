#include "uikit/UIEvent.h"

OBJC_IMPLEMENT_LEGACY(UIEvent)
void UIEvent::registerMethods(objc::ClassBuilder<UIEvent>& b) { b.method<"timestamp", &UIEvent::timestampImpl>(); }

OBJC_IMPLEMENT_LEGACY(UITouch)
void UITouch::registerMethods(objc::ClassBuilder<UITouch>& b) {
  b.method<"initWithLocation:", &UITouch::initWithLocationImpl>().method<"location", &UITouch::locationImpl>();
}
