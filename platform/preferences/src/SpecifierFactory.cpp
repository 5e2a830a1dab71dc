#include "SpecifierFactory.h"

#include "foundation/DevicePaths.h"
#include "foundation/Log.h"
#include "foundation/NSNumber.h"
#include "foundation/PropertyList.h"
#include "preferences/CoreFoundation.h"
#include "preferences/PSListItemsController.h"
#include "preferences/PSTableCell.h"

namespace preferences {

namespace {

NSString* textProperty(NSDictionary* d, std::string_view key) { return objc_cast<NSString>(d->find(key)); }

// pl_filter: { CoreFoundationVersion = (lowest, [below]) }. The row shows
// on systems from the first version up to, not including, the second.
bool passesFilter(NSObject* filter, NSString* listName, unsigned long index) {
  if (!filter) return true;
  auto* d = objc_cast<NSDictionary>(filter);
  auto* range = d ? objc_cast<NSArray>(d->find("CoreFoundationVersion")) : nullptr;
  if (!range || range->items().empty()) {
    NSLog("Row %lu of %@.plist has a pl_filter without a CoreFoundationVersion range; the row is kept", index,
          listName);
    return true;
  }
  if (auto low = numberOf(range->items()[0].get()); low && kCFCoreFoundationVersionNumber < *low) return false;
  if (range->items().size() > 1)
    if (auto high = numberOf(range->items()[1].get()); high && kCFCoreFoundationVersionNumber >= *high) return false;
  return true;
}

// From the list's own strings table when it has the key, else Localizable.
Ref<NSString> localized(NSBundle* bundle, NSString* key, NSString* listName) {
  if (!bundle || !key) return Ref<NSString>(key);
  if (bundle->hasLocalizedString(key->utf8(), listName->utf8()))
    return bundle->localizedStringForKeyValueTable(key, key, listName);
  return bundle->localizedStringForKeyValueTable(key, key, nullptr);
}

Ref<PSSpecifier> specifierFromEntry(NSDictionary* entry, NSObject* target, NSBundle* bundle, NSString* listName,
                                    unsigned long index) {
  long type = PSStaticTextCell;
  if (auto* cell = textProperty(entry, PSCellKey)) {
    type = PSCellTypeFromString(cell->utf8());
    if (type < 0) {
      NSLog("Row %lu of %@.plist names the unknown cell type %@; it is shown as static text", index, listName, cell);
      type = PSStaticTextCell;
    }
  } else {
    NSLog("Row %lu of %@.plist names no cell type; it is shown as static text", index, listName);
  }
  NSObject* rawLabel = entry->find(PSTitleKey);
  auto* label = objc_cast<NSString>(rawLabel);
  if (rawLabel && !label) NSLog("Row %lu of %@.plist has a label that is not text", index, listName);
  Ref<NSString> name = label ? localized(bundle, label, listName) : nullptr;

  SEL setter = PSListController::setPreferenceValueSpecifierMessage::sel();
  SEL getter = PSListController::readPreferenceValueMessage::sel();
  if (auto* s = textProperty(entry, "set")) setter = sel_registerName(s->utf8());
  if (auto* g = textProperty(entry, "get")) getter = sel_registerName(g->utf8());

  auto item = PSSpecifier::preferenceSpecifierNamedTargetSetGetDetailCellEdit(name, target, setter, getter, nullptr,
                                                                              type, nullptr);
  for (const auto& [key, value] : entry->entries()) item->setPropertyForKey(value, key);
  if (name) item->setPropertyForKey(name, PSTitleKey);
  // A group's footer is shown text like a label, so it goes through the same tables.
  if (auto* footer = textProperty(entry, PSFooterTextGroupKey))
    item->setPropertyForKey(localized(bundle, footer, listName), PSFooterTextGroupKey);
  if (auto* ident = textProperty(entry, PSIDKey)) item->setIdentifier(ident);

  NSObject* rawDetail = entry->find(PSDetailControllerClassKey);
  if (auto* detail = objc_cast<NSString>(rawDetail)) {
    Class c = classNamed(detail, UIViewController::cls());
    if (!c) NSLog("Row %lu of %@.plist names the page class %@, which does not exist", index, listName, detail);
    item->setDetailControllerClass(c);
  } else if (rawDetail) {
    NSLog("Row %lu of %@.plist has a detail that is not a class name", index, listName);
  }
  if (type == PSLinkListCell) {
    auto* values = objc_cast<NSArray>(entry->find(PSValidValuesKey));
    auto* titles = objc_cast<NSArray>(entry->find(PSValidTitlesKey));
    if (values && titles) item->setValuesTitles(values, titles);
    if (!item->detailControllerClass()) item->setDetailControllerClass(PSListItemsController::cls());
  }
  NSObject* rawCellClass = entry->find(PSCellClassKey);
  if (auto* cc = objc_cast<NSString>(rawCellClass)) {
    if (!classNamed(cc, PSTableCell::cls()))
      NSLog("Row %lu of %@.plist names the cell class %@, which is not a cell class; the default cell is used", index,
            listName, cc);
  } else if (rawCellClass) {
    NSLog("Row %lu of %@.plist has a cellClass that is not a class name", index, listName);
  }
  if (auto* action = textProperty(entry, PSActionKey)) item->setButtonAction(sel_registerName(action->utf8()));
  return item;
}

}  // namespace

std::optional<double> numberOf(NSObject* value) {
  if (auto* n = objc_cast<NSNumber>(value)) return n->doubleValue();
  if (auto* s = objc_cast<NSString>(value)) return s->doubleValue();
  return std::nullopt;
}

Class classNamed(NSString* name, Class base) {
  if (!name) return nullptr;
  Class c = NSClassFromString(name->utf8());
  for (Class k = c; k; k = class_getSuperclass(k))
    if (k == base) return c;
  return nullptr;
}

PageList loadPageList(NSBundle* bundle, NSString* name, NSObject* target) {
  PageList list{nullptr, NSMutableArray::array()};
  Ref<NSString> bundlePath = bundle ? bundle->bundlePath() : nullptr;
  if (!name || name->utf8().empty()) {
    NSLog("A settings page of %@ asked for a page list without a name", bundlePath);
    return list;
  }
  Ref<NSString> path = bundle ? bundle->pathForResourceOfType(name, "plist"_ns) : nullptr;
  if (!path) {
    NSLog("Page list %@.plist is missing from %@", name, bundlePath);
    return list;
  }
  auto parsed = foundation::plistFromFile(foundation::devicePath(path->utf8()));
  auto* root = parsed ? objc_cast<NSDictionary>(parsed.value().get()) : nullptr;
  if (!root) {
    NSLog("Page list %@ could not be read: %s", path, parsed ? std::string("not a dictionary") : parsed.error());
    return list;
  }
  if (auto* title = objc_cast<NSString>(root->find("title"))) list.title = localized(bundle, title, name);
  NSObject* rawItems = root->find("items");
  auto* items = objc_cast<NSArray>(rawItems);
  if (!items) {
    NSLog("Page list %@ has %s", path, rawItems ? "items that are not an array" : "no items");
    return list;
  }
  unsigned long index = 0;
  for (const auto& item : items->items()) {
    auto* entry = objc_cast<NSDictionary>(item.get());
    if (!entry) {
      NSLog("Row %lu of %@.plist is not a dictionary and is left out", index, name);
    } else if (passesFilter(entry->find("pl_filter"), name, index)) {
      Ref<PSSpecifier> row = specifierFromEntry(entry, target, bundle, name, index);
      list.rows->addObject(row);
    }
    ++index;
  }
  return list;
}

}  // namespace preferences
