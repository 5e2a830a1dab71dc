// Images by symbol name or PNG file, buttons with per-state images and a
// menu, and the one open menu of the process.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "foundation/DevicePaths.h"
#include "foundation/NSFileManager.h"
#include "uikit/UIButton.h"
#include "uikit/UIDevice.h"

namespace fs = std::filesystem;

namespace {

class Images : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/cvimg.XXXXXX";
    ASSERT_TRUE(::mkdtemp(tmpl));
    root_ = tmpl;
    foundation::setDeviceRootOverride(root_);
    fs::create_directories(root_ + "/icons");
    fs::copy_file(CORVALLO_ICON_PNG, root_ + "/icons/icon.png");
    std::ofstream(root_ + "/icons/not.png") << "GIF89a, not a PNG";
    std::ifstream in(CORVALLO_ICON_PNG, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    std::ofstream(root_ + "/icons/cut.png", std::ios::binary) << bytes.substr(0, bytes.size() / 2);
  }
  void TearDown() override {
    foundation::setDeviceRootOverride(std::nullopt);
    fs::remove_all(root_);
  }
  std::string root_;
};

}  // namespace

TEST_F(Images, AFileGivesItsPixelSizeAndAnythingElseGivesNothing) {
  auto icon = UIImage::imageWithContentsOfFile("/icons/icon.png"_ns);
  ASSERT_TRUE(icon);
  EXPECT_EQ(icon->size(), CGSizeMake(120, 120));
  EXPECT_EQ(icon->filePath(), "/icons/icon.png");
  EXPECT_FALSE(UIImage::imageWithContentsOfFile("/icons/missing.png"_ns));
  EXPECT_FALSE(UIImage::imageWithContentsOfFile("/icons/not.png"_ns));
  EXPECT_FALSE(UIImage::imageWithContentsOfFile("/icons/cut.png"_ns));
  EXPECT_FALSE(UIImage::imageWithContentsOfFile("/icons"_ns));
  EXPECT_FALSE(UIImage::imageWithContentsOfFile(nullptr));

  EXPECT_TRUE(NSFileManager::defaultManager()->fileExistsAtPath("/icons/icon.png"_ns));
  EXPECT_TRUE(NSFileManager::defaultManager()->fileExistsAtPath("/icons"_ns));
  EXPECT_FALSE(NSFileManager::defaultManager()->fileExistsAtPath("/icons/missing.png"_ns));
  EXPECT_FALSE(NSFileManager::defaultManager()->fileExistsAtPath(nullptr));

  auto view = UIImageView::make(icon);
  EXPECT_EQ(view->frame(), CGRectMake(0, 0, 120, 120));
  auto empty = UIImageView::make(static_cast<UIImage*>(nullptr));
  EXPECT_EQ(empty->frame(), CGRectZero);
}

TEST(Symbols, ATintedCopyKeepsTheSymbolAndTheOriginalItsColour) {
  auto gear = UIImage::systemImageNamed("gearshape.fill"_ns);
  auto white = gear->imageWithTintColor(UIColor::whiteColor());
  EXPECT_EQ(white->symbolName(), "gearshape.fill");
  EXPECT_EQ(white->tintColor()->hexString(), "#FFFFFF");
  EXPECT_FALSE(gear->tintColor());
  EXPECT_EQ(gear->size(), kUISymbolImageSize);
}

TEST(Buttons, StatesFallBackToNormalAndAnEmptyButtonHasTheDeviceSize) {
  auto b = UIButton::buttonWithType(UIButtonTypeCustom);
  EXPECT_EQ(b->buttonType(), UIButtonTypeCustom);
  b->sizeToFit();
  EXPECT_EQ(b->frame().size, kUIEmptyButtonSize);
  auto gear = UIImage::systemImageNamed("gearshape.fill"_ns);
  auto white = gear->imageWithTintColor(UIColor::whiteColor());
  b->setImageForState(gear, UIControlStateNormal);
  b->setImageForState(white, UIControlStateHighlighted);
  EXPECT_EQ(b->imageForState(UIControlStateSelected).get(), gear.get());
  EXPECT_EQ(b->imageForState(UIControlStateHighlighted).get(), white.get());
  b->sizeToFit();
  EXPECT_EQ(b->frame().size, kUISymbolImageSize);
  b->setTitleForState("Options"_ns, UIControlStateNormal);
  EXPECT_GT(b->sizeThatFits(CGSize{}).width, kUISymbolImageSize.width);
}

TEST(Menus, ATapOpensTheMenuAndChoosingClosesItBeforeTheHandlerRuns) {
  std::vector<std::string> ran;
  bool openWhileRunning = true;
  auto respring = UIAction::actionWithTitleImageIdentifierHandler(
      "Respring"_ns, UIImage::systemImageNamed("arrow.triangle.2.circlepath"_ns), nullptr,
      _UIBlock::make([&](NSObject* a) {
        ran.push_back(static_cast<UIAction*>(a)->title()->utf8());
        openWhileRunning = uikit::presentedMenu().get() != nullptr;
      }));
  auto off = UIAction::actionWithTitleImageIdentifierHandler("Off"_ns, nullptr, nullptr,
                                                             _UIBlock::make([&](NSObject*) { ran.push_back("off"); }));
  off->setAttributes(UIMenuElementAttributesDisabled);
  auto menu = UIMenu::menuWithChildren(NSArray::of({respring, "not an element"_ns, off}));
  ASSERT_EQ(menu->children()->count(), 2u);

  auto button = UIButton::buttonWithType(UIButtonTypeCustom);
  button->setMenu(menu);
  button->_tap();
  EXPECT_FALSE(uikit::presentedMenu()) << "a menu that is not the primary action waits for a long press";
  button->setShowsMenuAsPrimaryAction(true);
  button->_tap();
  EXPECT_EQ(uikit::presentedMenu().get(), menu.get());
  EXPECT_EQ(uikit::presentedMenuSource().get(), button.get());
  EXPECT_FALSE(uikit::chooseMenuAction(off));
  EXPECT_TRUE(uikit::presentedMenu()) << "a disabled entry leaves the menu open";
  EXPECT_TRUE(uikit::chooseMenuAction(respring));
  EXPECT_EQ(ran, std::vector<std::string>{"Respring"});
  EXPECT_FALSE(openWhileRunning);
  EXPECT_FALSE(uikit::presentedMenu());
}

TEST(Device, TheSystemVersionIsASettingOfTheModel) {
  std::string was = uikit::systemVersion();
  uikit::setSystemVersion("16.0");
  EXPECT_EQ(UIDevice::currentDevice()->systemVersion()->utf8(), "16.0");
  uikit::setSystemVersion(was);
}
