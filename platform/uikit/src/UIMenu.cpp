#include "uikit/UIMenu.h"

#include "objc/Weak.h"
#include "uikit/UIView.h"

OBJC_IMPLEMENT(UIMenuElement)

Ref<UIAction> UIAction::actionWithTitleImageIdentifierHandlerImpl(Class, NSString* title, UIImage* image,
                                                                  NSString* identifier, _UIBlock* handler) {
  auto a = UIAction::make();
  a->setTitle(title);
  a->setImage(image);
  a->setIdentifier(identifier);
  a->handler_ = handler;
  return a;
}

OBJC_IMPLEMENT(UIAction)

Ref<UIMenu> UIMenu::menuWithChildrenImpl(Class self, NSArray* children) {
  Ref<NSString> untitled = ""_ns;
  return menuWithTitleChildrenImpl(self, untitled, children);
}

Ref<UIMenu> UIMenu::menuWithTitleChildrenImpl(Class, NSString* title, NSArray* children) {
  auto m = UIMenu::make();
  m->setTitle(title);
  NSArray::Items items;
  if (children)
    for (const auto& c : children->items())
      if (objc_cast<UIMenuElement>(c.get())) items.push_back(c);
  m->children_ = NSArray::make(std::move(items));
  return m;
}

OBJC_IMPLEMENT(UIMenu)

namespace uikit {

namespace {
struct OpenMenu {
  Ref<UIMenu> menu;
  Weak<UIView> source;
};
OpenMenu& openMenu() {
  static OpenMenu* const open = new OpenMenu;  // lives as long as the process
  return *open;
}
}  // namespace

void presentMenu(UIMenu* menu, UIView* source) {
  openMenu().menu = menu;
  openMenu().source = Weak<UIView>(source);
}

Ref<UIMenu> presentedMenu() { return openMenu().menu; }
Ref<UIView> presentedMenuSource() { return openMenu().source.lock(); }

void dismissMenu() {
  openMenu().menu = nullptr;
  openMenu().source = Weak<UIView>();
}

bool chooseMenuAction(UIAction* action) {
  if (!action || (action->attributes() & UIMenuElementAttributesDisabled)) return false;
  Ref<UIAction> keep(action);
  dismissMenu();
  if (auto h = keep->handler()) h->call(keep);
  return true;
}

}  // namespace uikit
