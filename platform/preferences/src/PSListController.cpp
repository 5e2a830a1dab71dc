#include "preferences/PSListController.h"

#include "foundation/DevicePaths.h"
#include "foundation/Log.h"
#include "foundation/NSNumber.h"
#include "foundation/NSUserDefaults.h"
#include "foundation/PropertyList.h"
#include "notify/notify.h"
#include "preferences/CoreFoundation.h"
#include "uikit/UINavigationController.h"

namespace {

NSString* textProperty(NSDictionary* d, std::string_view key) { return objc_cast<NSString>(d->find(key)); }

double numberOf(NSObject* v, bool* ok) {
  if (auto* n = objc_cast<NSNumber>(v)) {
    *ok = true;
    return n->doubleValue();
  }
  if (auto* s = objc_cast<NSString>(v)) {
    *ok = true;
    return s->doubleValue();
  }
  *ok = false;
  return 0;
}

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
  bool ok = false;
  double low = numberOf(range->items()[0].get(), &ok);
  if (ok && kCFCoreFoundationVersionNumber < low) return false;
  if (range->items().size() > 1) {
    double high = numberOf(range->items()[1].get(), &ok);
    if (ok && kCFCoreFoundationVersionNumber >= high) return false;
  }
  return true;
}

Ref<NSString> localized(NSBundle* bundle, NSString* key, NSString* listName) {
  if (!bundle || !key) return Ref<NSString>(key);
  if (bundle->hasLocalizedString(key->utf8(), listName->utf8()))
    return bundle->localizedStringForKeyValueTable(key, key, listName);
  return bundle->localizedStringForKeyValueTable(key, key, nullptr);
}

Class classNamed(NSString* name, Class base) {
  if (!name) return nullptr;
  Class c = NSClassFromString(name->utf8());
  for (Class k = c; k; k = class_getSuperclass(k))
    if (k == base) return c;
  return nullptr;
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

  SEL setter = sel_registerName("setPreferenceValue:specifier:");
  SEL getter = sel_registerName("readPreferenceValue:");
  if (auto* s = textProperty(entry, "set")) setter = sel_registerName(s->utf8());
  if (auto* g = textProperty(entry, "get")) getter = sel_registerName(g->utf8());

  auto item = PSSpecifier::preferenceSpecifierNamedTargetSetGetDetailCellEdit(name, target, setter, getter, nullptr,
                                                                             type, nullptr);
  for (const auto& [key, value] : entry->entries()) item->setPropertyForKey(value, key);
  if (name) item->setPropertyForKey(name, PSTitleKey);
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

// ------------------------------------------------------------------ rows

Ref<NSArray> PSListController::specifiersImpl() { return _specifiers; }

Ref<NSBundle> PSListController::bundleImpl() { return NSBundle::bundleForClass(isa()); }

Ref<NSMutableArray> PSListController::loadSpecifiersFromPlistNameTargetImpl(NSString* name, NSObject* target) {
  auto rows = NSMutableArray::array();
  Ref<NSBundle> b = bundle();
  if (!name || name->utf8().empty()) {
    NSLog("A settings page of %@ asked for a page list without a name", b ? b->bundlePath() : nullptr);
    return rows;
  }
  Ref<NSString> path = b ? b->pathForResourceOfType(name, "plist"_ns) : nullptr;
  if (!path) {
    NSLog("Page list %@.plist is missing from %@", name, b ? b->bundlePath() : nullptr);
    return rows;
  }
  auto parsed = foundation::plistFromFile(foundation::devicePath(path->utf8()));
  auto* list = parsed ? objc_cast<NSDictionary>(parsed.value().get()) : nullptr;
  if (!list) {
    NSLog("Page list %@ could not be read: %s", path, parsed ? std::string("not a dictionary") : parsed.error());
    return rows;
  }
  if (auto* title = objc_cast<NSString>(list->find("title"))) setTitle(localized(b, title, name));
  NSObject* rawItems = list->find("items");
  auto* items = objc_cast<NSArray>(rawItems);
  if (!items) {
    NSLog("Page list %@ has %s", path, rawItems ? "items that are not an array" : "no items");
    return rows;
  }
  unsigned long index = 0;
  for (const auto& item : items->items()) {
    auto* entry = objc_cast<NSDictionary>(item.get());
    if (!entry) {
      NSLog("Row %lu of %@.plist is not a dictionary and is left out", index, name);
    } else if (passesFilter(entry->find("pl_filter"), name, index)) {
      rows->addObject(specifierFromEntry(entry, target, b, name, index));
    }
    ++index;
  }
  return rows;
}

void PSListController::reloadSpecifiersImpl() {
  _specifiers = nullptr;
  specifiers();
  if (table_) table_->reloadData();
}

void PSListController::reloadSpecifierImpl(PSSpecifier* s) {
  if (!s) return;
  auto* cell = objc_cast<PSTableCell>(s->findProperty(PSTableCellKey));
  if (!cell) return;
  cell->refreshCellContentsWithSpecifier(s);
  if (Ref<NSObject> target = s->target(); target && s->getter() && class_respondsToSelector(target->isa(), s->getter()))
    cell->setValue(objc::sendSel<Ref<NSObject>(PSSpecifier*)>(target, s->getter(), s));
}

const std::vector<PSListController::Section>& PSListController::sections() {
  NSMutableArray* rows = _specifiers.get();
  unsigned long count = rows ? rows->items().size() : 0;
  if (rows == sectionsOf_ && count == sectionsCount_) return sections_;
  sections_.clear();
  sectionsOf_ = rows;
  sectionsCount_ = count;
  if (!rows) return sections_;
  for (long i = 0; i < static_cast<long>(count); ++i) {
    auto* item = objc_cast<PSSpecifier>(rows->items()[static_cast<std::size_t>(i)].get());
    if (item && item->cellType() == PSGroupCell) {
      sections_.push_back(Section{i, {}});
    } else {
      if (sections_.empty()) sections_.push_back(Section{-1, {}});
      sections_.back().rows.push_back(i);
    }
  }
  return sections_;
}

Ref<PSSpecifier> PSListController::specifierInSection(long section, long row) {
  const auto& secs = sections();
  if (section < 0 || row < 0 || section >= static_cast<long>(secs.size())) return nullptr;
  const auto& rows = secs[static_cast<std::size_t>(section)].rows;
  if (row >= static_cast<long>(rows.size())) return nullptr;
  return Ref<PSSpecifier>(objc_cast<PSSpecifier>(_specifiers->items()[static_cast<std::size_t>(rows[static_cast<std::size_t>(row)])].get()));
}

Ref<PSSpecifier> PSListController::specifierAtIndexPathImpl(NSIndexPath* p) {
  if (!p) return nullptr;
  return specifierInSection(p->sectionValue(), p->rowValue());
}

Ref<PSSpecifier> PSListController::specifierForIDImpl(NSString* identifier) {
  if (!identifier || !_specifiers) return nullptr;
  for (const auto& o : _specifiers->items())
    if (auto* s = objc_cast<PSSpecifier>(o.get()); s && s->identifier() && s->identifier()->utf8() == identifier->utf8())
      return Ref<PSSpecifier>(s);
  return nullptr;
}

Ref<NSIndexPath> PSListController::indexPathForSpecifierImpl(PSSpecifier* s) {
  const auto& secs = sections();
  for (std::size_t sec = 0; sec < secs.size(); ++sec)
    for (std::size_t r = 0; r < secs[sec].rows.size(); ++r)
      if (_specifiers->items()[static_cast<std::size_t>(secs[sec].rows[r])].get() == s)
        return NSIndexPath::indexPathForRowInSection(static_cast<long>(r), static_cast<long>(sec));
  return nullptr;
}

// ---------------------------------------------------------------- values

Ref<NSObject> PSListController::readPreferenceValueImpl(PSSpecifier* s) {
  if (!s) return nullptr;
  auto* domain = objc_cast<NSString>(s->findProperty(PSDefaultsKey));
  auto* key = objc_cast<NSString>(s->findProperty(PSKeyNameKey));
  if (domain && key) {
    if (auto stored = NSUserDefaults::standardUserDefaults()->persistentDomainForName(domain))
      if (NSObject* v = stored->find(key->utf8())) return Ref<NSObject>(v);
  }
  return Ref<NSObject>(s->findProperty(PSDefaultValueKey));
}

void PSListController::setPreferenceValueSpecifierImpl(NSObject* value, PSSpecifier* s) {
  if (!s) return;
  auto* domain = objc_cast<NSString>(s->findProperty(PSDefaultsKey));
  auto* key = objc_cast<NSString>(s->findProperty(PSKeyNameKey));
  if (!domain || !key) {
    NSLog("%@ names no preference domain and key; the value is not stored", s->name());
    return;
  }
  if (!NSUserDefaults::isValidDomainName(domain->utf8())) {
    NSLog("%@ names %@, which is not a preference domain; the value is not stored", s->name(), domain);
    return;
  }
  Ref<NSObject> keep(value);
  bool stored = NSUserDefaults::standardUserDefaults()->updatePersistentDomainForName(domain, [&](NSMutableDictionary* d) {
    if (value)
      d->setObjectForKey(value, key);
    else
      d->removeObjectForKey(key);
  });
  if (!stored) return;
  if (auto* note = objc_cast<NSString>(s->findProperty(PSValueChangedNotificationKey)); note && !note->utf8().empty())
    notify_post(note->utf8().c_str());
}

void PSListController::setSpecifierImpl(PSSpecifier* s) {
  specifier_ = s;
  if (s && !title()) setTitle(s->name());
}

// ------------------------------------------------------------------ view

void PSListController::loadViewImpl() {
  CGRect bounds = CGRectMake(0, 0, 375, 812);
  auto view = UIView::alloc()->initWithFrame(bounds);
  table_ = UITableView::alloc()->initWithFrameStyle(bounds, UITableViewStyleInsetGrouped);
  table_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
  table_->setDataSource(this);
  table_->setDelegate(this);
  view->addSubview(table_);
  setView(view);
}

Ref<UITableView> PSListController::tableImpl() {
  if (!table_) view();
  return table_;
}

void PSListController::viewWillAppearImpl(bool animated) {
  objc::sendSuper<void(bool), "viewWillAppear:">(PSListController::cls(), this, animated);
  table()->reloadData();
}

// ----------------------------------------------------------------- table

long PSListController::numberOfSectionsInTableViewImpl(UITableView*) {
  specifiers();
  sectionsOf_ = nullptr;  // the rows may have been edited in place
  return static_cast<long>(sections().size());
}

long PSListController::tableViewNumberOfRowsInSectionImpl(UITableView*, long s) {
  const auto& secs = sections();
  if (s < 0 || s >= static_cast<long>(secs.size())) return 0;
  return static_cast<long>(secs[static_cast<std::size_t>(s)].rows.size());
}

Ref<UITableViewCell> PSListController::tableViewCellForRowAtIndexPathImpl(UITableView*, NSIndexPath* p) {
  Ref<PSSpecifier> item = specifierAtIndexPath(p);
  if (!item) return UITableViewCell::alloc()->initWithStyleReuseIdentifier(0, nullptr);
  Ref<PSTableCell> cell(objc_cast<PSTableCell>(item->findProperty(PSTableCellKey)));
  if (!cell) {
    long type = item->cellType();
    Class c = classNamed(objc_cast<NSString>(item->findProperty(PSCellClassKey)), PSTableCell::cls());
    if (!c) c = type == PSSwitchCell ? PSSwitchTableCell::cls() : type == PSSliderCell ? PSSliderTableCell::cls() : PSTableCell::cls();
    long style = (type == PSLinkListCell || type == PSTitleValueCell || type == PSEditTextCell)
                     ? UITableViewCellStyleValue1
                     : UITableViewCellStyleDefault;
    auto fresh = ref_cast<PSTableCell>(objc::send<Ref<NSObject>(), "alloc">(c));
    cell = fresh->initWithStyleReuseIdentifierSpecifier(style, NSString::make(class_getName(c)), item);
    if (!cell) return UITableViewCell::alloc()->initWithStyleReuseIdentifier(0, nullptr);
    item->setPropertyForKey(cell, PSTableCellKey);
  }
  reloadSpecifier(item);
  return cell;
}

double PSListController::tableViewHeightForRowAtIndexPathImpl(UITableView*, NSIndexPath* p) {
  Ref<PSSpecifier> item = specifierAtIndexPath(p);
  if (item) {
    bool ok = false;
    double h = numberOf(item->findProperty(PSHeightKey), &ok);
    if (ok && h >= 0) return h;
  }
  return 44.0;
}

Ref<NSString> PSListController::tableViewTitleForHeaderInSectionImpl(UITableView*, long s) {
  const auto& secs = sections();
  if (s < 0 || s >= static_cast<long>(secs.size()) || secs[static_cast<std::size_t>(s)].group < 0) return nullptr;
  auto* g = objc_cast<PSSpecifier>(_specifiers->items()[static_cast<std::size_t>(secs[static_cast<std::size_t>(s)].group)].get());
  return g ? g->name() : nullptr;
}

Ref<NSString> PSListController::tableViewTitleForFooterInSectionImpl(UITableView*, long s) {
  const auto& secs = sections();
  if (s < 0 || s >= static_cast<long>(secs.size()) || secs[static_cast<std::size_t>(s)].group < 0) return nullptr;
  auto* g = objc_cast<PSSpecifier>(_specifiers->items()[static_cast<std::size_t>(secs[static_cast<std::size_t>(s)].group)].get());
  return Ref<NSString>(g ? objc_cast<NSString>(g->findProperty(PSFooterTextGroupKey)) : nullptr);
}

double PSListController::tableViewHeightForHeaderInSectionImpl(UITableView* t, long s) {
  return tableViewTitleForHeaderInSection(t, s) ? 38.0 : 17.5;
}

double PSListController::tableViewHeightForFooterInSectionImpl(UITableView* t, long s) {
  return tableViewTitleForFooterInSection(t, s) ? 40.0 : 17.5;
}

void PSListController::tableViewDidSelectRowAtIndexPathImpl(UITableView*, NSIndexPath* p) {
  Ref<PSSpecifier> item = specifierAtIndexPath(p);
  if (!item) return;
  if (auto* enabled = objc_cast<NSNumber>(item->findProperty(PSEnabledKey)); enabled && !enabled->boolValue()) return;
  if (SEL action = item->buttonAction()) {
    Ref<NSObject> target = item->target();
    if (!target || !class_respondsToSelector(target->isa(), action)) {
      NSLog("%@ does not answer %s; the button %@ does nothing", target, sel_getName(action), item->name());
      return;
    }
    std::string_view name = sel_getName(action);
    if (name.find(':') != std::string_view::npos)
      objc::sendSel<void(PSSpecifier*)>(target, action, item);
    else
      objc::sendSel<void()>(target, action);
    return;
  }
  auto* detail = static_cast<Class>(item->detailControllerClass().get());
  if (!detail) return;
  auto page = ref_cast<UIViewController>(objc::send<Ref<NSObject>(), "alloc">(detail));
  page = ref_cast<UIViewController>(page->init());
  if (!page) return;
  if (auto* list = objc_cast<PSListController>(page.get())) list->setSpecifier(item);
  if (!page->title()) page->setTitle(item->name());
  if (auto nav = navigationController())
    nav->pushViewControllerAnimated(page, true);
  else
    NSLog("%@ is not inside a navigation controller; %@ cannot be opened", this, item->name());
}

OBJC_IMPLEMENT_LEGACY(PSListController)
void PSListController::registerMethods(objc::ClassBuilder<PSListController>& b) {
  b.method<"specifiers", &PSListController::specifiersImpl>()
      .method<"loadSpecifiersFromPlistName:target:", &PSListController::loadSpecifiersFromPlistNameTargetImpl>()
      .method<"reloadSpecifiers", &PSListController::reloadSpecifiersImpl>()
      .method<"reloadSpecifier:", &PSListController::reloadSpecifierImpl>()
      .method<"table", &PSListController::tableImpl>()
      .method<"specifierAtIndexPath:", &PSListController::specifierAtIndexPathImpl>()
      .method<"specifierForID:", &PSListController::specifierForIDImpl>()
      .method<"indexPathForSpecifier:", &PSListController::indexPathForSpecifierImpl>()
      .method<"bundle", &PSListController::bundleImpl>()
      .method<"readPreferenceValue:", &PSListController::readPreferenceValueImpl>()
      .method<"setPreferenceValue:specifier:", &PSListController::setPreferenceValueSpecifierImpl>()
      .method<"specifier", &PSListController::specifierImpl>()
      .method<"setSpecifier:", &PSListController::setSpecifierImpl>()
      .method<"shouldReloadSpecifiersOnResume", &PSListController::shouldReloadSpecifiersOnResumeImpl>()
      .method<"loadView", &PSListController::loadViewImpl>()
      .method<"viewWillAppear:", &PSListController::viewWillAppearImpl>()
      .method<"numberOfSectionsInTableView:", &PSListController::numberOfSectionsInTableViewImpl>()
      .method<"tableView:numberOfRowsInSection:", &PSListController::tableViewNumberOfRowsInSectionImpl>()
      .method<"tableView:cellForRowAtIndexPath:", &PSListController::tableViewCellForRowAtIndexPathImpl>()
      .method<"tableView:heightForRowAtIndexPath:", &PSListController::tableViewHeightForRowAtIndexPathImpl>()
      .method<"tableView:viewForHeaderInSection:", &PSListController::tableViewViewForHeaderInSectionImpl>()
      .method<"tableView:heightForHeaderInSection:", &PSListController::tableViewHeightForHeaderInSectionImpl>()
      .method<"tableView:viewForFooterInSection:", &PSListController::tableViewViewForFooterInSectionImpl>()
      .method<"tableView:heightForFooterInSection:", &PSListController::tableViewHeightForFooterInSectionImpl>()
      .method<"tableView:titleForHeaderInSection:", &PSListController::tableViewTitleForHeaderInSectionImpl>()
      .method<"tableView:titleForFooterInSection:", &PSListController::tableViewTitleForFooterInSectionImpl>()
      .method<"tableView:didSelectRowAtIndexPath:", &PSListController::tableViewDidSelectRowAtIndexPathImpl>();
}

// ------------------------------------------------------------ list items

Ref<NSArray> PSListItemsController::specifiersImpl() {
  if (_specifiers) return _specifiers;
  _specifiers = NSMutableArray::array();
  Ref<PSSpecifier> list = specifier();
  if (!list || !list->values()) return _specifiers;
  _specifiers->addObject(PSSpecifier::emptyGroupSpecifier());
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
  auto cell = objc::sendSuper<Ref<UITableViewCell>(UITableView*, NSIndexPath*), "tableView:cellForRowAtIndexPath:">(
      PSListItemsController::cls(), this, t, p);
  Ref<PSSpecifier> list = specifier();
  Ref<PSSpecifier> row = specifierAtIndexPath(p);
  Ref<NSObject> target = list ? list->target() : nullptr;
  Ref<NSObject> current;
  if (target && list->getter() && class_respondsToSelector(target->isa(), list->getter()))
    current = objc::sendSel<Ref<NSObject>(PSSpecifier*)>(target, list->getter(), list.get());
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

OBJC_IMPLEMENT_LEGACY(PSListItemsController)
void PSListItemsController::registerMethods(objc::ClassBuilder<PSListItemsController>& b) {
  b.method<"specifiers", &PSListItemsController::specifiersImpl>()
      .method<"tableView:cellForRowAtIndexPath:", &PSListItemsController::tableViewCellForRowAtIndexPathImpl>()
      .method<"tableView:didSelectRowAtIndexPath:", &PSListItemsController::tableViewDidSelectRowAtIndexPathImpl>();
}
