// The base of the bundle's settings pages: rows from a page list chosen by
// appearance, visibility rules, hidden-row geometry, value binding, the page
// actions and theme tinting.
#pragma once

#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "foundation/NSDictionary.h"
#include "preferences/PSListController.h"
#include "uikit/UIColor.h"

class CVLOBaseListController : public PSListController {
  OBJC_CLASS(CVLOBaseListController, PSListController)

  OBJC_PROPERTY(preferenceBundle, setPreferenceBundle, Ref<NSBundle>)
  OBJC_PROPERTY(themeTintColor, setThemeTintColor, Ref<UIColor>)
  OBJC_PROPERTY(darkModePlist, setDarkModePlist, Ref<NSString>)
  OBJC_PROPERTY(lightModePlist, setLightModePlist, Ref<NSString>)
  OBJC_PROPERTY(hasSpecifiersWithDependencies, setHasSpecifiersWithDependencies, bool)
  OBJC_PROPERTY(specifiersWithDependencies, setSpecifiersWithDependencies, Ref<NSMutableDictionary>)

  // Page lists and resources.
  OBJC_OVERRIDE(specifiers)
  OBJC_OVERRIDE(traitCollectionDidChange)
  OBJC_METHOD(isDarkModeEnabled, "isDarkModeEnabled", bool())
  OBJC_METHOD(setDarkModePlistLightModePlist, "setDarkModePlist:lightModePlist:", void(NSString*, NSString*))
  OBJC_METHOD(getDarkModePlist, "getDarkModePlist", Ref<NSString>())
  OBJC_METHOD(getLightModePlist, "getLightModePlist", Ref<NSString>())
  OBJC_METHOD(localizedStringForKey, "localizedStringForKey:", Ref<NSString>(NSString*))
  OBJC_METHOD(pathOfResourceWithNameType, "pathOfResourceWithName:type:", Ref<NSString>(NSString*, NSString*))

  // Visibility rules.
  OBJC_METHOD(collectSpecifiersWithDependenciesFromArray, "collectSpecifiersWithDependenciesFromArray:", void(NSArray*))
  OBJC_METHOD(shouldHideSpecifier, "shouldHideSpecifier:", bool(PSSpecifier*))
  OBJC_METHOD(specifierForKey, "specifierForKey:", Ref<PSSpecifier>(NSString*))
  OBJC_METHOD(operatorTypeForString, "operatorTypeForString:", long(NSString*))
  OBJC_OVERRIDE(reloadSpecifiers)
  OBJC_METHOD(reloadTable, "reloadTable", void())
  OBJC_OVERRIDE(readPreferenceValue)

  // Geometry of hidden rows and sections.
  OBJC_OVERRIDE(numberOfSectionsInTableView)
  OBJC_METHOD(tableViewShouldHideSection, "tableView:shouldHideSection:", bool(UITableView*, long))
  OBJC_METHOD(numberOfHiddenSectionsInTableView, "numberOfHiddenSectionsInTableView:", long(UITableView*))
  OBJC_METHOD(numberOfHiddenHeadersInTableView, "numberOfHiddenHeadersInTableView:", long(UITableView*))
  OBJC_METHOD(numberOfHiddenFootersInTableView, "numberOfHiddenFootersInTableView:", long(UITableView*))
  OBJC_OVERRIDE(tableViewViewForHeaderInSection)
  OBJC_OVERRIDE(tableViewViewForFooterInSection)
  OBJC_OVERRIDE(tableViewHeightForHeaderInSection)
  OBJC_OVERRIDE(tableViewHeightForFooterInSection)
  OBJC_OVERRIDE(tableViewHeightForRowAtIndexPath)

  // Binding, sheets and links.
  OBJC_OVERRIDE(setPreferenceValueSpecifier)
  OBJC_METHOD(reset, "reset", void())
  OBJC_METHOD(respring, "respring", void())
  OBJC_METHOD(twitter, "twitter", void())
  OBJC_METHOD(paypal, "paypal", void())
  OBJC_METHOD(github, "github", void())
  OBJC_METHOD(discord, "discord", void())
  OBJC_METHOD(bugReport, "bugReport", void())
  OBJC_METHOD(featureRequest, "featureRequest", void())

  // Tinting.
  OBJC_METHOD(doTinting, "doTinting", void())
  OBJC_METHOD(reverseTinting, "reverseTinting", void())
  OBJC_OVERRIDE(loadView)
  OBJC_OVERRIDE(viewDidLoad)
  OBJC_OVERRIDE(viewWillAppear)
  OBJC_OVERRIDE(viewDidAppear)
  OBJC_OVERRIDE(viewWillDisappear)

 public:
  // The pages' theme colour, and a page's tinting with it (nothing: the
  // system's): its view, the app's bar and its controls.
  static Ref<UIColor> themeColor();
  static void tintPage(UIViewController* page, UIColor* color);

 private:
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
  void publishReloadingKeys();
  bool reloadsOnWriteTo(std::string_view key);
  bool shouldHideSpecifierImpl(PSSpecifier* s);
  Ref<PSSpecifier> specifierForKeyImpl(NSString* key);
  long operatorTypeForStringImpl(NSString* s);
  void reloadSpecifiersImpl();
  void reloadTableImpl();
  Ref<NSObject> readPreferenceValueImpl(PSSpecifier* s);

  // What one section's rows look like to its geometry.
  struct SectionRows {
    long rows = 0, hidden = 0, first = -1, last = -1;
    PSSpecifier* separatorsHiddenOn = nullptr;  // the row whose rounding last hid them
    bool separatorsShown = false;               // every row's shown once this pass
    bool known = false;
  };
  long numberOfSectionsInTableViewImpl(UITableView* t);
  void openLayoutPass(UITableView* t, long sections);
  void closeLayoutPass();
  bool inPass(UITableView* t) const { return pass_.open && pass_.table == t; }
  bool isHidden(PSSpecifier* row);
  bool isRuled(PSSpecifier* row);
  SectionRows& sectionRows(UITableView* t, long section, SectionRows& scratch);
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
  void loadViewImpl();
  void viewDidLoadImpl();
  void viewWillAppearImpl(bool animated);
  void viewDidAppearImpl(bool animated);
  void viewWillDisappearImpl(bool animated);

  // The write check runs on a background queue while the main thread may
  // collect the rules again. It reads only this copy of the keys whose writes
  // reload (none while the page has no rules), made on the main thread after
  // each collection; the lock guards the copy and nothing is sent under it.
  std::mutex dependenciesMutex_{};
  std::set<std::string, std::less<>> reloadingKeys_{};
  // From viewWillDisappear: until viewWillAppear: another page covers this one
  // or it has left the screen.
  bool offScreen_ = false;

  // One layout pass asks for every row's visibility many times over (its
  // height, its section's, the count of hidden sections). From the page's
  // numberOfSections to the next turn of the main loop, or until a value or
  // the rows change, each answer is worked out once, so a pass costs each
  // rule once. Outside a pass every answer is worked out afresh.
  struct LayoutPass {
    bool open = false;
    bool closeQueued = false;
    UITableView* table = nullptr;
    std::unordered_map<PSSpecifier*, bool> hidden;
    std::unordered_set<PSSpecifier*> ruled;
    std::unordered_map<std::string, PSSpecifier*> rowForKey;
    std::vector<SectionRows> sections;
    long hiddenSections = -1;
  };
  LayoutPass pass_{};
};
