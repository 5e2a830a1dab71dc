#include "CVLOBaseListController.h"

#include <algorithm>

#include "cells/UIColor+RGBHex.h"
#include "cells/UIView+Rounding.h"
#include "dispatch/dispatch.h"
#include "foundation/Log.h"
#include "foundation/NSException.h"
#include "foundation/NSNumber.h"
#include "foundation/NSUserDefaults.h"
#include "notify/notify.h"
#include "objc/Weak.h"
#include "preferences/CoreFoundation.h"
#include "rules/DependencyRule.h"
#include "uikit/NSURL.h"
#include "uikit/UIAlertController.h"
#include "uikit/UIControls.h"
#include "uikit/UINavigationController.h"
#include "uikit/UIWindow.h"

namespace {

constexpr const char* kDependsKey = "depends";

// The theme colour, one colour in the two spellings the pages were written
// with (the parser logs which one it read).
constexpr const char* kThemeHexDark = "#19c246";
constexpr const char* kThemeHexLight = "0x19c246";

// A hidden section keeps a header just too thin to see (zero would give the
// host's default) and the hidden sections share one inset of footer space.
constexpr float kCollapsedHeaderHeight = 0.01f;
constexpr float kCollapsedFooterSpace = 7.5f;
constexpr double kRowCornerRadius = 10.0;

constexpr const char* kResetNotification = "com.tenvarix.corvallo/Reset";
constexpr const char* kRespringNotification = "com.tenvarix.corvallo/Respring";

NSString* textOf(PSSpecifier* s, std::string_view key) {
  return s ? objc_cast<NSString>(s->findProperty(key)) : nullptr;
}

Class separatorClass() {
  static const Class c = NSClassFromString("_UITableViewCellSeparatorView");
  return c;
}

void setSeparatorsHidden(UIView* cell, bool hidden) {
  if (!cell || !separatorClass()) return;
  auto children = cell->subviewList();
  for (const auto& v : children)
    if (objc_opt_isKindOfClass(v.get(), separatorClass()) && (hidden || v->isHidden())) v->setHidden(hidden);
}

}  // namespace

// ------------------------------------------------------------ loading rows

void CVLOBaseListController::stampAndStrip() {
  NSMutableArray* rows = _specifiers.get();
  if (!rows) return;
  for (unsigned long i = 0; i < rows->count();) {
    auto* item = objc_cast<PSSpecifier>(rows->items()[i].get());
    if (!item) {
      ++i;
      continue;
    }
    item->setPropertyForKey(themeTintColor_, "tintColor");
    auto dev = item->propertyForKey("developmentOnly");
    bool devOnly = false;
    if (auto* n = objc_cast<NSNumber>(dev.get()))
      devOnly = n->boolValue();
    else if (auto* s = objc_cast<NSString>(dev.get()))
      devOnly = s->boolValue();
    if (devOnly)
      rows->removeObjectAtIndex(i);
    else
      ++i;
  }
}

Ref<NSArray> CVLOBaseListController::specifiersImpl() {
  if (!_specifiers) {
    bool dark = isDarkModeEnabled();
    Ref<NSString> list = dark ? getDarkModePlist() : getLightModePlist();
    _specifiers = loadSpecifiersFromPlistNameTarget(list, this);
    setThemeTintColor(UIColor_RGBHex::colorFromHexString(NSString::make(dark ? kThemeHexDark : kThemeHexLight)));
    setPreferenceBundle(NSBundle::bundleForClass(isa()));
    collectSpecifiersWithDependenciesFromArray(_specifiers);
    stampAndStrip();
  }
  // A deferred reload may ask for the rows while another page covers this
  // one; the bar it would tint is that page's then.
  if (!offScreen_) doTinting();
  return _specifiers;
}

void CVLOBaseListController::traitCollectionDidChangeImpl(UITraitCollection* previous) {
  sendSuper<traitCollectionDidChangeMessage>(previous);
  closeLayoutPass();
  Ref<NSString> list = isDarkModeEnabled() ? getDarkModePlist() : getLightModePlist();
  _specifiers = loadSpecifiersFromPlistNameTarget(list, this);
  collectSpecifiersWithDependenciesFromArray(_specifiers);
  stampAndStrip();
  reloadTable();
}

bool CVLOBaseListController::isDarkModeEnabledImpl() {
  if (kCFCoreFoundationVersionNumber < kCFCoreFoundationVersionNumber_iOS_13_0) return false;
  Ref<UITraitCollection> traits = traitCollection();
  return traits && traits->userInterfaceStyle() == UIUserInterfaceStyleDark;
}

void CVLOBaseListController::setDarkModePlistLightModePlistImpl(NSString* dark, NSString* light) {
  darkModePlist_ = dark;
  lightModePlist_ = light;
}

Ref<NSString> CVLOBaseListController::getDarkModePlistImpl() {
  Ref<NSString> n = darkModePlist();
  return n ? n : "Root-Dark"_ns;
}

Ref<NSString> CVLOBaseListController::getLightModePlistImpl() {
  Ref<NSString> n = lightModePlist();
  return n ? n : "Root-Light"_ns;
}

Ref<NSString> CVLOBaseListController::localizedStringForKeyImpl(NSString* key) {
  Ref<NSBundle> b = preferenceBundle();
  return b ? b->localizedStringForKeyValueTable(key, ""_ns, nullptr) : nullptr;
}

Ref<NSString> CVLOBaseListController::pathOfResourceWithNameTypeImpl(NSString* name, NSString* type) {
  Ref<NSBundle> b = preferenceBundle();
  if (!b) return ""_ns;
  return b->pathForResourceOfType(name, type);
}

// ------------------------------------------------------------------- rules

void CVLOBaseListController::collectSpecifiersWithDependenciesFromArrayImpl(NSArray* rows) {
  closeLayoutPass();
  Ref<NSMutableDictionary> map = specifiersWithDependencies();
  if (map) {
    map->removeAllObjects();
  } else {
    map = NSMutableDictionary::dictionary();
    setSpecifiersWithDependencies(map);
  }
  if (rows) {
    for (const auto& object : rows->items()) {
      auto* item = objc_cast<PSSpecifier>(object.get());
      NSString* depends = textOf(item, kDependsKey);
      if (!depends || depends->utf8().empty()) continue;
      for (const cvlo::Condition& condition : cvlo::parseRule(depends->utf8())) {
        if (!condition.wellFormed()) {
          // What was collected so far stays, and so does the flag.
          publishReloadingKeys();
          Ref<NSObject> title = item->propertyForKey(PSTitleKey);
          NSException::raise(NSInternalInconsistencyException,
                             foundation::format("depends key requires three components (Specifier Key, Comparator, "
                                                "Value To Compare To). You have %ld of 3 (%@) for specifier '%@'.",
                                                static_cast<long>(condition.words), depends, title));
        }
        Ref<NSString> key = NSString::make(condition.key);
        auto* listed = objc_cast<NSArray>(map->objectForKey(key).get());
        NSArray::Items now = listed ? listed->items() : NSArray::Items{};
        now.push_back(Ref<NSObject>(item));
        map->setObjectForKey(NSArray::make(std::move(now)), key);
      }
    }
  }
  setHasSpecifiersWithDependencies(map->count() > 0);
  publishReloadingKeys();
}

void CVLOBaseListController::publishReloadingKeys() {
  std::set<std::string, std::less<>> keys;
  Ref<NSMutableDictionary> map = specifiersWithDependencies();
  if (hasSpecifiersWithDependencies() && map)
    for (const auto& [key, rows] : map->entries()) keys.insert(key);
  std::lock_guard g(dependenciesMutex_);
  reloadingKeys_.swap(keys);
}

bool CVLOBaseListController::reloadsOnWriteTo(std::string_view key) {
  std::lock_guard g(dependenciesMutex_);
  return reloadingKeys_.find(key) != reloadingKeys_.end();
}

Ref<PSSpecifier> CVLOBaseListController::specifierForKeyImpl(NSString* key) {
  if (!key || !_specifiers) return nullptr;
  if (pass_.open) {
    if (pass_.rowForKey.empty())
      for (const auto& object : _specifiers->items())
        if (auto* item = objc_cast<PSSpecifier>(object.get()))
          if (NSString* k = textOf(item, PSKeyNameKey)) pass_.rowForKey.emplace(k->utf8(), item);  // the first wins
    auto found = pass_.rowForKey.find(key->utf8());
    return Ref<PSSpecifier>(found == pass_.rowForKey.end() ? nullptr : found->second);
  }
  for (const auto& object : _specifiers->items()) {
    auto* item = objc_cast<PSSpecifier>(object.get());
    NSString* k = textOf(item, PSKeyNameKey);
    if (k && k->utf8() == key->utf8()) return Ref<PSSpecifier>(item);
  }
  return nullptr;
}

long CVLOBaseListController::operatorTypeForStringImpl(NSString* s) {
  return static_cast<long>(s ? cvlo::comparatorFor(s->utf8()) : cvlo::Comparator::Equal);
}

bool CVLOBaseListController::shouldHideSpecifierImpl(PSSpecifier* s) {
  NSString* depends = textOf(s, kDependsKey);
  if (!depends || depends->utf8().empty()) return false;
  bool hidden = false;
  for (const cvlo::Condition& condition : cvlo::parseRule(depends->utf8())) {
    if (!condition.wellFormed()) continue;  // refused when the rules were collected
    Ref<PSSpecifier> controlling = specifierForKey(NSString::make(condition.key));
    Ref<NSObject> value = readPreferenceValue(controlling);
    hidden = cvlo::hiddenAfter(hidden, condition, value);
  }
  return hidden;
}

void CVLOBaseListController::reloadSpecifiersImpl() {
  closeLayoutPass();
  sendSuper<reloadSpecifiersMessage>();
  collectSpecifiersWithDependenciesFromArray(specifiers());
}

// Never now: a reload asked for during a layout would re-enter it. The page
// is handed on, never copied, so its last release (and the release of its
// views and cells) happens on the main thread.
void CVLOBaseListController::reloadTableImpl() {
  Ref<CVLOBaseListController> page(this);
  dispatch_async(dispatch_get_global_queue(DISPATCH_QUEUE_PRIORITY_HIGH, 0), [page = std::move(page)]() mutable {
    dispatch_async(dispatch_get_main_queue(), [page = std::move(page)] { page->table()->reloadData(); });
  });
}

Ref<NSObject> CVLOBaseListController::readPreferenceValueImpl(PSSpecifier* s) {
  if (!s) return nullptr;
  NSString* domain = textOf(s, PSDefaultsKey);
  if (!domain) return nullptr;
  if (auto* key = objc_cast<NSString>(s->findProperty(PSKeyNameKey))) {
    if (auto stored = NSUserDefaults::standardUserDefaults()->persistentDomainForName(domain))
      if (NSObject* v = stored->find(key->utf8())) return Ref<NSObject>(v);
  }
  return s->propertyForKey(PSDefaultValueKey);
}

// ---------------------------------------------------------------- geometry

long CVLOBaseListController::numberOfSectionsInTableViewImpl(UITableView* t) {
  long n = sendSuper<numberOfSectionsInTableViewMessage>(t);
  openLayoutPass(t, n);
  return n;
}

void CVLOBaseListController::openLayoutPass(UITableView* t, long sections) {
  bool queued = pass_.closeQueued;
  pass_ = LayoutPass{};
  pass_.open = true;
  pass_.table = t;
  pass_.closeQueued = queued;
  pass_.sections.resize(static_cast<std::size_t>(std::max(0L, sections)));
  if (Ref<NSMutableDictionary> map = specifiersWithDependencies(); hasSpecifiersWithDependencies() && map)
    for (const auto& [key, rows] : map->entries())
      if (auto* listed = objc_cast<NSArray>(rows.get()))
        for (const auto& row : listed->items())
          if (auto* item = objc_cast<PSSpecifier>(row.get())) pass_.ruled.insert(item);
  if (queued) return;
  pass_.closeQueued = true;
  Weak<CVLOBaseListController> page(this);
  dispatch_async(dispatch_get_main_queue(), [page] {
    if (Ref<CVLOBaseListController> p = page.lock()) {
      p->pass_.closeQueued = false;
      p->closeLayoutPass();
    }
  });
}

void CVLOBaseListController::closeLayoutPass() {
  bool queued = pass_.closeQueued;
  pass_ = LayoutPass{};
  pass_.closeQueued = queued;
}

bool CVLOBaseListController::isHidden(PSSpecifier* row) {
  if (!pass_.open) return shouldHideSpecifier(row);
  auto known = pass_.hidden.find(row);
  if (known != pass_.hidden.end()) return known->second;
  bool hidden = shouldHideSpecifier(row);
  pass_.hidden.emplace(row, hidden);
  return hidden;
}

bool CVLOBaseListController::isRuled(PSSpecifier* row) {
  if (pass_.open) return pass_.ruled.count(row) > 0;
  Ref<NSMutableDictionary> map = specifiersWithDependencies();
  if (!hasSpecifiersWithDependencies() || !map) return false;
  for (const auto& [key, rows] : map->entries())
    if (static_cast<NSArray*>(rows.get())->containsObject(row)) return true;
  return false;
}

CVLOBaseListController::SectionRows& CVLOBaseListController::sectionRows(UITableView* t, long section,
                                                                         SectionRows& scratch) {
  bool memo = inPass(t) && section >= 0 && section < static_cast<long>(pass_.sections.size());
  if (memo && pass_.sections[static_cast<std::size_t>(section)].known)
    return pass_.sections[static_cast<std::size_t>(section)];
  SectionRows seen;
  long r = 0;
  for (; r < tableViewNumberOfRowsInSection(t, section); ++r) {
    Ref<PSSpecifier> item = specifierAtIndexPath(NSIndexPath::indexPathForRowInSection(r, section));
    if (!item) continue;
    if (isHidden(item)) {
      ++seen.hidden;
    } else {
      seen.last = r;
      if (seen.first < 0) seen.first = r;
    }
  }
  seen.rows = r;
  seen.known = true;
  if (!memo) return scratch = seen;
  return pass_.sections[static_cast<std::size_t>(section)] = seen;
}

bool CVLOBaseListController::tableViewShouldHideSectionImpl(UITableView* t, long s) {
  SectionRows scratch;
  const SectionRows& seen = sectionRows(t, s, scratch);
  return seen.rows > 0 && seen.hidden > 0 && seen.hidden == seen.rows;
}

long CVLOBaseListController::numberOfHiddenSectionsInTableViewImpl(UITableView* t) {
  if (inPass(t) && pass_.hiddenSections >= 0) return pass_.hiddenSections;
  long n = 0;
  for (long s = 0; s < (t ? t->numberOfSections() : 0); ++s)
    if (tableViewShouldHideSection(t, s)) ++n;
  if (inPass(t)) pass_.hiddenSections = n;
  return n;
}

long CVLOBaseListController::numberOfHiddenHeadersInTableViewImpl(UITableView* t) {
  long n = 0;
  for (long s = 0; s < (t ? t->numberOfSections() : 0); ++s)
    if (tableViewShouldHideSection(t, s) && tableViewViewForHeaderInSection(t, s)) ++n;
  return n;
}

long CVLOBaseListController::numberOfHiddenFootersInTableViewImpl(UITableView* t) {
  long n = 0;
  for (long s = 0; s < (t ? t->numberOfSections() : 0); ++s)
    if (tableViewShouldHideSection(t, s) && tableViewViewForFooterInSection(t, s)) ++n;
  return n;
}

namespace {
Ref<UIView> clearView() {
  Ref<UIView> v = UIView::make();
  v->setBackgroundColor(UIColor::clearColor());
  return v;
}
}  // namespace

Ref<UIView> CVLOBaseListController::tableViewViewForHeaderInSectionImpl(UITableView* t, long s) {
  if (tableViewShouldHideSection(t, s)) return clearView();
  return sendSuper<tableViewViewForHeaderInSectionMessage>(t, s);
}

Ref<UIView> CVLOBaseListController::tableViewViewForFooterInSectionImpl(UITableView* t, long s) {
  if (tableViewShouldHideSection(t, s)) return clearView();
  return sendSuper<tableViewViewForFooterInSectionMessage>(t, s);
}

double CVLOBaseListController::tableViewHeightForHeaderInSectionImpl(UITableView* t, long s) {
  if (tableViewShouldHideSection(t, s)) return static_cast<double>(kCollapsedHeaderHeight);
  return sendSuper<tableViewHeightForHeaderInSectionMessage>(t, s);
}

double CVLOBaseListController::tableViewHeightForFooterInSectionImpl(UITableView* t, long s) {
  if (tableViewShouldHideSection(t, s)) {
    long n = numberOfHiddenSectionsInTableView(t);
    return static_cast<double>(n == 0 ? kCollapsedFooterSpace : kCollapsedFooterSpace / static_cast<float>(n));
  }
  return sendSuper<tableViewHeightForFooterInSectionMessage>(t, s);
}

double CVLOBaseListController::tableViewHeightForRowAtIndexPathImpl(UITableView* t, NSIndexPath* p) {
  auto superHeight = [&] { return sendSuper<tableViewHeightForRowAtIndexPathMessage>(t, p); };
  Ref<PSSpecifier> item = p ? specifierAtIndexPath(p) : nullptr;
  if (item && isRuled(item)) {
    bool hidden = isHidden(item);
    if (auto* cell = objc_cast<UIView>(item->findProperty(PSTableCellKey))) cell->setClipsToBounds(hidden);
    if (hidden) return 0.0;
  }
  if (!p) return superHeight();
  long section = p->section();
  if (tableViewNumberOfRowsInSection(t, section) < 1) return superHeight();
  SectionRows scratch;
  SectionRows& seen = sectionRows(t, section, scratch);
  // Every row's separators show again before one row is rounded; within a
  // pass only the row rounded last can have hidden them since.
  if (!seen.separatorsShown) {
    for (long r = 0; r < seen.rows; ++r)
      if (Ref<PSSpecifier> row = specifierAtIndexPath(NSIndexPath::indexPathForRowInSection(r, section)))
        setSeparatorsHidden(objc_cast<UIView>(row->findProperty(PSTableCellKey)), false);
    seen.separatorsShown = true;
  } else if (seen.separatorsHiddenOn) {
    setSeparatorsHidden(objc_cast<UIView>(seen.separatorsHiddenOn->findProperty(PSTableCellKey)), false);
  }
  seen.separatorsHiddenOn = nullptr;
  if (seen.hidden == 0 || seen.hidden == seen.rows) return superHeight();
  auto* cell = item ? objc_cast<UIView>(item->findProperty(PSTableCellKey)) : nullptr;
  auto round = [&](unsigned long mask) {
    if (!cell) return;
    UIView_Rounding::roundCornersRadius(cell, mask, kRowCornerRadius);
    setSeparatorsHidden(cell, true);
    seen.separatorsHiddenOn = item.get();
  };
  long measured = p->row();
  if (seen.hidden == seen.rows - 1) {
    if (measured == seen.last) round(UIView_Rounding::kAllCorners);
  } else if (measured == seen.first) {
    round(seen.first == seen.last ? UIView_Rounding::kAllCorners : UIView_Rounding::kTopCorners);
  } else if (measured == seen.last) {
    round(UIView_Rounding::kBottomCorners);
  }
  return superHeight();
}

// ----------------------------------------------------------------- binding

// The row's key is read here, on the main thread, which alone changes the
// row's properties; the check then reads only that copy and the published
// keys. The page goes back to the main queue to be released there.
void CVLOBaseListController::setPreferenceValueSpecifierImpl(NSObject* value, PSSpecifier* s) {
  closeLayoutPass();
  sendSuper<setPreferenceValueSpecifierMessage>(value, s);
  auto* keyText = s ? objc_cast<NSString>(s->findProperty(PSKeyNameKey)) : nullptr;
  std::optional<std::string> key;
  if (keyText) key = keyText->utf8();
  Ref<CVLOBaseListController> page(this);
  dispatch_async(dispatch_get_global_queue(DISPATCH_QUEUE_PRIORITY_HIGH, 0),
                 [page = std::move(page), key = std::move(key)]() mutable {
                   if (key && page->reloadsOnWriteTo(*key)) page->reloadTable();
                   dispatch_async(dispatch_get_main_queue(), [page = std::move(page)] {});
                 });
}

void CVLOBaseListController::confirm(const char* titleKey, const char* messageKey, const char* actionKey, bool reset) {
  auto sheet = UIAlertController::alertControllerWithTitleMessagePreferredStyle(
      localizedStringForKey(NSString::make(titleKey)), localizedStringForKey(NSString::make(messageKey)),
      UIAlertControllerStyleActionSheet);
  auto handler = _UIBlock::make([reset](NSObject*) {
    if (reset) notify_post(kResetNotification);
    notify_post(kRespringNotification);
  });
  auto confirmAction = UIAlertAction::actionWithTitleStyleHandler(localizedStringForKey(NSString::make(actionKey)),
                                                                  UIAlertActionStyleDestructive, handler);
  auto cancel =
      UIAlertAction::actionWithTitleStyleHandler(localizedStringForKey("CANCEL"_ns), UIAlertActionStyleCancel, nullptr);
  sheet->addAction(cancel);
  sheet->addAction(confirmAction);
  presentViewControllerAnimatedCompletion(sheet, true, nullptr);
}

void CVLOBaseListController::resetImpl() { confirm("RESET_TITLE", "RESET_MESSAGE", "RESET", true); }
void CVLOBaseListController::respringImpl() { confirm("RESPRING_TITLE", "RESPRING_MESSAGE", "RESPRING", false); }

namespace {
void openLink(const char* text) {
  UIApplication::sharedApplication()->openURLOptionsCompletionHandler(NSURL::URLWithString(NSString::make(text)),
                                                                      NSDictionary::dictionary(), nullptr);
}
}  // namespace

void CVLOBaseListController::twitterImpl() { openLink("https://twitter.com/tenvarix"); }
void CVLOBaseListController::paypalImpl() {
  openLink(
      "https://www.paypal.com/donate/"
      "?cmd=_donations&business=donate%40tenvarix.com&item_name=iOS%20Tweak%20Development");
}
void CVLOBaseListController::githubImpl() { openLink("https://github.com/tenvarix"); }
void CVLOBaseListController::discordImpl() { openLink("https://discord.com/users/583920175640297472"); }
void CVLOBaseListController::bugReportImpl() {
  openLink(
      "mailto:support@tenvarix.com?subject=%5BiOS%20Tweak%20Support%5D%20Bug%20Report&body=Tweak%20name%3A%20Corvallo%"
      "0D%"
      "0AMessage%3A%20I%20found%20a%20bug%20while%20using%20the%20Corvallo%20tweak.%20The%20following%20explains%20how%"
      "20to%20reproduce%20the%20bug%20and%20includes%20any%20additional%20information%20I%20may%20have%20regarding%"
      "20the%20issue.%0D%0A%0D%0A");
}
void CVLOBaseListController::featureRequestImpl() {
  openLink(
      "mailto:support@tenvarix.com?subject=%5BiOS%20Tweak%20Support%5D%20Feature%20Request&body=Tweak%20name%3A%"
      "20Corvallo%0D%0AMessage%3A%20I%20have%20a%20feature%20request%20for%20the%20Corvallo%20tweak.%20The%20following%"
      "20explains%20my%20idea%20and%20any%20other%20input%20or%20information%20I%20may%20have%20regarding%20it.%0D%0A%"
      "0D%0A");
}

// ----------------------------------------------------------------- tinting

Ref<UIColor> CVLOBaseListController::themeColor() {
  return UIColor_RGBHex::colorFromHexString(NSString::make(kThemeHexDark));
}

void CVLOBaseListController::tintPage(UIViewController* page, UIColor* color) {
  page->view()->setTintColor(color);
  if (auto inner = page->navigationController())
    if (auto outer = inner->navigationController()) outer->navigationBar()->setTintColor(color);
  auto containers = NSArray::of({Ref<NSObject>(static_cast<NSObject*>(page->isa()))});
  appearanceWhenContainedInInstancesOfClasses<UISwitch>(containers)->setOnTintColor(color);
  appearanceWhenContainedInInstancesOfClasses<UISlider>(containers)->setTintColor(color);
  appearanceWhenContainedInInstancesOfClasses<UISegmentedControl>(containers)->setTintColor(color);
}

void CVLOBaseListController::doTintingImpl() {
  Ref<UIColor> theme = themeTintColor();
  tintPage(this, theme);
}
void CVLOBaseListController::reverseTintingImpl() { tintPage(this, nullptr); }

void CVLOBaseListController::loadViewImpl() {
  sendSuper<loadViewMessage>();
  doTinting();
}
void CVLOBaseListController::viewDidLoadImpl() {
  sendSuper<viewDidLoadMessage>();
  doTinting();
}
void CVLOBaseListController::viewWillAppearImpl(bool animated) {
  offScreen_ = false;
  sendSuper<viewWillAppearMessage>(animated);
  doTinting();
}
void CVLOBaseListController::viewDidAppearImpl(bool animated) {
  sendSuper<viewDidAppearMessage>(animated);
  doTinting();
}
void CVLOBaseListController::viewWillDisappearImpl(bool animated) {
  offScreen_ = true;
  sendSuper<viewWillDisappearMessage>(animated);
  reverseTinting();
}

OBJC_IMPLEMENT(CVLOBaseListController)
