// Opening and closing the examples page again and again, as a user browsing
// Settings does: each visit's rows, their picker overlays and the banner go
// away with the page, and the window is left as it was.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "dispatch/main_loop.h"
#include "foundation/DevicePaths.h"
#include "objc/Weak.h"
#include "preferences/PSSpecifier.h"
#include "support.h"
#include "uikit/MediaClock.h"
#include "uikit/UINavigationController.h"
#include "uikit/UIScene.h"
#include "uikit/UIViewAnimation.h"

using namespace prefs_test;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

using dateTimePickerViewMessage = objc::Message<"dateTimePickerView", Ref<UIView>()>;

class ExamplesVisits : public testing::Test {
 protected:
  void SetUp() override {
    // For this test only: posts go where the variable points, and the other
    // tests of the process listen where it pointed before.
    if (const char* before = std::getenv("CORVALLO_DEVICE_ROOT")) rootBefore_ = before;
    ::setenv("CORVALLO_DEVICE_ROOT", deviceRoot().c_str(), 1);
    bundle();
    const std::string folder = "/Library/PreferenceBundles/CorvalloExamples.bundle";
    // Installed once per process: writing over the file of a loaded library
    // (as a second run would) truncates it, which drops this process's
    // relocated pages of it, and its classes' methods point nowhere.
    fs::copy(EXAMPLES_BUNDLE_DIR, foundation::devicePath(folder),
             fs::copy_options::recursive | fs::copy_options::skip_existing);
    auto examples = NSBundle::bundleWithPath(NSString::make(folder));
    ASSERT_TRUE(examples && examples->load());
    page_ = examples->principalClass();
    // The Settings host's window: a navigation controller the pages are pushed on.
    window_ = UIWindow::make(CGRect{{0, 0}, {kScreenWidth, kScreenHeight}});
    outer_ = UINavigationController::make(UIViewController::make());
    window_->setRootViewController(outer_);
    outer_->view()->setFrame(window_->frame());
    scene_ = UIWindowScene::make();
    scene_->addWindow(window_);
    UIApplication_Scenes::connectScene(scene_);
    UIApplication::sharedApplication()->setKeyWindow(window_);
  }
  void TearDown() override {
    UIApplication_Scenes::disconnectScene(scene_);
    UIApplication::sharedApplication()->setKeyWindow(nullptr);
    if (rootBefore_)
      ::setenv("CORVALLO_DEVICE_ROOT", rootBefore_->c_str(), 1);
    else
      ::unsetenv("CORVALLO_DEVICE_ROOT");
  }

  // One visit: the page is pushed, its rows made and laid out, and popped.
  // Answers the rows' cells and what they made, held weakly.
  std::vector<Weak<NSObject>> visit() {
    std::vector<Weak<NSObject>> made;
    {
      auto page =
          ref_cast<PSListController>(objc::send<NSObject::initMessage>(objc::send<NSObject::allocMessage>(page_)));
      outer_->pushViewControllerAnimated(UINavigationController::make(page), false);
      page->table()->reloadData();
      page->view()->layoutIfNeeded();
      Ref<NSArray> rows = page->specifiers();
      for (unsigned long i = 0, n = rows ? rows->count() : 0; i < n; ++i) {
        auto* row = objc_cast<PSSpecifier>(rows->objectAtIndex(i).get());
        auto* cell = row ? objc_cast<PSTableCell>(row->findProperty(PSTableCellKey)) : nullptr;
        if (!cell) continue;
        made.emplace_back(cell);
        if (cell->respondsToSelector(dateTimePickerViewMessage::sel()))
          if (Ref<UIView> overlay = objc::send<dateTimePickerViewMessage>(cell)) made.emplace_back(overlay.get());
      }
      outer_->popViewControllerAnimated(false);
    }
    EXPECT_TRUE(dispatch::runMainUntil([] { return UIView_Animation::pendingAnimations() == 0; }, 5s));
    dispatch::runMainUntil([] { return false; }, 10ms);
    return made;
  }

  static long alive(const std::vector<Weak<NSObject>>& made) {
    long n = 0;
    for (const auto& w : made) n += static_cast<bool>(w.lock());
    return n;
  }

  std::optional<std::string> rootBefore_;
  Class page_ = nullptr;
  Ref<UIWindow> window_;
  Ref<UINavigationController> outer_;
  Ref<UIWindowScene> scene_;
};

TEST_F(ExamplesVisits, EachVisitsRowsOverlaysAndBannerGoWithThePage) {
  visit();  // the first visit makes what lives for the process (fonts, images, classes)
  unsigned long windowViews = outer_->view()->subviewList().size();
  long made = 0, left = 0;
  for (int i = 0; i < 50; ++i) {
    auto weak = visit();
    made += static_cast<long>(weak.size());
    left += alive(weak);
  }
  EXPECT_GT(made, 50 * 6) << "the page made its rows, the four pickers' overlays among them";
  EXPECT_EQ(left, 0) << "of " << made << " cells and overlays made by 50 visits";
  EXPECT_EQ(outer_->view()->subviewList().size(), windowViews) << "views left in the window";
}

}  // namespace
