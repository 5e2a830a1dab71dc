#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "uikit/UIAlertController.h"
#include "uikit/UIControls.h"
#include "uikit/UIPageControl.h"

namespace {

Ref<NSString> str(const char* s) { return NSString::make(s); }

TEST(Alerts, ActionsKeepTheirOrderAndTheChosenOneRunsAfterTheSheetIsGone) {
  auto presenter = UIViewController::make();
  auto alert = UIAlertController::alertControllerWithTitleMessagePreferredStyle(str("Reset"), str("Sure?"),
                                                                                UIAlertControllerStyleAlert);
  EXPECT_EQ(alert->title()->utf8(), "Reset");
  EXPECT_EQ(alert->message()->utf8(), "Sure?");
  EXPECT_EQ(alert->preferredStyle(), UIAlertControllerStyleAlert);

  std::vector<std::string> log;
  NSObject* handedOver = nullptr;
  auto reset = UIAlertAction::actionWithTitleStyleHandler(
      str("Reset"), UIAlertActionStyleDestructive, _UIBlock::make([&](NSObject* action) {
        handedOver = action;
        log.push_back(presenter->presentedViewController() ? "handler while shown" : "handler after dismissal");
      }));
  auto cancel = UIAlertAction::actionWithTitleStyleHandler(str("Cancel"), UIAlertActionStyleCancel, nullptr);
  alert->addAction(reset);
  alert->addAction(cancel);
  auto actions = alert->actions();
  ASSERT_EQ(actions->count(), 2u);
  EXPECT_EQ(actions->objectAtIndex(0).get(), reset.get());
  EXPECT_EQ(actions->objectAtIndex(1).get(), cancel.get());
  EXPECT_EQ(reset->style(), UIAlertActionStyleDestructive);
  EXPECT_EQ(cancel->title()->utf8(), "Cancel");

  presenter->presentViewControllerAnimatedCompletion(alert, true,
                                                     _UIBlock::make([&](NSObject*) { log.push_back("shown"); }));
  EXPECT_EQ(presenter->presentedViewController().get(), alert.get());
  EXPECT_EQ(alert->presentingViewController().get(), presenter.get());
  // One sheet at a time: a second one is refused.
  presenter->presentViewControllerAnimatedCompletion(UIAlertController::make(), false, nullptr);
  EXPECT_EQ(presenter->presentedViewController().get(), alert.get());

  alert->chooseAction(reset);
  EXPECT_EQ(log, (std::vector<std::string>{"shown", "handler after dismissal"}));
  EXPECT_EQ(handedOver, reset.get());
  EXPECT_FALSE(alert->presentingViewController());

  // An action without a handler only dismisses.
  presenter->presentViewControllerAnimatedCompletion(alert, false, nullptr);
  alert->chooseAction(cancel);
  EXPECT_FALSE(presenter->presentedViewController());
}

// Containers for the proxies: a view class and a controller class that no
// other test uses, so the process-wide proxies they key stay this file's.
class Panel : public UIView {
  OBJC_CLASS(Panel, UIView)
};
OBJC_IMPLEMENT(Panel)

class Drawer : public UIView {
  OBJC_CLASS(Drawer, UIView)
};
OBJC_IMPLEMENT(Drawer)

class PanelController : public UIViewController {
  OBJC_CLASS(PanelController, UIViewController)
};
OBJC_IMPLEMENT(PanelController)

// Proxies outlive every test; each test clears the colours it set.
class Appearance : public testing::Test {
 protected:
  template <class V>
  Ref<_UIAppearance> proxy(std::initializer_list<Class> containers) {
    NSArray::Items items;
    for (Class c : containers) items.emplace_back(c);
    auto p = appearanceWhenContainedInInstancesOfClasses<V>(NSArray::make(std::move(items)));
    used_.push_back(p);
    return p;
  }
  void TearDown() override {
    for (auto& p : used_) {
      p->setTintColor(nullptr);
      p->setOnTintColor(nullptr);
    }
  }
  std::vector<Ref<_UIAppearance>> used_;
};

TEST_F(Appearance, OneProxyPerClassAndContainers) {
  auto a = proxy<UISwitch>({Panel::cls()});
  EXPECT_EQ(a.get(), proxy<UISwitch>({Panel::cls()}).get());
  EXPECT_NE(a.get(), proxy<UISlider>({Panel::cls()}).get());
  EXPECT_NE(a.get(), proxy<UISwitch>({Panel::cls(), Drawer::cls()}).get());
  // What is not a class is left out of the key.
  auto mixed = appearanceWhenContainedInInstancesOfClasses<UISwitch>(
      NSArray::of({Ref<NSObject>(Panel::cls()), Ref<NSObject>(str("Panel"))}));
  EXPECT_EQ(mixed.get(), a.get());
}

TEST_F(Appearance, AppliesOnlyInsideItsContainersAndOwnColoursWin) {
  auto red = UIColor::systemRedColor(), green = UIColor::systemGreenColor();
  proxy<UISwitch>({Panel::cls()})->setOnTintColor(red);

  auto panel = Panel::make(kUIScreenBounds);
  auto row = UIView::make(kUIScreenBounds);
  auto inside = UISwitch::make(), outside = UISwitch::make();
  panel->addSubview(row);
  row->addSubview(inside);
  EXPECT_EQ(inside->onTintColor().get(), red.get());
  EXPECT_FALSE(outside->onTintColor());

  // The proxy colours only what the class answers through it.
  auto slider = UISlider::make();
  row->addSubview(slider);
  Ref<UIColor> inherited = slider->tintColor();
  ASSERT_TRUE(inherited);
  EXPECT_EQ(inherited->rgba(), UIColor::systemBlueColor()->rgba());

  inside->setOnTintColor(green);
  EXPECT_EQ(inside->onTintColor().get(), green.get());
  inside->setOnTintColor(nullptr);
  proxy<UISwitch>({Panel::cls()})->setOnTintColor(nullptr);
  EXPECT_FALSE(inside->onTintColor());
}

TEST_F(Appearance, TheProxyWithMoreEnclosingContainersWins) {
  auto red = UIColor::systemRedColor(), green = UIColor::systemGreenColor();
  proxy<UISlider>({Panel::cls()})->setTintColor(red);
  proxy<UISlider>({Panel::cls(), Drawer::cls()})->setTintColor(green);

  auto panel = Panel::make(kUIScreenBounds);
  auto drawer = Drawer::make(kUIScreenBounds);
  auto slider = UISlider::make();
  panel->addSubview(slider);
  EXPECT_EQ(slider->tintColor().get(), red.get());
  drawer->addSubview(slider);
  EXPECT_NE(slider->tintColor().get(), green.get());  // a drawer alone is not enough
  panel->addSubview(drawer);
  EXPECT_EQ(slider->tintColor().get(), green.get());
}

TEST_F(Appearance, AControllerContainsTheViewsOfItsViewAndOfItsChildren) {
  auto red = UIColor::systemRedColor();
  proxy<UISegmentedControl>({PanelController::cls()})->setTintColor(red);

  auto parent = PanelController::make();
  auto child = UIViewController::make();
  parent->addChildViewController(child);
  auto control = UISegmentedControl::make();
  child->view()->addSubview(control);
  EXPECT_EQ(control->tintColor().get(), red.get());

  child->removeFromParentViewController();
  EXPECT_NE(control->tintColor().get(), red.get());
}

class ValueWatcher : public NSObject {
  OBJC_CLASS(ValueWatcher, NSObject)
  OBJC_METHOD(valueChanged, "valueChanged:", void(NSObject*))
  OBJC_METHOD(tapped, "tapped:", void(NSObject*))

 public:
  std::vector<std::string> seen;

 private:
  void valueChangedImpl(NSObject* sender) { seen.push_back(static_cast<UISwitch*>(sender)->isOn() ? "on" : "off"); }
  void tappedImpl(NSObject*) { seen.push_back("tap"); }
};
OBJC_IMPLEMENT(ValueWatcher)

TEST(Controls, ATapFlipsAnEnabledSwitchAndSendsOnlyValueChanged) {
  auto sw = UISwitch::make();
  auto watcher = ValueWatcher::make();
  sw->addTargetActionForControlEvents(watcher, ValueWatcher::valueChangedMessage::sel(), UIControlEventValueChanged);
  sw->addTargetActionForControlEvents(watcher, ValueWatcher::tappedMessage::sel(), UIControlEventTouchUpInside);
  sw->_toggle();
  sw->_toggle();
  EXPECT_EQ(watcher->seen, (std::vector<std::string>{"on", "off"}));
  sw->setEnabled(false);
  sw->_toggle();
  EXPECT_FALSE(sw->isOn());
  EXPECT_EQ(watcher->seen.size(), 2u);
}

TEST(Controls, SliderValueStaysInItsRange) {
  auto slider = UISlider::make();
  EXPECT_EQ(slider->maximumValue(), 1.0f);
  slider->setValue(2.0f);
  EXPECT_EQ(slider->value(), 1.0f);
  slider->setMinimumValue(0.5f);
  slider->setValue(0.1f);
  EXPECT_EQ(slider->value(), 0.5f);
  slider->setMaximumValue(0.25f);  // pulls the minimum and the value down with it
  EXPECT_EQ(slider->minimumValue(), 0.25f);
  EXPECT_EQ(slider->value(), 0.25f);
}

TEST(PageControl, CurrentPageStaysWithinThePages) {
  auto dots = UIPageControl::make();
  EXPECT_EQ(dots->numberOfPages(), 0);
  EXPECT_FALSE(dots->currentPageIndicatorTintColor());
  EXPECT_FALSE(dots->pageIndicatorTintColor());
  EXPECT_FALSE(dots->hidesForSinglePage());

  dots->setNumberOfPages(4);
  dots->setCurrentPage(3);
  EXPECT_EQ(dots->currentPage(), 3);
  dots->setCurrentPage(9);
  EXPECT_EQ(dots->currentPage(), 3);
  dots->setCurrentPage(-2);
  EXPECT_EQ(dots->currentPage(), 0);

  dots->setCurrentPage(3);
  dots->setNumberOfPages(2);  // the current page follows the pages down
  EXPECT_EQ(dots->currentPage(), 1);
  dots->setNumberOfPages(-5);
  EXPECT_EQ(dots->numberOfPages(), 0);
  EXPECT_EQ(dots->currentPage(), 0);

  auto red = UIColor::systemRedColor();
  dots->setCurrentPageIndicatorTintColor(red);
  EXPECT_EQ(dots->currentPageIndicatorTintColor().get(), red.get());
}

}  // namespace
