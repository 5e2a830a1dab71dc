#include "SettingsHost.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <string_view>

#include "Appearance.h"
#include "PageReport.h"
#include "PickerControl.h"
#include "StandardRows.h"
#include "colorcell/LCPColorCell.h"
#include "colorpicker/ColorString.h"
#include "control/ControlServer.h"
#include "control/Names.h"
#include "control/Ops.h"
#include "control/RequestArgs.h"
#include "dispatch/main_loop.h"
#include "foundation/Log.h"
#include "foundation/NSException.h"
#include "foundation/NSNumber.h"
#include "preferences/CoreFoundation.h"
#include "preferences/FailedWrites.h"
#include "uikit/MediaClock.h"
#include "uikit/UIAlertController.h"
#include "uikit/UIButton.h"
#include "uikit/UIControls.h"
#include "uikit/UIMenu.h"
#include "uikit/UIScene.h"
#include "uikit/UIViewAnimation.h"

using control::RequestError;

namespace settings {

namespace {

using control::args::number;
using control::args::str;

PSListController* listOf(UIViewController* vc) { return objc_cast<PSListController>(vc); }

// What covers a page's table at rest: the status bar and the navigation bar
// above it, the home indicator's strip below.
constexpr double kTableTopInset = 47 + kUINavigationBarHeight, kTableBottomInset = 34;

// A request that changed a value answers an error when the store did not take
// it; the page already shows the stored value again.
template <class F>
json storing(F&& act) {
  (void)preferences::takeFailedWrites();  // none of this request's
  json answer = act();
  std::vector<std::string> failed = preferences::takeFailedWrites();
  if (!failed.empty()) throw RequestError("the value was not stored: " + failed.front());
  return answer;
}

}  // namespace

Host::Host() {
  home_ = PSListController::make();
  home_->setTitle("Settings"_ns);
  outer_ = UINavigationController::make(home_);
  window_ = UIWindow::make(kUIScreenBounds);
  window_->setRootViewController(outer_);
  // Pages find the window through the application's scene, as on the device.
  scene_ = UIWindowScene::make();
  scene_->addWindow(window_);
  UIApplication_Scenes::connectScene(scene_);
  discover();
  window_->makeKeyAndVisible();
}

void Host::discover() {
  NSBundle::forgetBundlesWithoutCode();  // a package installed again may bring new texts
  entries_ = preferences::discoverBundles();
  auto rows = NSMutableArray::array();
  rows->addObject(PSSpecifier::emptyGroupSpecifier());
  for (const auto& e : entries_) {
    auto item = PSSpecifier::preferenceSpecifierNamedTargetSetGetDetailCellEdit(
        NSString::make(e.label), nullptr, nullptr, nullptr, nullptr, PSLinkCell, nullptr);
    item->setPropertyForKey(NSString::make(e.bundlePath), "bundlePath");
    rows->addObject(item);
  }
  home_->_specifiers = rows;
  if (home_->isViewLoaded()) home_->table()->reloadData();
}

Ref<UIViewController> Host::visiblePage() {
  Ref<UIViewController> top = outer_->topViewController();
  if (top.get() == home_.get()) return nullptr;
  if (auto* inner = objc_cast<UINavigationController>(top.get())) return inner->topViewController();
  return top;
}

void Host::unwindToHome() {
  uikit::dismissMenu();
  while (outer_->viewControllers()->count() > 1) outer_->popViewControllerAnimated(false);
}

template <class F>
json Host::guarded(const std::string& what, F&& f) {
  try {
    return f();
  } catch (const NSException& e) {
    // One broken page never takes the app down: it is closed and recorded.
    NSLog("The page %s failed while %s: %s: %s", openedEntry_, what, e.name(), e.reason());
    failure_ = json{{"entry", openedEntry_}, {"while", what}, {"name", e.name()}, {"reason", e.reason()}};
    try {
      unwindToHome();
    } catch (const std::exception& again) {
      NSLog("Closing the failed page failed too: %s", again.what());
    }
    throw RequestError("page failed: " + e.reason());
  }
}

json Host::open(const json& req) {
  std::string name = str(req, "entry");
  const preferences::BundleEntry* entry = nullptr;
  for (const auto& e : entries_)
    if (e.label == name || e.bundlePath == name) entry = &e;
  std::vector<std::string> labels;
  for (const auto& e : entries_) labels.push_back(e.label);
  for (const auto& e : entries_)
    if (!entry && control::sameName(e.label, name)) entry = &e;
  if (!entry) throw RequestError("no preference entry " + control::echoed(name) + "; " + control::namesHint(labels, name));
  unwindToHome();
  openedEntry_ = entry->label;
  failure_.reset();
  return guarded("opening", [&] {
    Ref<UIViewController> page = preferences::openEntry(*entry);
    Class cls = page->isa();
    auto item = PSSpecifier::preferenceSpecifierNamedTargetSetGetDetailCellEdit(
        NSString::make(entry->label), nullptr, nullptr, nullptr, cls, PSLinkCell, nullptr);
    if (auto* list = listOf(page)) list->setSpecifier(item);
    auto inner = UINavigationController::make(page);
    outer_->pushViewControllerAnimated(inner, true);
    return json{{"page", class_getName(cls)}};
  });
}

void Host::syncNavigationBar() {
  Ref<UINavigationBar> bar = outer_->navigationBar();
  Ref<UIViewController> page = visiblePage();
  Ref<UINavigationItem> item = (page ? page : Ref<UIViewController>(home_))->navigationItem();
  bar->_showItem(item);
  bar->layoutIfNeeded();
}

json Host::state() {
  syncNavigationBar();
  json out;
  out["systemVersion"] = preferences::systemVersion();
  out["cfVersion"] = kCFCoreFoundationVersionNumber;
  out["mediaTime"] = CACurrentMediaTime();
  out["appearance"] = window_->overrideUserInterfaceStyle() == UIUserInterfaceStyleDark ? "dark" : "light";
  out["navigationBarTint"] = outer_->navigationBar()->tintColor()->hexString();
  CGRect screen = window_->frame();
  out["screen"] = json::array({screen.origin.x, screen.origin.y, screen.size.width, screen.size.height});
  out["failed"] = failure_ ? *failure_ : json(nullptr);
  Ref<UIView> overlay = shownOverlay(outer_->view().get());
  out["pickerOverlay"] = overlayJson(overlay.get());
  out["depth"] =
      outer_->viewControllers()->count() - 1 +
      (objc_cast<UINavigationController>(outer_->topViewController().get())
           ? static_cast<UINavigationController*>(outer_->topViewController().get())->viewControllers()->count() - 1
           : 0);
  Ref<UIViewController> page = visiblePage();
  if (!page) {
    json entries = json::array();
    for (const auto& e : entries_)
      entries.push_back(
          json{{"label", e.label},
               {"bundle", e.bundlePath},
               {"icon", e.icon},
               {"iconPath", preferences::entryIconPath(e)},
               {"controller", e.controllerClass},
               {"kind", e.kind == preferences::EntryKind::Simple   ? "simple"
                        : e.kind == preferences::EntryKind::Broken ? "broken"
                                                                   : "bundle"},
               {"problem", e.problem.empty() ? json(nullptr) : json(e.problem)}});
    out["page"] = json{{"class", "home"}, {"entries", entries}};
    return out;
  }
  auto* list = listOf(page);
  out["page"] = list ? reportPage(list, outer_->navigationBar().get()) : json{{"class", class_getName(page->isa())}};
  if (out["page"]["navigationBar"].is_object()) out["page"]["navigationBar"]["backTitle"] = backTitle();
  return out;
}

// The back button names the page below the visible one, as its bar item does:
// its title, else "Back".
std::string Host::backTitle() {
  Ref<UIViewController> below = home_;
  if (auto* inner = objc_cast<UINavigationController>(outer_->topViewController().get())) {
    Ref<NSArray> stack = inner->viewControllers();
    if (stack->count() > 1) below = ref_cast<UIViewController>(stack->objectAtIndex(stack->count() - 2));
  }
  Ref<NSString> title = below->navigationItem()->title();
  if (!title) title = below->title();
  return title ? title->utf8() : std::string("Back");
}

json Host::back() {
  if (Ref<PSListController> page(listOf(visiblePage().get())); page && page->presentedViewController())
    throw RequestError("an alert is showing; choose one of its actions");
  uikit::dismissMenu();
  auto* inner = objc_cast<UINavigationController>(outer_->topViewController().get());
  if (inner && inner->viewControllers()->count() > 1) {
    inner->popViewControllerAnimated(true);
  } else if (outer_->viewControllers()->count() > 1) {
    outer_->popViewControllerAnimated(true);
    discover();  // the list shows what is installed now
  } else {
    throw RequestError("already at the list of settings");
  }
  return json::object();
}

json Host::rowAction(const std::string& op, const json& req) {
  Ref<PSListController> page(listOf(visiblePage().get()));
  if (!page) throw RequestError("no settings page is open");
  if (page->presentedViewController()) throw RequestError("an alert is showing; choose one of its actions");
  Ref<NSIndexPath> path = findRow(page, req);
  Ref<UITableView> table = page->table();
  if (table->rectForRowAtIndexPath(path).size.height <= 0) throw RequestError("that row is hidden");
  Ref<PSSpecifier> item = page->specifierAtIndexPath(path);
  auto* cell = item ? objc_cast<PSTableCell>(item->findProperty(PSTableCellKey)) : nullptr;
  return guarded(op, [&] {
    return storing([&] {
      if (op == control::ops::kTap) {
        table->selectRowAtIndexPath(path);
        return json::object();
      }
      if (!cell) throw RequestError("that row has no cell yet");
      if (op == control::ops::kTypeText || op == control::ops::kSetRowValue)
        return standardRowAction(op, page, item, cell, req);
      if (op == control::ops::kToggle) {
        auto* sw = objc_cast<UISwitch>(cell->accessoryView().get());
        if (!sw) throw RequestError("that row has no switch");
        sw->_toggle();
        return json{{"on", sw->isOn()}};
      }
      if (op == control::ops::kSlide) {
        auto* slider = objc_cast<UISlider>(cell->accessoryView().get());
        if (!slider) throw RequestError("that row has no slider");
        slider->setValue(static_cast<float>(number(req, "value")));
        slider->sendActionsForControlEvents(UIControlEventValueChanged);
        return json{{"value", slider->value()}};
      }
      // setColor
      auto* colorCell = objc_cast<LCPColorCell>(cell);
      if (!colorCell) throw RequestError("that row is not a colour row");
      // The cell would drop the opacity without a word; the value asked for would not be the one kept.
      std::string text = str(req, "color");
      auto rgba = colorpicker::parseColorString(text);
      auto* keepsAlpha = item ? objc_cast<NSNumber>(item->findProperty("supportsAlpha")) : nullptr;
      if (rgba && rgba->alpha < 1 && !(keepsAlpha && keepsAlpha->boolValue()))
        throw RequestError("that row keeps no opacity; give an opaque colour such as " +
                           text.substr(0, text.find(':')));
      if (!colorCell->pickColorString(NSString::make(str(req, "color"))))
        throw RequestError("not a colour string (#RRGGBB or #RRGGBB:opacity)");
      return json{{"color", valueJson(colorCell->value())}};
    });
  });
}

json Host::chooseAlertAction(const json& req) {
  Ref<PSListController> page(listOf(visiblePage().get()));
  auto* alert = page ? objc_cast<UIAlertController>(page->presentedViewController().get()) : nullptr;
  if (!alert) throw RequestError("no alert is showing");
  Ref<UIAlertController> keep(alert);
  std::string want = str(req, "action");
  Ref<NSArray> actions = alert->actions();
  for (const auto& a : actions->items()) {
    auto* action = static_cast<UIAlertAction*>(a.get());
    if (action->title() && action->title()->utf8() == want) {
      return guarded("choosing " + want, [&] {
        keep->chooseAction(action);
        return json::object();
      });
    }
  }
  throw RequestError("the alert has no action \"" + want + "\"");
}

json Host::scroll(const json& req) {
  Ref<PSListController> page(listOf(visiblePage().get()));
  if (!page) throw RequestError("no settings page is open");
  double y = number(req, "y");
  Ref<UITableView> table = page->table();
  return guarded("scrolling", [&] {
    // As a finger scrolls a table: past its end it comes to rest with the last
    // row just above the home indicator. A pull from the top is held as given.
    double seen = table->frame().size.height - kTableTopInset - kTableBottomInset;
    table->setContentOffset(CGPoint{0, std::min(y, std::max(0.0, table->contentSize().height - seen))});
    table->layoutSubviews();
    return json{{"contentOffset", table->contentOffset().y}};
  });
}

namespace {

UIButton* firstButton(UIView* v) {
  if (!v) return nullptr;
  if (auto* b = objc_cast<UIButton>(v)) return b;
  for (const auto& child : v->subviewList())
    if (auto* b = firstButton(child.get())) return b;
  return nullptr;
}

}  // namespace

json Host::tapOptions() {
  Ref<PSListController> page(listOf(visiblePage().get()));
  if (!page) throw RequestError("no settings page is open");
  if (page->presentedViewController()) throw RequestError("an alert is showing; choose one of its actions");
  Ref<UIBarButtonItem> item = page->navigationItem()->rightBarButtonItem();
  Ref<UIView> custom = item ? item->customView() : nullptr;
  Ref<UIButton> button(firstButton(custom.get()));
  if (!button) throw RequestError("this page has no options button");
  return guarded("opening the options", [&] {
    button->_tap();
    json menu = reportMenu();
    if (menu.is_null()) throw RequestError("the options button opened no menu");
    return json{{"menu", menu}};
  });
}

json Host::chooseMenuAction(const json& req) {
  std::string want = str(req, "action");
  Ref<UIMenu> menu = uikit::presentedMenu();
  if (!menu) throw RequestError("no menu is open");
  std::string titles;
  Ref<NSArray> children = menu->children();
  for (const auto& c : children->items()) {
    auto* action = objc_cast<UIAction>(c.get());
    if (!action) continue;
    Ref<NSString> title = action->title();
    std::string text = title ? title->utf8() : std::string();
    if (text == want)
      return guarded("choosing " + want, [&] {
        if (!uikit::chooseMenuAction(action)) throw RequestError("the menu entry \"" + want + "\" is disabled");
        return json::object();
      });
    titles += (titles.empty() ? "" : ", ") + ("\"" + text + "\"");
  }
  throw RequestError("the menu has no entry \"" + want + "\" (it has " + titles + ")");
}

json Host::mediaTime(const json& req) {
  // A clock at infinity (or beyond what a double holds) never comes back:
  // every later time would be infinite too. Both parts are checked before either applies.
  auto finite = [&](const char* name, double seconds) {
    if (!std::isfinite(seconds)) throw RequestError(std::string("\"") + name + "\" must be a finite number of seconds");
    return seconds;
  };
  std::optional<double> set, advance;
  if (req.contains("set")) set = finite("set", number(req, "set"));
  if (req.contains("advance")) advance = finite("advance", number(req, "advance"));
  if (advance && !std::isfinite(set.value_or(CACurrentMediaTime()) + *advance))
    throw RequestError("advancing the clock by " + req["advance"].dump() +
                       " s would take it past any time it can hold");
  if (set) uikit::setMediaTime(*set);
  if (advance) uikit::advanceMediaTime(*advance);
  if (req.contains("real") && req["real"] == true) uikit::useRealMediaTime();
  // Fades that ended on the clock complete before the answer.
  UIView_Animation::completeEnded();
  return json{{"mediaTime", CACurrentMediaTime()}, {"manual", uikit::mediaTimeIsManual()}};
}

json Host::appearance(const json& req) {
  std::string style = str(req, "style");
  long s = style == "dark" ? long{UIUserInterfaceStyleDark} : style == "light" ? long{UIUserInterfaceStyleLight} : -1L;
  if (s < 0) throw RequestError("unknown appearance \"" + style + "\" (light or dark)");
  return guarded("changing the appearance", [&] {
    window_->setOverrideUserInterfaceStyle(s);
    storeAppearance(style);
    return json::object();
  });
}

json Host::resume() {
  Ref<PSListController> page(listOf(visiblePage().get()));
  bool reloaded = page && page->shouldReloadSpecifiersOnResume();
  if (reloaded)
    guarded("resuming", [&] {
      page->reloadSpecifiers();
      return json::object();
    });
  return json{{"reloaded", reloaded}};
}

json Host::pickerAction(const std::string& op, const json& req) {
  Ref<UIView> root = outer_->view();
  return guarded(op, [&] {
    return storing([&] {
      if (op == control::ops::kSetPickerValue) return setPickerValue(root.get(), req);
      if (op == control::ops::kTapBackdrop) return tapBackdrop(root.get());
      return pressPickerButton(root.get(), op == control::ops::kSubmitPicker);
    });
  });
}

json Host::settled(const json& req) {
  // Nothing in flight on the global queues: a page's deferred work has reached the main queue.
  bool idle = dispatch::waitForGlobalQueues(std::chrono::nanoseconds(0));
  // Nor a fade still running, so a picture shows where it ends; unless the
  // caller asks for the in-between, or holds the clock (it would never end).
  auto animations = req.find("animations");
  bool waitForFades = (animations == req.end() || *animations != false) && !uikit::mediaTimeIsManual();
  if (waitForFades) {
    UIView_Animation::completeEnded();
    idle = idle && UIView_Animation::pendingAnimations() == 0;
  }
  return json{{"settled", idle}};
}

json Host::handle(const json& req) {
  json answer = dispatchOp(req);
  syncNavigationBar();
  return answer;
}

json Host::dispatchOp(const json& req) {
  namespace ops = control::ops;
  using Act = json (*)(Host&, const json&);
  auto rowAct = [](Host& h, const json& r) { return h.rowAction(control::requestOp(r), r); };
  auto pickerAct = [](Host& h, const json& r) { return h.pickerAction(control::requestOp(r), r); };
  static const std::map<std::string_view, Act> table{
      {ops::kPing, [](Host&, const json&) { return json{{"pong", true}}; }},
      {ops::kSettled, [](Host& h, const json& r) { return h.settled(r); }},
      {ops::kState, [](Host& h, const json&) { return h.state(); }},
      {ops::kEntries,
       [](Host& h, const json&) {
         h.discover();
         return h.state();
       }},
      {ops::kOpen, [](Host& h, const json& r) { return h.open(r); }},
      {ops::kBack, [](Host& h, const json&) { return h.back(); }},
      {ops::kTap, rowAct},
      {ops::kToggle, rowAct},
      {ops::kSlide, rowAct},
      {ops::kSetColor, rowAct},
      {ops::kTypeText, rowAct},
      {ops::kSetRowValue, rowAct},
      {ops::kRescanEntries,
       [](Host& h, const json&) {
         h.discover();
         json labels = json::array();
         for (const auto& e : h.entries()) labels.push_back(e.label);
         return json{{"ok", true}, {"entries", labels}};
       }},
      {ops::kChooseAlertAction, [](Host& h, const json& r) { return h.chooseAlertAction(r); }},
      {ops::kScroll, [](Host& h, const json& r) { return h.scroll(r); }},
      {ops::kTouchAt,
       [](Host& h, const json& r) {
         return h.guarded("touching", [&] { return storing([&] { return h.touchAt(r); }); });
       }},
      {ops::kTapOptions, [](Host& h, const json&) { return h.tapOptions(); }},
      {ops::kChooseMenuAction, [](Host& h, const json& r) { return h.chooseMenuAction(r); }},
      {ops::kMediaTime, [](Host& h, const json& r) { return h.mediaTime(r); }},
      {ops::kAppearance, [](Host& h, const json& r) { return h.appearance(r); }},
      {ops::kResume, [](Host& h, const json&) { return h.resume(); }},
      {ops::kSetPickerValue, pickerAct},
      {ops::kSubmitPicker, pickerAct},
      {ops::kCancelPicker, pickerAct},
      {ops::kTapBackdrop, pickerAct},
      {ops::kOpenedURLs,
       [](Host&, const json&) { return json{{"urls", UIApplication::sharedApplication()->openedURLs()}}; }},
      {ops::kQuit,
       [](Host&, const json&) {
         dispatch::stopMain();
         return json::object();
       }},
  };
  std::string op = control::requestOp(req);
  auto it = table.find(op);
  if (it == table.end()) throw RequestError("unknown op \"" + op + "\"");
  return it->second(*this, req);
}

}  // namespace settings
