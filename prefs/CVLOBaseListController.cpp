#include "CVLOBaseListController.h"

#include <climits>
#include <cstdlib>

#include "cells/UIColor+RGBHex.h"
#include "cells/UIView+Rounding.h"
#include "dispatch/dispatch.h"
#include "foundation/Log.h"
#include "foundation/NSException.h"
#include "foundation/NSNumber.h"
#include "foundation/NSUserDefaults.h"
#include "notify/notify.h"
#include "preferences/CoreFoundation.h"
#include "uikit/NSURL.h"
#include "uikit/UIAlertController.h"
#include "uikit/UIControls.h"
#include "uikit/UINavigationController.h"
#include "uikit/UIWindow.h"

namespace {

constexpr const char* kDependsKey = "depends";

NSString* textOf(PSSpecifier* s, std::string_view key) { return s ? objc_cast<NSString>(s->findProperty(key)) : nullptr; }

// The compare text as a number: TRUE/YES 1, FALSE/NO 0, else the leading
// signed decimal integer, clamped to 32 bits.
long long compareNumber(const std::string& text) {
  std::string upper;
  for (char c : text) upper += static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  if (upper == "TRUE" || upper == "YES") return 1;
  if (upper == "FALSE" || upper == "NO") return 0;
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long v = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    v = v * 10 + (text[i] - '0');
    if (v > static_cast<long long>(INT_MAX) + 1) v = static_cast<long long>(INT_MAX) + 1;
  }
  v = negative ? -v : v;
  if (v > INT_MAX) v = INT_MAX;
  if (v < INT_MIN) v = INT_MIN;
  return v;
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
    if (auto* n = objc_cast<NSNumber>(dev.get())) devOnly = n->boolValue();
    else if (auto* s = objc_cast<NSString>(dev.get())) devOnly = s->boolValue();
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
    setThemeTintColor(UIColor_RGBHex::colorFromHexString(NSString::make(dark ? "#19c246" : "0x19c246")));
    setPreferenceBundle(NSBundle::bundleForClass(isa()));
    collectSpecifiersWithDependenciesFromArray(_specifiers);
    stampAndStrip();
  }
  doTinting();
  return _specifiers;
}

void CVLOBaseListController::traitCollectionDidChangeImpl(UITraitCollection* previous) {
  objc::sendSuper<void(UITraitCollection*), "traitCollectionDidChange:">(CVLOBaseListController::cls(), this, previous);
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
  return objc::send<Ref<NSString>(NSString*, NSString*, NSString*), "localizedStringForKey:value:table:">(
      preferenceBundle(), key, ""_ns, nullptr);
}

Ref<NSString> CVLOBaseListController::pathOfResourceWithNameTypeImpl(NSString* name, NSString* type) {
  Ref<NSBundle> b = preferenceBundle();
  if (!b) return ""_ns;
  return b->pathForResourceOfType(name, type);
}

// ------------------------------------------------------------------- rules

void CVLOBaseListController::collectSpecifiersWithDependenciesFromArrayImpl(NSArray* rows) {
  std::lock_guard g(dependenciesMutex_);
  if (dependencies_)
    dependencies_->removeAllObjects();
  else
    setSpecifiersWithDependencies(NSMutableDictionary::dictionary());
  Ref<NSString> comma = ", "_ns;
  Ref<NSString> space = " "_ns;
  if (rows) {
    for (const auto& object : rows->items()) {
      auto* item = objc_cast<PSSpecifier>(object.get());
      NSString* depends = textOf(item, kDependsKey);
      if (!depends || depends->utf8().empty()) continue;
      Ref<NSArray> conditions = depends->componentsSeparatedByString(comma);
      for (const auto& c : conditions->items()) {
        auto parts = static_cast<NSString*>(c.get())->componentsSeparatedByString(space);
        if (parts->count() != 3) {
          Ref<NSObject> title = item->propertyForKey(PSTitleKey);
          NSException::raise(NSInternalInconsistencyException,
                             foundation::format("depends key requires three components (Specifier Key, Comparator, "
                                                "Value To Compare To). You have %ld of 3 (%@) for specifier '%@'.",
                                                static_cast<long>(parts->count()), depends, title));
        }
        Ref<NSObject> key = parts->objectAtIndex(0);
        auto* listed = objc_cast<NSArray>(dependencies_->objectForKey(key).get());
        NSArray::Items now = listed ? listed->items() : NSArray::Items{};
        now.push_back(Ref<NSObject>(item));
        dependencies_->setObjectForKey(NSArray::make(std::move(now)), key);
      }
    }
  }
  setHasSpecifiersWithDependencies(dependencies_->count() > 0);
}

Ref<PSSpecifier> CVLOBaseListController::specifierForKeyImpl(NSString* key) {
  if (!key || !_specifiers) return nullptr;
  for (const auto& object : _specifiers->items()) {
    auto* item = objc_cast<PSSpecifier>(object.get());
    NSString* k = textOf(item, PSKeyNameKey);
    if (k && k->utf8() == key->utf8()) return Ref<PSSpecifier>(item);
  }
  return nullptr;
}

long CVLOBaseListController::operatorTypeForStringImpl(NSString* s) {
  static constexpr std::pair<std::string_view, long> kTable[] = {
      {"==", 0}, {"!=", 1}, {">", 2}, {"<", 3}, {">=", 4}, {"<=", 5}, {"", 6}};
  if (!s) return 0;
  for (const auto& [text, type] : kTable)
    if (s->utf8() == text) return type;
  return 0;
}

namespace {
// Splits as componentsSeparatedByString: does, without making the pieces.
template <class F>
void eachPiece(std::string_view text, std::string_view separator, F&& f) {
  for (std::size_t from = 0;;) {
    std::size_t at = text.find(separator, from);
    f(text.substr(from, at == std::string_view::npos ? std::string_view::npos : at - from));
    if (at == std::string_view::npos) return;
    from = at + separator.size();
  }
}
}  // namespace

bool CVLOBaseListController::shouldHideSpecifierImpl(PSSpecifier* s) {
  if (!s) return false;
  NSString* depends = textOf(s, kDependsKey);
  if (!depends || depends->utf8().empty()) return false;
  bool hidden = false;
  eachPiece(depends->utf8(), ", ", [&](std::string_view condition) {
    std::string_view parts[3];
    int n = 0;
    eachPiece(condition, " ", [&](std::string_view p) {
      if (n < 3) parts[n] = p;
      ++n;
    });
    if (n != 3) return;  // refused when the rules were collected
    Ref<PSSpecifier> controlling = specifierForKey(NSString::make(parts[0]));
    Ref<NSObject> value = objc::send<Ref<NSObject>(PSSpecifier*), "readPreferenceValue:">(this, controlling.get());
    if (auto* number = objc_cast<NSNumber>(value.get())) {
      long type = operatorTypeForString(NSString::make(parts[1]));
      long long want = compareNumber(std::string(parts[2]));
      long long have = number->intValue();
      switch (type) {
        case 0: hidden = hidden || have != want; break;
        case 1: hidden = hidden || have == want; break;
        case 2: hidden = hidden || have < want; break;
        case 3: hidden = hidden || have > want; break;
        case 4: hidden = hidden || have <= want; break;
        case 5: hidden = hidden || have >= want; break;
        default: hidden = false; break;
      }
    } else if (auto* text = objc_cast<NSString>(value.get())) {
      if (text->utf8() != parts[2]) hidden = true;
    } else if (auto* list = objc_cast<NSArray>(value.get())) {
      if (!list->containsObject(NSString::make(parts[2]))) hidden = true;
    }
  });
  return hidden;
}

void CVLOBaseListController::reloadSpecifiersImpl() {
  objc::sendSuper<void(), "reloadSpecifiers">(CVLOBaseListController::cls(), this);
  collectSpecifiersWithDependenciesFromArray(specifiers());
}

// Never now: a reload asked for during a layout would re-enter it.
void CVLOBaseListController::reloadTableImpl() {
  Ref<CVLOBaseListController> page(this);
  dispatch_async(dispatch_get_global_queue(DISPATCH_QUEUE_PRIORITY_HIGH, 0), [page]() mutable {
    dispatch_async(dispatch_get_main_queue(), [page] { page->table()->reloadData(); });
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

long CVLOBaseListController::hiddenRowsInSection(UITableView* t, long section, long* rowCount) {
  long hidden = 0;
  long r = 0;
  for (; r < tableViewNumberOfRowsInSection(t, section); ++r) {
    Ref<PSSpecifier> item = specifierAtIndexPath(NSIndexPath::indexPathForRowInSection(r, section));
    if (item && shouldHideSpecifier(item)) ++hidden;
  }
  *rowCount = r;
  return hidden;
}

bool CVLOBaseListController::tableViewShouldHideSectionImpl(UITableView* t, long s) {
  long rows = 0;
  long hidden = hiddenRowsInSection(t, s, &rows);
  return rows > 0 && hidden > 0 && hidden == rows;
}

long CVLOBaseListController::numberOfHiddenSectionsInTableViewImpl(UITableView* t) {
  long n = 0;
  for (long s = 0; s < (t ? t->numberOfSections() : 0); ++s)
    if (tableViewShouldHideSection(t, s)) ++n;
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
  auto v = UIView::make();
  v->setBackgroundColor(UIColor::clearColor());
  return v;
}
}  // namespace

Ref<UIView> CVLOBaseListController::tableViewViewForHeaderInSectionImpl(UITableView* t, long s) {
  if (tableViewShouldHideSection(t, s)) return clearView();
  return objc::sendSuper<Ref<UIView>(UITableView*, long), "tableView:viewForHeaderInSection:">(
      CVLOBaseListController::cls(), this, t, s);
}

Ref<UIView> CVLOBaseListController::tableViewViewForFooterInSectionImpl(UITableView* t, long s) {
  if (tableViewShouldHideSection(t, s)) return clearView();
  return objc::sendSuper<Ref<UIView>(UITableView*, long), "tableView:viewForFooterInSection:">(
      CVLOBaseListController::cls(), this, t, s);
}

double CVLOBaseListController::tableViewHeightForHeaderInSectionImpl(UITableView* t, long s) {
  if (tableViewShouldHideSection(t, s)) return static_cast<double>(0.01f);
  return objc::sendSuper<double(UITableView*, long), "tableView:heightForHeaderInSection:">(
      CVLOBaseListController::cls(), this, t, s);
}

double CVLOBaseListController::tableViewHeightForFooterInSectionImpl(UITableView* t, long s) {
  if (tableViewShouldHideSection(t, s)) {
    long n = numberOfHiddenSectionsInTableView(t);
    return static_cast<double>(n == 0 ? 7.5f : 7.5f / static_cast<float>(n));
  }
  return objc::sendSuper<double(UITableView*, long), "tableView:heightForFooterInSection:">(
      CVLOBaseListController::cls(), this, t, s);
}

double CVLOBaseListController::tableViewHeightForRowAtIndexPathImpl(UITableView* t, NSIndexPath* p) {
  auto superHeight = [&] {
    return objc::sendSuper<double(UITableView*, NSIndexPath*), "tableView:heightForRowAtIndexPath:">(
        CVLOBaseListController::cls(), this, t, p);
  };
  Ref<PSSpecifier> item = p ? specifierAtIndexPath(p) : nullptr;
  if (hasSpecifiersWithDependencies() && item) {
    Ref<NSMutableDictionary> map = specifiersWithDependencies();
    for (const auto& [key, rows] : map->entries()) {
      if (!static_cast<NSArray*>(rows.get())->containsObject(item)) continue;
      bool hidden = shouldHideSpecifier(item);
      if (auto* cell = objc_cast<UIView>(item->findProperty(PSTableCellKey))) cell->setClipsToBounds(hidden);
      if (hidden) return 0.0;
    }
  }
  if (!p) return superHeight();
  long section = p->section();
  long n = tableViewNumberOfRowsInSection(t, section);
  if (n < 1) return superHeight();
  long hidden = 0, first = -1, last = -1, r = 0;
  for (; r < tableViewNumberOfRowsInSection(t, section); ++r) {
    Ref<PSSpecifier> row = specifierAtIndexPath(NSIndexPath::indexPathForRowInSection(r, section));
    if (!row) continue;
    setSeparatorsHidden(objc_cast<UIView>(row->findProperty(PSTableCellKey)), false);
    if (shouldHideSpecifier(row)) {
      ++hidden;
    } else {
      last = r;
      if (first < 0) first = r;
    }
  }
  if (hidden == 0 || hidden == r) return superHeight();
  auto* cell = item ? objc_cast<UIView>(item->findProperty(PSTableCellKey)) : nullptr;
  auto round = [&](unsigned long mask) {
    if (!cell) return;
    UIView_Rounding::roundCornersRadius(cell, mask, 10.0);
    setSeparatorsHidden(cell, true);
  };
  long measured = p->row();
  if (hidden == r - 1) {
    if (measured == last) round(15);
  } else if (measured == first) {
    round(first == last ? 15 : 3);
  } else if (measured == last) {
    round(12);
  }
  return superHeight();
}

// ----------------------------------------------------------------- binding

void CVLOBaseListController::setPreferenceValueSpecifierImpl(NSObject* value, PSSpecifier* s) {
  objc::sendSuper<void(NSObject*, PSSpecifier*), "setPreferenceValue:specifier:">(CVLOBaseListController::cls(), this,
                                                                                value, s);
  Ref<CVLOBaseListController> page(this);
  Ref<PSSpecifier> row(s);
  dispatch_async(dispatch_get_global_queue(DISPATCH_QUEUE_PRIORITY_HIGH, 0), [page, row] {
    bool reload = false;
    {
      std::lock_guard g(page->dependenciesMutex_);
      if (!page->hasDependencies_ || !page->dependencies_ || !row) return;
      auto* key = objc_cast<NSString>(row->findProperty(PSKeyNameKey));
      for (const auto& [k, rows] : page->dependencies_->entries())
        if (key && k == key->utf8()) reload = true;
    }
    if (reload) page->reloadTable();
  });
}

void CVLOBaseListController::confirm(const char* titleKey, const char* messageKey, const char* actionKey, bool reset) {
  auto sheet = UIAlertController::alertControllerWithTitleMessagePreferredStyle(
      localizedStringForKey(NSString::make(titleKey)), localizedStringForKey(NSString::make(messageKey)),
      UIAlertControllerStyleActionSheet);
  auto handler = _UIBlock::make([reset](NSObject*) {
    if (reset) notify_post("com.tenvarix.corvallo/Reset");
    notify_post("com.tenvarix.corvallo/Respring");
  });
  auto confirmAction = UIAlertAction::actionWithTitleStyleHandler(localizedStringForKey(NSString::make(actionKey)),
                                                                  UIAlertActionStyleDestructive, handler);
  auto cancel = UIAlertAction::actionWithTitleStyleHandler(localizedStringForKey("CANCEL"_ns), UIAlertActionStyleCancel,
                                                           nullptr);
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
  openLink("https://www.paypal.com/donate/?cmd=_donations&business=donate%40tenvarix.com&item_name=iOS%20Tweak%20Development");
}
void CVLOBaseListController::githubImpl() { openLink("https://github.com/tenvarix"); }
void CVLOBaseListController::discordImpl() { openLink("https://discord.com/users/583920175640297472"); }
void CVLOBaseListController::bugReportImpl() {
  openLink(
      "mailto:support@tenvarix.com?subject=%5BiOS%20Tweak%20Support%5D%20Bug%20Report&body=Tweak%20name%3A%20Corvallo%0D%"
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

void CVLOBaseListController::tint(UIColor* color) {
  view()->setTintColor(color);
  if (auto inner = navigationController())
    if (auto outer = inner->navigationController()) outer->navigationBar()->setTintColor(color);
  auto containers = NSArray::of({Ref<NSObject>(static_cast<NSObject*>(isa()))});
  appearanceWhenContainedInInstancesOfClasses<UISwitch>(containers)->setOnTintColor(color);
  appearanceWhenContainedInInstancesOfClasses<UISlider>(containers)->setTintColor(color);
  appearanceWhenContainedInInstancesOfClasses<UISegmentedControl>(containers)->setTintColor(color);
}

void CVLOBaseListController::doTintingImpl() { tint(themeTintColor()); }
void CVLOBaseListController::reverseTintingImpl() { tint(nullptr); }

void CVLOBaseListController::loadViewImpl() {
  objc::sendSuper<void(), "loadView">(CVLOBaseListController::cls(), this);
  doTinting();
}
void CVLOBaseListController::viewDidLoadImpl() {
  objc::sendSuper<void(), "viewDidLoad">(CVLOBaseListController::cls(), this);
  doTinting();
}
void CVLOBaseListController::viewWillAppearImpl(bool animated) {
  objc::sendSuper<void(bool), "viewWillAppear:">(CVLOBaseListController::cls(), this, animated);
  doTinting();
}
void CVLOBaseListController::viewDidAppearImpl(bool animated) {
  objc::sendSuper<void(bool), "viewDidAppear:">(CVLOBaseListController::cls(), this, animated);
  doTinting();
}
void CVLOBaseListController::viewWillDisappearImpl(bool animated) {
  objc::sendSuper<void(bool), "viewWillDisappear:">(CVLOBaseListController::cls(), this, animated);
  reverseTinting();
}

OBJC_IMPLEMENT_LEGACY(CVLOBaseListController)
void CVLOBaseListController::registerMethods(objc::ClassBuilder<CVLOBaseListController>& b) {
  using C = CVLOBaseListController;
  b.method<"preferenceBundle", &C::preferenceBundleImpl>()
      .method<"setPreferenceBundle:", &C::setPreferenceBundleImpl>()
      .method<"themeTintColor", &C::themeTintColorImpl>()
      .method<"setThemeTintColor:", &C::setThemeTintColorImpl>()
      .method<"darkModePlist", &C::darkModePlistImpl>()
      .method<"setDarkModePlist:", &C::setDarkModePlistImpl>()
      .method<"lightModePlist", &C::lightModePlistImpl>()
      .method<"setLightModePlist:", &C::setLightModePlistImpl>()
      .method<"hasSpecifiersWithDependencies", &C::hasSpecifiersWithDependenciesImpl>()
      .method<"setHasSpecifiersWithDependencies:", &C::setHasSpecifiersWithDependenciesImpl>()
      .method<"specifiersWithDependencies", &C::specifiersWithDependenciesImpl>()
      .method<"setSpecifiersWithDependencies:", &C::setSpecifiersWithDependenciesImpl>()
      .property("preferenceBundle", {{"T", "@\"NSBundle\""}, {"&", ""}, {"N", ""}})
      .property("themeTintColor", {{"T", "@\"UIColor\""}, {"&", ""}, {"N", ""}})
      .property("darkModePlist", {{"T", "@\"NSString\""}, {"&", ""}, {"N", ""}})
      .property("lightModePlist", {{"T", "@\"NSString\""}, {"&", ""}, {"N", ""}})
      .property("hasSpecifiersWithDependencies", {{"T", "B"}, {"N", ""}})
      .property("specifiersWithDependencies", {{"T", "@\"NSMutableDictionary\""}, {"&", ""}, {"N", ""}})
      .method<"specifiers", &C::specifiersImpl>()
      .method<"traitCollectionDidChange:", &C::traitCollectionDidChangeImpl>()
      .method<"isDarkModeEnabled", &C::isDarkModeEnabledImpl>()
      .method<"setDarkModePlist:lightModePlist:", &C::setDarkModePlistLightModePlistImpl>()
      .method<"getDarkModePlist", &C::getDarkModePlistImpl>()
      .method<"getLightModePlist", &C::getLightModePlistImpl>()
      .method<"localizedStringForKey:", &C::localizedStringForKeyImpl>()
      .method<"pathOfResourceWithName:type:", &C::pathOfResourceWithNameTypeImpl>()
      .method<"collectSpecifiersWithDependenciesFromArray:", &C::collectSpecifiersWithDependenciesFromArrayImpl>()
      .method<"shouldHideSpecifier:", &C::shouldHideSpecifierImpl>()
      .method<"specifierForKey:", &C::specifierForKeyImpl>()
      .method<"operatorTypeForString:", &C::operatorTypeForStringImpl>()
      .method<"reloadSpecifiers", &C::reloadSpecifiersImpl>()
      .method<"reloadTable", &C::reloadTableImpl>()
      .method<"readPreferenceValue:", &C::readPreferenceValueImpl>()
      .method<"tableView:shouldHideSection:", &C::tableViewShouldHideSectionImpl>()
      .method<"numberOfHiddenSectionsInTableView:", &C::numberOfHiddenSectionsInTableViewImpl>()
      .method<"numberOfHiddenHeadersInTableView:", &C::numberOfHiddenHeadersInTableViewImpl>()
      .method<"numberOfHiddenFootersInTableView:", &C::numberOfHiddenFootersInTableViewImpl>()
      .method<"tableView:viewForHeaderInSection:", &C::tableViewViewForHeaderInSectionImpl>()
      .method<"tableView:viewForFooterInSection:", &C::tableViewViewForFooterInSectionImpl>()
      .method<"tableView:heightForHeaderInSection:", &C::tableViewHeightForHeaderInSectionImpl>()
      .method<"tableView:heightForFooterInSection:", &C::tableViewHeightForFooterInSectionImpl>()
      .method<"tableView:heightForRowAtIndexPath:", &C::tableViewHeightForRowAtIndexPathImpl>()
      .method<"setPreferenceValue:specifier:", &C::setPreferenceValueSpecifierImpl>()
      .method<"reset", &C::resetImpl>()
      .method<"respring", &C::respringImpl>()
      .method<"twitter", &C::twitterImpl>()
      .method<"paypal", &C::paypalImpl>()
      .method<"github", &C::githubImpl>()
      .method<"discord", &C::discordImpl>()
      .method<"bugReport", &C::bugReportImpl>()
      .method<"featureRequest", &C::featureRequestImpl>()
      .method<"doTinting", &C::doTintingImpl>()
      .method<"reverseTinting", &C::reverseTintingImpl>()
      .method<"loadView", &C::loadViewImpl>()
      .method<"viewDidLoad", &C::viewDidLoadImpl>()
      .method<"viewWillAppear:", &C::viewWillAppearImpl>()
      .method<"viewDidAppear:", &C::viewDidAppearImpl>()
      .method<"viewWillDisappear:", &C::viewWillDisappearImpl>();
}
