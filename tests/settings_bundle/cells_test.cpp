// The banner row and the whole-number slider row, alone and on the page of
// the examples bundle that shows them.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>

#include "cells/CVLOHeaderCell.h"
#include "cells/CVLOIntegerSliderCellController.h"
#include "foundation/DevicePaths.h"
#include "foundation/NSNumber.h"
#include "support.h"
#include "uikit/UIControls.h"
#include "uikit/UIImage.h"

using namespace prefs_test;
namespace fs = std::filesystem;

namespace {

const Ref<PSSpecifier> kNoRow;
constexpr const char* kIcon = "/Library/PreferenceBundles/CorvalloPrefs.bundle/Corvallo-fullsize.png";
constexpr const char* kJailbreakIcon = "/var/jb/Library/PreferenceBundles/CorvalloPrefs.bundle/Corvallo-fullsize.png";

Ref<PSTableCell> headerCell(const Ref<PSSpecifier>& item) {
  bundle();
  Ref<NSObject> fresh = objc::send<NSObject::allocMessage>(objc_getClass("CVLOHeaderCell"));
  return objc::send<PSTableCellSizing::initWithSpecifierMessage>(fresh, item);
}

UIImageView* iconOf(PSTableCell* cell) {
  return objc_cast<UIImageView>(cell->subviewList().at(cell->subviewList().size() - 2).get());
}
UILabel* titleOf(PSTableCell* cell) { return objc_cast<UILabel>(cell->subviewList().back().get()); }

// Moves the bundle's icon (120 by 120) away and puts the small one (58 by 58)
// under /var/jb, or both, for one test.
class HeaderIcon : public testing::Test {
 protected:
  void SetUp() override {
    bundle();
    plain_ = foundation::devicePath(kIcon);
    jailbreak_ = foundation::devicePath(kJailbreakIcon);
    fs::copy_file(plain_, plain_ + ".kept", fs::copy_options::overwrite_existing);
  }
  void TearDown() override {
    fs::rename(plain_ + ".kept", plain_);
    fs::remove_all(foundation::devicePath("/var/jb"));
  }
  void smallIconUnderJailbreak() {
    fs::create_directories(fs::path(jailbreak_).parent_path());
    fs::copy_file(foundation::devicePath("/Library/PreferenceBundles/CorvalloPrefs.bundle/icon@2x.png"), jailbreak_,
                  fs::copy_options::overwrite_existing);
  }
  std::string plain_, jailbreak_;
};

}  // namespace

TEST_F(HeaderIcon, ThePlainPathWinsAndVarJbIsTheFallback) {
  smallIconUnderJailbreak();
  auto both = headerCell(kNoRow);
  ASSERT_TRUE(iconOf(both)->image());
  EXPECT_EQ(iconOf(both)->image()->size(), CGSizeMake(120, 120)) << "the /var/jb copy is not read";

  fs::remove(plain_);
  auto fallback = headerCell(kNoRow);
  ASSERT_TRUE(iconOf(fallback)->image());
  EXPECT_EQ(iconOf(fallback)->image()->filePath(), kJailbreakIcon);
  EXPECT_EQ(iconOf(fallback)->image()->size(), CGSizeMake(58, 58));

  std::ofstream(jailbreak_) << "not a PNG";
  auto unreadable = headerCell(kNoRow);
  EXPECT_FALSE(iconOf(unreadable)->image());
  EXPECT_EQ(titleOf(unreadable)->text()->utf8(), "Corvallo") << "the title shows without an icon";

  fs::remove_all(foundation::devicePath("/var/jb"));
  auto none = headerCell(kNoRow);
  EXPECT_FALSE(iconOf(none)->image());
  EXPECT_EQ(iconOf(none)->frame(), CGRectMake(131, -20, 58, 58));
}

TEST(HeaderCell, ItsViewsSitOnTheCellAndResizeOnlyByTheirMasks) {
  auto item = PSSpecifier::emptyGroupSpecifier();
  auto green = UIColor::colorWithRedGreenBlueAlpha(0.1, 0.76, 0.27, 1);
  item->setPropertyForKey(green, "tintColor");
  auto cell = headerCell(item);
  ASSERT_TRUE(cell);
  EXPECT_EQ(cell->reuseIdentifier()->utf8(), "Banner");
  EXPECT_EQ(cell->frame(), CGRectMake(0, 0, 320, 320));
  UILabel* title = titleOf(cell);
  EXPECT_EQ(title->frame(), CGRectMake(0, 18, 290, 320));
  EXPECT_EQ(title->textColor().get(), green.get());
  EXPECT_EQ(title->font()->pointSize(), 32);
  EXPECT_EQ(title->textAlignment(), NSTextAlignmentCenter);
  EXPECT_EQ(title->autoresizingMask(), 18u);
  EXPECT_EQ(iconOf(cell)->frame(), CGRectMake(131, -20, 58, 58));
  EXPECT_EQ(iconOf(cell)->autoresizingMask(), 0u);

  // What a table 375 points wide does with it.
  cell->setFrame(CGRectMake(0, 0, 375, 90));
  cell->layoutSubviews();
  EXPECT_EQ(title->frame(), CGRectMake(0, 18, 345, 90));
  EXPECT_EQ(iconOf(cell)->frame(), CGRectMake(131, -20, 58, 58));
  for (double width : {0.0, 375.0, 1e6})
    EXPECT_EQ(objc::send<PSTableCellSizing::preferredHeightForWidthMessage>(cell, width), 90.0);

  auto plain = headerCell(PSSpecifier::emptyGroupSpecifier());
  EXPECT_EQ(titleOf(plain)->textColor()->hexString(), UIColor::labelColor()->hexString());
}

namespace {

class Slider : public testing::Test {
 protected:
  void SetUp() override {
    bundle();
    clearDomain();
    writeList("Slider", group() +
                            row("PSSliderCell", "Whole", "whole", "",
                                "<key>cellClass</key><string>CVLOIntegerSliderCellController</string>"
                                "<key>min</key><real>-10</real><key>max</key><real>10</real>") +
                            row("PSSliderCell", "Keyless", "", "",
                                "<key>cellClass</key><string>CVLOIntegerSliderCellController</string>"
                                "<key>id</key><string>keyless</string>"));
    page_ = basePage("Slider");
    page_->table()->reloadData();
  }
  PSTableCell* cell(const char* key = "whole") {
    return objc_cast<PSTableCell>(rowWithKey(page_, key)->findProperty(PSTableCellKey));
  }
  UISlider* slider(PSTableCell* c) { return objc_cast<UISlider>(c->accessoryView().get()); }
  double stored() {
    auto d = NSUserDefaults::standardUserDefaults()->persistentDomainForName(NSString::make(kDomain));
    auto* n = d ? objc_cast<NSNumber>(d->find("whole")) : nullptr;
    return n ? n->doubleValue() : NAN;
  }
  double drag(float to) {
    UISlider* s = slider(cell());
    s->setValue(to);
    s->sendActionsForControlEvents(UIControlEventValueChanged);
    drainQueues();
    EXPECT_EQ(s->value(), static_cast<float>(stored())) << "the slider shows what was stored";
    return stored();
  }
  Ref<PSListController> page_;
};

}  // namespace

TEST_F(Slider, AMovedSliderSnapsToTheNearestWholeNumberHalvesAwayFromZero) {
  ASSERT_STREQ(class_getName(cell()->isa()), "CVLOIntegerSliderCellController");
  EXPECT_EQ(drag(4.5f), 5);
  EXPECT_EQ(drag(4.49f), 4);
  EXPECT_EQ(drag(-0.5f), -1);
  EXPECT_EQ(drag(-2.5f), -3);
  EXPECT_EQ(drag(2.49f), 2);
}

TEST_F(Slider, AShownValueIsRoundedWhileTheStoredOneStays) {
  store("whole", NSNumber::numberWithDouble(3.7));
  page_->reloadSpecifier(rowWithKey(page_, "whole"));
  EXPECT_EQ(static_cast<NSNumber*>(cell()->value().get())->floatValue(), 4.0f);
  EXPECT_EQ(slider(cell())->value(), 4.0f);
  EXPECT_EQ(stored(), 3.7);

  cell()->setValue(nullptr);
  EXPECT_EQ(static_cast<NSNumber*>(cell()->value().get())->floatValue(), 0.0f) << "nothing counts as 0";
  EXPECT_EQ(slider(cell())->value(), 0.0f);

  PSTableCell* keyless = objc_cast<PSTableCell>(page_->specifierForID("keyless"_ns)->findProperty(PSTableCellKey));
  ASSERT_TRUE(keyless);
  slider(keyless)->setValue(0.6f);
  slider(keyless)->sendActionsForControlEvents(UIControlEventValueChanged);  // stores nothing, logs a line
  drainQueues();
  EXPECT_EQ(slider(keyless)->value(), 1.0f);
}

// Rounded through a 64-bit integer that saturates: what the slider shows for
// values past its range or not a number stays defined.
TEST_F(Slider, NotANumberShowsAsZeroAndHugeValuesStopAtTheIntegerLimits) {
  auto shown = [&](double v) {
    cell()->setValue(NSNumber::numberWithDouble(v));
    return static_cast<NSNumber*>(cell()->value().get())->floatValue();
  };
  EXPECT_EQ(shown(NAN), 0.0f);
  EXPECT_EQ(shown(1e20), static_cast<float>(INT64_MAX));
  EXPECT_EQ(shown(-1e20), static_cast<float>(INT64_MIN));
  EXPECT_EQ(shown(-2.5), -3.0f) << "ordinary values still round";
}

namespace {

constexpr const char* kExamples = "/Library/PreferenceBundles/CorvalloExamples.bundle";

void installExamples() {
  bundle();
  // Installed once per process: writing over the file of a loaded library
  // (as a second run would) truncates it, which drops this process's
  // relocated pages of it, and its classes' methods point nowhere.
  fs::copy(EXAMPLES_BUNDLE_DIR, foundation::devicePath(kExamples),
           fs::copy_options::recursive | fs::copy_options::skip_existing);
}

}  // namespace

TEST(ExamplesBundle, ItsPageShowsTheBannerAndAWholeNumberSliderOfItsOwnDomain) {
  installExamples();
  auto examples = NSBundle::bundleWithPath(NSString::make(kExamples));
  ASSERT_TRUE(examples && examples->load());
  Class cls = examples->principalClass();
  ASSERT_STREQ(class_getName(cls), "CVLOExamplesListController");
  auto page = ref_cast<PSListController>(objc::send<NSObject::initMessage>(objc::send<NSObject::allocMessage>(cls)));
  page->table()->reloadData();
  EXPECT_EQ(page->title()->utf8(), "Corvallo Examples");

  Ref<PSSpecifier> banner = page->specifierForID("banner"_ns);
  ASSERT_TRUE(banner);
  auto* header = objc_cast<PSTableCell>(banner->findProperty(PSTableCellKey));
  ASSERT_TRUE(header);
  EXPECT_STREQ(class_getName(header->isa()), "CVLOHeaderCell");
  auto path = page->indexPathForSpecifier(banner);
  EXPECT_EQ(page->table()->rectForRowAtIndexPath(path).size.height, 90) << "the cell's own height";
  EXPECT_EQ(header->frame().size, CGSizeMake(kScreenWidth, 90));
  EXPECT_EQ(titleOf(header)->frame(), CGRectMake(0, 18, kScreenWidth - 30, 90));
  EXPECT_EQ(titleOf(header)->textColor()->hexString(), "#19C246") << "the page's theme colour";

  Ref<PSSpecifier> whole = page->specifierForID("wholeNumber"_ns);
  ASSERT_TRUE(whole);
  EXPECT_EQ(objc_cast<NSString>(whole->findProperty(PSDefaultsKey))->utf8(), "com.tenvarix.corvalloexamples");
  auto* slider = objc_cast<PSTableCell>(whole->findProperty(PSTableCellKey));
  ASSERT_TRUE(slider);
  EXPECT_STREQ(class_getName(slider->isa()), "CVLOIntegerSliderCellController");
}

// A loaded bundle's code stays for the life of the process, as on the device:
// its classes stay registered, so their methods must stay mapped.
TEST(ExamplesBundle, ItsClassesStillAnswerAfterEveryReferenceToTheBundleIsLetGo) {
  installExamples();
  std::string library;
  {
    auto examples = NSBundle::bundleWithPath(NSString::make(kExamples));
    ASSERT_TRUE(examples && examples->load());
    ASSERT_TRUE(examples->principalClass());
    library = foundation::devicePath(std::string(kExamples) + "/CorvalloExamples");
  }
  void* stillLoaded = dlopen(library.c_str(), RTLD_NOW | RTLD_NOLOAD);
  EXPECT_TRUE(stillLoaded) << library;
  if (stillLoaded) dlclose(stillLoaded);

  auto again = NSBundle::bundleWithPath(NSString::make(kExamples));
  ASSERT_TRUE(again);
  EXPECT_TRUE(again->isLoaded());
  Class cls = again->principalClass();
  ASSERT_TRUE(cls);
  auto page = ref_cast<PSListController>(objc::send<NSObject::initMessage>(objc::send<NSObject::allocMessage>(cls)));
  Ref<NSArray> rows = page->specifiers();
  ASSERT_TRUE(rows);
  EXPECT_GT(rows->count(), 0u);
}
