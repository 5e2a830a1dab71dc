// A page of choices for a list row: one row per title, a check on the
// current value; choosing one stores it and goes back.
#pragma once

#include "preferences/PSListController.h"

class PSListItemsController : public PSListController {
  OBJC_CLASS(PSListItemsController, PSListController)
  OBJC_OVERRIDE(specifiers)
  OBJC_OVERRIDE(tableViewCellForRowAtIndexPath)
  OBJC_OVERRIDE(tableViewDidSelectRowAtIndexPath)

  Ref<NSArray> specifiersImpl();
  Ref<UITableViewCell> tableViewCellForRowAtIndexPathImpl(UITableView* t, NSIndexPath* p);
  void tableViewDidSelectRowAtIndexPathImpl(UITableView* t, NSIndexPath* p);
};
