// What the picker rows need from the toolkit: the date picker's values, taps,
// target-action with and without a sender, scenes, and appearance colours.
#include <gtest/gtest.h>

#include "dispatch/main_loop.h"
#include "foundation/NSNumber.h"
#include "uikit/MediaClock.h"
#include "uikit/UIColor+SystemBackground.h"
#include "uikit/UIControl.h"
#include "uikit/UIDatePicker.h"
#include "uikit/UIGestureRecognizer.h"
#include "uikit/UIScene.h"
#include "uikit/UIViewAnimation.h"

namespace {

class Receiver : public NSObject {
  OBJC_CLASS(Receiver, NSObject)
  OBJC_METHOD(fire, "fire", void())
  OBJC_METHOD(fireFrom, "fireFrom:", void(NSObject*))

 public:
  int plain = 0;
  NSObject* sender = nullptr;

 private:
  void fireImpl() { ++plain; }
  void fireFromImpl(NSObject* s) { sender = s; }
};
OBJC_IMPLEMENT(Receiver)

}  // namespace

TEST(DatePicker, CountDownKeepsWholeMinutesWithinTheWheels) {
  auto picker = UIDatePicker::make(CGRect{{0, 0}, {310, 177.5}});
  picker->setDatePickerMode(UIDatePickerModeCountDownTimer);
  picker->setCountDownDuration(2700);
  EXPECT_EQ(picker->countDownDuration(), 2700);
  picker->setCountDownDuration(2759.9);
  EXPECT_EQ(picker->countDownDuration(), 2700);
  picker->setCountDownDuration(90000);
  EXPECT_EQ(picker->countDownDuration(), 86340);
  picker->setCountDownDuration(-5);
  EXPECT_EQ(picker->countDownDuration(), 0);
  picker->setCountDownDuration(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(picker->countDownDuration(), 0);

  auto chosen = NSDate::make(1000);
  picker->setDate(chosen);
  picker->setDate(nullptr);
  EXPECT_EQ(picker->date()->timeIntervalSinceReferenceDate(), 1000);
}

TEST(Tap, ActionsRunWithOrWithoutTheSenderWhileAttachedAndEnabled) {
  auto receiver = Receiver::make();
  auto tap = UITapGestureRecognizer::make(receiver, sel_registerName("fire"));
  tap->addTargetAction(receiver, sel_registerName("fireFrom:"));
  EXPECT_FALSE(tap->recognizeTap());  // on no view
  {
    auto view = UIView::make(CGRect{{0, 0}, {10, 10}});
    UIView_Gestures::addGestureRecognizer(view, tap);
    EXPECT_EQ(UIView_Gestures::gestureRecognizers(view)->count(), 1u);
    EXPECT_TRUE(tap->recognizeTap());
    EXPECT_EQ(receiver->plain, 1);
    EXPECT_EQ(receiver->sender, tap.get());
    tap->setEnabled(false);
    EXPECT_FALSE(tap->recognizeTap());
    tap->setEnabled(true);
  }
  EXPECT_FALSE(tap->view());  // the view is gone
  EXPECT_FALSE(tap->recognizeTap());
  EXPECT_EQ(receiver->plain, 1);
}

TEST(Control, TouchUpInsideReachesActionsOfEitherForm) {
  auto receiver = Receiver::make();
  auto control = UIControl::make(CGRect{{0, 0}, {10, 10}});
  control->addTargetActionForControlEvents(receiver, sel_registerName("fire"), UIControlEventTouchUpInside);
  control->addTargetActionForControlEvents(receiver, sel_registerName("fireFrom:"), UIControlEventTouchUpInside);
  control->sendActionsForControlEvents(UIControlEventValueChanged);
  EXPECT_EQ(receiver->plain, 0);
  control->sendActionsForControlEvents(UIControlEventTouchUpInside);
  EXPECT_EQ(receiver->plain, 1);
  EXPECT_EQ(receiver->sender, control.get());
}

TEST(Scenes, TheConnectedSceneLeadsToTheRootController) {
  EXPECT_EQ(UIApplication_Scenes::connectedScenes(UIApplication::sharedApplication())->count(), 0u);
  auto scene = UIWindowScene::make();
  auto window = UIWindow::make(CGRect{{0, 0}, {390, 844}});
  auto root = UIViewController::make();
  window->setRootViewController(root);
  scene->addWindow(window);
  UIApplication_Scenes::connectScene(scene);
  UIApplication_Scenes::connectScene(scene);
  Ref<NSSet> scenes = UIApplication_Scenes::connectedScenes(UIApplication::sharedApplication());
  ASSERT_EQ(scenes->count(), 1u);
  auto any = ref_cast<UIWindowScene>(scenes->anyObject());
  auto first = ref_cast<UIWindow>(any->windows()->firstObject());
  EXPECT_EQ(first->rootViewController().get(), root.get());
  UIApplication_Scenes::disconnectScene(scene);
  EXPECT_EQ(UIApplication_Scenes::connectedScenes(UIApplication::sharedApplication())->count(), 0u);
}

TEST(SystemColors, BackgroundsResolveByAppearance) {
  auto light = UITraitCollection::traitCollectionWithUserInterfaceStyle(UIUserInterfaceStyleLight);
  auto dark = UITraitCollection::traitCollectionWithUserInterfaceStyle(UIUserInterfaceStyleDark);
  auto hex = [](const Ref<UIColor>& c, const Ref<UITraitCollection>& t) {
    return UIColor_SystemBackground::resolvedColorWithTraitCollection(c, t)->hexString();
  };
  EXPECT_EQ(hex(UIColor_SystemBackground::systemBackgroundColor(), light), "#FFFFFF");
  EXPECT_EQ(hex(UIColor_SystemBackground::systemBackgroundColor(), dark), "#000000");
  EXPECT_EQ(hex(UIColor_SystemBackground::secondarySystemBackgroundColor(), light), "#F2F2F7");
  EXPECT_EQ(hex(UIColor_SystemBackground::secondarySystemBackgroundColor(), dark), "#1C1C1E");
  EXPECT_EQ(hex(UIColor_SystemBackground::tertiarySystemBackgroundColor(), light), "#FFFFFF");
  EXPECT_EQ(hex(UIColor_SystemBackground::tertiarySystemBackgroundColor(), dark), "#2C2C2E");
  EXPECT_EQ(hex(UIColor::blackColor(), dark), "#000000");
}

namespace {

struct Completions {
  std::vector<bool> finished;
  Ref<_UIBlock> block() {
    return _UIBlock::make([this](NSObject* arg) { finished.push_back(objc_cast<NSNumber>(arg)->boolValue()); });
  }
};

void fade(const Ref<UIView>& view, double to, Completions* done,
          unsigned long options = UIViewAnimationOptionCurveLinear) {
  UIView_Animation::animateWithDurationDelayOptionsAnimationsCompletion(
      0.2, 0.0, options, _UIBlock::make([view, to](NSObject*) { view->setAlpha(to); }), done ? done->block() : nullptr);
}

class ViewAnimation : public testing::Test {
 protected:
  void SetUp() override { uikit::setMediaTime(100); }
  void TearDown() override {
    uikit::advanceMediaTime(10);
    dispatch::runMainUntil([] { return UIView_Animation::pendingAnimations() == 0; }, std::chrono::seconds(5));
    uikit::useRealMediaTime();
  }
  static double shown(const Ref<UIView>& v) { return *UIView_Animation::presentationValue(v.get(), "alpha"); }
};

}  // namespace

TEST_F(ViewAnimation, AlphaMovesOnTheMediaClockAndCompletesOnce) {
  auto view = UIView::make(CGRect{{0, 0}, {10, 10}});
  view->setAlpha(0);
  Completions done;
  fade(view, 1, &done);
  EXPECT_EQ(view->alpha(), 1);  // the model value at once
  EXPECT_EQ(shown(view), 0);
  dispatch::runMainUntilIdle();
  EXPECT_TRUE(done.finished.empty());  // never inside the call, nor before the end
  uikit::advanceMediaTime(0.05);
  EXPECT_NEAR(shown(view), 0.25, 1e-9);
  uikit::advanceMediaTime(0.05);
  EXPECT_NEAR(shown(view), 0.5, 1e-9);
  EXPECT_TRUE(UIView_Animation::isAnimating(view.get(), "alpha"));
  uikit::advanceMediaTime(0.1);
  EXPECT_EQ(shown(view), 1);
  EXPECT_TRUE(dispatch::runMainUntil([&] { return !done.finished.empty(); }, std::chrono::seconds(5)));
  dispatch::runMainUntilIdle();
  EXPECT_EQ(done.finished, std::vector<bool>{true});
}

TEST_F(ViewAnimation, ALaterAnimationTakesOverFromWhatShows) {
  auto view = UIView::make(CGRect{{0, 0}, {10, 10}});
  view->setAlpha(0);
  Completions in, out;
  fade(view, 1, &in);
  uikit::advanceMediaTime(0.1);
  fade(view, 0, &out);
  EXPECT_NEAR(shown(view), 0.5, 1e-9);
  uikit::advanceMediaTime(0.1);
  EXPECT_NEAR(shown(view), 0.25, 1e-9);
  EXPECT_TRUE(dispatch::runMainUntil([&] { return !in.finished.empty(); }, std::chrono::seconds(5)));
  EXPECT_EQ(in.finished, std::vector<bool>{false});
  uikit::advanceMediaTime(0.1);
  EXPECT_TRUE(dispatch::runMainUntil([&] { return !out.finished.empty(); }, std::chrono::seconds(5)));
  EXPECT_EQ(out.finished, std::vector<bool>{true});
  EXPECT_EQ(shown(view), 0);
}

TEST_F(ViewAnimation, CurvesShapeTheWay) {
  auto eased = UIView::make(CGRect{{0, 0}, {10, 10}});
  eased->setAlpha(0);
  fade(eased, 1, nullptr, UIViewAnimationOptionCurveEaseIn);
  uikit::advanceMediaTime(0.1);
  EXPECT_LT(shown(eased), 0.5);
  auto gone = UIView::make(CGRect{{0, 0}, {10, 10}});
  Completions done;
  fade(gone, 0, &done);
  gone = nullptr;  // a view that goes away still has its completion run
  uikit::advanceMediaTime(0.2);
  EXPECT_TRUE(dispatch::runMainUntil([&] { return !done.finished.empty(); }, std::chrono::seconds(5)));
}
