// The colour row cell on a page: what it shows for the stored colour and
// what picking a colour stores.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>

#include "colorcell/LCPColorCell.h"
#include "foundation/DevicePaths.h"
#include "foundation/Log.h"
#include "foundation/NSNumber.h"
#include "foundation/NSUserDefaults.h"
#include "preferences/PSListController.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kDomain = "com.tenvarix.colorcelltest";

void useTemporaryDeviceRoot() {
  static const bool once = [] {
    std::string base = (fs::temp_directory_path() / "cvcolorcell-XXXXXX").string();
    if (!::mkdtemp(base.data())) throw std::runtime_error("mkdtemp failed");
    foundation::setDeviceRootOverride(base);
    std::atexit([] {
      std::error_code ec;
      fs::remove_all(foundation::deviceRoot(), ec);
    });
    return true;
  }();
  (void)once;
}

class ColorCell : public testing::Test {
 protected:
  void SetUp() override {
    useTemporaryDeviceRoot();
    Ref<NSString> domain = NSString::make(kDomain);
    NSUserDefaults::standardUserDefaults()->removePersistentDomainForName(domain);
    page_ = PSListController::make();
    row_ = PSSpecifier::preferenceSpecifierNamedTargetSetGetDetailCellEdit(
        "Tint"_ns, page_, PSListController::setPreferenceValueSpecifierMessage::sel(),
        PSListController::readPreferenceValueMessage::sel(), nullptr, PSLinkCell, nullptr);
    row_->setPropertyForKey("tint"_ns, PSKeyNameKey);
    row_->setPropertyForKey(NSString::make(kDomain), PSDefaultsKey);
    row_->setPropertyForKey("#0000FF"_ns, PSDefaultValueKey);
    row_->setPropertyForKey("LCPColorCell"_ns, PSCellClassKey);
    page_->_specifiers = NSMutableArray::array();
    page_->_specifiers->addObject(row_);
  }
  // The cell the page makes for the row, showing the stored value.
  Ref<LCPColorCell> cell() {
    Ref<UITableViewCell> c =
        page_->tableViewCellForRowAtIndexPath(page_->table(), NSIndexPath::indexPathForRowInSection(0, 0));
    return Ref<LCPColorCell>(objc_cast<LCPColorCell>(c.get()));
  }
  Ref<NSObject> stored() {
    Ref<NSString> domain = NSString::make(kDomain);
    Ref<NSDictionary> d = NSUserDefaults::standardUserDefaults()->persistentDomainForName(domain);
    return d ? d->objectForKey("tint") : nullptr;
  }
  static RGBA swatchOf(LCPColorCell* c) { return c->swatch()->backgroundColor()->rgba(); }

  Ref<PSListController> page_;
  Ref<PSSpecifier> row_;
};

}  // namespace

TEST_F(ColorCell, ShowsTheStoredColourElseTheRowsDefault) {
  Ref<LCPColorCell> c = cell();
  ASSERT_TRUE(c);
  EXPECT_EQ(c->style(), UITableViewCellStyleValue1);
  EXPECT_EQ(c->accessoryView().get(), static_cast<UIView*>(c->swatch().get()));
  EXPECT_EQ(swatchOf(c), (RGBA{0, 0, 1, 1}));
  EXPECT_EQ(c->detailTextLabel()->text()->utf8(), "#0000FF");

  c->setValue("not a colour"_ns);
  EXPECT_EQ(swatchOf(c), (RGBA{0, 0, 1, 1}));
  row_->setPropertyForKey("nor this"_ns, PSDefaultValueKey);
  c->setValue("not a colour"_ns);
  EXPECT_EQ(swatchOf(c), (RGBA{1, 1, 1, 1}));
}

TEST_F(ColorCell, PickingStoresOpaqueUnlessTheRowAllowsOpacity) {
  Ref<LCPColorCell> c = cell();
  ASSERT_TRUE(c);
  EXPECT_TRUE(c->pickColorString("#FF0000:0.5"_ns));
  auto* text = objc_cast<NSString>(stored().get());
  ASSERT_TRUE(text);
  EXPECT_EQ(text->utf8(), "#FF0000");
  EXPECT_EQ(swatchOf(c), (RGBA{1, 0, 0, 1}));

  row_->setPropertyForKey(NSNumberYES(), "supportsAlpha");
  EXPECT_TRUE(c->pickColorString("#00FF00:0.25"_ns));
  text = objc_cast<NSString>(stored().get());
  ASSERT_TRUE(text);
  EXPECT_EQ(text->utf8(), "#00FF00:0.25");
  EXPECT_EQ(swatchOf(c), (RGBA{0, 1, 0, 0.25}));
}

TEST_F(ColorCell, ATextThatIsNotAColourIsRefusedAndNothingStored) {
  Ref<LCPColorCell> c = cell();
  ASSERT_TRUE(c);
  foundation::LogCapture logs;
  EXPECT_FALSE(c->pickColorString("#12345"_ns));
  EXPECT_FALSE(c->pickColorString(nullptr));
  EXPECT_FALSE(stored());
  EXPECT_EQ(logs.nslogMessages().size(), 2u);
  EXPECT_EQ(swatchOf(c), (RGBA{0, 0, 1, 1}));
}
