#include "PageReport.h"

#include <algorithm>
#include <string_view>

#include "PickerControl.h"
#include "StandardRows.h"
#include "ViewReport.h"
#include "control/ControlServer.h"
#include "foundation/NSNumber.h"
#include "uikit/MediaClock.h"
#include "uikit/UIAlertController.h"
#include "uikit/UIControls.h"
#include "uikit/UILabel.h"
#include "uikit/UIMenu.h"

using nlohmann::json;

namespace settings {

namespace {

// Answered by the bundle's cells that tint themselves; the host does not link them.
using interactionTintColorMessage = objc::Message<"interactionTintColor", Ref<UIColor>()>;

std::string text(const Ref<NSString>& s) { return s ? s->utf8() : std::string(); }
json textOrNull(const Ref<NSString>& s) { return s ? json(s->utf8()) : json(nullptr); }

bool separatorsShown(UIView* cell) {
  static const Class separator = NSClassFromString("_UITableViewCellSeparatorView");
  bool any = false;
  for (const auto& v : cell->subviewList())
    if (objc_opt_isKindOfClass(v.get(), separator)) {
      any = true;
      if (v->isHidden()) return false;
    }
  return any;
}

// A section's own header or footer view, which the table shows instead of its title.
json sectionViewJson(UIView* v) { return v ? viewTreeJson(v, CACurrentMediaTime()) : json(nullptr); }

json rowJson(PSListController* page, UITableView* table, long section, long row, double height) {
  auto path = NSIndexPath::indexPathForRowInSection(row, section);
  Ref<PSSpecifier> item = page->specifierAtIndexPath(path);
  json r{{"section", section}, {"row", row}, {"height", height}, {"hidden", height == 0.0}};
  r["frame"] = rectJson(table->rectForRowAtIndexPath(path));
  if (!item) return r;
  r["title"] = textOrNull(item->name());
  r["id"] = textOrNull(item->identifier());
  r["cellType"] = PSCellTypeName(item->cellType());
  auto* key = objc_cast<NSString>(item->findProperty(PSKeyNameKey));
  r["key"] = textOrNull(key);
  r["themeTint"] = colorJson(objc_cast<UIColor>(item->findProperty("tintColor")));
  auto* cell = objc_cast<PSTableCell>(item->findProperty(PSTableCellKey));
  addStandardRowFields(r, item, cell);
  if (!cell) {
    r["cellClass"] = nullptr;
    return r;
  }
  r["cellClass"] = class_getName(cell->isa());
  r["value"] = valueJson(cell->value());
  r["enabled"] = cell->cellEnabled();
  r["cornerMask"] = cell->layer()->maskedCorners();
  r["cornerRadius"] = cell->layer()->cornerRadius();
  r["clipsToBounds"] = cell->clipsToBounds();
  r["separatorsShown"] = separatorsShown(cell);
  Ref<UILabel> label = cell->textLabel();
  r["textColor"] = colorJson(label->textColor());
  r["highlightedTextColor"] = colorJson(label->highlightedTextColor());
  r["numberOfLines"] = label->numberOfLines();
  r["minimumScaleFactor"] = label->minimumScaleFactor();
  r["detailText"] = textOrNull(cell->detailTextLabel()->text());
  r["detailTextColor"] = colorJson(cell->detailTextLabel()->textColor());
  if (json picker = pickerJson(cell); !picker.is_null()) r["picker"] = picker;
  if (auto* sw = objc_cast<UISwitch>(cell->accessoryView().get())) {
    r["switchOn"] = sw->isOn();
    r["tint"] = colorJson(sw->onTintColor());
  } else if (auto* slider = objc_cast<UISlider>(cell->accessoryView().get())) {
    r["sliderValue"] = slider->value();
    r["sliderMin"] = slider->minimumValue();
    r["sliderMax"] = slider->maximumValue();
    r["tint"] = colorJson(slider->tintColor());
  } else if (class_respondsToSelector(cell->isa(), interactionTintColorMessage::sel())) {
    r["tint"] = colorJson(objc::send<interactionTintColorMessage>(cell));
  } else {
    r["tint"] = nullptr;
  }
  if (auto* swatch = objc_cast<UIView>(cell->accessoryView().get());
      swatch && !r.contains("switchOn") && !r.contains("sliderValue") && !r.contains("segments") &&
      !r.contains("textField"))
    r["swatch"] = colorJson(swatch->backgroundColor());
  // Views a cell class adds of its own (a banner's icon and title), in the cell's coordinates.
  json added = json::array();
  for (const auto& v : cell->subviewList())
    if (v.get() != cell->contentView().get() && v.get() != cell->accessoryView().get() &&
        std::string_view(class_getName(v->isa())) != "_UITableViewCellSeparatorView")  // drawn with the rows
      added.push_back(viewTreeJson(v.get(), CACurrentMediaTime()));
  r["addedViews"] = added;
  return r;
}

}  // namespace

json valueJson(const Ref<NSObject>& value) {
  if (!value) return nullptr;
  if (auto* n = objc_cast<NSNumber>(value)) {
    if (n->isBoolean()) return n->boolValue();
    if (n->kind() == NSNumber::Kind::Integer) return n->longLongValue();
    return n->doubleValue();
  }
  if (auto* s = objc_cast<NSString>(value)) return s->utf8();
  if (auto* a = objc_cast<NSArray>(value)) {
    json out = json::array();
    for (const auto& v : a->items()) out.push_back(valueJson(v.get()));
    return out;
  }
  return foundation::describe(value);
}

json reportMenu() {
  Ref<UIMenu> menu = uikit::presentedMenu();
  if (!menu) return nullptr;
  json entries = json::array();
  Ref<NSArray> children = menu->children();
  for (const auto& c : children->items()) {
    auto* element = static_cast<UIMenuElement*>(c.get());
    Ref<UIImage> image = element->image();
    auto* action = objc_cast<UIAction>(element);
    unsigned long attributes = action ? action->attributes() : 0;
    entries.push_back(
        json{{"title", textOrNull(element->title())},
             {"symbol", image && !image->symbolName().empty() ? json(image->symbolName()) : json(nullptr)},
             {"destructive", (attributes & UIMenuElementAttributesDestructive) != 0},
             {"disabled", (attributes & UIMenuElementAttributesDisabled) != 0}});
  }
  Ref<UIView> source = uikit::presentedMenuSource();
  return json{{"source", source ? json(class_getName(source->isa())) : json(nullptr)}, {"entries", entries}};
}

json reportNavigationBar(UINavigationBar* bar) {
  double now = CACurrentMediaTime();
  json out{{"frame", rectJson(bar->frame())}, {"tint", colorJson(bar->tintColor())}};
  Ref<UINavigationItem> item = bar->topItem();
  Ref<UIView> titleView = item ? item->titleView() : nullptr;
  if (titleView) {
    json t = viewTreeJson(titleView.get(), now);
    for (const auto& child : titleView->subviewList()) {
      auto* label = objc_cast<UILabel>(child.get());
      if (!label) continue;
      CGRect l = label->frame(), v = titleView->bounds();
      t["text"] = textOrNull(label->text());
      t["textColor"] = colorJson(label->textColor());
      t["offset"] = (l.origin.y + l.size.height / 2) - v.size.height / 2;
      break;
    }
    out["titleView"] = t;
  } else {
    out["titleView"] = nullptr;
    out["title"] = item ? textOrNull(item->title()) : json(nullptr);
  }
  Ref<UIBarButtonItem> right = item ? item->rightBarButtonItem() : nullptr;
  Ref<UIView> custom = right ? right->customView() : nullptr;
  out["rightItem"] = right ? json{{"customView", viewTreeJson(custom.get(), now)}} : json(nullptr);
  return out;
}

json reportPage(PSListController* page, UINavigationBar* bar) {
  json p{{"class", class_getName(page->isa())}, {"title", textOrNull(page->title())}};
  Ref<UITableView> table = page->table();
  p["mediaTime"] = CACurrentMediaTime();
  p["tableHeader"] = viewTreeJson(table->tableHeaderView().get(), CACurrentMediaTime());
  p["navigationBar"] = bar ? reportNavigationBar(bar) : json(nullptr);
  p["menu"] = reportMenu();
  p["reloads"] = table->reloadCount();
  p["contentOffset"] = table->contentOffset().y;
  p["contentHeight"] = table->contentSize().height;
  p["viewTint"] = colorJson(page->view()->tintColor());
  json sections = json::array();
  p["tableFrame"] = rectJson(table->frame());
  const auto& layout = table->sectionLayout();
  // Section bands in content points, as the table stacked them.
  double y = table->tableHeaderView() ? table->tableHeaderView()->frame().size.height : 0.0;
  for (std::size_t s = 0; s < layout.size(); ++s) {
    const auto& sec = layout[s];
    double top = y;
    y += std::max(0.0, sec.headerHeight);
    for (double h : sec.rowHeights) y += h;
    double rowsEnd = y;
    y += std::max(0.0, sec.footerHeight);
    long si = static_cast<long>(s);
    json rows = json::array();
    for (std::size_t r = 0; r < sec.rowHeights.size(); ++r)
      rows.push_back(rowJson(page, table, si, static_cast<long>(r), sec.rowHeights[r]));
    sections.push_back(
        json{{"headerHeight", sec.headerHeight},
             {"footerHeight", sec.footerHeight},
             {"headerTitle", textOrNull(page->tableViewTitleForHeaderInSection(table, si))},
             {"footerTitle", textOrNull(page->tableViewTitleForFooterInSection(table, si))},
             {"headerView", sectionViewJson(sec.headerView)},
             {"footerView", sectionViewJson(sec.footerView)},
             {"headerFrame", json::array({0.0, top, table->frame().size.width, std::max(0.0, sec.headerHeight)})},
             {"footerFrame", json::array({0.0, rowsEnd, table->frame().size.width, std::max(0.0, sec.footerHeight)})},
             {"rows", rows}});
  }
  p["sections"] = sections;
  addEntryPageFields(p, page);
  if (auto* alert = objc_cast<UIAlertController>(page->presentedViewController().get())) {
    json actions = json::array();
    Ref<NSArray> list = alert->actions();
    for (const auto& a : list->items()) {
      auto* action = static_cast<UIAlertAction*>(a.get());
      actions.push_back(json{{"title", text(action->title())}, {"style", action->style()}});
    }
    p["alert"] = json{{"title", textOrNull(alert->title())},
                      {"message", textOrNull(alert->message())},
                      {"style", alert->preferredStyle()},
                      {"actions", actions}};
  } else {
    p["alert"] = nullptr;
  }
  return p;
}

Ref<NSIndexPath> findRow(PSListController* page, const json& req) {
  Ref<UITableView> table = page->table();
  auto it = req.find("row");
  if (it == req.end()) throw control::RequestError("name a row with \"row\" (id, key or title)");
  if (it->is_number_integer()) {
    auto sec = req.find("section");
    if (sec == req.end() || !sec->is_number_integer())
      throw control::RequestError("a row given by number needs \"section\" too");
    long s = sec->get<long>(), r = it->get<long>();
    if (s < 0 || s >= table->numberOfSections() || r < 0 || r >= table->numberOfRowsInSection(s))
      throw control::RequestError("no row " + std::to_string(r) + " in section " + std::to_string(s));
    return NSIndexPath::indexPathForRowInSection(r, s);
  }
  if (!it->is_string()) throw control::RequestError("\"row\" must be an id, key or title, or a number");
  std::string want = it->get<std::string>();
  for (long s = 0; s < table->numberOfSections(); ++s)
    for (long r = 0; r < table->numberOfRowsInSection(s); ++r) {
      auto path = NSIndexPath::indexPathForRowInSection(r, s);
      Ref<PSSpecifier> item = page->specifierAtIndexPath(path);
      if (!item) continue;
      auto* key = objc_cast<NSString>(item->findProperty(PSKeyNameKey));
      if (text(item->identifier()) == want || text(item->name()) == want || (key && key->utf8() == want)) return path;
    }
  throw control::RequestError("no row \"" + want + "\" on this page");
}

}  // namespace settings
