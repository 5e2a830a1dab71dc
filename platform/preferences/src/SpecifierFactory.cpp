#include "SpecifierFactory.h"

#include "foundation/DevicePaths.h"
#include "foundation/Log.h"
#include "foundation/NSNumber.h"
#include "foundation/PropertyList.h"
#include "preferences/PreferenceLoader.h"
#include "preferences/CoreFoundation.h"
#include "preferences/PSControlCells.h"
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

// The simulated device is an iPhone: a row that needs an iPad's capability is
// not for it. Capabilities are given as a list of names, or as a dictionary of
// names to whether the row needs them present or absent.
bool runsOnThisDevice(NSObject* required) {
  auto needs = [](std::string_view name, bool present) {
    bool has = name != "ipad";
    return has == present;
  };
  if (auto* list = objc_cast<NSArray>(required)) {
    for (const auto& c : list->items())
      if (auto* name = objc_cast<NSString>(c.get()); name && !needs(name->utf8(), true)) return false;
  } else if (auto* d = objc_cast<NSDictionary>(required)) {
    for (const auto& [name, want] : d->entries()) {
      auto* n = objc_cast<NSNumber>(want.get());
      if (!needs(name, !n || n->boolValue())) return false;
    }
  }
  return true;
}

// From the list's own strings table when it has the key, else Localizable.
Ref<NSString> localized(NSBundle* bundle, NSString* key, NSString* listName) {
  if (!bundle || !key) return Ref<NSString>(key);
  if (listName && bundle->hasLocalizedString(key->utf8(), listName->utf8()))
    return bundle->localizedStringForKeyValueTable(key, key, listName);
  return bundle->localizedStringForKeyValueTable(key, key, nullptr);
}

Ref<NSArray> localizedTitles(NSBundle* bundle, NSArray* titles, NSString* table) {
  auto out = NSMutableArray::array();
  for (const auto& t : titles->items()) {
    if (auto* s = objc_cast<NSString>(t.get()))
      out->addObject(localized(bundle, s, table));
    else
      out->addObject(t);
  }
  return out;
}

void noteMissing(PSSpecifier* item, const std::string& what) {
  if (!item->findProperty(PSMissingCodeKey)) item->setPropertyForKey(NSString::make(what), PSMissingCodeKey);
}

Ref<PSSpecifier> specifierFromEntry(NSDictionary* entry, NSObject* target, NSBundle* bundle, NSString* listName,
                                    NSString* table, unsigned long index) {
  long type = PSStaticTextCell;
  NSString* unknownCell = nullptr;
  if (auto* cell = textProperty(entry, PSCellKey)) {
    type = PSCellTypeFromString(cell->utf8());
    if (type < 0) {
      NSLog("Row %lu of %@.plist names the unknown cell type %@; it is shown as static text", index, listName, cell);
      type = PSStaticTextCell;
      unknownCell = cell;
    }
  } else {
    NSLog("Row %lu of %@.plist names no cell type; it is shown as static text", index, listName);
  }
  NSObject* rawLabel = entry->find(PSTitleKey);
  auto* label = objc_cast<NSString>(rawLabel);
  if (rawLabel && !label) NSLog("Row %lu of %@.plist has a label that is not text", index, listName);
  Ref<NSString> name = label ? localized(bundle, label, table) : nullptr;

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
    item->setPropertyForKey(localized(bundle, footer, table), PSFooterTextGroupKey);
  if (auto* ident = textProperty(entry, PSIDKey)) item->setIdentifier(ident);
  if (unknownCell) noteMissing(item, unknownCell->utf8());
  if (auto* icon = textProperty(entry, "icon"); icon && bundle)
    if (Ref<NSString> path = bundle->pathForResourceOfType(icon, nullptr)) item->setPropertyForKey(path, "iconPath");

  NSObject* rawDetail = entry->find(PSDetailControllerClassKey);
  if (auto* detail = objc_cast<NSString>(rawDetail)) {
    Class c = classNamed(detail, UIViewController::cls());
    if (!c) {
      NSLog("Row %lu of %@.plist names the page class %@, which does not exist", index, listName, detail);
      if (!NSClassFromString(detail->utf8())) noteMissing(item, detail->utf8());
    }
    item->setDetailControllerClass(c);
  } else if (rawDetail) {
    NSLog("Row %lu of %@.plist has a detail that is not a class name", index, listName);
  }
  if (type == PSLinkListCell || type == PSSegmentCell) {
    auto* values = objc_cast<NSArray>(entry->find(PSValidValuesKey));
    auto* titles = objc_cast<NSArray>(entry->find(PSValidTitlesKey));
    // Titles are shown text, so they are translated like labels.
    if (values && titles) item->setValuesTitles(values, localizedTitles(bundle, titles, table));
    if (type == PSLinkListCell && !item->detailControllerClass() && !rawDetail)
      item->setDetailControllerClass(PSListItemsController::cls());
  }
  NSObject* rawCellClass = entry->find(PSCellClassKey);
  if (auto* cc = objc_cast<NSString>(rawCellClass)) {
    if (!classNamed(cc, PSTableCell::cls())) {
      // A class this process does not have at all is code that did not load.
      if (!NSClassFromString(cc->utf8())) {
        NSLog("Row %lu of %@.plist names the cell class %@, which is not loaded; the row is a placeholder", index,
              listName, cc);
        noteMissing(item, cc->utf8());
      } else {
        NSLog("Row %lu of %@.plist names the cell class %@, which is not a cell class; the default cell is used",
              index, listName, cc);
      }
    }
  } else if (rawCellClass) {
    NSLog("Row %lu of %@.plist has a cellClass that is not a class name", index, listName);
  }
  if (auto* header = textProperty(entry, "headerCellClass"); header && !classNamed(header, UIView::cls()))
    noteMissing(item, header->utf8());
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
  if (!insideDeviceRoot(path->utf8())) {
    NSLog("Page list %@ leads outside the device root and is not read", path);
    return list;
  }
  auto parsed = foundation::plistFromFile(foundation::devicePath(path->utf8()));
  auto* root = parsed ? objc_cast<NSDictionary>(parsed.value().get()) : nullptr;
  if (!root) {
    NSLog("Page list %@ could not be read: %s", path, parsed ? std::string("not a dictionary") : parsed.error());
    return list;
  }
  return pageListFrom(root, bundle, name, target);
}

PageList pageListFrom(NSDictionary* root, NSBundle* bundle, NSString* name, NSObject* target) {
  PageList list{nullptr, NSMutableArray::array()};
  // Texts come from the table the list names, else from the one named after it.
  Ref<NSString> table(name);
  if (auto* named = objc_cast<NSString>(root->find("stringsTable")); named && !named->utf8().empty()) table = named;
  if (auto* title = objc_cast<NSString>(root->find("title"))) list.title = localized(bundle, title, table);
  NSObject* rawItems = root->find("items");
  auto* items = objc_cast<NSArray>(rawItems);
  if (!items) {
    NSLog("Page list %@ has %s", name, rawItems ? "items that are not an array" : "no items");
    return list;
  }
  unsigned long index = 0;
  for (const auto& item : items->items()) {
    auto* entry = objc_cast<NSDictionary>(item.get());
    if (!entry) {
      NSLog("Row %lu of %@.plist is not a dictionary and is left out", index, name);
    } else if (passesFilter(entry->find("pl_filter"), name, index) &&
               runsOnThisDevice(entry->find("requiredCapabilities"))) {
      Ref<PSSpecifier> row = specifierFromEntry(entry, target, bundle, name, table, index);
      list.rows->addObject(row);
    }
    ++index;
  }
  return list;
}

}  // namespace preferences
