// A controller's window, parent and presenter own it, not the other way
// round: a controller that outlives one of them finds nothing there.
#include <gtest/gtest.h>

#include "uikit/UINavigationController.h"
#include "uikit/UIViewController.h"
#include "uikit/UIWindow.h"

namespace {

TEST(BackPointers, AControllerThatOutlivesItsWindowTakesTheDefaultTraits) {
  auto vc = UIViewController::make();
  {
    auto window = UIWindow::make(CGRectMake(0, 0, 390, 844));
    window->setOverrideUserInterfaceStyle(UIUserInterfaceStyleDark);
    window->setRootViewController(vc);
    ASSERT_EQ(vc->traitCollection()->userInterfaceStyle(), UIUserInterfaceStyleDark);
  }
  EXPECT_EQ(vc->traitCollection()->userInterfaceStyle(), UIUserInterfaceStyleLight);
}

TEST(BackPointers, AChildOrPresentedControllerThatOutlivesItsOwnerSeesNone) {
  auto child = UIViewController::make();
  auto shown = UIViewController::make();
  {
    auto nav = UINavigationController::make(child);
    nav->presentViewControllerAnimatedCompletion(shown, false, nullptr);
    ASSERT_EQ(child->parentViewController().get(), nav.get());
    ASSERT_EQ(child->navigationController().get(), nav.get());
    ASSERT_EQ(shown->presentingViewController().get(), nav.get());
  }
  EXPECT_FALSE(child->parentViewController());
  EXPECT_FALSE(child->navigationController());
  EXPECT_FALSE(shown->presentingViewController());
  shown->dismissViewControllerAnimatedCompletion(false, nullptr);  // nobody to go back to: nothing happens
  EXPECT_EQ(child->traitCollection()->userInterfaceStyle(), UIUserInterfaceStyleLight);
}

}  // namespace
