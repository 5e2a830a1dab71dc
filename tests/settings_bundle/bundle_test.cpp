// The bundle's pages and cells, loaded from the bundle as the host loads them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>

#include "dispatch/main_loop.h"
#include "foundation/Log.h"
#include "foundation/NSException.h"
#include "foundation/NSNumber.h"
#include "notify/CFNotificationCenter.h"
#include "support.h"
#include "uikit/UIAlertController.h"
#include "uikit/UIControls.h"
#include "uikit/UIWindow.h"

using namespace prefs_test;
using testing::ElementsAre;

namespace {

RGBA hex(const char* text) { return UIColor_RGBHex::colorFromHexString(text ? NSString::make(text) : nullptr)->rgba(); }

class BundlePage : public testing::Test {
 protected:
  void SetUp() override {
    bundle();
    clearDomain();
  }
};

}  // namespace

TEST(RGBHex, ReadsBothFormsAndLogsEachStep) {
  bundle();
  foundation::LogCapture logs;
  RGBA theme{25 / 255.0, 194 / 255.0, 70 / 255.0, 1};
  EXPECT_EQ(hex("#19c246"), theme);
  EXPECT_EQ(hex("0x19c246"), theme);
  EXPECT_THAT(logs.nslogMessages(),
              ElementsAre("[DEBUG] rgbHexStringValue: #19c246", "[DEBUG] is in format #AAAAAA",
                          "[DEBUG] plainRGBHexStringValue: 19c246", "[DEBUG] rgbHexStringValue: 0x19c246",
                          "[DEBUG] is in format 0xAAAAAA", "[DEBUG] plainRGBHexStringValue: 19c246"));
  logs.clear();
  RGBA black{0, 0, 0, 1}, white{1, 1, 1, 1};
  EXPECT_EQ(hex("19c246"), black);
  EXPECT_EQ(hex("0X19c246"), black);
  EXPECT_EQ(hex(nullptr), black);
  EXPECT_THAT(logs.nslogMessages(),
              ElementsAre("[DEBUG] rgbHexStringValue: 19c246", "[DEBUG] rgbHexStringValue: 0X19c246",
                          "[DEBUG] rgbHexStringValue: (null)"));
  EXPECT_EQ(hex("#FFFFFF:0.45"), white);
  EXPECT_EQ(hex("#fff"), (RGBA{0, 15 / 255.0, 1, 1}));
  EXPECT_EQ(hex("#19c246ff"), (RGBA{0xc2 / 255.0, 0x46 / 255.0, 1, 1}));
  EXPECT_EQ(hex("#FFFFFFFFF"), white);
  EXPECT_EQ(hex("# 19c246"), theme);
  EXPECT_EQ(hex("#0x19c246"), theme);
  EXPECT_EQ(hex("#12#34"), (RGBA{0, 0x12 / 255.0, 0x34 / 255.0, 1}));
  auto fromInt = [](long v) { return UIColor_RGBHex::colorFromHex(v)->rgba(); };
  EXPECT_EQ(fromInt(0x19c246), theme);
  EXPECT_EQ(fromInt(-1), white);
}

TEST_F(BundlePage, TextArrayAndAbsentValuesIgnoreTheComparator) {
  writeList("OtherRules",
            row("PSEditTextCell", "Mode", "mode") + row("PSStaticTextCell", "List", "list") +
                row("PSStaticTextCell", "Loose", "") +  // no defaults: reads as absent
                row("PSStaticTextCell", "notDark", "", "mode != dark") +
                row("PSStaticTextCell", "inList", "", "list == b") +
                row("PSStaticTextCell", "ghost", "", "missing == 1") +
                row("PSStaticTextCell", "both", "", "mode == dark, list == b") +
                "<dict><key>cell</key><string>PSSwitchCell</string><key>label</key><string>Free</string><key>key</key>"
                "<string>free</string><key>default</key><true/></dict>" +
                row("PSStaticTextCell", "free", "", "free == 0"));
  auto page = basePage("OtherRules");
  load(page);
  store("mode", NSString::make("dark"));
  store("list", NSArray::of({NSString::make("a"), NSString::make("b")}));
  EXPECT_FALSE(hides(page, "notDark"));
  EXPECT_FALSE(hides(page, "inList"));
  EXPECT_FALSE(hides(page, "ghost"));
  EXPECT_FALSE(hides(page, "both"));
  EXPECT_FALSE(hides(page, "free"));  // a row with default but no defaults reads as absent
  store("mode", NSString::make("light"));
  EXPECT_TRUE(hides(page, "notDark"));
  EXPECT_TRUE(hides(page, "both"));
  store("list", NSArray::of({NSNumber::numberWithInt(1)}));
  EXPECT_TRUE(hides(page, "inList"));
}

TEST_F(BundlePage, MalformedRuleRaisesWithTheExactReason) {
  writeList("BadRule",
            row("PSSwitchCell", "Switch", "isEnabled") + row("PSStaticTextCell", "Colour", "", "isEnabled 1"));
  auto page = basePage("BadRule");
  try {
    load(page);
    FAIL() << "the load completed";
  } catch (const NSException& e) {
    EXPECT_EQ(e.name(), NSInternalInconsistencyException);
    EXPECT_EQ(e.reason(),
              "depends key requires three components (Specifier Key, Comparator, Value To Compare To). You have 2 of 3 "
              "(isEnabled 1) for specifier 'Colour'.");
  }
  writeList("NoSpace", row("PSStaticTextCell", "Row", "", "a == 1,b == 1"));
  try {
    load(basePage("NoSpace"));
    FAIL() << "the load completed";
  } catch (const NSException& e) {
    EXPECT_THAT(e.reason(), testing::HasSubstr("You have 5 of 3 (a == 1,b == 1) for specifier 'Row'."));
  }
}

TEST_F(BundlePage, LoadStampsThemeColourDropsDevelopmentRowsAndMapsRules) {
  const std::string dev = "<key>developmentOnly</key><true/>";
  writeList("Stamped", row("PSSwitchCell", "A", "a") + row("PSStaticTextCell", "Dev1", "", "a == 1", dev) +
                           row("PSStaticTextCell", "Dev2", "", "", dev) +
                           row("PSStaticTextCell", "Twice", "", "a == 1, a != 0") +
                           row("PSStaticTextCell", "Kept", "", "", "<key>developmentOnly</key><false/>"));
  auto page = basePage("Stamped");
  Ref<NSArray> rows = load(page);
  ASSERT_EQ(rows->count(), 3u);
  auto theme = objc::send<Base::themeTintColorMessage>(page);
  for (const auto& r : rows->items())
    EXPECT_EQ(static_cast<PSSpecifier*>(r.get())->propertyForKey("tintColor").get(), theme.get());
  auto map = objc::send<Base::specifiersWithDependenciesMessage>(page);
  auto listed = ref_cast<NSArray>(map->objectForKey("a"));
  ASSERT_TRUE(listed);
  EXPECT_EQ(listed->count(), 3u);  // the dropped row's rule was collected too; Twice is listed twice
  EXPECT_TRUE(objc::send<Base::hasSpecifiersWithDependenciesMessage>(page));
  // Before the first load the page has no bundle and answers an empty path.
  auto empty = objc::send<Base::pathOfResourceWithNameTypeMessage>(basePage("x"), "Info"_ns, "plist"_ns);
  EXPECT_EQ(empty->utf8(), "");
}

namespace {
// The page's table laid out once; answers row heights, masks and separators.
struct Layout {
  Ref<PSListController> page;
  Ref<UITableView> table;
  explicit Layout(Ref<PSListController> p) : page(std::move(p)), table(page->table()) { table->reloadData(); }
  PSTableCell* cell(long s, long r) {
    auto item = page->specifierAtIndexPath(NSIndexPath::indexPathForRowInSection(r, s));
    return objc_cast<PSTableCell>(item->findProperty(PSTableCellKey));
  }
  double height(long s, long r) {
    return table->sectionLayout()[static_cast<std::size_t>(s)].rowHeights[static_cast<std::size_t>(r)];
  }
  unsigned long mask(long s, long r) {
    auto* c = cell(s, r);
    return c->layer()->cornerRadius() == 10.0 ? c->layer()->maskedCorners() : 0;
  }
  bool separators(long s, long r) {
    for (const auto& v : cell(s, r)->subviewList())
      if (objc_opt_isKindOfClass(v.get(), NSClassFromString("_UITableViewCellSeparatorView")) && v->isHidden())
        return false;
    return true;
  }
};
}  // namespace

TEST_F(BundlePage, PartlyHiddenSectionsRoundTheirOuterRows) {
  writeList("Geometry", row("PSSwitchCell", "Master", "m") + group("Three") + row("PSStaticTextCell", "First", "") +
                            row("PSStaticTextCell", "Middle", "", "m == 1") + row("PSStaticTextCell", "Last", "") +
                            group("Tail") + row("PSStaticTextCell", "T1", "", "m == 1") +
                            row("PSStaticTextCell", "T2", "", "m == 1") + row("PSStaticTextCell", "T3", "") +
                            group("Pair") + row("PSStaticTextCell", "P1", "") +
                            row("PSStaticTextCell", "P2", "", "m == 1"));
  store("m", NSNumberNO());
  Layout l(basePage("Geometry"));
  EXPECT_EQ(l.height(1, 1), 0.0);
  EXPECT_TRUE(l.cell(1, 1)->clipsToBounds());
  EXPECT_EQ(l.mask(1, 0), 3u);
  EXPECT_EQ(l.mask(1, 2), 12u);
  // Each measurement shows the section's separators again and hides only the
  // measured row's: after the last row, the first row's are back.
  auto measure = [&](long r) {
    l.page->tableViewHeightForRowAtIndexPath(l.table, NSIndexPath::indexPathForRowInSection(r, 1));
  };
  measure(0);
  EXPECT_FALSE(l.separators(1, 0));
  EXPECT_TRUE(l.separators(1, 2));
  measure(2);
  EXPECT_TRUE(l.separators(1, 0));
  EXPECT_FALSE(l.separators(1, 2));
  EXPECT_EQ(l.height(1, 0), 44.0);
  EXPECT_EQ(l.mask(2, 2), 15u);
  EXPECT_FALSE(l.separators(2, 2));
  EXPECT_EQ(l.mask(3, 0), 15u);
  EXPECT_EQ(l.mask(0, 0), 0u);  // nothing hidden: no rounding
  EXPECT_TRUE(l.separators(0, 0));

  // Shown again, the row stops clipping.
  store("m", NSNumberYES());
  l.table->reloadData();
  EXPECT_EQ(l.height(1, 1), 44.0);
  EXPECT_FALSE(l.cell(1, 1)->clipsToBounds());
  EXPECT_TRUE(l.separators(1, 1));
}

TEST_F(BundlePage, FullyHiddenSectionsShareSevenAndAHalfPoints) {
  writeList("Collapse", row("PSSwitchCell", "Master", "m") + group("A") + row("PSStaticTextCell", "A1", "", "m == 1") +
                            group("B") + row("PSStaticTextCell", "B1", "", "m == 1") +
                            row("PSStaticTextCell", "B2", "", "m == 1") + group("C") +
                            row("PSStaticTextCell", "C1", "", "m == 1") + group("Empty"));
  store("m", NSNumberNO());
  Layout l(basePage("Collapse"));
  const auto& secs = l.table->sectionLayout();
  ASSERT_EQ(secs.size(), 5u);
  for (std::size_t s = 1; s <= 3; ++s) {
    EXPECT_DOUBLE_EQ(secs[s].headerHeight, static_cast<double>(0.01f));
    EXPECT_DOUBLE_EQ(secs[s].footerHeight, static_cast<double>(7.5f / 3.0f));
    ASSERT_TRUE(secs[s].headerView);
    EXPECT_EQ(secs[s].headerView->backgroundColor()->rgba(), (RGBA{0, 0, 0, 0}));
    for (double h : secs[s].rowHeights) EXPECT_EQ(h, 0.0);
  }
  EXPECT_EQ(secs[4].headerHeight, 38.0);  // a section without rows is never hidden
  EXPECT_FALSE(secs[4].headerView);
  long headers = objc::send<Base::numberOfHiddenHeadersInTableViewMessage>(l.page, l.table);
  long footers = objc::send<Base::numberOfHiddenFootersInTableViewMessage>(l.page, l.table);
  EXPECT_EQ(headers, 3);
  EXPECT_EQ(footers, 3);
}

TEST_F(BundlePage, AWriteReloadsOnceAndOnlyForControllingKeys) {
  writeList("Binding", row("PSSwitchCell", "Master", "m", "",
                           "<key>PostNotification</key><string>com.tenvarix.prefstest/Changed</string>") +
                           row("PSSwitchCell", "Other", "o") +
                           row("PSStaticTextCell", "Dependent", "", "m == 1, m != 5"));
  Layout l(basePage("Binding"));
  drainQueues();
  unsigned long before = l.table->reloadCount();
  l.page->setPreferenceValueSpecifier(NSNumberYES(), rowWithKey(l.page, "o"));
  drainQueues();
  EXPECT_EQ(l.table->reloadCount(), before);
  auto stored = NSUserDefaults::standardUserDefaults()->persistentDomainForName(NSString::make(kDomain));
  EXPECT_TRUE(static_cast<NSNumber*>(stored->find("o"))->boolValue());

  // Not reloaded on the spot: the reload is always deferred to the main queue.
  l.page->setPreferenceValueSpecifier(NSNumberNO(), rowWithKey(l.page, "m"));
  EXPECT_EQ(l.table->reloadCount(), before);
  drainQueues();
  EXPECT_EQ(l.table->reloadCount(), before + 1);
  EXPECT_EQ(l.height(0, 2), 0.0);
}

namespace {
// What the sheets posted, counted by an observer that lives as long as the test.
struct Posted {
  std::atomic<int> resets{0}, resprings{0};
  std::atomic<int> order{0}, resetAt{0}, respringAt{0};
};
void observe(CFNotificationCenterRef, void* observer, CFNotificationName name, const void*, CFDictionaryRef) {
  auto* posted = static_cast<Posted*>(observer);
  if (std::string(name) == "com.tenvarix.corvallo/Reset") {
    ++posted->resets;
    posted->resetAt = ++posted->order;
  } else {
    ++posted->resprings;
    posted->respringAt = ++posted->order;
  }
}
}  // namespace

TEST_F(BundlePage, SheetsPostTheTweaksNotificationsOnlyWhenConfirmed) {
  Posted posted;
  auto center = CFNotificationCenterGetDarwinNotifyCenter();
  CFNotificationCenterAddObserver(center, &posted, observe, "com.tenvarix.corvallo/Reset", nullptr,
                                  CFNotificationSuspensionBehaviorDeliverImmediately);
  CFNotificationCenterAddObserver(center, &posted, observe, "com.tenvarix.corvallo/Respring", nullptr,
                                  CFNotificationSuspensionBehaviorDeliverImmediately);
  auto page = basePage("Root-Light");
  load(page);
  auto choose = [&](const char* action) {
    Ref<UIAlertController> sheet(objc_cast<UIAlertController>(page->presentedViewController().get()));
    ASSERT_TRUE(sheet);
    Ref<NSArray> actions = sheet->actions();
    for (const auto& a : actions->items())
      if (static_cast<UIAlertAction*>(a.get())->title()->utf8() == action) {
        sheet->chooseAction(static_cast<UIAlertAction*>(a.get()));
        return;
      }
    FAIL() << "no action " << action;
  };
  objc::send<Base::resetMessage>(page);
  auto* sheet = objc_cast<UIAlertController>(page->presentedViewController().get());
  ASSERT_TRUE(sheet);
  EXPECT_EQ(sheet->title()->utf8(), "Reset Settings");
  EXPECT_EQ(sheet->preferredStyle(), UIAlertControllerStyleActionSheet);
  EXPECT_EQ(static_cast<UIAlertAction*>(sheet->actions()->items()[0].get())->style(), UIAlertActionStyleCancel);
  choose("Cancel");
  drainQueues();
  EXPECT_EQ(posted.resets + posted.resprings, 0);
  objc::send<Base::resetMessage>(page);
  choose("Reset");
  EXPECT_TRUE(dispatch::runMainUntil([&] { return posted.resprings == 1; }, std::chrono::seconds(3)));
  EXPECT_EQ(posted.resets, 1);
  EXPECT_LT(posted.resetAt, posted.respringAt);
  objc::send<Base::respringMessage>(page);
  choose("Respring");
  EXPECT_TRUE(dispatch::runMainUntil([&] { return posted.resprings == 2; }, std::chrono::seconds(3)));
  drainQueues();
  EXPECT_EQ(posted.resets, 1);
  EXPECT_EQ(posted.resprings, 2);
  CFNotificationCenterRemoveEveryObserver(center, &posted);
}

TEST_F(BundlePage, TintingFollowsThePageOnScreen) {
  writeList("Tinted", row("PSSwitchCell", "S", "s"));
  auto page = basePage("Tinted");
  auto inner = UINavigationController::make(page);
  auto home = PSListController::make();
  auto outer = UINavigationController::make(home);
  outer->forwardAppearance(true);
  outer->pushViewControllerAnimated(inner, false);
  Ref<UIColor> theme = objc::send<Base::themeTintColorMessage>(page);
  ASSERT_TRUE(theme);
  EXPECT_EQ(outer->navigationBar()->tintColor().get(), theme.get());
  EXPECT_EQ(page->view()->tintColor().get(), theme.get());
  auto* sw = objc_cast<UISwitch>(
      objc_cast<PSTableCell>(rowWithKey(page, "s")->findProperty(PSTableCellKey))->accessoryView().get());
  EXPECT_EQ(sw->onTintColor().get(), theme.get());
  // A switch on another page keeps the system colour.
  auto other = UISwitch::make(CGRectZero);
  home->view()->addSubview(other);
  EXPECT_FALSE(other->onTintColor());

  // Covered by a pushed page it gives the tint back, and takes it again on return.
  auto sub = PSListController::make();
  inner->pushViewControllerAnimated(sub, false);
  EXPECT_NE(outer->navigationBar()->tintColor().get(), theme.get());
  EXPECT_FALSE(sw->onTintColor());
  inner->popViewControllerAnimated(false);
  EXPECT_EQ(outer->navigationBar()->tintColor().get(), theme.get());

  // Without a pair of navigation controllers only the view and the proxies are tinted.
  auto alone = basePage("Tinted");
  alone->viewWillAppear(false);
  EXPECT_TRUE(alone->view()->tintColor());
  alone->viewWillDisappear(false);
  outer->forwardAppearance(false);
}

TEST_F(BundlePage, TintedAndDangerButtonsColourTheirText) {
  auto page = basePage("Root-Light");
  Layout l(page);
  auto cellOf = [&](const char* id) {
    return objc_cast<PSTableCell>(page->specifierForID(NSString::make(id))->findProperty(PSTableCellKey));
  };
  Ref<UIColor> theme = objc::send<Base::themeTintColorMessage>(page);
  EXPECT_EQ(cellOf("respring")->textLabel()->textColor().get(), theme.get());
  EXPECT_EQ(cellOf("reset")->textLabel()->textColor()->rgba(), UIColor::systemRedColor()->rgba());
  EXPECT_EQ(cellOf("reset")->textLabel()->numberOfLines(), 1);
  EXPECT_EQ(cellOf("reset")->textLabel()->minimumScaleFactor(), 0.5);

  // A tinted button made before its row had a colour takes it in one pass and shows it from the next.
  auto item = PSSpecifier::preferenceSpecifierNamedTargetSetGetDetailCellEdit("Late"_ns, nullptr, nullptr, nullptr,
                                                                              nullptr, PSButtonCell, nullptr);
  auto cell = newCell("CVLOTintedButton", item);
  Ref<UIColor> before = cell->textLabel()->textColor();
  item->setPropertyForKey(theme, "tintColor");
  cell->layoutSubviews();
  EXPECT_EQ(cell->textLabel()->textColor()->rgba(), before->rgba());
  cell->layoutSubviews();
  EXPECT_EQ(cell->textLabel()->textColor().get(), theme.get());
}
