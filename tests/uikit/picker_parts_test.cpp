// What the picker rows need from the toolkit: the date picker's values, taps,
// target-action with and without a sender, scenes, and appearance colours.
#include <gtest/gtest.h>

#include "uikit/UIColor+SystemBackground.h"
#include "uikit/UIControl.h"
#include "uikit/UIDatePicker.h"
#include "uikit/UIGestureRecognizer.h"
#include "uikit/UIScene.h"

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
OBJC_IMPLEMENT(Receiver, fire, fireFrom)

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
