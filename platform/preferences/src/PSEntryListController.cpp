#include "preferences/PSEntryListController.h"

#include "SpecifierFactory.h"
#include "foundation/Log.h"
#include "foundation/NSNumber.h"
#include "preferences/PSControlCells.h"
#include "preferences/PSListItemsController.h"
#include "uikit/UINavigationController.h"

namespace {

Ref<PSSpecifier> textRow(const std::string& text, std::string_view marker) {
  auto row = PSSpecifier::preferenceSpecifierNamedTargetSetGetDetailCellEdit(NSString::make(text), nullptr, nullptr,
                                                                             nullptr, nullptr, PSStaticTextCell, nullptr);
  row->setPropertyForKey(kCFBooleanTrue, marker);
  return row;
}

bool answers(NSObject* target, SEL sel) { return target && class_respondsToSelector(target->isa(), sel); }

}  // namespace

void PSEntryListController::markMissingCode(PSSpecifier* row, NSObject* target) {
  if (!row || row->findProperty(PSMissingCodeKey)) return;
  auto mark = [&](const std::string& what) { row->setPropertyForKey(NSString::make(what), PSMissingCodeKey); };
  auto* set = objc_cast<NSString>(row->findProperty("set"));
  auto* get = objc_cast<NSString>(row->findProperty("get"));
  if (set && !answers(target, row->_setter()))
    mark(set->utf8());
  else if (get && !answers(target, row->_getter()))
    mark(get->utf8());
  else if (SEL action = row->buttonAction(); action && !answers(target, action))
    mark(sel_getName(action));
}

Ref<NSArray> PSEntryListController::specifiersImpl() {
  if (_specifiers) return _specifiers;
  if (!problem.empty()) {
    _specifiers = NSMutableArray::array();
    _specifiers->addObject(PSSpecifier::emptyGroupSpecifier());
    // A sentence on the page, where the log line carries it after a colon.
    std::string line = problem;
    if (!line.empty() && line[0] >= 'a' && line[0] <= 'z') line[0] = static_cast<char>(line[0] - 'a' + 'A');
    _specifiers->addObject(textRow(line, "problem"));
    return _specifiers;
  }
  preferences::PageList list =
      inlineList ? preferences::pageListFrom(inlineList, pageBundle, listName ? listName.get() : nullptr, this)
                 : preferences::loadPageList(pageBundle, listName, this);
  if (list.title && !title()) setTitle(list.title);
  for (const auto& o : list.rows->items()) markMissingCode(objc_cast<PSSpecifier>(o.get()), this);
  if (!notice.empty()) list.rows->insertObjectAtIndex(textRow(notice, "notice"), 0);
  _specifiers = list.rows;
  return _specifiers;
}

void PSEntryListController::tableViewDidSelectRowAtIndexPathImpl(UITableView* t, NSIndexPath* p) {
  Ref<PSSpecifier> item = specifierAtIndexPath(p);
  // A link to another page list of the same bundle opens it on a page like this one.
  auto* other = item ? objc_cast<NSString>(item->findProperty("plist")) : nullptr;
  if (other && !item->findProperty(PSMissingCodeKey) &&
      (!item->detailControllerClass() ||
       static_cast<Class>(item->detailControllerClass().get()) == PSListController::cls())) {
    auto page = PSEntryListController::make();
    page->pageBundle = pageBundle;
    page->listName = other;
    page->setSpecifier(item);
    if (auto nav = navigationController()) nav->pushViewControllerAnimated(page, true);
    return;
  }
  sendSuper<tableViewDidSelectRowAtIndexPathMessage>(t, p);
}

OBJC_IMPLEMENT(PSEntryListController)
