// Sections of a page: group rows start them, and what the page works out
// from its rows follows the rows whichever way they change.
#include <gtest/gtest.h>

#include "fixture.h"

using namespace preferences_test;

namespace {

Ref<NSMutableArray> rows(std::initializer_list<Ref<PSSpecifier>> items) {
  auto a = NSMutableArray::array();
  for (const auto& i : items) a->addObject(i);
  return a;
}

// "s.r" for the row's place, "-" when the page does not show it.
std::string place(PSListController* page, PSSpecifier* s) {
  Ref<NSIndexPath> p = page->indexPathForSpecifier(s);
  return p ? std::to_string(p->sectionValue()) + "." + std::to_string(p->rowValue()) : "-";
}

}  // namespace

TEST(Sections, GroupRowsStartSectionsAndRowsBeforeAnyGroupHaveOneWithoutTitle) {
  auto page = FixturePage::make();
  auto loose = item("Loose"), a = item("A"), b = item("B");
  auto g = groupItem("Group");
  g->setPropertyForKey("Below"_ns, PSFooterTextGroupKey);
  page->_specifiers = rows({loose, g, a, b, groupItem("Empty")});
  EXPECT_EQ(page->numberOfSectionsInTableView(nullptr), 3);
  EXPECT_EQ(page->tableViewNumberOfRowsInSection(nullptr, 0), 1);
  EXPECT_EQ(page->tableViewNumberOfRowsInSection(nullptr, 1), 2);
  EXPECT_EQ(page->tableViewNumberOfRowsInSection(nullptr, 2), 0);
  EXPECT_EQ(page->tableViewNumberOfRowsInSection(nullptr, 3), 0);
  EXPECT_FALSE(page->tableViewTitleForHeaderInSection(nullptr, 0));
  EXPECT_EQ(page->tableViewTitleForHeaderInSection(nullptr, 1)->utf8(), "Group");
  EXPECT_EQ(page->tableViewTitleForFooterInSection(nullptr, 1)->utf8(), "Below");
  EXPECT_EQ(page->tableViewHeightForHeaderInSection(nullptr, 1), 38.0);
  EXPECT_EQ(page->tableViewHeightForFooterInSection(nullptr, 2), 17.5);
  EXPECT_EQ(page->specifierAtIndexPath(at(1, 1)).get(), b.get());
  EXPECT_FALSE(page->specifierAtIndexPath(at(1, 2)));
  EXPECT_FALSE(page->specifierAtIndexPath(at(-1, 0)));
  EXPECT_EQ(place(page, loose), "0.0");
  EXPECT_EQ(place(page, g), "-");
}

// A page that keeps its rows hands the same array back on reload; the
// sections must be worked out again even though neither the array nor its
// length changed.
TEST(Sections, ReloadingRowsEditedInPlaceRegroupsThem) {
  auto page = FixturePage::make();
  auto a = item("A"), b = item("B"), c = item("C");
  auto kept = rows({groupItem("One"), a, b, c});
  page->nextRows = kept;
  page->reloadSpecifiers();
  ASSERT_EQ(place(page, c), "0.2");

  auto two = groupItem("Two");
  kept->replaceObjectAtIndexWithObject(2, two);
  page->reloadSpecifiers();
  EXPECT_EQ(place(page, c), "1.0");
  EXPECT_EQ(place(page, b), "-");
  EXPECT_EQ(page->specifierAtIndexPath(at(1, 0)).get(), c.get());
}

// The table asks for the sections first whenever it reloads: rows the page
// edited in place show from then on.
TEST(Sections, TheTableSeesRowsEditedInPlace) {
  auto page = FixturePage::make();
  auto a = item("A"), b = item("B"), c = item("C");
  page->_specifiers = rows({a, b, c});
  ASSERT_EQ(page->numberOfSectionsInTableView(nullptr), 1);
  auto g = groupItem("G");
  page->_specifiers->replaceObjectAtIndexWithObject(1, g);
  EXPECT_EQ(page->numberOfSectionsInTableView(nullptr), 2);
  EXPECT_EQ(place(page, c), "1.0");
}

// Rows a page assigns anew, as many as before, are grouped anew.
TEST(Sections, ANewArrayOfTheSameLengthIsRegrouped) {
  auto page = FixturePage::make();
  auto a = item("A"), b = item("B");
  page->_specifiers = rows({a, b, item("C")});
  ASSERT_EQ(place(page, b), "0.1");
  page->_specifiers = nullptr;
  page->_specifiers = rows({a, groupItem("G"), b});
  EXPECT_EQ(place(page, b), "1.0");
}

TEST(Sections, RowsFoundByIdentifierOrElseByName) {
  auto page = FixturePage::make();
  auto named = item("Named");
  auto tagged = item("Shown");
  tagged->setIdentifier("tag"_ns);
  page->_specifiers = rows({named, tagged});
  EXPECT_EQ(page->specifierForID("Named"_ns).get(), named.get());
  EXPECT_EQ(page->specifierForID("tag"_ns).get(), tagged.get());
  EXPECT_FALSE(page->specifierForID("Shown"_ns));
  EXPECT_FALSE(page->specifierForID(nullptr));
}
