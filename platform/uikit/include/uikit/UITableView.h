// Table views: sections of rows laid out top to bottom with the heights,
// header and footer views the delegate answers, and a scroll offset.
//
// The data source and the delegate are asked through messages, so a page
// overrides any answer by registering its own method. Neither is retained.
#pragma once

#include <vector>

#include "uikit/NSIndexPath.h"
#include "uikit/UITableViewCell.h"
#include "uikit/UIView.h"

enum UITableViewStyle : long {
  UITableViewStylePlain = 0,
  UITableViewStyleGrouped = 1,
  UITableViewStyleInsetGrouped = 2,
};

inline constexpr CGFloat UITableViewAutomaticDimension = -1.0;

class UITableView : public UIView {
  OBJC_CLASS(UITableView, UIView)
 public:
  Ref<UITableView> initWithFrameStyle(CGRect f, long style) {
    return objc::send<Ref<UITableView>(CGRect, long), "initWithFrame:style:">(this, f, style);
  }
  Ref<NSObject> dataSource() { return objc::send<Ref<NSObject>(), "dataSource">(this); }
  void setDataSource(NSObject* d) { objc::send<void(NSObject*), "setDataSource:">(this, d); }
  Ref<NSObject> delegate() { return objc::send<Ref<NSObject>(), "delegate">(this); }
  void setDelegate(NSObject* d) { objc::send<void(NSObject*), "setDelegate:">(this, d); }
  long style() { return objc::send<long(), "style">(this); }

  // Asks the data source and the delegate afresh and lays the rows out.
  void reloadData() { objc::send<void(), "reloadData">(this); }
  long numberOfSections() { return objc::send<long(), "numberOfSections">(this); }
  long numberOfRowsInSection(long s) { return objc::send<long(long), "numberOfRowsInSection:">(this, s); }
  // The cell the table holds for the row, or nothing before it was made.
  Ref<UITableViewCell> cellForRowAtIndexPath(NSIndexPath* p) {
    return objc::send<Ref<UITableViewCell>(NSIndexPath*), "cellForRowAtIndexPath:">(this, p);
  }
  CGRect rectForRowAtIndexPath(NSIndexPath* p) {
    return objc::send<CGRect(NSIndexPath*), "rectForRowAtIndexPath:">(this, p);
  }
  void selectRowAtIndexPath(NSIndexPath* p) { objc::send<void(NSIndexPath*), "_selectRowAtIndexPath:">(this, p); }

  Ref<UIView> tableHeaderView() { return objc::send<Ref<UIView>(), "tableHeaderView">(this); }
  void setTableHeaderView(UIView* v) { objc::send<void(UIView*), "setTableHeaderView:">(this, v); }
  CGPoint contentOffset() { return objc::send<CGPoint(), "contentOffset">(this); }
  // Tells the delegate with scrollViewDidScroll:.
  void setContentOffset(CGPoint p) { objc::send<void(CGPoint), "setContentOffset:">(this, p); }
  CGSize contentSize() { return objc::send<CGSize(), "contentSize">(this); }
  CGFloat rowHeight() { return objc::send<double(), "rowHeight">(this); }
  void setRowHeight(CGFloat h) { objc::send<void(double), "setRowHeight:">(this, h); }

  // The last layout, for hosts and tests (not messages).
  struct SectionLayout {
    CGFloat headerHeight = 0, footerHeight = 0;
    Ref<UIView> headerView, footerView;
    std::vector<CGFloat> rowHeights;
    std::vector<CGFloat> rowOrigins;
  };
  const std::vector<SectionLayout>& sectionLayout() const { return sections_; }
  unsigned long reloadCount() const { return reloads_; }
  // Measures every row, header and footer once, as a layout pass does.
  void measure() { objc::send<void(), "_measure">(this); }

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
  void selectRowAtIndexPathImpl(NSIndexPath* p);
  Ref<UIView> tableHeaderViewImpl() { return tableHeaderView_; }
  void setTableHeaderViewImpl(UIView* v) { tableHeaderView_ = v; }
  CGPoint contentOffsetImpl() { return contentOffset_; }
  void setContentOffsetImpl(CGPoint p);
  CGSize contentSizeImpl() { return contentSize_; }
  double rowHeightImpl() { return rowHeight_; }
  void setRowHeightImpl(double h) { rowHeight_ = h; }
  void layoutSubviewsImpl();
  void measureImpl();

  long style_;
  Weak<NSObject> dataSource_;
  Weak<NSObject> delegate_;
  Ref<UIView> tableHeaderView_;
  CGPoint contentOffset_;
  CGSize contentSize_;
  double rowHeight_;
  unsigned long reloads_;
  std::vector<SectionLayout> sections_;
  std::vector<std::vector<Ref<UITableViewCell>>> cells_;
};
