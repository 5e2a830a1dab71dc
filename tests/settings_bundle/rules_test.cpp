// The rule language at its edges, the hidden-row geometry of whole pages and
// the deferred reloads that follow a write.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <thread>
#include <utility>
#include <vector>

#include "dispatch/main_loop.h"
#include "foundation/Log.h"
#include "foundation/NSException.h"
#include "foundation/NSNumber.h"
#include "support.h"

using namespace prefs_test;
using testing::EndsWith;

namespace {

Ref<NSObject> readValue(PSListController* page, const Ref<PSSpecifier>& s) { return page->readPreferenceValue(s); }

std::string raisedReason(const std::function<void()>& f) {
  try {
    f();
  } catch (const NSException& e) {
    EXPECT_EQ(e.name(), NSInternalInconsistencyException);
    return e.reason();
  }
  ADD_FAILURE() << "nothing was raised";
  return "";
}

Ref<NSMutableDictionary> dependencyMap(PSListController* page) {
  return objc::send<Base::specifiersWithDependenciesMessage>(page);
}
bool hasDependencies(PSListController* page) { return objc::send<Base::hasSpecifiersWithDependenciesMessage>(page); }
void collect(PSListController* page, std::initializer_list<Ref<NSObject>> rows) {
  objc::send<Base::collectSpecifiersWithDependenciesFromArrayMessage>(page, NSArray::of(rows));
}

class Rules : public testing::Test {
 protected:
  void SetUp() override {
    bundle();
    clearDomain();
  }
};

}  // namespace

TEST_F(Rules, OperatorTypesMatchExactlyAndUnknownTextsMeanEquals) {
  auto page = basePage("unused");
  const std::pair<const char*, long> table[] = {{"==", 0},  {"!=", 1}, {">", 2},   {"<", 3},  {">=", 4},
                                                {"<=", 5},  {"", 6},   {"=>", 0},  {"=<", 0}, {"=", 0},
                                                {"===", 0}, {"EQ", 0}, {" ==", 0}, {"<>", 0}, {"!", 0}};
  for (const auto& [text, type] : table)
    EXPECT_EQ(objc::send<Base::operatorTypeForStringMessage>(page, NSString::make(text)), type) << '"' << text << '"';
  EXPECT_EQ(objc::send<Base::operatorTypeForStringMessage>(page, nullptr), 0);
}

namespace {

// One rule read against stored values: whether it hides its row.
struct RuleCase {
  std::vector<std::pair<const char*, std::function<Ref<NSObject>()>>> stored;
  const char* depends;
  bool hidden;
};

std::function<Ref<NSObject>()> integer(int v) {
  return [v] { return Ref<NSObject>(NSNumber::numberWithInt(v)); };
}
std::function<Ref<NSObject>()> fraction(double v) {
  return [v] { return Ref<NSObject>(NSNumber::numberWithDouble(v)); };
}
std::function<Ref<NSObject>()> boolean(bool v) {
  return [v] { return Ref<NSObject>(v ? NSNumberYES() : NSNumberNO()); };
}
std::function<Ref<NSObject>()> text(const char* v) {
  return [v] { return Ref<NSObject>(NSString::make(v)); };
}

std::string describe(const RuleCase& c) {
  std::string out = "\"" + std::string(c.depends) + "\" with";
  for (const auto& [key, value] : c.stored) out += " " + foundation::format("%s=%@", key, value());
  return out;
}

// Every controlling row a case names, bound to the test domain.
void writeRuleList() {
  writeList("RuleCases", row("PSSliderCell", "Level", "level") + row("PSSwitchCell", "Switch", "isOn") +
                             row("PSSwitchCell", "A", "a") + row("PSSwitchCell", "B", "b") +
                             row("PSEditTextCell", "Mode", "mode"));
}

void expectRules(const std::vector<RuleCase>& cases) {
  writeRuleList();
  auto page = basePage("RuleCases");
  load(page);
  for (const RuleCase& c : cases) {
    clearDomain();
    for (const auto& [key, value] : c.stored) store(key, value());
    auto item = PSSpecifier::preferenceSpecifierNamedTargetSetGetDetailCellEdit("Ruled"_ns, nullptr, nullptr, nullptr,
                                                                                nullptr, PSStaticTextCell, nullptr);
    item->setPropertyForKey(NSString::make(c.depends), "depends");
    EXPECT_EQ(objc::send<Base::shouldHideSpecifierMessage>(page, item), c.hidden) << describe(c);
  }
}

}  // namespace

TEST_F(Rules, NumbersFollowTheComparatorTable) {
  expectRules({
      {{{"level", integer(3)}}, "level > 3", false},  // ">" hides only below the value
      {{{"level", integer(3)}}, "level >= 3", true},  // ">=" hides at the value too
      {{{"level", integer(3)}}, "level < 3", false},
      {{{"level", integer(3)}}, "level <= 3", true},
      {{{"level", integer(3)}}, "level != 3", true},
      {{{"level", integer(4)}}, "level > 3", false},
      {{{"level", integer(4)}}, "level >= 3", false},
      {{{"level", integer(2)}}, "level > 3", true},
      {{{"level", integer(2)}}, "level < 3", false},
      {{{"level", integer(4)}}, "level < 3", true},
      {{{"level", integer(4)}}, "level <= 3", true},
      {{{"level", integer(2)}}, "level <= 3", false},  // "<=" shows only below the value
      {{{"level", integer(2)}}, "level != 3", false},
      {{{"level", integer(3)}}, "level == 3", false},
      {{{"level", integer(2)}}, "level == 3", true},
      // A fraction is truncated toward zero, on both sides.
      {{{"level", fraction(2.9)}}, "level == 2", false},
      {{{"level", fraction(2.9)}}, "level == 2.5", false},
      {{{"level", fraction(-2.9)}}, "level == -2", false},
      {{{"level", integer(0)}}, "level == abc", false},  // no digit reads as 0
      {{{"isOn", boolean(true)}}, "isOn =~ 1", false},   // an unknown comparator compares as ==
      {{{"isOn", boolean(false)}}, "isOn =~ 1", true},
      {{{"isOn", boolean(true)}}, "isOn == yes", false},
      {{{"isOn", boolean(true)}}, "isOn == NO", true},
      {{{"isOn", boolean(false)}}, "isOn == NO", false},
  });
}

TEST_F(Rules, CompareTextsAreReadAsSigned32BitIntegers) {
  expectRules({
      {{{"level", integer(-2)}}, "level == -2", false},
      {{{"level", integer(-2)}}, "level == +2", true},
      {{{"level", integer(2)}}, "level == +2", false},
      {{{"level", integer(2)}}, "level == 2abc", false},  // digits up to the first other character
      {{{"level", integer(2)}}, "level == 99999999999", true},
      {{{"level", integer(INT_MAX)}}, "level == 99999999999", false},
      {{{"level", integer(INT_MIN)}}, "level == -99999999999", false},
      {{{"level", integer(0)}}, "level == -", false},
      {{{"isOn", boolean(true)}}, "isOn == tRuE", false},
      {{{"isOn", boolean(true)}}, "isOn == yEs", false},
      {{{"isOn", boolean(true)}}, "isOn == False", true},
      {{{"isOn", boolean(false)}}, "isOn == tRuE", true},
      {{{"isOn", boolean(false)}}, "isOn == False", false},
  });
}

TEST_F(Rules, TheEmptyComparatorResetsOnlyWhatCameBefore) {
  expectRules({
      {{{"a", boolean(false)}, {"b", boolean(false)}}, "a  1, b == 1", true},
      {{{"a", boolean(false)}, {"b", boolean(false)}}, "b == 1, a  1", false},
      {{{"isOn", boolean(true)}, {"level", integer(3)}}, "isOn == 0, level  3", false},
      // With a text value the comparator, empty or not, is never consulted.
      {{{"mode", text("light")}}, "mode  dark", true},
      {{{"mode", text("dark")}}, "mode  dark", false},
  });
}

TEST_F(Rules, ControllingRowsAreTheFirstKeptRowWithTheKey) {
  const std::string dev = "<key>developmentOnly</key><true/>";
  writeList("Controlling",
            row("PSSwitchCell", "Bound", "dup") +
                row("PSSwitchCell", "Unbound", "", "", "<key>key</key><string>dup</string>") +
                row("PSSwitchCell", "Dev", "dev", "", dev) +
                row("PSSwitchCell", "Loose", "", "", "<key>key</key><string>loose</string><key>default</key><false/>") +
                row("PSStaticTextCell", "onDup", "", "dup == 1") + row("PSStaticTextCell", "onDev", "", "dev == 1") +
                row("PSStaticTextCell", "onLoose", "", "loose == 1") +
                row("PSStaticTextCell", "onNothing", "", "nothing == 1"));
  auto page = basePage("Controlling");
  load(page);
  store("dup", NSNumberNO());
  store("dev", NSNumberNO());
  store("loose", NSNumberNO());
  EXPECT_EQ(rowWithKey(page, "dup")->name()->utf8(), "Bound");
  EXPECT_TRUE(hides(page, "onDup"));
  // The development-only row was dropped: its key controls nothing.
  EXPECT_FALSE(rowWithKey(page, "dev"));
  EXPECT_FALSE(hides(page, "onDev"));
  // Without defaults the controlling value is absent, whatever its default says.
  EXPECT_FALSE(hides(page, "onLoose"));
  EXPECT_FALSE(hides(page, "onNothing"));
  EXPECT_FALSE(objc::send<Base::shouldHideSpecifierMessage>(page, nullptr));
  EXPECT_FALSE(rowWithKey(page, ""));
}

TEST_F(Rules, ValuesComeFromTheDomainThenTheDefault) {
  writeList("Values", row("PSSwitchCell", "Stored", "stored", "", "<key>default</key><false/>") +
                          row("PSSwitchCell", "Fallback", "fallback", "", "<key>default</key><integer>7</integer>") +
                          row("PSSwitchCell", "Bare", "bare") +
                          row("PSSwitchCell", "NoDomain", "", "",
                              "<key>key</key><string>stored</string><key>default</key><true/>") +
                          row("PSSwitchCell", "BadDomain", "", "",
                              "<key>key</key><string>stored</string><key>defaults</key><string>../../etc</string>"
                              "<key>default</key><integer>3</integer>"));
  auto page = basePage("Values");
  load(page);
  // A domain never written reads the defaults.
  EXPECT_EQ(ref_cast<NSNumber>(readValue(page, titled(page, "Fallback")))->intValue(), 7);
  EXPECT_FALSE(readValue(page, titled(page, "Bare")));
  store("stored", NSNumberYES());
  EXPECT_TRUE(ref_cast<NSNumber>(readValue(page, titled(page, "Stored")))->boolValue());
  EXPECT_EQ(ref_cast<NSNumber>(readValue(page, titled(page, "Fallback")))->intValue(), 7);
  EXPECT_FALSE(readValue(page, titled(page, "NoDomain")));
  EXPECT_EQ(ref_cast<NSNumber>(readValue(page, titled(page, "BadDomain")))->intValue(), 3);
  EXPECT_FALSE(readValue(page, nullptr));
  // Read afresh on every call: no value is kept between two reads.
  store("stored", NSNumberNO());
  EXPECT_FALSE(ref_cast<NSNumber>(readValue(page, titled(page, "Stored")))->boolValue());
}

TEST_F(Rules, MalformedConditionsRaiseAndNameTheirRow) {
  writeList("Untitled", row("PSSwitchCell", "A", "a") +
                            "<dict><key>cell</key><string>PSStaticTextCell</string>"
                            "<key>depends</key><string>a == 1, </string></dict>");
  EXPECT_EQ(raisedReason([] { load(basePage("Untitled")); }),
            "depends key requires three components (Specifier Key, Comparator, Value To Compare To). You have 1 of 3 "
            "(a == 1, ) for specifier '(null)'.");
  writeList("TwoSpaces", row("PSStaticTextCell", "Gap", "", "a ==  1"));
  EXPECT_THAT(raisedReason([] { load(basePage("TwoSpaces")); }),
              EndsWith("You have 4 of 3 (a ==  1) for specifier 'Gap'."));
  writeList("OneWord", row("PSStaticTextCell", "Word", "", "a"));
  EXPECT_THAT(raisedReason([] { load(basePage("OneWord")); }), EndsWith("You have 1 of 3 (a) for specifier 'Word'."));

  // What was collected before the bad condition stays; the flag keeps its last value.
  writeList("Plain", row("PSSwitchCell", "A", "a") +
                         row("PSStaticTextCell", "Empty", "", "", "<key>depends</key><string></string>"));
  auto page = basePage("Plain");
  load(page);
  EXPECT_FALSE(hasDependencies(page));
  EXPECT_EQ(dependencyMap(page)->count(), 0u);
  Ref<NSMutableDictionary> map = dependencyMap(page);
  auto good = PSSpecifier::preferenceSpecifierNamedTargetSetGetDetailCellEdit("Good"_ns, nullptr, nullptr, nullptr,
                                                                              nullptr, PSStaticTextCell, nullptr);
  good->setPropertyForKey("x == 1"_ns, "depends");
  auto bad = PSSpecifier::preferenceSpecifierNamedTargetSetGetDetailCellEdit("Bad"_ns, nullptr, nullptr, nullptr,
                                                                             nullptr, PSStaticTextCell, nullptr);
  bad->setPropertyForKey("y == 1, z"_ns, "depends");
  raisedReason([&] { collect(page, {good, bad}); });
  EXPECT_EQ(dependencyMap(page).get(), map.get());  // one map for the page's life
  EXPECT_TRUE(map->objectForKey("x"));
  EXPECT_TRUE(map->objectForKey("y"));
  EXPECT_FALSE(hasDependencies(page));
  // The next complete collection starts from an empty map.
  collect(page, {good});
  EXPECT_EQ(map->count(), 1u);
  EXPECT_TRUE(hasDependencies(page));
}

namespace {

struct Layout {
  Ref<PSListController> page;
  Ref<UITableView> table;
  explicit Layout(Ref<PSListController> p) : page(std::move(p)), table(page->table()) { table->reloadData(); }
  const UITableView::SectionLayout& section(long s) { return table->sectionLayout().at(static_cast<std::size_t>(s)); }
  PSTableCell* cell(long s, long r) {
    auto item = page->specifierAtIndexPath(NSIndexPath::indexPathForRowInSection(r, s));
    return objc_cast<PSTableCell>(item->findProperty(PSTableCellKey));
  }
  unsigned long mask(long s, long r) {
    auto* c = cell(s, r);
    return c->layer()->cornerRadius() == 10.0 ? c->layer()->maskedCorners() : 0;
  }
  long hiddenSections() { return objc::send<Base::numberOfHiddenSectionsInTableViewMessage>(page, table); }
};

// Waits for the deferred reloads, then for whatever else is queued, so that
// an extra reload would be counted too.
void reloadsReach(UITableView* table, unsigned long count) {
  EXPECT_TRUE(dispatch::runMainUntil([&] { return table->reloadCount() >= count; }, std::chrono::seconds(3)));
  drainQueues();
}

}  // namespace

TEST_F(Rules, HiddenSectionsShareTheFooterSpaceAndOthersKeepTheirOwn) {
  writeList("Sections", row("PSSwitchCell", "M", "m") + row("PSSwitchCell", "N", "n") +
                            "<dict><key>cell</key><string>PSGroupCell</string><key>label</key><string>A</string>"
                            "<key>footerText</key><string>about A</string></dict>" +
                            row("PSStaticTextCell", "A1", "", "m == 1") +
                            "<dict><key>cell</key><string>PSGroupCell</string></dict>" +
                            row("PSStaticTextCell", "B1", "", "n == 1") + row("PSStaticTextCell", "B2", "", "n == 1"));
  store("m", NSNumberYES());
  store("n", NSNumberYES());
  Layout l(basePage("Sections"));
  EXPECT_EQ(l.hiddenSections(), 0);
  EXPECT_EQ(l.section(1).headerHeight, 38.0);
  EXPECT_EQ(l.section(1).footerHeight, 40.0);
  EXPECT_EQ(l.section(2).headerHeight, 17.5);
  EXPECT_EQ(l.section(2).footerHeight, 17.5);
  EXPECT_FALSE(l.section(2).footerView);

  store("n", NSNumberNO());
  l.table->reloadData();
  EXPECT_EQ(l.hiddenSections(), 1);
  EXPECT_EQ(l.section(2).footerHeight, 7.5);
  EXPECT_DOUBLE_EQ(l.section(2).headerHeight, static_cast<double>(0.01f));
  ASSERT_TRUE(l.section(2).footerView);
  EXPECT_EQ(l.section(2).footerView->backgroundColor()->rgba(), (RGBA{0, 0, 0, 0}));
  EXPECT_TRUE(l.section(2).footerView->subviewList().empty());
  EXPECT_EQ(l.section(1).footerHeight, 40.0);
  EXPECT_EQ((objc::send<Base::numberOfHiddenHeadersInTableViewMessage>(l.page, l.table)), 1);
  EXPECT_EQ((objc::send<Base::numberOfHiddenFootersInTableViewMessage>(l.page, l.table)), 1);

  store("m", NSNumberNO());
  l.table->reloadData();
  EXPECT_EQ(l.hiddenSections(), 2);
  EXPECT_EQ(l.section(1).footerHeight, 3.75);
  EXPECT_EQ(l.section(2).footerHeight, 3.75);
  EXPECT_EQ(l.section(0).headerHeight, 17.5);  // the section of the switches stays
  EXPECT_EQ(l.section(0).rowHeights, (std::vector<CGFloat>{44.0, 44.0}));
}

TEST_F(Rules, OuterVisibleRowsAreRoundedWhereverTheHiddenRowsAre) {
  writeList("Outer", row("PSSwitchCell", "M", "m") + group("Four") + row("PSStaticTextCell", "F1", "") +
                         row("PSStaticTextCell", "F2", "", "m == 1") + row("PSStaticTextCell", "F3", "", "m == 1") +
                         row("PSStaticTextCell", "F4", "") + group("Head") + row("PSStaticTextCell", "H1", "") +
                         row("PSStaticTextCell", "H2", "", "m == 1") + row("PSStaticTextCell", "H3", "", "m == 1") +
                         group("Ends") + row("PSStaticTextCell", "E1", "", "m == 1") +
                         row("PSStaticTextCell", "E2", "") + row("PSStaticTextCell", "E3", "") +
                         row("PSStaticTextCell", "E4", "", "m == 1"));
  store("m", NSNumberNO());
  Layout l(basePage("Outer"));
  EXPECT_EQ(l.mask(1, 0), 3u);
  EXPECT_EQ(l.mask(1, 3), 12u);
  EXPECT_EQ(l.section(1).rowHeights, (std::vector<CGFloat>{44.0, 0.0, 0.0, 44.0}));
  EXPECT_EQ(l.mask(2, 0), 15u);  // the only row left, at the top
  EXPECT_EQ(l.mask(3, 1), 3u);   // the first and last visible rows, not the first and last rows
  EXPECT_EQ(l.mask(3, 2), 12u);
  EXPECT_EQ(l.mask(3, 0), 0u);
  EXPECT_EQ(l.mask(3, 3), 0u);
}

TEST_F(Rules, RowsWithoutCellsAreMeasuredAndCounted) {
  writeList("NoCells", row("PSSwitchCell", "M", "m") + group("G") + row("PSStaticTextCell", "G1", "") +
                           row("PSStaticTextCell", "G2", "", "m == 1") + group("H") +
                           row("PSStaticTextCell", "H1", "", "m == 1"));
  store("m", NSNumberNO());
  auto page = basePage("NoCells");
  load(page);
  // Asked before the table has made a single cell.
  Ref<UITableView> table = UITableView::make(CGRectMake(0, 0, kScreenWidth, kScreenHeight), 2);
  table->setDataSource(page);
  table->setDelegate(page);
  auto height = [&](long s, long r) {
    return page->tableViewHeightForRowAtIndexPath(table, NSIndexPath::indexPathForRowInSection(r, s));
  };
  EXPECT_EQ(height(1, 0), 44.0);
  EXPECT_EQ(height(1, 1), 0.0);
  EXPECT_EQ(height(2, 0), 0.0);
  EXPECT_EQ(height(1, 7), 44.0);  // past the section's rows: the host's answer
  EXPECT_EQ(page->tableViewHeightForFooterInSection(table, 2), 7.5);
  EXPECT_FALSE(objc::send<Base::tableViewShouldHideSectionMessage>(page, table, 1));
  EXPECT_FALSE(objc::send<Base::tableViewShouldHideSectionMessage>(page, table, 9));
}

TEST_F(Rules, ReloadsRunOnTheMainQueueEvenWhenAskedFromElsewhere) {
  writeList("Deferred", row("PSSwitchCell", "M", "m") + row("PSStaticTextCell", "D", "", "m == 1"));
  auto page = basePage("Deferred");
  Layout l(page);
  drainQueues();
  unsigned long before = l.table->reloadCount();
  std::thread([&] { objc::send<Base::reloadTableMessage>(page); }).join();
  ASSERT_TRUE(dispatch::waitForGlobalQueues(std::chrono::seconds(5)));
  EXPECT_EQ(l.table->reloadCount(), before);  // past the background hop, it waits for the main queue
  reloadsReach(l.table, before + 1);
  EXPECT_EQ(l.table->reloadCount(), before + 1);

  // A write through a row the host cannot store, or one without a key, reloads nothing.
  foundation::LogCapture logs;
  auto loose = PSSpecifier::preferenceSpecifierNamedTargetSetGetDetailCellEdit("Loose"_ns, page, nullptr, nullptr,
                                                                               nullptr, PSSwitchCell, nullptr);
  page->setPreferenceValueSpecifier(NSNumberYES(), loose);
  page->setPreferenceValueSpecifier(NSNumberYES(), nullptr);
  drainQueues();
  EXPECT_EQ(l.table->reloadCount(), before + 1);
}

TEST_F(Rules, WritesDuringAppearanceChangesReloadOnceEach) {
  writeList("Storm", row("PSSwitchCell", "M", "m") + row("PSSwitchCell", "O", "o") +
                         row("PSStaticTextCell", "D", "", "m == 1, m != 2"));
  auto page = basePage("Storm");
  Layout l(page);
  drainQueues();
  unsigned long before = l.table->reloadCount();
  constexpr int kRounds = 20;
  for (int i = 0; i < kRounds; ++i) {
    // The check of each write runs off the main thread while the rules are rebuilt on it.
    page->setPreferenceValueSpecifier(NSNumber::numberWithBool(i % 2 != 0), rowWithKey(page, "m"));
    page->setPreferenceValueSpecifier(NSNumber::numberWithBool(i % 2 != 0), rowWithKey(page, "o"));
    page->traitCollectionDidChange(nullptr);
  }
  reloadsReach(l.table, before + 2 * kRounds);
  EXPECT_EQ(l.table->reloadCount(), before + 2 * kRounds);
}

TEST_F(Rules, PendingReloadsKeepTheirPageAlive) {
  writeList("Kept", row("PSSwitchCell", "M", "m") + row("PSStaticTextCell", "D", "", "m == 1"));
  Ref<UITableView> table;
  {
    auto page = basePage("Kept");
    table = page->table();
    table->reloadData();
    page->setPreferenceValueSpecifier(NSNumberYES(), rowWithKey(page, "m"));
    objc::send<Base::reloadTableMessage>(page);
  }
  unsigned long before = table->reloadCount();
  reloadsReach(table, before + 2);
  EXPECT_EQ(table->reloadCount(), before + 2);
}

TEST_F(Rules, ThePagesShippedFollowTheirSwitches) {
  auto page = basePage("Root-Light");
  Layout l(page);
  auto shown = [&](const char* id) {
    l.table->reloadData();
    Ref<NSIndexPath> p = page->indexPathForSpecifier(page->specifierForID(NSString::make(id)));
    return l.section(p->section()).rowHeights.at(static_cast<std::size_t>(p->row())) > 0;
  };
  auto set = [](const char* key, bool on) {
    NSUserDefaults::standardUserDefaults()->updatePersistentDomainForName(
        "com.tenvarix.corvalloprefs"_ns,
        [&](NSMutableDictionary* d) { d->setObjectForKey(NSNumber::numberWithBool(on), key); });
  };
  NSUserDefaults::standardUserDefaults()->removePersistentDomainForName("com.tenvarix.corvalloprefs"_ns);
  EXPECT_TRUE(shown("isHidePageDotsEnabled"));
  EXPECT_TRUE(shown("isApplyToWidgetDotsEnabled"));
  EXPECT_FALSE(shown("activePageDotColor"));  // custom colours are off by default
  set("isColorCustomizationEnabled", true);
  EXPECT_TRUE(shown("activePageDotColor"));
  EXPECT_TRUE(shown("inactivePageDotColor"));
  set("isEnabled", false);
  for (const char* id : {"isHidePageDotsEnabled", "isApplyToWidgetDotsEnabled", "isColorCustomizationEnabled",
                         "activePageDotColor", "inactivePageDotColor"})
    EXPECT_FALSE(shown(id)) << id;
  EXPECT_TRUE(shown("isEnabled"));
  NSUserDefaults::standardUserDefaults()->removePersistentDomainForName("com.tenvarix.corvalloprefs"_ns);
}
