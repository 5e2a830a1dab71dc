#include "preferences/PSListItemsController.h"

#include "foundation/PropertyList.h"
#include "uikit/UINavigationController.h"

Ref<NSArray> PSListItemsController::specifiersImpl() {
  if (_specifiers) return _specifiers;
  _specifiers = NSMutableArray::array();
  Ref<PSSpecifier> list = specifier();
  if (!list || !list->values()) return _specifiers;
  Ref<PSSpecifier> group = PSSpecifier::emptyGroupSpecifier();
  _specifiers->addObject(group);
  Ref<NSDictionary> titles = list->titleDictionary();
  Ref<NSArray> values = list->values();
  for (const auto& v : values->items()) {
    auto* title = titles ? objc_cast<NSString>(titles->find(foundation::describe(v.get()))) : nullptr;
    auto row = PSSpecifier::preferenceSpecifierNamedTargetSetGetDetailCellEdit(
        title ? Ref<NSString>(title) : NSString::make(foundation::describe(v.get())), this, nullptr, nullptr, nullptr,
        PSListItemCell, nullptr);
    row->setPropertyForKey(v, "value");
    _specifiers->addObject(row);
  }
  return _specifiers;
}

Ref<UITableViewCell> PSListItemsController::tableViewCellForRowAtIndexPathImpl(UITableView* t, NSIndexPath* p) {
  Ref<UITableViewCell> cell = sendSuper<tableViewCellForRowAtIndexPathMessage>(t, p);
  Ref<PSSpecifier> list = specifier();
  Ref<PSSpecifier> row = specifierAtIndexPath(p);
  Ref<NSObject> target = list ? list->target() : nullptr;
  Ref<NSObject> current;
  if (target && list->_getter() && class_respondsToSelector(target->isa(), list->_getter()))
    current = objc::sendSel<Ref<NSObject>(PSSpecifier*)>(target, list->_getter(), list.get());
  NSObject* value = row ? row->findProperty("value") : nullptr;
  bool chosen = current && value && foundation::describe(current) == foundation::describe(value);
  cell->setAccessoryType(chosen ? UITableViewCellAccessoryCheckmark : UITableViewCellAccessoryNone);
  return cell;
}

void PSListItemsController::tableViewDidSelectRowAtIndexPathImpl(UITableView*, NSIndexPath* p) {
  Ref<PSSpecifier> list = specifier();
  Ref<PSSpecifier> row = specifierAtIndexPath(p);
  if (!list || !row) return;
  Ref<PSListItemsController> keep(this);
  PSTableCell::sendSetter(list, row->findProperty("value"));
  if (auto* page = objc_cast<PSListController>(list->target().get())) page->reloadSpecifier(list);
  if (auto nav = navigationController()) nav->popViewControllerAnimated(true);
}

OBJC_IMPLEMENT(PSListItemsController)
