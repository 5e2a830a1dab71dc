// The nineteen tracing hooks, read back from the captured log.
#include <cstdio>
#include <functional>
#include <vector>

#include "foundation/Log.h"
#include "tweak_env.h"

namespace tweaktest {
namespace {

using foundation::LogCapture;
using Lines = std::vector<std::string>;

std::string describe(NSObject* o) { return NSString::stringWithFormat("%@", o)->utf8(); }

class Tracing : public TweakTest {
 protected:
  void SetUp() override {
    TweakTest::SetUp();
    c = newIconListPageControl();
    drain();
    c->setNumberOfPages(3);
    std::snprintf(self, sizeof self, "-[<SBIconListPageControl: 0x%lx> ", reinterpret_cast<unsigned long>(c.get()));
  }

  std::string call(const std::string& rest) { return self + rest + "]"; }

  // Runs one call with the log captured and compares what it wrote.
  void expectTrace(const std::function<void()>& step, const Lines& calls, const Lines& results) {
    LogCapture capture;
    step();
    EXPECT_EQ(capture.nslogMessages(), calls);
    if (!debug) {
      EXPECT_EQ(capture.oslogMessages(), Lines{});
      return;
    }
    EXPECT_EQ(capture.oslogMessages(), results);
    for (const auto& r : capture.records())
      if (r.source == foundation::LogRecord::Source::OSLog) {
        EXPECT_EQ(r.type, OS_LOG_TYPE_DEBUG);
        EXPECT_EQ(r.subsystem, "");
      }
  }

  // Every traced method once, in an order where each finds the state the
  // previous ones left; nested traced calls log in the order they are made.
  void runAll() {
    Ref<NSObject> tap = c->tapGestureRecognizer();
    Ref<NSObject> settings = _UILegibilitySettings::settingsWithStyle(_UILegibilityStyleDark);
    Ref<NSObject> delegate = NSString::make("the delegate");
    Ref<NSObject> rects = NSArray::of({NSString::make("{{0, 0}, {10, 10}}")});
    std::string me = describe(c);
    auto r = [](int line, const std::string& value) { return "[Tweak:" + std::to_string(line) + "]  = " + value; };

    double height = 0;
    expectTrace([&] { height = c->defaultHeight(); }, {call("defaultHeight")}, {r(715, "37.000000")});
    EXPECT_EQ(height, 37.0);

    expectTrace([&] { c->tapGestureDidUpdate(tap); },
                {call("tapGestureDidUpdate:" + describe(tap)), call("pageControlCurrentPageDidChange:" + me)}, {});
    EXPECT_EQ(c->currentPage(), 1);

    expectTrace([&] { c->touchesCancelledWithEvent(nullptr, nullptr); },
                {call("touchesCancelled:(null) withEvent:(null)")}, {});

    expectTrace([&] { c->setLegibilitySettings(settings); },
                {call("setLegibilitySettings:" + describe(settings)), call("legibilitySettingsDidChange"),
                 call("effectiveLegibilitySettings")},
                {r(733, describe(settings))});

    Ref<NSObject> got;
    expectTrace([&] { got = c->legibilitySettings(); }, {call("legibilitySettings")}, {r(721, describe(settings))});
    EXPECT_EQ(got.get(), settings.get());

    expectTrace([&] { c->touchesEndedWithEvent(tap, nullptr); },
                {call("touchesEnded:" + describe(tap) + " withEvent:(null)")}, {});

    expectTrace([&] { c->legibilitySettingsDidChange(); },
                {call("legibilitySettingsDidChange"), call("effectiveLegibilitySettings")},
                {r(733, describe(settings))});

    bool begins = false;
    expectTrace([&] { begins = c->gestureRecognizerShouldBegin(tap); },
                {call("gestureRecognizerShouldBegin:" + describe(tap)), call("actsAsButton")},
                {r(725, "0"), r(724, "1")});
    EXPECT_TRUE(begins);

    bool button = true;
    expectTrace([&] { button = c->actsAsButton(); }, {call("actsAsButton")}, {r(725, "0")});
    EXPECT_FALSE(button);

    expectTrace([&] { got = c->tapGestureRecognizer(); }, {call("tapGestureRecognizer")}, {r(726, describe(tap))});
    EXPECT_EQ(got.get(), tap.get());

    expectTrace([&] { got = c->delegate(); }, {call("delegate")}, {r(727, "(null)")});
    EXPECT_FALSE(got);

    expectTrace([&] { c->setDelegate(delegate); }, {call("setDelegate:the delegate")}, {});
    expectTrace([&] { c->setActsAsButton(true); }, {call("setActsAsButton:1")}, {});
    expectTrace([&] { c->setTouchIgnoreRects(rects); }, {call("setTouchIgnoreRects:" + describe(rects))}, {});
    expectTrace([&] { c->setButtonHighlighted(false); }, {call("setButtonHighlighted:0")}, {});

    expectTrace(
        [&] { c->touchesBeganWithEvent(nullptr, tap); },
        {call("touchesBegan:(null) withEvent:" + describe(tap)), call("actsAsButton"), call("setButtonHighlighted:1")},
        {r(725, "1")});
    EXPECT_TRUE(c->isButtonHighlighted());

    expectTrace([&] { got = c->effectiveLegibilitySettings(); }, {call("effectiveLegibilitySettings")},
                {r(733, describe(settings))});
    EXPECT_EQ(got.get(), settings.get());

    expectTrace([&] { c->pageControlCurrentPageDidChange(nullptr); }, {call("pageControlCurrentPageDidChange:(null)")},
                {});

    expectTrace([&] { got = c->touchIgnoreRects(); }, {call("touchIgnoreRects")}, {r(736, describe(rects))});
    EXPECT_EQ(got.get(), rects.get());

    expectTrace([&] { got = c->delegate(); }, {call("delegate")}, {r(727, "the delegate")});
    EXPECT_EQ(got.get(), delegate.get());
  }

  Ref<SBIconListPageControl> c;
  char self[96];
  bool debug = false;
};

TEST_F(Tracing, WithDebugOffEveryCallWritesItsCallLineOnly) { runAll(); }

TEST_F(Tracing, WithDebugOnResultsFollowInTheUnifiedLogEvenWhenTheTweakIsOff) {
  debug = true;
  foundation::setLogTypeEnabled(OS_LOG_TYPE_DEBUG, true);
  setSnapshot({.enabled = false});
  runAll();
}

TEST_F(Tracing, AppearanceHooksAndDecisionsWriteNothing) {
  LogCapture capture;
  foundation::setLogTypeEnabled(OS_LOG_TYPE_DEBUG, true);
  apply({.colours = true});
  c->hitTestWithEvent(CGPointMake(1, 701), nullptr);
  c->_shouldAnimatePropertyWithKey(str("alpha"));
  newWidgetStack()->_setPageControlHiddenAnimated(false, false);
  drain();
  EXPECT_EQ(capture.records().size(), 0u);
}

}  // namespace
}  // namespace tweaktest
