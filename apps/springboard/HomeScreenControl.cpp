#include "HomeScreenControl.h"

#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "HomeScreenReport.h"
#include "control/Ops.h"
#include "control/RequestArgs.h"
#include "dispatch/dispatch.h"
#include "springboard/FBSystemService.h"
#include "uikit/UIEvent.h"

using control::json;
using control::RequestError;

namespace springboard {

namespace {

// A request's text quoted in an error, each NUL written as "\0": the answer is
// made from the error's C string, which would end at the NUL.
std::string quoted(std::string text) {
  for (auto at = text.find('\0'); at != std::string::npos; at = text.find('\0', at + 2)) text.replace(at, 1, "\\0");
  return "\"" + text + "\"";
}

long styleNamed(const json& req) {
  std::string style = req.value("style", "light");
  if (style == "light") return _UILegibilityStyleLight;
  if (style == "dark") return _UILegibilityStyleDark;
  throw RequestError("unknown legibility style " + quoted(style) + " (light or dark)");
}

using control::args::coordinate;
using control::args::integer;

// A finger down and up at a point: the hit test from the top of the tree
// decides; the indicator takes it as a tap (the side of the current dot
// turns the page), anything else lets it pass.
json touchAt(HomeScreen& home, const json& req) {
  CGRect screen = home.root()->frame();
  CGPoint p{coordinate(req, "x", screen.size.width), coordinate(req, "y", screen.size.height)};
  auto event = UIEvent::make();
  Ref<UIView> hit = home.root()->hitTestWithEvent(p, event);
  SBIconListPageControl* control = home.pageControl();
  if (control && hit.get() == control) {
    auto touch = UITouch::make(p);
    auto touches = NSArray::arrayWithObject(touch);
    control->touchesBeganWithEvent(touches, event);
    control->touchesEndedWithEvent(touches, event);
    if (control->gestureRecognizerShouldBegin(control->tapGestureRecognizer()))
      control->tapGestureDidUpdate(control->tapGestureRecognizer());
  }
  return json{{"hit", hit ? json(class_getName(object_getClass(hit))) : json(nullptr)}};
}

}  // namespace

control::Handler homeScreenHandler(HomeScreen& home, const substrate::InjectionReport& injected) {
  namespace ops = control::ops;
  using Act = std::function<json(const json&)>;
  auto table = std::make_shared<const std::map<std::string_view, Act>>(std::map<std::string_view, Act>{
      {ops::kPing, [](const json&) { return json{{"pong", true}}; }},
      {ops::kState, [&home, &injected](const json&) { return springboard::reportHomeScreen(home, injected); }},
      {ops::kTouchAt, [&home](const json& req) { return touchAt(home, req); }},
      {ops::kTouch,
       [&home](const json&) {
         auto hit = home.touchPageControl();
         return json{{"hit", hit ? json(class_getName(object_getClass(hit))) : json(nullptr)}};
       }},
      {ops::kPage,
       [&home](const json& req) {
         home.showPage(integer(req, "index", 0));
         return json::object();
       }},
      {ops::kScrollWidget,
       [&home](const json& req) {
         long stack = integer(req, "stack", 0);
         if (stack < 0 || !home.scrollWidgetStack(static_cast<std::size_t>(stack), integer(req, "widget", 1)))
           throw RequestError("no widget stack " + std::to_string(stack));
         return json::object();
       }},
      {ops::kLegibility,
       [&home](const json& req) {
         home.changeLegibility(styleNamed(req));
         return json::object();
       }},
      {ops::kRespring,
       [](const json&) {
         // Answer first; the process ends on the next turn of the main queue.
         dispatch_async(dispatch_get_main_queue(),
                        [] { FBSystemService::sharedInstance()->exitAndRelaunch(true); });
         return json::object();
       }},
  });
  return [table](const json& req) -> json {
    std::string op = control::requestOp(req);
    auto it = table->find(op);
    if (it == table->end()) throw RequestError("unknown op " + quoted(op));
    return it->second(req);
  };
}

}  // namespace springboard
