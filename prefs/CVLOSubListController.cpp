#include "CVLOSubListController.h"

#include "CVLOBaseListController.h"
#include "foundation/Log.h"

void CVLOSubListController::setSpecifierImpl(PSSpecifier* s) {
  loadFromSpecifier(s);
  sendSuper<setSpecifierMessage>(s);
}

void CVLOSubListController::loadFromSpecifierImpl(PSSpecifier* s) {
  Ref<NSObject> raw = s ? s->propertyForKey("CVLOSub") : nullptr;
  auto* name = objc_cast<NSString>(raw.get());
  if (raw && !name) NSLog("The CVLOSub of %@ is not a page list name", s->name());
  if (name && name->utf8().find('/') != std::string::npos) {
    NSLog("The CVLOSub of %@ is a path (%@), not a page list name", s->name(), name);
    _specifiers = NSMutableArray::array();
    return;
  }
  _specifiers = loadSpecifiersFromPlistNameTarget(name, this);
}

void CVLOSubListController::viewDidLoadImpl() { sendSuper<viewDidLoadMessage>(); }

void CVLOSubListController::viewWillAppearImpl(bool animated) {
  sendSuper<viewWillAppearMessage>(animated);
  Ref<UIColor> theme = CVLOBaseListController::themeColor();
  CVLOBaseListController::tintPage(this, theme);
}

void CVLOSubListController::viewWillDisappearImpl(bool animated) {
  sendSuper<viewWillDisappearMessage>(animated);
  CVLOBaseListController::tintPage(this, nullptr);
}

OBJC_IMPLEMENT(CVLOSubListController)
