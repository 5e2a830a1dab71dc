#include <gtest/gtest.h>

#include <vector>

#include "objc/Weak.h"
#include "uikit/UIEvent.h"
#include "uikit/UITableView.h"

namespace {

// A model the test rewrites between reloads: heights per section, per row.
class Rows : public NSObject {
  OBJC_CLASS(Rows, NSObject)
  OBJC_PROTOCOL_METHOD(UITableViewDataSource, numberOfSectionsInTableView)
  OBJC_PROTOCOL_METHOD(UITableViewDataSource, tableViewNumberOfRowsInSection)
  OBJC_PROTOCOL_METHOD(UITableViewDataSource, tableViewCellForRowAtIndexPath)
  OBJC_PROTOCOL_METHOD(UITableViewDelegate, tableViewHeightForRowAtIndexPath)
  OBJC_PROTOCOL_METHOD(UITableViewDelegate, tableViewDidSelectRowAtIndexPath)
  OBJC_PROTOCOL_METHOD(UITableViewDelegate, scrollViewDidScroll)

 public:
  std::vector<std::vector<double>> heights;
  std::vector<Ref<NSIndexPath>> selected;
  int scrolls = 0;

 private:
  long numberOfSectionsInTableViewImpl(UITableView*) { return static_cast<long>(heights.size()); }
  long tableViewNumberOfRowsInSectionImpl(UITableView*, long s) {
    return static_cast<long>(heights[static_cast<std::size_t>(s)].size());
  }
  Ref<UITableViewCell> tableViewCellForRowAtIndexPathImpl(UITableView*, NSIndexPath*) {
    return UITableViewCell::make(UITableViewCellStyleDefault, nullptr);
  }
  double tableViewHeightForRowAtIndexPathImpl(UITableView*, NSIndexPath* p) {
    return heights[static_cast<std::size_t>(p->section())][static_cast<std::size_t>(p->row())];
  }
  void tableViewDidSelectRowAtIndexPathImpl(UITableView*, NSIndexPath* p) { selected.emplace_back(p); }
  void scrollViewDidScrollImpl(UIView*) { ++scrolls; }
};
OBJC_IMPLEMENT(Rows)

// Only what a data source must answer: one section, no heights.
class PlainRows : public NSObject {
  OBJC_CLASS(PlainRows, NSObject)
  OBJC_PROTOCOL_METHOD(UITableViewDataSource, tableViewNumberOfRowsInSection)
  OBJC_PROTOCOL_METHOD(UITableViewDataSource, tableViewCellForRowAtIndexPath)

 public:
  long rows = 2;

 private:
  long tableViewNumberOfRowsInSectionImpl(UITableView*, long) { return rows; }
  Ref<UITableViewCell> tableViewCellForRowAtIndexPathImpl(UITableView*, NSIndexPath*) {
    return UITableViewCell::make(UITableViewCellStyleValue1, nullptr);
  }
};
OBJC_IMPLEMENT(PlainRows)

Ref<NSIndexPath> at(long row, long section) { return NSIndexPath::indexPathForRowInSection(row, section); }

struct Table {
  Ref<Rows> rows = Rows::make();
  Ref<UITableView> table = UITableView::make(kUIScreenBounds, UITableViewStylePlain);
  Table() {
    table->setDataSource(rows);
    table->setDelegate(rows);
  }
};

TEST(TableView, RowsAreStackedWithTheDelegatesHeights) {
  Table t;
  t.rows->heights = {{10, 20}, {30}};
  t.table->reloadData();
  EXPECT_EQ(t.table->numberOfSections(), 2);
  EXPECT_EQ(t.table->numberOfRowsInSection(0), 2);
  EXPECT_EQ(t.table->numberOfRowsInSection(7), 0);
  EXPECT_EQ(t.table->rectForRowAtIndexPath(at(1, 0)), CGRectMake(0, 10, kUIScreenWidth, 20));
  EXPECT_EQ(t.table->rectForRowAtIndexPath(at(0, 1)), CGRectMake(0, 30, kUIScreenWidth, 30));
  EXPECT_EQ(t.table->rectForRowAtIndexPath(at(5, 0)), CGRectZero);
  EXPECT_EQ(t.table->contentSize(), CGSizeMake(kUIScreenWidth, 60));
  // The cells sit in the table, framed like their rows.
  auto cell = t.table->cellForRowAtIndexPath(at(0, 1));
  ASSERT_TRUE(cell);
  EXPECT_EQ(cell->superview().get(), t.table.get());
  EXPECT_EQ(cell->frame(), CGRectMake(0, 30, kUIScreenWidth, 30));
}

TEST(TableView, ReloadForgetsTheLastLayout) {
  Table t;
  t.rows->heights = {{10, 20}, {30}};
  t.table->reloadData();
  Ref<UITableViewCell> old = t.table->cellForRowAtIndexPath(at(0, 1));

  t.rows->heights = {{50}};
  t.table->reloadData();
  EXPECT_EQ(t.table->reloadCount(), 2u);
  EXPECT_EQ(t.table->numberOfSections(), 1);
  EXPECT_EQ(t.table->numberOfRowsInSection(0), 1);
  EXPECT_EQ(t.table->numberOfRowsInSection(1), 0);
  EXPECT_EQ(t.table->rectForRowAtIndexPath(at(0, 0)), CGRectMake(0, 0, kUIScreenWidth, 50));
  EXPECT_EQ(t.table->rectForRowAtIndexPath(at(1, 0)), CGRectZero);
  EXPECT_EQ(t.table->contentSize().height, 50);
  ASSERT_EQ(t.table->sectionLayout().size(), 1u);
  EXPECT_EQ(t.table->sectionLayout()[0].rowHeights, (std::vector<CGFloat>{50}));
  // Cells of rows that are gone leave the table.
  EXPECT_FALSE(t.table->cellForRowAtIndexPath(at(0, 1)));
  EXPECT_FALSE(old->superview());
}

TEST(TableView, DefaultsWithoutADelegate) {
  auto rows = PlainRows::make();
  auto grouped = UITableView::make(kUIScreenBounds, UITableViewStyleGrouped);
  grouped->setDataSource(rows);
  grouped->reloadData();
  EXPECT_EQ(grouped->numberOfSections(), 1);
  EXPECT_EQ(grouped->rectForRowAtIndexPath(at(1, 0)),
            CGRectMake(0, kUIGroupedSectionSpacing + kUITableRowHeight, kUIScreenWidth, kUITableRowHeight));
  EXPECT_EQ(grouped->contentSize().height, 2 * kUIGroupedSectionSpacing + 2 * kUITableRowHeight);

  auto plain = UITableView::make(kUIScreenBounds, UITableViewStylePlain);
  plain->setDataSource(rows);
  plain->setTableHeaderView(UIView::make(CGRectMake(0, 0, kUIScreenWidth, 100)));
  plain->setRowHeight(60);
  plain->reloadData();
  EXPECT_EQ(plain->rectForRowAtIndexPath(at(0, 0)), CGRectMake(0, 100, kUIScreenWidth, 60));
}

TEST(TableView, NegativeHeightsFallBackAndNoDataSourceMeansNoRows) {
  Table t;
  t.rows->heights = {{-1, 15}};
  t.table->reloadData();
  EXPECT_EQ(t.table->rectForRowAtIndexPath(at(0, 0)).size.height, kUITableRowHeight);

  auto lonely = UITableView::make(kUIScreenBounds, UITableViewStylePlain);
  lonely->reloadData();
  EXPECT_EQ(lonely->numberOfSections(), 0);
}

TEST(TableView, SelectionAndScrollingTellTheDelegate) {
  Table t;
  t.rows->heights = {{10, 20}};
  t.table->reloadData();
  t.table->selectRowAtIndexPath(at(1, 0));
  ASSERT_EQ(t.rows->selected.size(), 1u);
  EXPECT_TRUE(t.rows->selected[0]->isEqual(at(1, 0).get()));
  t.table->setContentOffset(CGPointMake(0, 5));
  EXPECT_EQ(t.rows->scrolls, 1);
  EXPECT_EQ(t.table->contentOffset(), CGPointMake(0, 5));

  // Neither is retained.
  Weak<Rows> gone(t.rows.get());
  t.rows = nullptr;
  EXPECT_FALSE(gone.lock());
  EXPECT_FALSE(t.table->delegate());
}

TEST(IndexPaths, EqualByValueWithMatchingHashes) {
  auto a = at(3, 1), b = at(3, 1), c = at(1, 3);
  EXPECT_NE(a.get(), b.get());
  EXPECT_TRUE(a->isEqual(b.get()));
  EXPECT_EQ(a->hash(), b->hash());
  EXPECT_FALSE(a->isEqual(c.get()));
  EXPECT_FALSE(a->isEqual(UIView::make().get()));
}

}  // namespace

TEST(TableView, ATouchReachesTheRowDrawnUnderItOnceScrolled) {
  Table t;
  t.rows->heights = {{44, 44, 44, 44}};
  t.table->reloadData();
  auto event = UIEvent::make();
  auto rowOf = [&](CGPoint p) -> long {
    for (Ref<UIView> v = t.table->hitTestWithEvent(p, event); v; v = v->superview())
      for (long r = 0; r < 4; ++r)
        if (v.get() == t.table->cellForRowAtIndexPath(at(r, 0)).get()) return r;
    return -1;
  };
  EXPECT_EQ(rowOf({10, 10}), 0);
  t.table->setContentOffset(CGPoint{0, 100});
  EXPECT_EQ(rowOf({10, 10}), 2) << "content point 110 lies in the third row";
  EXPECT_EQ(rowOf({10, 40}), 3);
  EXPECT_EQ(rowOf({10, 80}), -1) << "past the last row: the table itself";
}
