#include "HomeScreenReport.h"

#include <dlfcn.h>
#include <unistd.h>

#include "foundation/NSArray.h"

namespace springboard {

using nlohmann::json;

namespace {

json colour(const Ref<UIColor>& c) { return c ? json(c->hexString()) : json(nullptr); }

json rectJson(CGRect r) { return json::array({r.origin.x, r.origin.y, r.size.width, r.size.height}); }

// The view's frame in screen points: its origin plus each superview's.
CGRect onScreen(UIView* view) {
  CGRect f = view->frame();
  for (Ref<UIView> up = view->superview(); up; up = up->superview()) {
    f.origin.x += up->frame().origin.x;
    f.origin.y += up->frame().origin.y;
  }
  return f;
}

// Where the indicator draws its dots: a row centred in its frame (a column
// when the frame is taller than wide), 7 points across, 16 apart.
constexpr double kDotDiameter = 7, kDotPitch = 16;
json dotCentres(CGRect frame, long pages) {
  json dots = json::array();
  bool vertical = frame.size.height > frame.size.width;
  double cx = frame.origin.x + frame.size.width / 2, cy = frame.origin.y + frame.size.height / 2;
  double start = -kDotPitch * static_cast<double>(pages - 1) / 2;
  for (long i = 0; i < pages; ++i) {
    double d = start + kDotPitch * static_cast<double>(i);
    dots.push_back(vertical ? json::array({cx, cy + d}) : json::array({cx + d, cy}));
  }
  return dots;
}

json iconsJson(const std::vector<AppIcon>& icons) {
  json out = json::array();
  for (const auto& i : icons) out.push_back(json{{"label", i.label}, {"frame", rectJson(i.frame)}});
  return out;
}

// Whether an injected library keeps this control in its registry, read the
// way a debugger would: by the library's exported name.
json registered(UIPageControl* control) {
  auto* registry = static_cast<Ref<NSMutableArray>*>(::dlsym(RTLD_DEFAULT, "pageControls"));
  if (!registry || !*registry) return nullptr;
  unsigned long n = 0;
  for (unsigned long i = 0, count = (*registry)->count(); i < count; ++i)
    if ((*registry)->objectAtIndex(i).get() == control) ++n;
  return n;
}

// The slots an injected library adds to every indicator for the system's colours.
using cachedCurrentPageIndicatorTintColorMessage = objc::Message<"cachedCurrentPageIndicatorTintColor", Ref<UIColor>()>;
using cachedPageIndicatorTintColorMessage = objc::Message<"cachedPageIndicatorTintColor", Ref<UIColor>()>;

template <objc::MessageType Getter>
Ref<UIColor> savedColour(UIPageControl* control) {
  if (!control->respondsToSelector(Getter::sel())) return nullptr;
  return objc::send<Getter>(control);
}

// The log's one line per library, as callers have always read them.
json failureLines(const substrate::InjectionReport& injected) {
  json lines = json::array();
  for (const auto& f : injected.failed) lines.push_back(f.line());
  return lines;
}

json loadFailures(const substrate::InjectionReport& injected) {
  json out = json::array();
  for (const auto& f : injected.failed) out.push_back({{"library", f.name}, {"path", f.path}, {"reason", f.reason}});
  return out;
}

}  // namespace

json reportPageControl(const Ref<UIPageControl>& control) {
  if (!control) return nullptr;
  return json{
      {"class", class_getName(object_getClass(control))},
      {"hidden", control->isHidden()},
      {"alpha", control->alpha()},
      {"numberOfPages", control->numberOfPages()},
      {"currentPage", control->currentPage()},
      {"currentPageIndicatorTintColor", colour(control->currentPageIndicatorTintColor())},
      {"pageIndicatorTintColor", colour(control->pageIndicatorTintColor())},
      {"savedCurrentPageIndicatorTintColor", colour(savedColour<cachedCurrentPageIndicatorTintColorMessage>(control))},
      {"savedPageIndicatorTintColor", colour(savedColour<cachedPageIndicatorTintColorMessage>(control))},
      {"frame", rectJson(onScreen(control))},
      {"dotDiameter", kDotDiameter},
      {"dots", dotCentres(onScreen(control), control->numberOfPages())},
  };
}

json reportHomeScreen(const HomeScreen& home, const substrate::InjectionReport& injected) {
  json stacks = json::array();
  for (const auto& stack : home.widgetStacks()) {
    json report = reportPageControl(stack->pageControl());
    if (report.is_object()) report["stackFrame"] = rectJson(onScreen(stack->view().get()));
    stacks.push_back(report);
  }
  json page = reportPageControl(home.pageControl());
  if (page.is_object()) page["registered"] = registered(home.pageControl());
  json loaded = json::array();
  for (const auto& lib : injected.loaded) loaded.push_back(lib.name);
  return json{{"pid", ::getpid()},
              {"injected", loaded},
              {"injectionFailures", failureLines(injected)},
              {"loadFailures", loadFailures(injected)},
              {"pageControl", page},
              {"widgetStacks", stacks},
              {"appeared", home.appeared()},
              {"screen", rectJson(home.root()->frame())},
              {"icons", iconsJson(home.iconsOnCurrentPage())},
              {"dock", json{{"frame", rectJson(home.dockFrame())}, {"icons", iconsJson(home.dockIcons())}}}};
}

}  // namespace springboard
