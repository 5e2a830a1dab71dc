// A page of a thousand rows, each hidden by a rule on one switch: toggling
// the switch must cost each rule a bounded number of evaluations per layout,
// not one per row of its section. The page counts its own evaluations and
// store reads through a subclass whose two methods count, then call up.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>

#include "../objc/fresh_class.h"
#include "dispatch/main_loop.h"
#include "foundation/NSNumber.h"
#include "support.h"

using namespace prefs_test;

namespace {

std::atomic<long> evaluations{0};
std::atomic<long> reads{0};
IMP inheritedHide;
IMP inheritedRead;

bool countedHide(PSListController* self, SEL cmd, PSSpecifier* s) {
  ++evaluations;
  return objc::invoke<Base::shouldHideSpecifierMessage>(inheritedHide, self, cmd, s);
}

Ref<NSObject> countedRead(PSListController* self, SEL cmd, PSSpecifier* s) {
  ++reads;
  return objc::invoke<PSListController::readPreferenceValueMessage>(inheritedRead, self, cmd, s);
}

// The subclass is made here, so the bundle is named rather than found by class.
Ref<NSBundle> prefsBundle(PSListController*, SEL) { return bundle(); }

Class countingPageClass() {
  static Class counting = [] {
    bundle();
    Class base = objc_getClass("CVLOBaseListController");
    inheritedHide = class_getMethodImplementation(base, Base::shouldHideSpecifierMessage::sel());
    inheritedRead = class_getMethodImplementation(base, PSListController::readPreferenceValueMessage::sel());
    Class c = freshSubclass(base, "CountingPage");
    class_addMethod(c, Base::shouldHideSpecifierMessage::sel(),
                    (objc::implementation<Base::shouldHideSpecifierMessage, &countedHide>()),
                    objc::typesFor<Base::shouldHideSpecifierMessage>());
    class_addMethod(c, PSListController::readPreferenceValueMessage::sel(),
                    (objc::implementation<PSListController::readPreferenceValueMessage, &countedRead>()),
                    objc::typesFor<PSListController::readPreferenceValueMessage>());
    class_addMethod(c, PSListController::bundleMessage::sel(),
                    (objc::implementation<PSListController::bundleMessage, &prefsBundle>()),
                    objc::typesFor<PSListController::bundleMessage>());
    return c;
  }();
  return counting;
}

// One switch, then `ruled` rows that show only while it is on, in sections
// of `perSection` rows.
Ref<PSListController> largePage(int ruled, int perSection) {
  std::string items = row("PSSwitchCell", "Master", "master");
  for (int i = 0; i < ruled; ++i) {
    if (i % perSection == 0) items += group("G" + std::to_string(i / perSection));
    items += row("PSSwitchCell", "R" + std::to_string(i), "r" + std::to_string(i), "master == 1");
  }
  std::string list = "Large" + std::to_string(ruled) + "x" + std::to_string(perSection);
  writeList(list, items);
  Ref<NSObject> fresh = objc::send<NSObject::allocMessage>(countingPageClass());
  auto page = objc::downcast<PSListController>(objc::send<NSObject::initMessage>(fresh));
  objc::send<Base::setDarkModePlistLightModePlistMessage>(page, NSString::make(list), NSString::make(list));
  return page;
}

double sectionHeight(const UITableView::SectionLayout& s) {
  double h = 0;
  for (double r : s.rowHeights) h += r;
  return h;
}

class LargePage : public testing::Test {
 protected:
  void SetUp() override { clearDomain(); }
};

}  // namespace

TEST_F(LargePage, OneToggleEvaluatesEachRuleABoundedNumberOfTimes) {
  for (int perSection : {1000, 1}) {  // one long section, then a thousand short ones
    constexpr int kRuled = 1000;
    store("master", NSNumberYES());
    auto page = largePage(kRuled, perSection);
    Ref<UITableView> table = page->table();
    table->reloadData();
    drainQueues();
    const auto& shown = table->sectionLayout();
    EXPECT_EQ(sectionHeight(shown.back()), 44.0 * (perSection == 1 ? 1 : kRuled));

    for (bool on : {false, true}) {
      evaluations = 0;
      reads = 0;
      unsigned long before = table->reloadCount();
      page->setPreferenceValueSpecifier(NSNumber::numberWithBool(on), rowWithKey(page, "master"));
      EXPECT_TRUE(dispatch::runMainUntil([&] { return table->reloadCount() > before; }, std::chrono::seconds(10)));
      drainQueues();

      // The ruled rows, and their sections, follow the switch.
      double rowsHeight = on ? 44.0 * (perSection == 1 ? 1 : kRuled) : 0.0;
      for (std::size_t s = 1; s < table->sectionLayout().size(); ++s)
        EXPECT_EQ(sectionHeight(table->sectionLayout()[s]), rowsHeight) << "section " << s;
      EXPECT_EQ(objc::send<Base::numberOfHiddenSectionsInTableViewMessage>(page, table), on ? 0 : kRuled / perSection);
      // One reload lays the table out twice (before and after its cells); a
      // quadratic page evaluates about a million rules per layout.
      EXPECT_GT(evaluations.load(), 0);
      EXPECT_LE(evaluations.load(), 3L * 2 * kRuled) << "rows of " << perSection << (on ? ", shown" : ", hidden");
      EXPECT_LE(reads.load(), 3L * 2 * kRuled) << "rows of " << perSection << (on ? ", shown" : ", hidden");
    }
  }
}

TEST_F(LargePage, AWriteBetweenTwoLayoutsIsSeenByTheSecond) {
  store("master", NSNumberYES());
  auto page = largePage(3, 3);
  Ref<UITableView> table = page->table();
  table->reloadData();
  EXPECT_EQ(sectionHeight(table->sectionLayout()[1]), 3 * 44.0);
  // Written from elsewhere, with no turn of the main loop in between.
  store("master", NSNumberNO());
  table->reloadData();
  EXPECT_EQ(sectionHeight(table->sectionLayout()[1]), 0.0);
  // A row's own rule is read afresh at once; the layout's answers hold until
  // the main loop turns.
  store("master", NSNumberYES());
  EXPECT_FALSE(objc::send<Base::shouldHideSpecifierMessage>(page, titled(page, "R0")));
  drainQueues();
  EXPECT_FALSE(objc::send<Base::tableViewShouldHideSectionMessage>(page, table, 1L));
  store("master", NSNumberNO());
  EXPECT_TRUE(objc::send<Base::tableViewShouldHideSectionMessage>(page, table, 1L));
}
