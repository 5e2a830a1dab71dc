// The plain list page a settings entry opens when no code of its own makes
// the page: a simple entry's items, a bundle's page list (with a notice when
// the bundle's code did not load), or one line saying why nothing opens.
#pragma once

#include <string>

#include "preferences/PSListController.h"

class PSEntryListController : public PSListController {
  OBJC_CLASS(PSEntryListController, PSListController)
  OBJC_OVERRIDE(bundle)
  OBJC_OVERRIDE(specifiers)
  OBJC_OVERRIDE(tableViewDidSelectRowAtIndexPath)

 public:
  // What the page shows; set before it first shows.
  Ref<NSBundle> pageBundle = nullptr;  // strings, icons and linked lists; may be nothing
  Ref<NSString> listName = nullptr;    // the page list in pageBundle
  Ref<NSDictionary> inlineList = nullptr;  // a list already read (a simple entry), instead
  std::string notice;   // the first row's text, when the code did not load
  std::string problem;  // when set, the page is this one line only

  // Rows that need code the page does not have become placeholders.
  static void markMissingCode(PSSpecifier* row, NSObject* target);

 private:
  Ref<NSBundle> bundleImpl() { return pageBundle; }
  Ref<NSArray> specifiersImpl();
  void tableViewDidSelectRowAtIndexPathImpl(UITableView* t, NSIndexPath* p);
};
