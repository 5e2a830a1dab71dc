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
 public:
  // The rows in display order. Subclasses assign and edit it directly.
  Ref<NSMutableArray> _specifiers;

  Ref<NSArray> specifiers() { return objc::send<Ref<NSArray>(), "specifiers">(this); }
  // The rows of "<name>.plist" in the controller's bundle, in file order. A
  // list that is missing or malformed gives no rows and one log line.
  Ref<NSMutableArray> loadSpecifiersFromPlistNameTarget(NSString* name, NSObject* target) {
    return objc::send<Ref<NSMutableArray>(NSString*, NSObject*), "loadSpecifiersFromPlistName:target:">(this, name,
                                                                                                       target);
  }
  void reloadSpecifiers() { objc::send<void(), "reloadSpecifiers">(this); }
  void reloadSpecifier(PSSpecifier* s) { objc::send<void(PSSpecifier*), "reloadSpecifier:">(this, s); }
  Ref<UITableView> table() { return objc::send<Ref<UITableView>(), "table">(this); }
  Ref<PSSpecifier> specifierAtIndexPath(NSIndexPath* p) {
    return objc::send<Ref<PSSpecifier>(NSIndexPath*), "specifierAtIndexPath:">(this, p);
  }
  Ref<PSSpecifier> specifierForID(NSString* identifier) {
    return objc::send<Ref<PSSpecifier>(NSString*), "specifierForID:">(this, identifier);
  }
  Ref<NSIndexPath> indexPathForSpecifier(PSSpecifier* s) {
    return objc::send<Ref<NSIndexPath>(PSSpecifier*), "indexPathForSpecifier:">(this, s);
  }
  Ref<NSBundle> bundle() { return objc::send<Ref<NSBundle>(), "bundle">(this); }

  Ref<NSObject> readPreferenceValue(PSSpecifier* s) {
    return objc::send<Ref<NSObject>(PSSpecifier*), "readPreferenceValue:">(this, s);
  }
  void setPreferenceValueSpecifier(NSObject* value, PSSpecifier* s) {
    objc::send<void(NSObject*, PSSpecifier*), "setPreferenceValue:specifier:">(this, value, s);
  }
  Ref<PSSpecifier> specifier() { return objc::send<Ref<PSSpecifier>(), "specifier">(this); }
  void setSpecifier(PSSpecifier* s) { objc::send<void(PSSpecifier*), "setSpecifier:">(this, s); }
  bool shouldReloadSpecifiersOnResume() { return objc::send<bool(), "shouldReloadSpecifiersOnResume">(this); }

  // Table data source and delegate.
  long numberOfSectionsInTableView(UITableView* t) {
    return objc::send<long(UITableView*), "numberOfSectionsInTableView:">(this, t);
  }
  long tableViewNumberOfRowsInSection(UITableView* t, long s) {
    return objc::send<long(UITableView*, long), "tableView:numberOfRowsInSection:">(this, t, s);
  }
  Ref<UITableViewCell> tableViewCellForRowAtIndexPath(UITableView* t, NSIndexPath* p) {
    return objc::send<Ref<UITableViewCell>(UITableView*, NSIndexPath*), "tableView:cellForRowAtIndexPath:">(this, t, p);
  }
  CGFloat tableViewHeightForRowAtIndexPath(UITableView* t, NSIndexPath* p) {
    return objc::send<double(UITableView*, NSIndexPath*), "tableView:heightForRowAtIndexPath:">(this, t, p);
  }
  Ref<UIView> tableViewViewForHeaderInSection(UITableView* t, long s) {
    return objc::send<Ref<UIView>(UITableView*, long), "tableView:viewForHeaderInSection:">(this, t, s);
  }
  CGFloat tableViewHeightForHeaderInSection(UITableView* t, long s) {
    return objc::send<double(UITableView*, long), "tableView:heightForHeaderInSection:">(this, t, s);
  }
  Ref<UIView> tableViewViewForFooterInSection(UITableView* t, long s) {
    return objc::send<Ref<UIView>(UITableView*, long), "tableView:viewForFooterInSection:">(this, t, s);
  }
  CGFloat tableViewHeightForFooterInSection(UITableView* t, long s) {
    return objc::send<double(UITableView*, long), "tableView:heightForFooterInSection:">(this, t, s);
  }
  Ref<NSString> tableViewTitleForHeaderInSection(UITableView* t, long s) {
    return objc::send<Ref<NSString>(UITableView*, long), "tableView:titleForHeaderInSection:">(this, t, s);
  }
  Ref<NSString> tableViewTitleForFooterInSection(UITableView* t, long s) {
    return objc::send<Ref<NSString>(UITableView*, long), "tableView:titleForFooterInSection:">(this, t, s);
  }
  void tableViewDidSelectRowAtIndexPath(UITableView* t, NSIndexPath* p) {
    objc::send<void(UITableView*, NSIndexPath*), "tableView:didSelectRowAtIndexPath:">(this, t, p);
  }

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

  Ref<UITableView> table_;
  Ref<PSSpecifier> specifier_;
  std::vector<Section> sections_;
  NSMutableArray* sectionsOf_;  // the array sections_ was made from, not retained
  unsigned long sectionsCount_;
};

// A page of choices for a list row: one row per title, a check on the
// current value; choosing one stores it and goes back.
class PSListItemsController : public PSListController {
  OBJC_CLASS(PSListItemsController, PSListController)
 private:
  Ref<NSArray> specifiersImpl();
  void tableViewDidSelectRowAtIndexPathImpl(UITableView* t, NSIndexPath* p);
  Ref<UITableViewCell> tableViewCellForRowAtIndexPathImpl(UITableView* t, NSIndexPath* p);
};
