// A finger on the Settings screen: the window's hit test finds the view under
// the point, and the control or row it belongs to takes the touch.
#include <algorithm>
#include <cmath>
#include <optional>

#include "PickerControl.h"
#include "SettingsHost.h"
#include "control/ControlServer.h"
#include "control/RequestArgs.h"
#include "uikit/UIButton.h"
#include "uikit/UIControls.h"
#include "uikit/UIEvent.h"
#include "uikit/UIMenu.h"
#include "uikit/UINavigationController.h"
#include "uikit/UITableViewCell.h"

using control::RequestError;

namespace settings {

namespace {

using control::args::coordinate;

PSListController* listOf(UIViewController* vc) { return objc_cast<PSListController>(vc); }

bool inside(CGRect r, CGPoint p) {
  return p.x >= r.origin.x && p.x < r.origin.x + r.size.width && p.y >= r.origin.y && p.y < r.origin.y + r.size.height;
}

// The row of `table` under `p`, in the window's coordinates, as the table draws it.
Ref<NSIndexPath> rowAt(UITableView* table, UIView* window, CGPoint p) {
  std::optional<CGRect> f = table->frameIn(window);
  if (!f) return nullptr;
  CGPoint content{p.x - f->origin.x + table->contentOffset().x, p.y - f->origin.y + table->contentOffset().y};
  for (long s = 0; s < table->numberOfSections(); ++s)
    for (long r = 0; r < table->numberOfRowsInSection(s); ++r) {
      auto path = NSIndexPath::indexPathForRowInSection(r, s);
      if (inside(table->rectForRowAtIndexPath(path), content)) return path;
    }
  return nullptr;
}

}  // namespace

// Where the screen shows what the model keeps at its origin: the shared bar
// under the status bar, the page's content under the bar. (The navigation
// controllers hold their pages without placing their views in the window.)
constexpr double kStatusBarHeight = 47;
constexpr double kContentTop = kStatusBarHeight + kUINavigationBarHeight;
constexpr double kSwitchWidth = 51;

// The control, row, button, backdrop or bar that `hit` belongs to takes the touch.
json Host::touchView(Ref<UIView> hit, CGPoint p, UIView* space, Ref<UIView> overlay) {
  CGRect screen = window_->frame();
  Ref<PSListController> page(listOf(visiblePage().get()));
  json answer{{"hit", hit ? json(class_getName(hit->isa())) : json(nullptr)}};
  for (Ref<UIView> v = hit; v; v = v->superview()) {
    if (auto* sw = objc_cast<UISwitch>(v.get())) {
      sw->_toggle();
      answer["on"] = sw->isOn();
      return answer;
    }
    if (auto* slider = objc_cast<UISlider>(v.get())) {
      std::optional<CGRect> f = slider->frameIn(space);
      double at = f && f->size.width > 0 ? std::clamp((p.x - f->origin.x) / f->size.width, 0.0, 1.0) : 0.5;
      slider->setValue(static_cast<float>(slider->minimumValue() + at * (slider->maximumValue() - slider->minimumValue())));
      slider->sendActionsForControlEvents(UIControlEventValueChanged);
      answer["value"] = slider->value();
      return answer;
    }
    if (overlay && v.get() == overlay.get()) {
      // Inside the overlay but on no button: the picker's wheels take it; the dimmed backdrop cancels.
      std::optional<CGRect> f = overlay->frameIn(space);
      json body = overlayJson(overlay.get())["body"];
      CGRect b{};
      if (body.is_object())
        b = CGRect{{body.value("x", 0.0), body.value("y", 0.0)}, {body.value("width", 0.0), body.value("height", 0.0)}};
      if (f && !inside(CGRect{{f->origin.x + b.origin.x, f->origin.y + b.origin.y}, b.size}, p))
        answer["overlay"] = tapBackdrop(outer_->view().get());
      return answer;
    }
    if (auto* button = objc_cast<UIButton>(v.get())) {
      bool ofOverlay = overlay && button->frameIn(overlay.get()).has_value();
      button->_tap();
      if (ofOverlay) answer["overlay"] = overlayJson(overlay.get());
      return answer;
    }
    if (objc_cast<UINavigationBar>(v.get())) {
      // The back button sits at the bar's leading end.
      if (p.x < screen.size.width / 3 && outer_->viewControllers()->count() > 1) {
        back();
        answer["back"] = true;
      }
      return answer;
    }
    if (auto* table = objc_cast<UITableView>(v.get())) {
      Ref<NSIndexPath> path = rowAt(table, space, p);
      if (!path) return answer;
      answer["row"] = json::array({path->section(), path->row()});
      if (!page) {
        // The list of settings: each row opens its bundle's page.
        Ref<PSSpecifier> item = home_->specifierAtIndexPath(path);
        auto* bundle = item ? objc_cast<NSString>(item->propertyForKey("bundlePath").get()) : nullptr;
        if (bundle) answer["page"] = open(json{{"entry", bundle->utf8()}})["page"];
        return answer;
      }
      if (table->rectForRowAtIndexPath(path).size.height <= 0) return answer;
      // The cell does not place its accessory; the screen draws a switch at
      // the row's trailing end, inside the inset group.
      Ref<UITableViewCell> cell = table->cellForRowAtIndexPath(path);
      if (auto* sw = cell ? objc_cast<UISwitch>(cell->accessoryView().get()) : nullptr;
          sw && p.x >= screen.size.width - 2 * kUICellContentInset - kSwitchWidth - 8) {
        sw->_toggle();
        answer["on"] = sw->isOn();
        return answer;
      }
      table->selectRowAtIndexPath(path);
      return answer;
    }
  }
  return answer;
}

json Host::touchAt(const json& req) {
  CGRect screen = window_->frame();
  CGPoint p{coordinate(req, "x", screen.size.width), coordinate(req, "y", screen.size.height)};
  // A menu is drawn over the page and takes every touch: one off its entries closes it.
  if (uikit::presentedMenu()) {
    uikit::dismissMenu();
    return json{{"hit", "menu"}, {"dismissed", true}};
  }
  Ref<PSListController> page(listOf(visiblePage().get()));
  if (page && page->presentedViewController()) throw RequestError("an alert is showing; choose one of its actions");

  auto event = UIEvent::make();
  // The picker's overlay lies over everything, in the window's own coordinates.
  if (Ref<UIView> overlay = shownOverlay(outer_->view().get())) {
    Ref<UIView> hit = window_->hitTestWithEvent(p, event);
    return touchView(hit, p, window_.get(), overlay);
  }
  if (p.y < kStatusBarHeight) return json{{"hit", nullptr}};
  if (p.y < kContentTop) {
    Ref<UINavigationBar> bar = outer_->navigationBar();
    CGPoint inBar{p.x - bar->frame().origin.x, p.y - kStatusBarHeight};
    return touchView(bar->hitTestWithEvent(inBar, event), inBar, bar.get(), nullptr);
  }
  // The page's view, its content starting under the bar.
  Ref<UIViewController> shown = page ? Ref<UIViewController>(page) : Ref<UIViewController>(home_);
  Ref<UIView> view = shown->view();
  CGPoint inPage{p.x, p.y - kContentTop};
  return touchView(view->hitTestWithEvent(inPage, event), inPage, view.get(), nullptr);
}

}  // namespace settings
