// The platform's standard rows on a plain page list: segments, text fields,
// segmented sliders, lists of choices, buttons, rows for iPads only, and the
// texts they show translated through the bundle's tables.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdlib.h>

#include <fstream>

#include "dispatch/main_loop.h"
#include "fixture.h"
#include "foundation/DevicePaths.h"
#include "foundation/Log.h"
#include "foundation/NSNumber.h"
#include "notify/CFNotificationCenter.h"
#include "notify/notify.h"
#include "preferences/PSControlCells.h"
#include "preferences/PSListItemsController.h"
#include "uikit/UIControls.h"
#include "uikit/UINavigationController.h"
#include "uikit/UITextField.h"

using namespace preferences_test;
using testing::HasSubstr;

namespace {

int posts = 0;
void countPost(CFNotificationCenterRef, void*, CFNotificationName, const void*, CFDictionaryRef) { ++posts; }

class StandardRows : public testing::Test {
 protected:
  void SetUp() override { clearDomain(); }

  Ref<FixturePage> page(const std::string& name, const std::string& itemsXml) {
    return preferences_test::loadedPage(name, itemsXml);
  }
  template <class Cell>
  Ref<Cell> cell(PSListController* p, long section, long row) {
    Ref<UITableViewCell> c = p->tableViewCellForRowAtIndexPath(p->table(), at(section, row));
    auto* typed = objc_cast<Cell>(c.get());
    if (!typed) ADD_FAILURE() << "a " << class_getName(c->isa());
    return Ref<Cell>(typed);
  }
};

const std::string kChoices =
    "<key>validValues</key><array><integer>0</integer><integer>1</integer><integer>2</integer></array>"
    "<key>validTitles</key><array><string>LOW</string><string>Mid</string><string>High</string></array>";

}  // namespace

TEST_F(StandardRows, ASegmentShowsItsTitlesAndStoresTheChosenValueThenPosts) {
  setenv("CORVALLO_DEVICE_ROOT", deviceRoot().c_str(), 1);  // where posts go
  writeStrings("Segments", "<key>LOW</key><string>Low</string>");
  // A name of this run's own: an observer of a name is registered once per process.
  static int run = 0;
  std::string note = "com.tenvarix.segment" + std::to_string(++run);
  auto p = page("Segments", row("PSSegmentCell", "Level", "level",
                                kChoices + "<key>default</key><integer>1</integer>"
                                           "<key>PostNotification</key><string>" + note + "</string>"));
  auto c = cell<PSSegmentTableCell>(p, 0, 0);
  auto* segments = objc_cast<UISegmentedControl>(c->accessoryView().get());
  ASSERT_TRUE(segments);
  ASSERT_EQ(segments->numberOfSegments(), 3);
  EXPECT_EQ(segments->titleForSegmentAtIndex(0)->utf8(), "Low");  // translated
  EXPECT_EQ(segments->selectedSegmentIndex(), 1);                 // the default
  EXPECT_FALSE(c->detailTextLabel()->text());

  CFNotificationCenterRef center = CFNotificationCenterGetDarwinNotifyCenter();
  posts = 0;
  CFNotificationCenterAddObserver(center, &posts, &countPost, note.c_str(), nullptr,
                                  CFNotificationSuspensionBehaviorDeliverImmediately);
  segments->setSelectedSegmentIndex(2);
  segments->sendActionsForControlEvents(UIControlEventValueChanged);
  EXPECT_TRUE(dispatch::runMainUntil([] { return posts == 1; }, std::chrono::seconds(30)));
  CFNotificationCenterRemoveEveryObserver(center, &posts);
  auto* n = objc_cast<NSNumber>(stored("level").get());
  ASSERT_TRUE(n);
  EXPECT_EQ(n->integerValue(), 2);
  // A stored value no segment has selects none.
  p->setPreferenceValueSpecifier(NSNumber::numberWithInt(7), p->specifierAtIndexPath(at(0, 0)));
  p->reloadSpecifier(p->specifierAtIndexPath(at(0, 0)));
  EXPECT_EQ(segments->selectedSegmentIndex(), -1);
}

TEST_F(StandardRows, TextFieldsStoreWhatStandsWhenEditingEnds) {
  auto p = page("Fields",
                row("PSEditTextCell", "Name", "name",
                    "<key>placeholder</key><string>Your name</string><key>noAutoCorrect</key><true/>") +
                    row("PSSecureEditTextCell", "Password", "password", "<key>isNumeric</key><true/>") +
                    row("PSEditTextCell", "Site", "site", "<key>isURL</key><true/><key>default</key><string>x.org</string>") +
                    row("PSEditTextCell", "Address", "ip", "<key>isIP</key><true/><key>enabled</key><false/>"));
  auto name = cell<PSEditableTableCell>(p, 0, 0);
  auto* field = objc_cast<UITextField>(name->accessoryView().get());
  ASSERT_TRUE(field);
  EXPECT_EQ(field->placeholder()->utf8(), "Your name");
  EXPECT_EQ(field->autocorrectionType(), UITextAutocorrectionTypeNo);
  EXPECT_FALSE(field->secureTextEntry());
  EXPECT_FALSE(field->text());
  field->setText("Ann"_ns);
  field->sendActionsForControlEvents(UIControlEventEditingChanged);
  EXPECT_FALSE(stored("name")) << "a keystroke is not a stored value";
  field->_typeText("Ada"_ns);
  EXPECT_EQ(static_cast<NSString*>(stored("name").get())->utf8(), "Ada");
  EXPECT_FALSE(name->detailTextLabel()->text()) << "the field shows the value, not the detail label";

  auto* secret = objc_cast<UITextField>(cell<PSEditableTableCell>(p, 0, 1)->accessoryView().get());
  EXPECT_TRUE(secret->secureTextEntry());
  EXPECT_EQ(secret->keyboardType(), UIKeyboardTypeNumberPad);
  auto* site = objc_cast<UITextField>(cell<PSEditableTableCell>(p, 0, 2)->accessoryView().get());
  EXPECT_EQ(site->keyboardType(), UIKeyboardTypeURL);
  EXPECT_EQ(site->text()->utf8(), "x.org");
  auto address = cell<PSEditableTableCell>(p, 0, 3);
  EXPECT_EQ(objc_cast<UITextField>(address->accessoryView().get())->keyboardType(), UIKeyboardTypeDecimalPad);
  EXPECT_FALSE(address->cellEnabled());
}

TEST_F(StandardRows, ASegmentedSliderStopsOnlyAtItsMarks) {
  auto p = page("Sliders", row("PSSliderCell", "Steps", "steps",
                               "<key>min</key><real>0</real><key>max</key><real>10</real>"
                               "<key>isSegmented</key><true/><key>segmentCount</key><integer>4</integer>") +
                               row("PSSliderCell", "Free", "free", "<key>max</key><real>10</real>"));
  auto* steps = objc_cast<UISlider>(cell<PSSliderTableCell>(p, 0, 0)->accessoryView().get());
  steps->setValue(3.6f);
  steps->sendActionsForControlEvents(UIControlEventValueChanged);
  EXPECT_FLOAT_EQ(steps->value(), 2.5f);
  EXPECT_FLOAT_EQ(static_cast<NSNumber*>(stored("steps").get())->floatValue(), 2.5f);
  auto* free = objc_cast<UISlider>(cell<PSSliderTableCell>(p, 0, 1)->accessoryView().get());
  free->setValue(3.6f);
  free->sendActionsForControlEvents(UIControlEventValueChanged);
  EXPECT_FLOAT_EQ(static_cast<NSNumber*>(stored("free").get())->floatValue(), 3.6f);
}

TEST_F(StandardRows, AListOfChoicesChecksTheStoredValueAndChoosingStoresItAndGoesBack) {
  writeStrings("Choices", "<key>LOW</key><string>Low</string>");
  auto p = page("Choices", row("PSLinkListCell", "Level", "level", kChoices + "<key>default</key><integer>2</integer>"));
  auto nav = UINavigationController::make(p);
  auto listCell = cell<PSTableCell>(p, 0, 0);
  EXPECT_EQ(listCell->detailTextLabel()->text()->utf8(), "High");
  p->tableViewDidSelectRowAtIndexPath(p->table(), at(0, 0));
  auto* items = objc_cast<PSListItemsController>(nav->topViewController().get());
  ASSERT_TRUE(items);
  items->table()->reloadData();
  std::vector<std::string> shown;
  std::vector<bool> checked;
  for (long r = 0; r < 3; ++r) {
    Ref<UITableViewCell> c = items->tableViewCellForRowAtIndexPath(items->table(), at(0, r));
    shown.push_back(c->textLabel()->text()->utf8());
    checked.push_back(c->accessoryType() == UITableViewCellAccessoryCheckmark);
  }
  EXPECT_THAT(shown, testing::ElementsAre("Low", "Mid", "High"));
  EXPECT_THAT(checked, testing::ElementsAre(false, false, true));
  items->tableViewDidSelectRowAtIndexPath(items->table(), at(0, 0));
  EXPECT_EQ(static_cast<NSNumber*>(stored("level").get())->integerValue(), 0);
  EXPECT_EQ(nav->topViewController().get(), p.get());
  EXPECT_EQ(listCell->detailTextLabel()->text()->utf8(), "Low");
}

TEST_F(StandardRows, ButtonsIPadRowsAndGiantCells) {
  auto p = page("Misc", row("PSButtonCell", "Go", "", "<key>action</key><string>noSuchAction</string>"
                                                       "<key>alignment</key><integer>1</integer>") +
                            row("PSSwitchCell", "iPad only", "pad",
                                "<key>requiredCapabilities</key><array><string>ipad</string></array>") +
                            row("PSSwitchCell", "Not on iPads", "phone",
                                "<key>requiredCapabilities</key><dict><key>ipad</key><false/></dict>") +
                            row("PSGiantCell", "Big") + row("PSTitleValueCell", "Version", "version",
                                                            "<key>default</key><string>1.2</string>"));
  ASSERT_EQ(p->table()->numberOfRowsInSection(0), 4);
  EXPECT_EQ(p->specifierAtIndexPath(at(0, 1))->name()->utf8(), "Not on iPads");
  auto go = cell<PSTableCell>(p, 0, 0);
  EXPECT_EQ(go->textLabel()->textColor()->hexString(), UIColor::systemBlueColor()->hexString());
  EXPECT_EQ(go->textLabel()->textAlignment(), NSTextAlignmentCenter);
  {
    foundation::LogCapture logs;
    p->tableViewDidSelectRowAtIndexPath(p->table(), at(0, 0));
    ASSERT_EQ(logs.nslogMessages().size(), 1u);
    EXPECT_THAT(logs.nslogMessages()[0], HasSubstr("noSuchAction"));
  }
  EXPECT_EQ(p->tableViewHeightForRowAtIndexPath(p->table(), at(0, 2)), 90.0);
  EXPECT_EQ(cell<PSTableCell>(p, 0, 3)->detailTextLabel()->text()->utf8(), "1.2");
}

TEST_F(StandardRows, TextsComeFromTheTableTheListNamesInTheOldTextForm) {
  std::ofstream(foundation::devicePath(std::string(kBundle) + "/en.lproj/Shared.strings"))
      << "/* the list names this table */\n\"TITLE\" = \"Named table\";\n\"FOOT\" = \"A \\\"quoted\\\" footer\";\n";
  writeStrings("Texts", "<key>TITLE</key><string>Own name's table</string>");
  std::ofstream(foundation::devicePath(std::string(kBundle) + "/Texts.plist"))
      << "<plist version=\"1.0\"><dict><key>stringsTable</key><string>Shared</string><key>items</key><array>"
      << row("PSGroupCell", "TITLE", "", "<key>footerText</key><string>FOOT</string>") << "</array></dict></plist>";
  auto p = FixturePage::make();
  Ref<NSMutableArray> rows = p->loadSpecifiersFromPlistNameTarget("Texts"_ns, p);
  ASSERT_EQ(rows->count(), 1u);
  auto* group = static_cast<PSSpecifier*>(rows->items()[0].get());
  EXPECT_EQ(group->name()->utf8(), "Named table");
  EXPECT_EQ(static_cast<NSString*>(group->findProperty(PSFooterTextGroupKey))->utf8(), "A \"quoted\" footer");
}

TEST(Languages, TheLocaleChoosesTheTableAsThePickersLocaleDoes) {
  struct Env {
    const char* name;
    std::string saved;
    bool had;
  };
  std::vector<Env> saved;
  for (const char* name : {"CORVALLO_LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* v = getenv(name);
    saved.push_back({name, v ? v : "", v != nullptr});
    unsetenv(name);
  }
  setenv("LANG", "fr_FR.UTF-8", 1);
  setenv("LC_ALL", "pt_BR.UTF-8", 1);
  EXPECT_THAT(NSBundle::preferredLanguages(), testing::ElementsAre("pt_BR", "pt", "en", "Base"));
  unsetenv("LC_ALL");
  setenv("LC_MESSAGES", "de_DE", 1);
  EXPECT_THAT(NSBundle::preferredLanguages(), testing::ElementsAre("de_DE", "de", "en", "Base"));
  setenv("CORVALLO_LANGUAGE", "es", 1);
  setenv("LC_MESSAGES", "C", 1);
  EXPECT_THAT(NSBundle::preferredLanguages(), testing::ElementsAre("es", "en", "Base"));
  for (const auto& e : saved)
    if (e.had)
      setenv(e.name, e.saved.c_str(), 1);
    else
      unsetenv(e.name);
}
