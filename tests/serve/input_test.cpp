#include "serve/Input.h"

#include <gtest/gtest.h>

using serve::InputError;
using serve::json;

namespace {

json settingsState() {
  return json{{"screen", {0, 0, 390, 844}},
              {"page",
               {{"contentOffset", 0.0},
                {"contentHeight", 1500.0},
                {"tableFrame", {0, 0, 390, 844}},
                {"menu", nullptr},
                {"alert", nullptr},
                {"navigationBar",
                 {{"frame", {0, 47, 390, 44}}, {"rightItem", {{"customView", {{"frame", {340, 5, 34, 34}}}}}}}}}}};
}

}  // namespace

TEST(Input, NumbersMustBeFiniteAndInRange) {
  EXPECT_EQ(serve::numberIn(json{{"x", 12.5}}, "x", 0, 390), 12.5);
  EXPECT_THROW(serve::numberIn(json{{"x", 1e300}}, "x", 0, 390), InputError);
  EXPECT_THROW(serve::numberIn(json{{"x", -0.5}}, "x", 0, 390), InputError);
  EXPECT_THROW(serve::numberIn(json{{"x", "12"}}, "x", 0, 390), InputError);
  EXPECT_THROW(serve::numberIn(json::object(), "x", 0, 390), InputError);
  // JSON has no NaN or infinity; a number too large for a double is no number.
  EXPECT_THROW(serve::numberIn(serve::bodyObject(R"({"x": 1e999})"), "x", 0, 390), InputError);
}

TEST(Input, BodiesAreSmallJsonObjects) {
  EXPECT_TRUE(serve::bodyObject(R"({"a": 1})").is_object());
  EXPECT_THROW(serve::bodyObject("[1]"), InputError);
  EXPECT_THROW(serve::bodyObject("{"), InputError);
  EXPECT_THROW(serve::bodyObject("{\"v\": \"" + std::string(10 << 20, '#') + "\"}"), InputError);
  EXPECT_THROW(serve::textOf(json{{"v", std::string(65, '#')}}, "v", 64), InputError);
  EXPECT_EQ(serve::textOf(json{{"v", "#FF2D55:0.50"}}, "v", 64), "#FF2D55:0.50");
}

TEST(Input, ATouchOnTheSettingsScreenGoesToTheHostsHitTest) {
  json req = serve::settingsTouch(settingsState(), 100, 200);
  EXPECT_EQ(req, (json{{"op", "touchAt"}, {"x", 100.0}, {"y", 200.0}}));
}

TEST(Input, ATouchOnAnOpenMenuChoosesTheEntryDrawnThere) {
  json state = settingsState();
  state["page"]["menu"] = {{"entries", {{{"title", "Respring"}}, {{"title", "Reset"}}}}};
  // Entries are 44 points tall under the button (bottom 47+5+34, plus 6), right-aligned to it.
  EXPECT_EQ(serve::settingsTouch(state, 300, 92 + 44 + 10), (json{{"op", "chooseMenuAction"}, {"action", "Reset"}}));
  EXPECT_EQ(serve::settingsTouch(state, 300, 92 + 10)["action"], "Respring");
  EXPECT_EQ(serve::settingsTouch(state, 40, 92 + 10)["op"], "touchAt") << "beside the menu";
}

TEST(Input, ATouchOnAnAlertChoosesItsButtonAndNothingElse) {
  json state = settingsState();
  state["page"]["alert"] = {{"title", "Reset?"},
                            {"message", nullptr},
                            {"style", 0},
                            {"actions", {{{"title", "Reset"}, {"style", 2}}, {{"title", "Cancel"}, {"style", 1}}}}};
  // A sheet: Cancel apart at the bottom, Reset above it under a 50-point head.
  double cancelTop = 844 - 34 - 57, sheetTop = 844 - 34 - 65 - (50 + 57);
  EXPECT_EQ(serve::settingsTouch(state, 195, cancelTop + 20)["action"], "Cancel");
  EXPECT_EQ(serve::settingsTouch(state, 195, sheetTop + 50 + 20)["action"], "Reset");
  EXPECT_THROW(serve::settingsTouch(state, 195, 100), InputError);
}

TEST(Input, ScrollingStaysWithinTheContent) {
  json state = settingsState();
  EXPECT_EQ(serve::settingsScroll(state, 200)["y"], 200.0);
  EXPECT_EQ(serve::settingsScroll(state, -50)["y"], 0.0);
  EXPECT_EQ(serve::settingsScroll(state, 1e9)["y"], 1500.0 - (844 - 91)) << "the content shows under the bar";
  state["page"] = json{{"class", "home"}};
  EXPECT_THROW(serve::settingsScroll(state, 10), InputError);
}

TEST(Input, ASidewaysDragTurnsTheWidgetStackUnderItElseTheIconPages) {
  json state{{"screen", {0, 0, 390, 844}},
             {"pageControl", {{"numberOfPages", 3}, {"currentPage", 0}}},
             {"widgetStacks", {{{"numberOfPages", 3}, {"currentPage", 1}, {"stackFrame", {20, 80, 170, 170}}}}}};
  EXPECT_EQ(serve::homeDrag(state, 300, 500, -80, 5), (json{{"op", "page"}, {"index", 1}}));
  EXPECT_EQ(serve::homeDrag(state, 300, 500, 80, 5), (json{{"op", "page"}, {"index", 0}})) << "no page before the first";
  EXPECT_EQ(serve::homeDrag(state, 50, 100, -80, 0), (json{{"op", "scrollWidget"}, {"stack", 0}, {"widget", 2}}));
  EXPECT_TRUE(serve::homeDrag(state, 300, 500, -10, 0).is_null()) << "too short";
  EXPECT_TRUE(serve::homeDrag(state, 300, 500, -40, 120).is_null()) << "mostly up and down";
}
