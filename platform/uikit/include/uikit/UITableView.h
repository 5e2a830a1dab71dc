// Table views: sections of rows laid out top to bottom with the heights,
// header and footer views the delegate answers, and a scroll offset.
//
// The data source and the delegate are asked through messages, so a page
// overrides any answer by registering its own method. Neither is retained.
#pragma once

#include <vector>

#include "objc/Weak.h"
#include "uikit/NSIndexPath.h"
#include "uikit/UITableViewCell.h"
#include "uikit/UIView.h"

enum UITableViewStyle : long {
  UITableViewStylePlain = 0,
  UITableViewStyleGrouped = 1,
  UITableViewStyleInsetGrouped = 2,
};

inline constexpr CGFloat UITableViewAutomaticDimension = -1.0;

class UITableView;

// What a table asks its data source; only the row count and the cells must
// be answered.
struct UITableViewDataSource {
  using numberOfSectionsInTableViewMessage = objc::Message<"numberOfSectionsInTableView:", long(UITableView*)>;
  using tableViewNumberOfRowsInSectionMessage =
      objc::Message<"tableView:numberOfRowsInSection:", long(UITableView*, long)>;
  using tableViewCellForRowAtIndexPathMessage =
      objc::Message<"tableView:cellForRowAtIndexPath:", Ref<UITableViewCell>(UITableView*, NSIndexPath*)>;
};

// What a table asks and tells its delegate; every one is optional.
struct UITableViewDelegate {
  using tableViewHeightForRowAtIndexPathMessage =
      objc::Message<"tableView:heightForRowAtIndexPath:", double(UITableView*, NSIndexPath*)>;
  using tableViewViewForHeaderInSectionMessage =
      objc::Message<"tableView:viewForHeaderInSection:", Ref<UIView>(UITableView*, long)>;
  using tableViewHeightForHeaderInSectionMessage =
      objc::Message<"tableView:heightForHeaderInSection:", double(UITableView*, long)>;
  using tableViewViewForFooterInSectionMessage =
      objc::Message<"tableView:viewForFooterInSection:", Ref<UIView>(UITableView*, long)>;
  using tableViewHeightForFooterInSectionMessage =
      objc::Message<"tableView:heightForFooterInSection:", double(UITableView*, long)>;
  using tableViewDidSelectRowAtIndexPathMessage =
      objc::Message<"tableView:didSelectRowAtIndexPath:", void(UITableView*, NSIndexPath*)>;
  using scrollViewDidScrollMessage = objc::Message<"scrollViewDidScroll:", void(UIView*)>;
};

class UITableView : public UIView {
  OBJC_CLASS(UITableView, UIView)
  OBJC_INIT(initWithFrameStyle, "initWithFrame:style:", Ref<UITableView>(CGRect, long))
  OBJC_METHOD(dataSource, "dataSource", Ref<NSObject>())
  OBJC_METHOD(setDataSource, "setDataSource:", void(NSObject*))
  OBJC_METHOD(delegate, "delegate", Ref<NSObject>())
  OBJC_METHOD(setDelegate, "setDelegate:", void(NSObject*))
  OBJC_METHOD(style, "style", long())

  // Asks the data source and the delegate afresh and lays the rows out.
  OBJC_METHOD(reloadData, "reloadData", void())
  OBJC_METHOD(numberOfSections, "numberOfSections", long())
  OBJC_METHOD(numberOfRowsInSection, "numberOfRowsInSection:", long(long))
  // The cell the table holds for the row, or nothing before it was made.
  OBJC_METHOD(cellForRowAtIndexPath, "cellForRowAtIndexPath:", Ref<UITableViewCell>(NSIndexPath*))
  OBJC_METHOD(rectForRowAtIndexPath, "rectForRowAtIndexPath:", CGRect(NSIndexPath*))
  // What a tap on the row does: tells the delegate.
  OBJC_METHOD(_selectRowAtIndexPath, "_selectRowAtIndexPath:", void(NSIndexPath*))

  OBJC_PROPERTY(tableHeaderView, setTableHeaderView, Ref<UIView>)
  // Setting it tells the delegate with scrollViewDidScroll:.
  OBJC_METHOD(contentOffset, "contentOffset", CGPoint())
  OBJC_METHOD(setContentOffset, "setContentOffset:", void(CGPoint))
  OBJC_METHOD(contentSize, "contentSize", CGSize())
  OBJC_METHOD(rowHeight, "rowHeight", double())
  OBJC_METHOD(setRowHeight, "setRowHeight:", void(double))
  OBJC_OVERRIDE(layoutSubviews)
  // The rows scroll under the frame: a touch reaches the row drawn under it.
  OBJC_OVERRIDE(hitTestWithEvent)
  // Measures every row, header and footer once, as a layout pass does.
  OBJC_METHOD(_measure, "_measure", void())

 public:
  // The names hosts call the private messages by.
  void selectRowAtIndexPath(objc::ParamT<NSIndexPath*> p) { _selectRowAtIndexPath(p); }
  void measure() { _measure(); }

  // The last layout, for hosts and tests (not messages).
  struct SectionLayout {
    CGFloat headerHeight = 0, footerHeight = 0;
    Ref<UIView> headerView, footerView;
    std::vector<CGFloat> rowHeights;
    std::vector<CGFloat> rowOrigins;
  };
  const std::vector<SectionLayout>& sectionLayout() const { return sections_; }
  unsigned long reloadCount() const { return reloads_; }

 private:
  Ref<UITableView> initWithFrameStyleImpl(CGRect f, long style);
  Ref<NSObject> dataSourceImpl() { return dataSource_.lock(); }
  void setDataSourceImpl(NSObject* d) { dataSource_ = Weak<NSObject>(d); }
  Ref<NSObject> delegateImpl() { return delegate_.lock(); }
  void setDelegateImpl(NSObject* d) { delegate_ = Weak<NSObject>(d); }
  long styleImpl() { return style_; }
  void reloadDataImpl();
  long numberOfSectionsImpl();
  long numberOfRowsInSectionImpl(long s);
  Ref<UITableViewCell> cellForRowAtIndexPathImpl(NSIndexPath* p);
  CGRect rectForRowAtIndexPathImpl(NSIndexPath* p);
  void _selectRowAtIndexPathImpl(NSIndexPath* p);
  CGPoint contentOffsetImpl() { return contentOffset_; }
  void setContentOffsetImpl(CGPoint p);
  CGSize contentSizeImpl() { return contentSize_; }
  double rowHeightImpl() { return rowHeight_; }
  void setRowHeightImpl(double h) { rowHeight_ = h; }
  void layoutSubviewsImpl();
  Ref<UIView> hitTestWithEventImpl(CGPoint p, UIEvent* e);
  void _measureImpl();

  long style_ = UITableViewStylePlain;
  Weak<NSObject> dataSource_;
  Weak<NSObject> delegate_;
  CGPoint contentOffset_;
  CGSize contentSize_;
  double rowHeight_ = 0;
  unsigned long reloads_ = 0;
  std::vector<SectionLayout> sections_;
  std::vector<std::vector<Ref<UITableViewCell>>> cells_;
};
