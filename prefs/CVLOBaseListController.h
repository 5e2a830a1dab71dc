// The base of the bundle's settings pages: rows from a page list chosen by
// appearance, visibility rules, hidden-row geometry, value binding, the page
// actions and theme tinting.
#pragma once

#include <mutex>

#include "foundation/NSDictionary.h"
#include "preferences/PSListController.h"
#include "uikit/UIColor.h"

class CVLOBaseListController : public PSListController {
  OBJC_CLASS(CVLOBaseListController, PSListController)
 public:
  Ref<NSBundle> preferenceBundle() { return objc::send<Ref<NSBundle>(), "preferenceBundle">(this); }
  void setPreferenceBundle(NSBundle* b) { objc::send<void(NSBundle*), "setPreferenceBundle:">(this, b); }
  Ref<UIColor> themeTintColor() { return objc::send<Ref<UIColor>(), "themeTintColor">(this); }
  void setThemeTintColor(UIColor* c) { objc::send<void(UIColor*), "setThemeTintColor:">(this, c); }
  Ref<NSString> darkModePlist() { return objc::send<Ref<NSString>(), "darkModePlist">(this); }
  Ref<NSString> lightModePlist() { return objc::send<Ref<NSString>(), "lightModePlist">(this); }
  bool hasSpecifiersWithDependencies() { return objc::send<bool(), "hasSpecifiersWithDependencies">(this); }
  void setHasSpecifiersWithDependencies(bool b) { objc::send<void(bool), "setHasSpecifiersWithDependencies:">(this, b); }
  Ref<NSMutableDictionary> specifiersWithDependencies() {
    return objc::send<Ref<NSMutableDictionary>(), "specifiersWithDependencies">(this);
  }
  void setSpecifiersWithDependencies(NSMutableDictionary* d) {
    objc::send<void(NSMutableDictionary*), "setSpecifiersWithDependencies:">(this, d);
  }

  bool isDarkModeEnabled() { return objc::send<bool(), "isDarkModeEnabled">(this); }
  void setDarkModePlistLightModePlist(NSString* dark, NSString* light) {
    objc::send<void(NSString*, NSString*), "setDarkModePlist:lightModePlist:">(this, dark, light);
  }
  Ref<NSString> getDarkModePlist() { return objc::send<Ref<NSString>(), "getDarkModePlist">(this); }
  Ref<NSString> getLightModePlist() { return objc::send<Ref<NSString>(), "getLightModePlist">(this); }
  Ref<NSString> localizedStringForKey(NSString* key) {
    return objc::send<Ref<NSString>(NSString*), "localizedStringForKey:">(this, key);
  }
  Ref<NSString> pathOfResourceWithNameType(NSString* name, NSString* type) {
    return objc::send<Ref<NSString>(NSString*, NSString*), "pathOfResourceWithName:type:">(this, name, type);
  }

  void collectSpecifiersWithDependenciesFromArray(NSArray* rows) {
    objc::send<void(NSArray*), "collectSpecifiersWithDependenciesFromArray:">(this, rows);
  }
  bool shouldHideSpecifier(PSSpecifier* s) { return objc::send<bool(PSSpecifier*), "shouldHideSpecifier:">(this, s); }
  Ref<PSSpecifier> specifierForKey(NSString* key) {
    return objc::send<Ref<PSSpecifier>(NSString*), "specifierForKey:">(this, key);
  }
  long operatorTypeForString(NSString* s) { return objc::send<long(NSString*), "operatorTypeForString:">(this, s); }
  void reloadTable() { objc::send<void(), "reloadTable">(this); }

  bool tableViewShouldHideSection(UITableView* t, long s) {
    return objc::send<bool(UITableView*, long), "tableView:shouldHideSection:">(this, t, s);
  }
  long numberOfHiddenSectionsInTableView(UITableView* t) {
    return objc::send<long(UITableView*), "numberOfHiddenSectionsInTableView:">(this, t);
  }
  long numberOfHiddenHeadersInTableView(UITableView* t) {
    return objc::send<long(UITableView*), "numberOfHiddenHeadersInTableView:">(this, t);
  }
  long numberOfHiddenFootersInTableView(UITableView* t) {
    return objc::send<long(UITableView*), "numberOfHiddenFootersInTableView:">(this, t);
  }

  void reset() { objc::send<void(), "reset">(this); }
  void respring() { objc::send<void(), "respring">(this); }
  void doTinting() { objc::send<void(), "doTinting">(this); }
  void reverseTinting() { objc::send<void(), "reverseTinting">(this); }

 private:
  Ref<NSBundle> preferenceBundleImpl() { return preferenceBundle_; }
  void setPreferenceBundleImpl(NSBundle* b) { preferenceBundle_ = b; }
  Ref<UIColor> themeTintColorImpl() { return themeTintColor_; }
  void setThemeTintColorImpl(UIColor* c) { themeTintColor_ = c; }
  Ref<NSString> darkModePlistImpl() { return darkModePlist_; }
  void setDarkModePlistImpl(NSString* s) { darkModePlist_ = s; }
  Ref<NSString> lightModePlistImpl() { return lightModePlist_; }
  void setLightModePlistImpl(NSString* s) { lightModePlist_ = s; }
  bool hasSpecifiersWithDependenciesImpl() { return hasDependencies_; }
  void setHasSpecifiersWithDependenciesImpl(bool b) { hasDependencies_ = b; }
  Ref<NSMutableDictionary> specifiersWithDependenciesImpl() { return dependencies_; }
  void setSpecifiersWithDependenciesImpl(NSMutableDictionary* d) { dependencies_ = d; }

  Ref<NSArray> specifiersImpl();
  void traitCollectionDidChangeImpl(UITraitCollection* previous);
  bool isDarkModeEnabledImpl();
  void setDarkModePlistLightModePlistImpl(NSString* dark, NSString* light);
  Ref<NSString> getDarkModePlistImpl();
  Ref<NSString> getLightModePlistImpl();
  Ref<NSString> localizedStringForKeyImpl(NSString* key);
  Ref<NSString> pathOfResourceWithNameTypeImpl(NSString* name, NSString* type);
  void stampAndStrip();

  void collectSpecifiersWithDependenciesFromArrayImpl(NSArray* rows);
  bool shouldHideSpecifierImpl(PSSpecifier* s);
  Ref<PSSpecifier> specifierForKeyImpl(NSString* key);
  long operatorTypeForStringImpl(NSString* s);
  void reloadSpecifiersImpl();
  void reloadTableImpl();
  Ref<NSObject> readPreferenceValueImpl(PSSpecifier* s);

  long hiddenRowsInSection(UITableView* t, long section, long* rowCount);
  bool tableViewShouldHideSectionImpl(UITableView* t, long s);
  long numberOfHiddenSectionsInTableViewImpl(UITableView* t);
  long numberOfHiddenHeadersInTableViewImpl(UITableView* t);
  long numberOfHiddenFootersInTableViewImpl(UITableView* t);
  Ref<UIView> tableViewViewForHeaderInSectionImpl(UITableView* t, long s);
  Ref<UIView> tableViewViewForFooterInSectionImpl(UITableView* t, long s);
  double tableViewHeightForHeaderInSectionImpl(UITableView* t, long s);
  double tableViewHeightForFooterInSectionImpl(UITableView* t, long s);
  double tableViewHeightForRowAtIndexPathImpl(UITableView* t, NSIndexPath* p);

  void setPreferenceValueSpecifierImpl(NSObject* value, PSSpecifier* s);
  void confirm(const char* titleKey, const char* messageKey, const char* actionKey, bool reset);
  void resetImpl();
  void respringImpl();
  void twitterImpl();
  void paypalImpl();
  void githubImpl();
  void discordImpl();
  void bugReportImpl();
  void featureRequestImpl();

  void doTintingImpl();
  void reverseTintingImpl();
  void tint(UIColor* color);
  void loadViewImpl();
  void viewDidLoadImpl();
  void viewWillAppearImpl(bool animated);
  void viewDidAppearImpl(bool animated);
  void viewWillDisappearImpl(bool animated);

  Ref<NSBundle> preferenceBundle_;
  Ref<UIColor> themeTintColor_;
  Ref<NSString> darkModePlist_;
  Ref<NSString> lightModePlist_;
  bool hasDependencies_;
  Ref<NSMutableDictionary> dependencies_;
  // The write check reads the map on a background queue while the main
  // thread may rebuild it; both hold this lock.
  std::mutex dependenciesMutex_;
};
