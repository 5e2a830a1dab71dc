#include "StandardRows.h"

#include "PageReport.h"
#include "ViewReport.h"
#include "control/ControlServer.h"
#include "control/Ops.h"
#include "foundation/Format.h"
#include "foundation/NSNumber.h"
#include "preferences/PSControlCells.h"
#include "preferences/PSEntryListController.h"
#include "preferences/PSListItemsController.h"
#include "uikit/UIControls.h"
#include "uikit/UITextField.h"

using control::RequestError;
using nlohmann::json;

namespace settings {

namespace {

const char* kindOf(long type) {
  switch (type) {
    case PSGroupCell: return "group";
    case PSLinkCell: return "link";
    case PSLinkListCell: return "list";
    case PSListItemCell: return "choice";
    case PSTitleValueCell: return "titleValue";
    case PSSliderCell: return "slider";
    case PSSwitchCell: return "switch";
    case PSEditTextCell: return "textField";
    case PSSecureEditTextCell: return "secureTextField";
    case PSSegmentCell: return "segment";
    case PSGiantIconCell: return "giantIcon";
    case PSGiantCell: return "giant";
    case PSButtonCell: return "button";
    case PSEditTextViewCell: return "textView";
    default: return "staticText";
  }
}

const char* keyboardName(long type) {
  switch (type) {
    case UIKeyboardTypeURL: return "url";
    case UIKeyboardTypeNumberPad: return "number";
    case UIKeyboardTypeDecimalPad: return "decimal";
    default: return "default";
  }
}

json textOrNull(const Ref<NSString>& s) { return s ? json(s->utf8()) : json(nullptr); }

// The value a person named: a valid value as written, else a title.
Ref<NSObject> valueNamed(PSSpecifier* item, const std::string& word) {
  Ref<NSArray> values = item->values();
  Ref<NSDictionary> titles = item->titleDictionary();
  if (!values) throw RequestError("that row has no values to choose from");
  std::string names;
  for (const auto& v : values->items())
    if (foundation::describe(v.get()) == word) return v;
  for (const auto& v : values->items()) {
    auto* title = titles ? objc_cast<NSString>(titles->find(foundation::describe(v.get()))) : nullptr;
    std::string shown = title ? title->utf8() : foundation::describe(v.get());
    if (shown == word) return v;
    names += (names.empty() ? "" : ", ") + ("\"" + shown + "\"");
  }
  throw RequestError("that row has no value \"" + word + "\" (it has " + names + ")");
}

}  // namespace

void addStandardRowFields(json& r, PSSpecifier* item, PSTableCell* cell) {
  long type = item->cellType();
  auto* missing = objc_cast<NSString>(item->findProperty(PSMissingCodeKey));
  r["kind"] = item->findProperty("notice")    ? "notice"
              : item->findProperty("problem") ? "problem"
              : missing                       ? "placeholder"
                                              : kindOf(type);
  r["placeholder"] = textOrNull(missing);
  r["alignment"] = item->findProperty("alignment") ? json(cell ? cell->textLabel()->textAlignment() : 0L) : json(nullptr);
  r["icon"] = textOrNull(objc_cast<NSString>(item->findProperty("iconPath")));
  if (!cell) return;
  r["checked"] = cell->accessoryType() == UITableViewCellAccessoryCheckmark;
  r["disclosure"] = cell->accessoryType() == UITableViewCellAccessoryDisclosureIndicator;
  r["titleAlignment"] = cell->textLabel()->textAlignment();
  if (auto* segments = objc_cast<UISegmentedControl>(cell->accessoryView().get())) {
    json titles = json::array();
    for (long i = 0; i < segments->numberOfSegments(); ++i)
      titles.push_back(textOrNull(segments->titleForSegmentAtIndex(static_cast<unsigned long>(i))));
    r["segments"] = titles;
    r["selectedSegment"] = segments->selectedSegmentIndex();
    r["tint"] = colorJson(segments->tintColor());
  } else if (auto* field = objc_cast<UITextField>(cell->accessoryView().get())) {
    Ref<NSString> text = field->text();
    r["textField"] = json{{"text", field->secureTextEntry() || !text ? json(nullptr) : json(text->utf8())},
                          {"length", text ? text->utf8().size() : 0},
                          {"placeholder", textOrNull(field->placeholder())},
                          {"secure", field->secureTextEntry()},
                          {"keyboard", keyboardName(field->keyboardType())},
                          {"autocorrect", field->autocorrectionType() != UITextAutocorrectionTypeNo}};
  }
  if (objc_cast<UISlider>(cell->accessoryView().get())) {
    auto* segmented = objc_cast<NSNumber>(item->findProperty("isSegmented"));
    auto* count = objc_cast<NSNumber>(item->findProperty("segmentCount"));
    r["sliderSteps"] = segmented && segmented->boolValue() && count ? json(count->integerValue()) : json(nullptr);
    auto* show = objc_cast<NSNumber>(item->findProperty(PSSliderShowValueKey));
    r["sliderShowsValue"] = show && show->boolValue();
  }
  if (type == PSButtonCell) r["textColor"] = colorJson(cell->textLabel()->textColor());
}

void addEntryPageFields(json& p, PSListController* list) {
  auto* entry = objc_cast<PSEntryListController>(list);
  p["notice"] = entry && !entry->notice.empty() ? json(entry->notice) : json(nullptr);
  p["error"] = entry && !entry->problem.empty() ? json(entry->problem) : json(nullptr);
  if (objc_cast<PSListItemsController>(list)) {
    json checked = nullptr;
    for (const auto& s : p["sections"])
      for (const auto& r : s["rows"])
        if (r.value("checked", false)) checked = r.value("title", json(nullptr));
    p["checked"] = checked;
  }
}

json standardRowAction(const std::string& op, PSListController* page, PSSpecifier* item, PSTableCell* cell,
                       const json& req) {
  auto textArg = [&](const char* name) {
    auto it = req.find(name);
    if (it == req.end() || !it->is_string()) throw RequestError(std::string("\"") + name + "\" must be a text");
    return it->get<std::string>();
  };
  if (item->findProperty(PSMissingCodeKey)) throw RequestError("that row needs code that is not loaded");
  if (op == control::ops::kTypeText) {
    auto* field = objc_cast<UITextField>(cell->accessoryView().get());
    if (!field) throw RequestError("that row has no text field");
    if (!field->isEnabled()) throw RequestError("that row is disabled");
    field->_typeText(NSString::make(textArg("text")));
    return json{{"length", field->text() ? field->text()->utf8().size() : 0}};
  }
  // setRowValue
  std::string word = textArg("value");
  if (auto* segments = objc_cast<UISegmentedControl>(cell->accessoryView().get())) {
    Ref<NSObject> value = valueNamed(item, word);
    Ref<NSArray> values = item->values();
    for (unsigned long i = 0; i < values->items().size(); ++i)
      if (values->items()[i].get() == value.get()) segments->setSelectedSegmentIndex(static_cast<long>(i));
    segments->sendActionsForControlEvents(UIControlEventValueChanged);
    return json{{"value", valueJson(value)}};
  }
  if (item->cellType() == PSLinkListCell) {
    // As choosing it on the list's own page does: stored through the row's setter, then shown.
    Ref<NSObject> value = valueNamed(item, word);
    PSTableCell::sendSetter(item, value);
    page->reloadSpecifier(item);
    return json{{"value", valueJson(value)}};
  }
  throw RequestError("that row is not a segment or a list of choices");
}

}  // namespace settings
