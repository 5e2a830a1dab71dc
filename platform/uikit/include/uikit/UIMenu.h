// Menus: actions with a title, an image and a handler, and the menu a button
// opens. One menu is open at a time in the process; choosing an entry closes
// it and then runs the entry's handler, as a tap does on the device.
#pragma once

#include "foundation/NSArray.h"
#include "foundation/NSString.h"
#include "uikit/UIBlock.h"
#include "uikit/UIImage.h"

enum UIMenuElementAttributes : unsigned long {
  UIMenuElementAttributesDisabled = 1,
  UIMenuElementAttributesDestructive = 2,  // drawn in the warning colour
  UIMenuElementAttributesHidden = 4,
};

class UIMenuElement : public NSObject {
  OBJC_CLASS(UIMenuElement, NSObject)
  OBJC_PROPERTY(title, setTitle, Ref<NSString>)
  OBJC_PROPERTY(image, setImage, Ref<UIImage>)
};

class UIAction : public UIMenuElement {
  OBJC_CLASS(UIAction, UIMenuElement)
  // The handler is called with the action once it is chosen; it may be nothing.
  OBJC_CLASS_METHOD(actionWithTitleImageIdentifierHandler, "actionWithTitle:image:identifier:handler:",
                    Ref<UIAction>(NSString*, UIImage*, NSString*, _UIBlock*))
  OBJC_PROPERTY(identifier, setIdentifier, Ref<NSString>)
  OBJC_PROPERTY(attributes, setAttributes, unsigned long)

 public:
  Ref<_UIBlock> handler() const { return handler_; }

 private:
  static Ref<UIAction> actionWithTitleImageIdentifierHandlerImpl(Class self, NSString* title, UIImage* image,
                                                                 NSString* identifier, _UIBlock* handler);
  Ref<_UIBlock> handler_;
};

class UIMenu : public UIMenuElement {
  OBJC_CLASS(UIMenu, UIMenuElement)
  OBJC_CLASS_METHOD(menuWithChildren, "menuWithChildren:", Ref<UIMenu>(NSArray*))
  OBJC_CLASS_METHOD(menuWithTitleChildren, "menuWithTitle:children:", Ref<UIMenu>(NSString*, NSArray*))
  // The entries in the order given.
  OBJC_METHOD(children, "children", Ref<NSArray>())

 private:
  static Ref<UIMenu> menuWithChildrenImpl(Class self, NSArray* children);
  static Ref<UIMenu> menuWithTitleChildrenImpl(Class self, NSString* title, NSArray* children);
  Ref<NSArray> childrenImpl() { return children_ ? children_ : NSArray::array(); }
  Ref<NSArray> children_;
};

class UIView;

namespace uikit {

// Opens `menu` from `source`, closing any other (main thread only).
void presentMenu(UIMenu* menu, UIView* source);
Ref<UIMenu> presentedMenu();
Ref<UIView> presentedMenuSource();
void dismissMenu();
// What a tap on an entry of the open menu does: closes the menu, then runs
// the entry's handler. Disabled entries do nothing; answers whether it ran.
bool chooseMenuAction(UIAction* action);

}  // namespace uikit
