#include "preferences/PSListController.h"

#include "SpecifierFactory.h"
#include "foundation/Log.h"
#include "foundation/NSNumber.h"
#include "foundation/NSUserDefaults.h"
#include "notify/notify.h"
#include "preferences/FailedWrites.h"
#include "preferences/PSControlCells.h"
#include "uikit/UINavigationController.h"

using preferences::classNamed;

namespace {

Class standardCellClass(long type) {
  switch (type) {
    case PSSwitchCell: return PSSwitchTableCell::cls();
    case PSSliderCell: return PSSliderTableCell::cls();
    case PSSegmentCell: return PSSegmentTableCell::cls();
    case PSEditTextCell:
    case PSSecureEditTextCell: return PSEditableTableCell::cls();
    default: return PSTableCell::cls();
  }
}

}  // namespace

// ------------------------------------------------------------------ rows

Ref<NSArray> PSListController::specifiersImpl() { return _specifiers; }

Ref<NSBundle> PSListController::bundleImpl() { return NSBundle::bundleForClass(isa()); }

Ref<NSMutableArray> PSListController::loadSpecifiersFromPlistNameTargetImpl(NSString* name, NSObject* target) {
  Ref<NSBundle> from = bundle();
  preferences::PageList list = preferences::loadPageList(from, name, target);
  if (list.title) setTitle(list.title);
  return list.rows;
}

void PSListController::reloadSpecifiersImpl() {
  _specifiers = nullptr;
  forgetSections();  // the reloaded rows may be the same array, edited in place
  specifiers();
  if (table_) table_->reloadData();
}

void PSListController::reloadSpecifierImpl(PSSpecifier* s) {
  if (!s) return;
  auto* cell = objc_cast<PSTableCell>(s->findProperty(PSTableCellKey));
  if (!cell) return;
  cell->refreshCellContentsWithSpecifier(s);
  SEL getter = s->_getter();
  if (Ref<NSObject> target = s->target(); target && getter && class_respondsToSelector(target->isa(), getter))
    cell->setValue(objc::sendSel<Ref<NSObject>(PSSpecifier*)>(target, getter, s));
}

const std::vector<PSListController::Section>& PSListController::sections() {
  NSMutableArray* rows = _specifiers.get();
  unsigned long count = rows ? rows->items().size() : 0;
  if (sectionsValid_ && rows == sectionsOf_.get() && count == sectionsCount_) return sections_;
  sections_.clear();
  sectionsOf_ = rows;
  sectionsCount_ = count;
  sectionsValid_ = true;
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
  return Ref<PSSpecifier>(objc_cast<PSSpecifier>(
      _specifiers->items()[static_cast<std::size_t>(rows[static_cast<std::size_t>(row)])].get()));
}

Ref<PSSpecifier> PSListController::specifierAtIndexPathImpl(NSIndexPath* p) {
  if (!p) return nullptr;
  return specifierInSection(p->sectionValue(), p->rowValue());
}

Ref<PSSpecifier> PSListController::specifierForIDImpl(NSString* identifier) {
  if (!identifier || !_specifiers) return nullptr;
  for (const auto& o : _specifiers->items())
    if (auto* s = objc_cast<PSSpecifier>(o.get());
        s && s->identifier() && s->identifier()->utf8() == identifier->utf8())
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
  Ref<PSSpecifier> row(s);
  auto stored =
      NSUserDefaults::standardUserDefaults()->tryUpdatePersistentDomainForName(domain, [&](NSMutableDictionary* d) {
        if (value)
          d->setObjectForKey(value, key);
        else
          d->removeObjectForKey(key);
      });
  if (!stored) {
    // The control already shows the new value; it goes back to what is stored.
    NSLog("%@: the value was not stored: %s", s->name(), stored.error());
    preferences::noteFailedWrite(stored.error());
    reloadSpecifier(row);
    return;
  }
  auto* note = objc_cast<NSString>(s->findProperty(PSValueChangedNotificationKey));
  if (!note || note->utf8().empty()) return;
  // Posting it as a C string would post the part before a NUL.
  if (!notify::isValidName(note->utf8())) {
    NSLog("%@ names the notification %@, which is not a valid name; it is not posted", s->name(), note);
    return;
  }
  notify_post(note->utf8().c_str());
}

void PSListController::setSpecifierImpl(PSSpecifier* s) {
  specifier_ = s;
  if (Ref<NSString> name = s ? s->name() : nullptr; name && !title()) setTitle(name);
}

// ------------------------------------------------------------------ view

void PSListController::loadViewImpl() {
  CGRect bounds = kUIScreenBounds;
  auto view = UIView::make(bounds);
  table_ = UITableView::make(bounds, UITableViewStyleInsetGrouped);
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
  sendSuper<viewWillAppearMessage>(animated);
  table()->reloadData();
}

// ----------------------------------------------------------------- table

long PSListController::numberOfSectionsInTableViewImpl(UITableView*) {
  specifiers();
  forgetSections();  // the rows may have been edited in place
  return static_cast<long>(sections().size());
}

long PSListController::tableViewNumberOfRowsInSectionImpl(UITableView*, long s) {
  const auto& secs = sections();
  if (s < 0 || s >= static_cast<long>(secs.size())) return 0;
  return static_cast<long>(secs[static_cast<std::size_t>(s)].rows.size());
}

Ref<UITableViewCell> PSListController::tableViewCellForRowAtIndexPathImpl(UITableView*, NSIndexPath* p) {
  Ref<PSSpecifier> item = specifierAtIndexPath(p);
  if (!item) return UITableViewCell::make(0, nullptr);
  Ref<PSTableCell> cell(objc_cast<PSTableCell>(item->findProperty(PSTableCellKey)));
  if (!cell) {
    long type = item->cellType();
    bool placeholder = item->findProperty(PSMissingCodeKey) != nullptr;
    Class c = placeholder ? PSPlaceholderTableCell::cls()
                          : classNamed(objc_cast<NSString>(item->findProperty(PSCellClassKey)), PSTableCell::cls());
    if (!c) c = standardCellClass(type);
    long style = (placeholder || type == PSLinkListCell || type == PSTitleValueCell || type == PSEditTextCell ||
                  type == PSSecureEditTextCell)
                     ? UITableViewCellStyleValue1
                     : UITableViewCellStyleDefault;
    Ref<NSObject> fresh = objc::send<allocMessage>(c);
    if (class_respondsToSelector(c, PSTableCellSizing::initWithSpecifierMessage::sel()))
      cell = objc::send<PSTableCellSizing::initWithSpecifierMessage>(fresh, item);
    else
      cell = objc::send<PSTableCell::initWithStyleReuseIdentifierSpecifierMessage>(
          fresh, style, NSString::make(class_getName(c)), item);
    if (!cell) return UITableViewCell::make(0, nullptr);
    item->setPropertyForKey(cell, PSTableCellKey);
    if (placeholder) cell->setValue(nullptr);
  }
  reloadSpecifier(item);
  return cell;
}

// The row's height property, else what its cell asks for once it exists.
double PSListController::tableViewHeightForRowAtIndexPathImpl(UITableView* t, NSIndexPath* p) {
  Ref<PSSpecifier> item = specifierAtIndexPath(p);
  if (!item) return 44.0;
  if (auto h = preferences::numberOf(item->findProperty(PSHeightKey)); h && *h >= 0) return *h;
  if (item->cellType() == PSGiantCell || item->cellType() == PSGiantIconCell) return 90.0;
  using Preferred = PSTableCellSizing::preferredHeightForWidthMessage;
  if (auto* cell = objc_cast<PSTableCell>(item->findProperty(PSTableCellKey));
      cell && class_respondsToSelector(cell->isa(), Preferred::sel())) {
    double h = objc::send<Preferred>(cell, t ? t->frame().size.width : 0.0);
    if (h >= 0) return h;
  }
  return 44.0;
}

PSSpecifier* PSListController::groupOfSection(long s) {
  const auto& secs = sections();
  if (s < 0 || s >= static_cast<long>(secs.size())) return nullptr;
  long group = secs[static_cast<std::size_t>(s)].group;
  return group < 0 ? nullptr : objc_cast<PSSpecifier>(_specifiers->items()[static_cast<std::size_t>(group)].get());
}

Ref<NSString> PSListController::tableViewTitleForHeaderInSectionImpl(UITableView*, long s) {
  PSSpecifier* g = groupOfSection(s);
  return g ? g->name() : nullptr;
}

Ref<NSString> PSListController::tableViewTitleForFooterInSectionImpl(UITableView*, long s) {
  PSSpecifier* g = groupOfSection(s);
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
  if (auto* missing = objc_cast<NSString>(item->findProperty(PSMissingCodeKey))) {
    NSLog("%@ needs %@, which is not loaded; tapping it does nothing", item->name(), missing);
    return;
  }
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
  Ref<NSObject> fresh = objc::send<allocMessage>(detail);
  Ref<NSObject> made = objc::send<initMessage>(fresh);
  Ref<UIViewController> page(objc_cast<UIViewController>(made.get()));
  if (!page) return;
  if (auto* list = objc_cast<PSListController>(page.get())) list->setSpecifier(item);
  if (Ref<NSString> name = item->name(); !page->title()) page->setTitle(name);
  if (auto nav = navigationController())
    nav->pushViewControllerAnimated(page, true);
  else
    NSLog("%@ is not inside a navigation controller; %@ cannot be opened", this, item->name());
}

OBJC_IMPLEMENT(PSListController)
