// The cells a page makes for its rows: which kind each row gets, and how a
// cell shows the row's value and hands a change back to the page.
#include <gtest/gtest.h>

#include "fixture.h"
#include "foundation/NSNumber.h"
#include "preferences/PSControlCells.h"
#include "preferences/PSListItemsController.h"
#include "uikit/UIControls.h"

using namespace preferences_test;

namespace {

// A cell class of a page list's own.
class FixtureCell : public PSTableCell {
  OBJC_CLASS(FixtureCell, PSTableCell)
};

class Cells : public testing::Test {
 protected:
  void SetUp() override { clearDomain(); }

  Ref<FixturePage> page(const std::string& name, const std::string& itemsXml) {
    return preferences_test::loadedPage(name, itemsXml);
  }
  Ref<PSTableCell> cell(PSListController* p, long section, long row) {
    Ref<UITableViewCell> c = p->tableViewCellForRowAtIndexPath(p->table(), at(section, row));
    return Ref<PSTableCell>(objc_cast<PSTableCell>(c.get()));
  }
};

}  // namespace

OBJC_IMPLEMENT(FixtureCell)

TEST_F(Cells, EachKindOfRowGetsItsCellAndStyle) {
  auto p = page("Kinds", row("PSSwitchCell", "Switch", "s") + row("PSSliderCell", "Slider", "v") +
                             row("PSLinkCell", "Link") + row("PSLinkListCell", "List", "l") +
                             row("PSTitleValueCell", "Value", "t") + row("PSEditTextCell", "Edit", "e") +
                             row("PSStaticTextCell", "Own", "", "<key>cellClass</key><string>FixtureCell</string>") +
                             row("PSSwitchCell", "NotACell", "n", "<key>cellClass</key><string>FixturePage</string>"));
  struct Expected {
    Class cls;
    long style;
    long accessory;
  };
  const Expected expected[] = {
      {PSSwitchTableCell::cls(), UITableViewCellStyleDefault, UITableViewCellAccessoryNone},
      {PSSliderTableCell::cls(), UITableViewCellStyleDefault, UITableViewCellAccessoryNone},
      {PSTableCell::cls(), UITableViewCellStyleDefault, UITableViewCellAccessoryDisclosureIndicator},
      {PSTableCell::cls(), UITableViewCellStyleValue1, UITableViewCellAccessoryDisclosureIndicator},
      {PSTableCell::cls(), UITableViewCellStyleValue1, UITableViewCellAccessoryNone},
      {PSEditableTableCell::cls(), UITableViewCellStyleValue1, UITableViewCellAccessoryNone},
      {FixtureCell::cls(), UITableViewCellStyleDefault, UITableViewCellAccessoryNone},
      {PSSwitchTableCell::cls(), UITableViewCellStyleDefault, UITableViewCellAccessoryNone},
  };
  for (long i = 0; i < 8; ++i) {
    Ref<PSTableCell> c = cell(p, 0, i);
    ASSERT_TRUE(c) << i;
    const Expected& e = expected[i];
    EXPECT_EQ(object_getClass(c.get()), e.cls) << i;
    EXPECT_EQ(c->style(), e.style) << i;
    EXPECT_EQ(c->accessoryType(), e.accessory) << i;
    Ref<PSSpecifier> s = p->specifierAtIndexPath(at(0, i));
    EXPECT_EQ(c->type(), s->cellType()) << i;
    EXPECT_EQ(c->specifier().get(), s.get()) << i;
    EXPECT_EQ(c->titleLabel()->text()->utf8(), s->name()->utf8()) << i;
  }
}

TEST_F(Cells, ARowKeepsItsCellAndTheCellShowsTheStoredValueEachTime) {
  auto p = page("Kept", row("PSSwitchCell", "Switch", "on", "<key>default</key><true/>"));
  Ref<PSTableCell> first = cell(p, 0, 0);
  auto* sw = objc_cast<UISwitch>(objc::send<PSControlTableCell::controlMessage>(first).get());
  ASSERT_TRUE(sw);
  EXPECT_TRUE(sw->isOn());
  Ref<PSSpecifier> s = p->specifierAtIndexPath(at(0, 0));
  p->setPreferenceValueSpecifier(NSNumberNO(), s);
  Ref<PSTableCell> again = cell(p, 0, 0);
  EXPECT_EQ(again.get(), first.get());
  EXPECT_FALSE(sw->isOn());
}

TEST_F(Cells, ControlsStoreTheirChangeThroughThePage) {
  auto p = page("Controls", row("PSSwitchCell", "Switch", "on") +
                                row("PSSliderCell", "Slider", "level",
                                    "<key>min</key><real>10</real><key>max</key><real>20</real>"
                                    "<key>showValue</key><true/><key>PostNotification</key><string></string>"));
  Ref<PSTableCell> switchCell = cell(p, 0, 0);
  auto* sw = objc_cast<UISwitch>(objc::send<PSControlTableCell::controlMessage>(switchCell).get());
  ASSERT_TRUE(sw);
  sw->setOn(true);
  sw->sendActionsForControlEvents(UIControlEventValueChanged);
  auto on = stored("on");
  ASSERT_TRUE(objc_cast<NSNumber>(on.get()));
  EXPECT_TRUE(static_cast<NSNumber*>(on.get())->boolValue());
  EXPECT_EQ(switchCell->value().get(), on.get());

  Ref<PSTableCell> sliderCell = cell(p, 0, 1);
  auto* slider = objc_cast<UISlider>(objc::send<PSControlTableCell::controlMessage>(sliderCell).get());
  ASSERT_TRUE(slider);
  EXPECT_EQ(slider->minimumValue(), 10.0f);
  EXPECT_EQ(slider->maximumValue(), 20.0f);
  slider->setValue(12.5f);
  slider->sendActionsForControlEvents(UIControlEventValueChanged);
  auto level = stored("level");
  ASSERT_TRUE(objc_cast<NSNumber>(level.get()));
  EXPECT_EQ(static_cast<NSNumber*>(level.get())->floatValue(), 12.5f);
  EXPECT_EQ(sliderCell->detailTextLabel()->text()->utf8(), "12.50");
}

TEST_F(Cells, DisabledRowsShowDisabledAndIgnoreTaps) {
  auto p = page("Disabled", row("PSButtonCell", "Off", "",
                                "<key>enabled</key><false/><key>action</key><string>"
                                "reloadSpecifiers</string>") +
                                row("PSButtonCell", "On", "", "<key>action</key><string>reloadSpecifiers</string>"));
  EXPECT_FALSE(cell(p, 0, 0)->cellEnabled());
  EXPECT_TRUE(cell(p, 0, 1)->cellEnabled());
  Ref<NSMutableArray> before = p->_specifiers;
  p->nextRows = NSMutableArray::array();
  p->tableViewDidSelectRowAtIndexPath(p->table(), at(0, 0));
  EXPECT_EQ(p->_specifiers.get(), before.get());
  p->tableViewDidSelectRowAtIndexPath(p->table(), at(0, 1));  // the action reloads the rows
  EXPECT_NE(p->_specifiers.get(), before.get());
}

TEST_F(Cells, AListRowShowsTheTitleOfItsValueAndItsChoicesPageStoresAnother) {
  auto p = page("Lists", row("PSLinkListCell", "Mode", "mode",
                             "<key>default</key><integer>1</integer>"
                             "<key>validValues</key><array><integer>0</integer><integer>1</integer></array>"
                             "<key>validTitles</key><array><string>Off</string><string>On</string></array>"));
  Ref<PSTableCell> listCell = cell(p, 0, 0);
  EXPECT_EQ(listCell->detailTextLabel()->text()->utf8(), "On");

  auto choices = PSListItemsController::make();
  choices->setSpecifier(p->specifierAtIndexPath(at(0, 0)));
  EXPECT_EQ(choices->title()->utf8(), "Mode");
  ASSERT_EQ(choices->numberOfSectionsInTableView(choices->table()), 1);
  ASSERT_EQ(choices->tableViewNumberOfRowsInSection(choices->table(), 0), 2);
  auto checks = [&] {
    std::string out;
    for (long i = 0; i < 2; ++i)
      out += choices->tableViewCellForRowAtIndexPath(choices->table(), at(0, i))->accessoryType() ==
                     UITableViewCellAccessoryCheckmark
                 ? "x"
                 : ".";
    return out;
  };
  EXPECT_EQ(checks(), ".x");
  choices->tableViewDidSelectRowAtIndexPath(choices->table(), at(0, 0));
  auto mode = stored("mode");
  ASSERT_TRUE(objc_cast<NSNumber>(mode.get()));
  EXPECT_EQ(static_cast<NSNumber*>(mode.get())->integerValue(), 0);
  EXPECT_EQ(checks(), "x.");
  EXPECT_EQ(listCell->detailTextLabel()->text()->utf8(), "Off");  // the page's row shows the choice
}
