// Settings pages: a table of specifiers. The page is its table's data
// source and delegate; group rows start sections. Pages made by tweak
// bundles override these messages and call up to them.
#pragma once

#include <vector>

#include "foundation/NSArray.h"
#include "preferences/NSBundle.h"
#include "preferences/PSSpecifier.h"
#include "preferences/PSTableCell.h"
#include "uikit/NSIndexPath.h"
#include "uikit/UITableView.h"
#include "uikit/UIViewController.h"

class PSListController : public UIViewController {
  OBJC_CLASS(PSListController, UIViewController)
  OBJC_METHOD(specifiers, "specifiers", Ref<NSArray>())
  // The rows of "<name>.plist" in the controller's bundle, in file order. A
  // list that is missing or malformed gives no rows and one log line.
  OBJC_METHOD(loadSpecifiersFromPlistNameTarget,
              "loadSpecifiersFromPlistName:target:", Ref<NSMutableArray>(NSString*, NSObject*))
  OBJC_METHOD(reloadSpecifiers, "reloadSpecifiers", void())
  OBJC_METHOD(reloadSpecifier, "reloadSpecifier:", void(PSSpecifier*))
  OBJC_METHOD(table, "table", Ref<UITableView>())
  OBJC_METHOD(specifierAtIndexPath, "specifierAtIndexPath:", Ref<PSSpecifier>(NSIndexPath*))
  OBJC_METHOD(specifierForID, "specifierForID:", Ref<PSSpecifier>(NSString*))
  OBJC_METHOD(indexPathForSpecifier, "indexPathForSpecifier:", Ref<NSIndexPath>(PSSpecifier*))
  OBJC_METHOD(bundle, "bundle", Ref<NSBundle>())
  OBJC_METHOD(readPreferenceValue, "readPreferenceValue:", Ref<NSObject>(PSSpecifier*))
  OBJC_METHOD(setPreferenceValueSpecifier, "setPreferenceValue:specifier:", void(NSObject*, PSSpecifier*))
  OBJC_METHOD(specifier, "specifier", Ref<PSSpecifier>())
  OBJC_METHOD(setSpecifier, "setSpecifier:", void(PSSpecifier*))
  OBJC_METHOD(shouldReloadSpecifiersOnResume, "shouldReloadSpecifiersOnResume", bool())

  // Table data source and delegate.
  OBJC_PROTOCOL_METHOD(UITableViewDataSource, numberOfSectionsInTableView)
  OBJC_PROTOCOL_METHOD(UITableViewDataSource, tableViewNumberOfRowsInSection)
  OBJC_PROTOCOL_METHOD(UITableViewDataSource, tableViewCellForRowAtIndexPath)
  OBJC_PROTOCOL_METHOD(UITableViewDelegate, tableViewHeightForRowAtIndexPath)
  OBJC_PROTOCOL_METHOD(UITableViewDelegate, tableViewViewForHeaderInSection)
  OBJC_PROTOCOL_METHOD(UITableViewDelegate, tableViewHeightForHeaderInSection)
  OBJC_PROTOCOL_METHOD(UITableViewDelegate, tableViewViewForFooterInSection)
  OBJC_PROTOCOL_METHOD(UITableViewDelegate, tableViewHeightForFooterInSection)
  OBJC_METHOD(tableViewTitleForHeaderInSection, "tableView:titleForHeaderInSection:", Ref<NSString>(UITableView*, long))
  OBJC_METHOD(tableViewTitleForFooterInSection, "tableView:titleForFooterInSection:", Ref<NSString>(UITableView*, long))
  OBJC_PROTOCOL_METHOD(UITableViewDelegate, tableViewDidSelectRowAtIndexPath)

  OBJC_OVERRIDE(loadView)
  OBJC_OVERRIDE(viewWillAppear)

 public:
  // The rows in display order. Subclasses assign and edit it directly.
  Ref<NSMutableArray> _specifiers = nullptr;

  // The group a row belongs to (not a message): index of the row in
  // _specifiers for each section, and of the section's group row or -1.
  struct Section {
    long group = -1;
    std::vector<long> rows;
  };
  const std::vector<Section>& sections();

 private:
  Ref<NSArray> specifiersImpl();
  Ref<NSMutableArray> loadSpecifiersFromPlistNameTargetImpl(NSString* name, NSObject* target);
  void reloadSpecifiersImpl();
  void reloadSpecifierImpl(PSSpecifier* s);
  Ref<UITableView> tableImpl();
  Ref<PSSpecifier> specifierAtIndexPathImpl(NSIndexPath* p);
  Ref<PSSpecifier> specifierForIDImpl(NSString* identifier);
  Ref<NSIndexPath> indexPathForSpecifierImpl(PSSpecifier* s);
  Ref<NSBundle> bundleImpl();
  Ref<NSObject> readPreferenceValueImpl(PSSpecifier* s);
  void setPreferenceValueSpecifierImpl(NSObject* value, PSSpecifier* s);
  Ref<PSSpecifier> specifierImpl() { return specifier_; }
  void setSpecifierImpl(PSSpecifier* s);
  bool shouldReloadSpecifiersOnResumeImpl() { return true; }
  void loadViewImpl();
  void viewWillAppearImpl(bool animated);
  long numberOfSectionsInTableViewImpl(UITableView* t);
  long tableViewNumberOfRowsInSectionImpl(UITableView* t, long s);
  Ref<UITableViewCell> tableViewCellForRowAtIndexPathImpl(UITableView* t, NSIndexPath* p);
  double tableViewHeightForRowAtIndexPathImpl(UITableView* t, NSIndexPath* p);
  Ref<UIView> tableViewViewForHeaderInSectionImpl(UITableView*, long) { return nullptr; }
  double tableViewHeightForHeaderInSectionImpl(UITableView* t, long s);
  Ref<UIView> tableViewViewForFooterInSectionImpl(UITableView*, long) { return nullptr; }
  double tableViewHeightForFooterInSectionImpl(UITableView* t, long s);
  Ref<NSString> tableViewTitleForHeaderInSectionImpl(UITableView* t, long s);
  Ref<NSString> tableViewTitleForFooterInSectionImpl(UITableView* t, long s);
  void tableViewDidSelectRowAtIndexPathImpl(UITableView* t, NSIndexPath* p);
  Ref<PSSpecifier> specifierInSection(long section, long row);
  PSSpecifier* groupOfSection(long section);
  void forgetSections() { sectionsValid_ = false; }

  Ref<UITableView> table_ = nullptr;
  Ref<PSSpecifier> specifier_ = nullptr;
  std::vector<Section> sections_ = {};
  // The array sections_ was made from, held so that a new array can never be
  // taken for it; an edit in place is caught by the count or by forgetSections().
  Ref<NSMutableArray> sectionsOf_ = nullptr;
  unsigned long sectionsCount_ = 0;
  bool sectionsValid_ = false;
};
