// Hiding and recolouring of live home-screen and widget-stack indicators.
#include "tweak_env.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <new>

#include "dispatch/main_loop.h"
#include "objc/Weak.h"
#include "springboard/HomeScreen.h"

namespace tweaktest {
namespace {

struct Row {
  Switches s;
  bool homeHidden;
  bool homeCustom;
  bool widgetForcedHidden;
  bool widgetCustom;
};

std::string rowName(const ::testing::TestParamInfo<Row>& info) {
  const Switches& s = info.param.s;
  return std::string("Enabled") + (s.enabled ? "1" : "0") + "Hide" + (s.hide ? "1" : "0") + "Widgets" +
         (s.widgets ? "1" : "0") + "Colours" + (s.colours ? "1" : "0");
}

class BehaviourTable : public TweakTest, public ::testing::WithParamInterface<Row> {};

TEST_P(BehaviourTable, LiveIndicatorsFollowTheSwitches) {
  const Row& row = GetParam();
  auto home = newIconListPageControl();
  auto stack = newWidgetStack();
  Ref<UIPageControl> widget = stack->pageControl();
  // The system's colours arrive after creation, as legibility sets them.
  auto homeCurrent = colour(1, 1, 1), homeOther = colour(1, 1, 1, 0.3);
  auto widgetCurrent = colour(0, 0, 0), widgetOther = colour(0, 0, 0, 0.3);
  home->setCurrentPageIndicatorTintColor(homeCurrent);
  home->setPageIndicatorTintColor(homeOther);
  widget->setCurrentPageIndicatorTintColor(widgetCurrent);
  widget->setPageIndicatorTintColor(widgetOther);

  // Recolour everything first, so that "saved" below means put back.
  apply({.colours = true}, "#112233", "#445566:0.75");
  stack->_setPageControlHiddenAnimated(false, true);
  ASSERT_EQ(hex(home->currentPageIndicatorTintColor()), "#112233");
  ASSERT_EQ(hex(widget->pageIndicatorTintColor()), "#445566:0.75");

  // SpringBoard hides the home dots itself; the widget stack asks to show its dots.
  home->setHidden(true);
  apply(row.s, "#FF0000", "#00FF00:0.25");
  stack->_setPageControlHiddenAnimated(false, true);

  EXPECT_EQ(home->isHidden(), row.homeHidden);
  if (row.homeCustom) {
    EXPECT_EQ(hex(home->currentPageIndicatorTintColor()), "#FF0000");
    EXPECT_EQ(hex(home->pageIndicatorTintColor()), "#00FF00:0.25");
  } else {
    EXPECT_EQ(home->currentPageIndicatorTintColor().get(), homeCurrent.get());
    EXPECT_EQ(home->pageIndicatorTintColor().get(), homeOther.get());
  }
  EXPECT_EQ(widget->isHidden(), row.widgetForcedHidden);
  EXPECT_TRUE(stack->lastRequestAnimated());
  if (row.widgetCustom) {
    EXPECT_EQ(hex(widget->currentPageIndicatorTintColor()), "#FF0000");
    EXPECT_EQ(hex(widget->pageIndicatorTintColor()), "#00FF00:0.25");
  } else {
    EXPECT_EQ(widget->currentPageIndicatorTintColor().get(), widgetCurrent.get());
    EXPECT_EQ(widget->pageIndicatorTintColor().get(), widgetOther.get());
  }

  // The tweak never shows widget dots SpringBoard wants hidden.
  stack->_setPageControlHiddenAnimated(true, false);
  EXPECT_TRUE(widget->isHidden());
  EXPECT_FALSE(stack->lastRequestAnimated());
}

INSTANTIATE_TEST_SUITE_P(Rows, BehaviourTable,
                         ::testing::Values(Row{{false, true, true, true}, false, false, false, false},
                                           Row{{false, false, false, false}, false, false, false, false},
                                           Row{{false, true, false, true}, false, false, false, false},
                                           Row{{true, true, true, false}, true, false, true, false},
                                           Row{{true, true, true, true}, true, true, true, true},
                                           Row{{true, true, false, false}, true, false, false, false},
                                           Row{{true, true, false, true}, true, true, false, false},
                                           Row{{true, false, true, false}, false, false, false, false},
                                           Row{{true, false, true, true}, false, true, false, true},
                                           Row{{true, false, false, false}, false, false, false, false},
                                           Row{{true, false, false, true}, false, true, false, false}),
                         rowName);

class HideDecision : public TweakTest {};

TEST_F(HideDecision, IsTakenOnALaterTurnOfTheMainQueueWhateverTriggersIt) {
  auto c = newIconListPageControl();
  EXPECT_FALSE(c->isHidden()) << "initWithFrame: must not decide synchronously";
  drain();
  EXPECT_TRUE(c->isHidden());

  c->setHidden(false);
  c->hitTestWithEvent(CGPointMake(10, 710), nullptr);
  EXPECT_FALSE(c->isHidden());
  drain();
  EXPECT_TRUE(c->isHidden());

  c->setHidden(false);
  c->_shouldAnimatePropertyWithKey(str("alpha"));
  EXPECT_FALSE(c->isHidden());
  drain();
  EXPECT_TRUE(c->isHidden());

  c->setHidden(false);
  UIPageControl_CVLODots::handleHiding(c);
  EXPECT_FALSE(c->isHidden());
  drain();
  EXPECT_TRUE(c->isHidden());
}

TEST_F(HideDecision, ReadsTheSnapshotWhenItRunsNotWhenItWasAsked) {
  auto c = newIconListPageControl();
  drain();

  // Asked while hiding was off, run after it was turned on: hidden.
  setSnapshot({.hide = false});
  c->setHidden(false);
  c->hitTestWithEvent(CGPointMake(10, 710), nullptr);
  setSnapshot({.hide = true});
  drain();
  EXPECT_TRUE(c->isHidden());

  // Asked while hiding was on, run after the tweak was disabled: shown.
  c->hitTestWithEvent(CGPointMake(10, 710), nullptr);
  setSnapshot({.enabled = false});
  drain();
  EXPECT_FALSE(c->isHidden());
}

TEST_F(HideDecision, ShowsAgainAnIndicatorSomeoneElseHid) {
  auto c = newIconListPageControl();
  apply({.hide = false});
  c->setHidden(true);
  c->hitTestWithEvent(CGPointMake(10, 710), nullptr);
  drain();
  EXPECT_FALSE(c->isHidden());

  apply({.enabled = false});
  c->setHidden(true);
  c->_shouldAnimatePropertyWithKey(str("currentPage"));
  drain();
  EXPECT_FALSE(c->isHidden());
}

TEST_F(HideDecision, KeepsItsControlAliveUntilItRuns) {
  // Not registered, so only the pending task holds it.
  Ref<UIPageControl> c = UIPageControl::make(CGRectMake(0, 0, 10, 10));
  Weak<UIPageControl> weak(c.get());
  UIPageControl_CVLODots::handleHiding(c);
  c = nullptr;
  ASSERT_TRUE(weak.lock());
  drain();
  EXPECT_FALSE(weak.lock());
}

class Registry : public TweakTest {};

TEST_F(Registry, HoldsEachHomeIndicatorOnceAndNothingElse) {
  NSMutableArray* registry = tweak().pageControls->get();
  ASSERT_TRUE(registry);
  unsigned long before = registry->count();

  auto c = newIconListPageControl();
  ASSERT_EQ(registry->count(), before + 1);
  EXPECT_EQ(registry->lastObject().get(), c.get());

  objc::send<SBIconListPageControl::initWithFrameMessage>(c, CGRectMake(0, 0, 390, 37));
  EXPECT_EQ(registry->count(), before + 1);

  // Plain indicators, the widget stacks' among them, are not registered.
  UIPageControl::make(CGRectMake(0, 0, 10, 10));
  newWidgetStack();
  EXPECT_EQ(registry->count(), before + 1);
}

TEST_F(Registry, RefreshSkipsEntriesThatAreNoHomeIndicator) {
  NSMutableArray* registry = tweak().pageControls->get();
  Ref<NSString> text = NSString::make("not a control");
  Ref<UIPageControl> plain = UIPageControl::make(CGRectMake(0, 0, 1, 1));
  registry->addObject(text);
  registry->addObject(plain);
  auto c = newIconListPageControl();  // after the foreign entries
  drain();
  ASSERT_TRUE(c->isHidden());

  apply({.hide = false});
  EXPECT_FALSE(c->isHidden()) << "the refresh stopped at a foreign entry";
  EXPECT_FALSE(plain->isHidden());
  apply({.hide = true});
  EXPECT_TRUE(c->isHidden());
  EXPECT_FALSE(plain->isHidden()) << "a plain indicator in the registry was treated as a home indicator";

  registry->removeObject(text);
  registry->removeObject(plain);
}

TEST_F(Registry, EveryIndicatorAnswersTheAddedPropertiesAndOperations) {
  Class pageControl = objc_getClass("UIPageControl");
  for (const char* name : {"cachedCurrentPageIndicatorTintColor", "cachedPageIndicatorTintColor"}) {
    objc_property_t p = class_getProperty(pageControl, name);
    ASSERT_TRUE(p) << name;
    EXPECT_EQ(property_getAttributes(p), "T@\"UIColor\",&,N") << name;
    EXPECT_STREQ(method_getTypeEncodingOf(pageControl, sel_registerName(name)), "@@:");
  }
  for (const char* name : {"setCachedCurrentPageIndicatorTintColor:", "setCachedPageIndicatorTintColor:"})
    EXPECT_STREQ(method_getTypeEncodingOf(pageControl, sel_registerName(name)), "v@:@") << name;
  for (const char* name : {"handleHiding", "handleColorCustomization", "handleWidgetColorCustomization"}) {
    EXPECT_STREQ(method_getTypeEncodingOf(pageControl, sel_registerName(name)), "v@:") << name;
    EXPECT_TRUE(class_respondsToSelector(objc_getClass("SBIconListPageControl"), sel_registerName(name))) << name;
  }

  // Each slot is the control's own, and holds its colour strongly.
  auto a = newIconListPageControl(), b = newIconListPageControl();
  Weak<UIColor> held;
  {
    auto red = colour(1, 0, 0);
    held = Weak<UIColor>(red.get());
    UIPageControl_CVLODots::setCachedPageIndicatorTintColor(a, red);
  }
  EXPECT_EQ(savedOther(a).get(), held.lock().get());
  EXPECT_TRUE(held.lock());
  EXPECT_FALSE(savedOther(b));
  EXPECT_FALSE(savedCurrent(a));
}

TEST_F(Registry, TheIndicatorsTapRecogniserIsUIKitsOwnClass) {
  // SpringBoard once defined a second class of this name; which one a process
  // got depended on the linker.
  Class tap = objc_getClass("UITapGestureRecognizer");
  ASSERT_TRUE(tap);
  EXPECT_EQ(class_getSuperclass(tap), objc_getClass("UIGestureRecognizer"));
  auto c = newIconListPageControl();
  Ref<NSObject> recogniser = objc::send<SBIconListPageControl::tapGestureRecognizerMessage>(c);
  ASSERT_TRUE(recogniser);
  EXPECT_TRUE(recogniser->isKindOfClass(objc_getClass("UIGestureRecognizer")));
}

TEST_F(Registry, AHomeScreenLetGoBeforeItAppearsIsNotWrittenToLater) {
  // The screen lives in storage the test keeps and marks once it is let go:
  // the delayed legibility step, run later, must leave every byte as marked.
  constexpr unsigned char kMark = 0xA5;
  alignas(springboard::HomeScreen) unsigned char storage[sizeof(springboard::HomeScreen)];
  auto* home = new (storage) springboard::HomeScreen(springboard::HomeScreenLayout{.legibilityDelayMs = 20});
  home->build();
  Ref<SBIconListPageControl> control = home->pageControl();
  ASSERT_TRUE(control && !control->legibilitySettings());
  home->~HomeScreen();
  std::memset(storage, kMark, sizeof storage);

  dispatch::runMainUntil([] { return false; }, std::chrono::milliseconds(60));  // past the delay
  EXPECT_TRUE(control->legibilitySettings()) << "the step ran";
  EXPECT_EQ(std::count(std::begin(storage), std::end(storage), kMark), static_cast<long>(sizeof storage))
      << "the step wrote into the screen after it was let go";
}

class Colours : public TweakTest {};

TEST_F(Colours, RecolouringOffPutsTheSavedObjectsBack) {
  auto c = newIconListPageControl();
  auto current = colour(1, 1, 1), other = colour(1, 1, 1, 0.3);
  c->setCurrentPageIndicatorTintColor(current);
  c->setPageIndicatorTintColor(other);

  apply({.colours = true});
  EXPECT_EQ(hex(c->currentPageIndicatorTintColor()), "#FF0000");
  EXPECT_EQ(hex(c->pageIndicatorTintColor()), "#00FF00:0.25");
  EXPECT_EQ(savedCurrent(c).get(), current.get());
  EXPECT_EQ(savedOther(c).get(), other.get());

  apply({.colours = false});
  EXPECT_EQ(c->currentPageIndicatorTintColor().get(), current.get());
  EXPECT_EQ(c->pageIndicatorTintColor().get(), other.get());

  // An equal colour is still another object: identity decides.
  c->setCurrentPageIndicatorTintColor(colour(1, 1, 1));
  c->hitTestWithEvent(CGPointMake(10, 710), nullptr);
  EXPECT_EQ(c->currentPageIndicatorTintColor().get(), current.get());
  EXPECT_EQ(c->pageIndicatorTintColor().get(), other.get());
}

TEST_F(Colours, SlotsStayEmptyUntilADecisionFindsAColour) {
  auto c = newIconListPageControl();
  drain();
  EXPECT_FALSE(savedCurrent(c));
  EXPECT_FALSE(savedOther(c));
  EXPECT_FALSE(c->currentPageIndicatorTintColor());

  // Legibility settles and gives the dots their colours.
  c->setLegibilitySettings(_UILegibilitySettings::settingsWithStyle(_UILegibilityStyleLight));
  Ref<UIColor> current = c->currentPageIndicatorTintColor(), other = c->pageIndicatorTintColor();
  ASSERT_TRUE(current && other);
  c->hitTestWithEvent(CGPointMake(10, 710), nullptr);
  EXPECT_EQ(savedCurrent(c).get(), current.get());
  EXPECT_EQ(savedOther(c).get(), other.get());

  apply({.colours = true});
  apply({.colours = false});
  EXPECT_EQ(c->currentPageIndicatorTintColor().get(), current.get());
  EXPECT_EQ(c->pageIndicatorTintColor().get(), other.get());
}

TEST_F(Colours, ACustomColourFoundFirstBecomesTheSavedOne) {
  setSnapshot({.colours = true});
  auto c = newIconListPageControl();  // decides before the control has colours
  EXPECT_FALSE(savedCurrent(c));
  Ref<UIColor> firstCustom = c->currentPageIndicatorTintColor();
  ASSERT_EQ(hex(firstCustom), "#FF0000");

  c->hitTestWithEvent(CGPointMake(10, 710), nullptr);
  EXPECT_EQ(savedCurrent(c).get(), firstCustom.get());
  EXPECT_NE(c->currentPageIndicatorTintColor().get(), firstCustom.get()) << "colours are parsed anew each decision";

  apply({.colours = false});
  EXPECT_EQ(c->currentPageIndicatorTintColor().get(), firstCustom.get());
  EXPECT_EQ(hex(c->currentPageIndicatorTintColor()), "#FF0000");
  EXPECT_EQ(hex(c->pageIndicatorTintColor()), "#00FF00:0.25");
}

TEST_F(Colours, EachDecisionUsesTheColourTextsOfTheMoment) {
  auto c = newIconListPageControl();
  apply({.colours = true}, "#0000FF", "#FFFF00:0.25");
  EXPECT_EQ(hex(c->currentPageIndicatorTintColor()), "#0000FF");
  EXPECT_EQ(hex(c->pageIndicatorTintColor()), "#FFFF00:0.25");
  apply({.colours = true}, "#123456", "#ABCDEF:0.75");
  EXPECT_EQ(hex(c->currentPageIndicatorTintColor()), "#123456");
  EXPECT_EQ(hex(c->pageIndicatorTintColor()), "#ABCDEF:0.75");
}

class WidgetDots : public TweakTest {};

TEST_F(WidgetDots, ASettingReachesThemOnlyAtTheNextVisibilityChange) {
  apply({.hide = false});
  auto stack = newWidgetStack();
  Ref<UIPageControl> dots = stack->pageControl();
  stack->_setPageControlHiddenAnimated(false, true);
  ASSERT_FALSE(dots->isHidden());

  apply({.hide = true, .widgets = true});
  EXPECT_FALSE(dots->isHidden()) << "widget indicators are not in the registry";
  stack->_setPageControlHiddenAnimated(false, true);
  EXPECT_TRUE(dots->isHidden());
}

TEST_F(WidgetDots, SavedColoursComeBackWhenWidgetsAreLeftOut) {
  auto stack = newWidgetStack();
  Ref<UIPageControl> dots = stack->pageControl();
  auto current = colour(0.5, 0.5, 0.5);
  dots->setCurrentPageIndicatorTintColor(current);
  apply({.widgets = true, .colours = true});
  stack->_setPageControlHiddenAnimated(false, true);
  ASSERT_EQ(hex(dots->currentPageIndicatorTintColor()), "#FF0000");
  // Other dots had no colour when the slot was first filled.
  EXPECT_FALSE(savedOther(dots));

  apply({.widgets = false, .colours = true});
  stack->_setPageControlHiddenAnimated(false, true);
  EXPECT_EQ(dots->currentPageIndicatorTintColor().get(), current.get());
  EXPECT_EQ(hex(dots->pageIndicatorTintColor()), "#00FF00:0.25") << "an empty slot changes nothing";
}

}  // namespace
}  // namespace tweaktest
