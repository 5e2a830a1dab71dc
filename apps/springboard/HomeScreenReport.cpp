#include "HomeScreenReport.h"

#include <dlfcn.h>
#include <unistd.h>

#include "foundation/NSArray.h"

namespace springboard {

using nlohmann::json;

namespace {

json colour(const Ref<UIColor>& c) { return c ? json(c->hexString()) : json(nullptr); }

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
  };
}

json reportHomeScreen(const HomeScreen& home, const substrate::InjectionReport& injected) {
  json stacks = json::array();
  for (const auto& stack : home.widgetStacks()) stacks.push_back(reportPageControl(stack->pageControl()));
  json page = reportPageControl(home.pageControl());
  if (page.is_object()) page["registered"] = registered(home.pageControl());
  json loaded = json::array(), failed = json::array();
  for (const auto& lib : injected.loaded) loaded.push_back(lib.name);
  for (const auto& line : injected.failed) failed.push_back(line);
  return json{{"pid", ::getpid()},
              {"injected", loaded},
              {"injectionFailures", failed},
              {"pageControl", page},
              {"widgetStacks", stacks}};
}

}  // namespace springboard
