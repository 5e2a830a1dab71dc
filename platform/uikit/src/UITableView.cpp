#include "uikit/UITableView.h"

#include <algorithm>

namespace {

template <objc::SelName S>
bool answers(NSObject* o) {
  return o && class_respondsToSelector(o->isa(), objc::sel<S>());
}

}  // namespace

Ref<UITableView> UITableView::initWithFrameStyleImpl(CGRect f, long style) {
  auto self = ref_cast<UITableView>(initWithFrame(f));
  if (!self) return nullptr;
  self->style_ = style;
  self->rowHeight_ = 44.0;
  return self;
}

long UITableView::numberOfSectionsImpl() { return static_cast<long>(sections_.size()); }

long UITableView::numberOfRowsInSectionImpl(long s) {
  if (s < 0 || s >= static_cast<long>(sections_.size())) return 0;
  return static_cast<long>(sections_[static_cast<std::size_t>(s)].rowHeights.size());
}

// One layout pass: the counts from the data source, then every header,
// row height and footer from the delegate, top to bottom.
void UITableView::measureImpl() {
  Ref<NSObject> ds = dataSource_.lock();
  Ref<NSObject> dl = delegate_.lock();
  long nsec = 1;
  if (answers<"numberOfSectionsInTableView:">(ds))
    nsec = std::max(0L, objc::send<long(UITableView*), "numberOfSectionsInTableView:">(ds, this));
  if (!ds) nsec = 0;
  sections_.resize(static_cast<std::size_t>(nsec));
  for (long s = 0; s < nsec; ++s) {
    long rows = std::max(0L, objc::send<long(UITableView*, long), "tableView:numberOfRowsInSection:">(ds, this, s));
    sections_[static_cast<std::size_t>(s)].rowHeights.assign(static_cast<std::size_t>(rows), 0.0);
    sections_[static_cast<std::size_t>(s)].rowOrigins.assign(static_cast<std::size_t>(rows), 0.0);
  }
  bool grouped = style_ != UITableViewStylePlain;
  double y = tableHeaderView_ ? tableHeaderView_->frame().size.height : 0.0;
  for (long s = 0; s < nsec; ++s) {
    auto& sec = sections_[static_cast<std::size_t>(s)];
    sec.headerView = answers<"tableView:viewForHeaderInSection:">(dl)
                         ? objc::send<Ref<UIView>(UITableView*, long), "tableView:viewForHeaderInSection:">(dl, this, s)
                         : nullptr;
    sec.headerHeight = answers<"tableView:heightForHeaderInSection:">(dl)
                           ? objc::send<double(UITableView*, long), "tableView:heightForHeaderInSection:">(dl, this, s)
                           : (grouped ? 17.5 : 0.0);
    y += std::max(0.0, sec.headerHeight);
    bool askRows = answers<"tableView:heightForRowAtIndexPath:">(dl);
    for (std::size_t r = 0; r < sec.rowHeights.size(); ++r) {
      double h = rowHeight_ > 0 ? rowHeight_ : 44.0;
      if (askRows) {
        auto path = NSIndexPath::indexPathForRowInSection(static_cast<long>(r), s);
        h = objc::send<double(UITableView*, NSIndexPath*), "tableView:heightForRowAtIndexPath:">(dl, this, path);
      }
      if (h < 0) h = rowHeight_ > 0 ? rowHeight_ : 44.0;
      sec.rowOrigins[r] = y;
      sec.rowHeights[r] = h;
      y += h;
    }
    sec.footerView = answers<"tableView:viewForFooterInSection:">(dl)
                         ? objc::send<Ref<UIView>(UITableView*, long), "tableView:viewForFooterInSection:">(dl, this, s)
                         : nullptr;
    sec.footerHeight = answers<"tableView:heightForFooterInSection:">(dl)
                           ? objc::send<double(UITableView*, long), "tableView:heightForFooterInSection:">(dl, this, s)
                           : (grouped ? 17.5 : 0.0);
    y += std::max(0.0, sec.footerHeight);
  }
  contentSize_ = CGSize{frame().size.width, y};
}

// Measures once without cells, asks for the cells, then lays out again with
// them, as the platform measures before and after it has its cells.
void UITableView::reloadDataImpl() {
  ++reloads_;
  measure();
  Ref<NSObject> ds = dataSource_.lock();
  std::vector<std::vector<Ref<UITableViewCell>>> cells(sections_.size());
  for (std::size_t s = 0; s < sections_.size(); ++s) {
    for (std::size_t r = 0; r < sections_[s].rowHeights.size(); ++r) {
      auto path = NSIndexPath::indexPathForRowInSection(static_cast<long>(r), static_cast<long>(s));
      cells[s].push_back(objc::send<Ref<UITableViewCell>(UITableView*, NSIndexPath*), "tableView:cellForRowAtIndexPath:">(
          ds, this, path));
    }
  }
  for (auto& sec : cells_)
    for (auto& c : sec) {
      bool kept = false;
      for (auto& ns : cells)
        if (std::find(ns.begin(), ns.end(), c) != ns.end()) kept = true;
      if (c && !kept && c->superview().get() == this) c->removeFromSuperview();
    }
  cells_ = std::move(cells);
  for (auto& sec : cells_)
    for (auto& c : sec)
      if (c && c->superview().get() != this) addSubview(c);
  layoutSubviews();
}

void UITableView::layoutSubviewsImpl() {
  measure();
  double width = frame().size.width;
  for (std::size_t s = 0; s < cells_.size() && s < sections_.size(); ++s)
    for (std::size_t r = 0; r < cells_[s].size() && r < sections_[s].rowHeights.size(); ++r) {
      auto& c = cells_[s][r];
      if (!c) continue;
      c->setFrame(CGRectMake(0, sections_[s].rowOrigins[r], width, sections_[s].rowHeights[r]));
      c->layoutSubviews();
    }
}

Ref<UITableViewCell> UITableView::cellForRowAtIndexPathImpl(NSIndexPath* p) {
  if (!p) return nullptr;
  auto s = static_cast<std::size_t>(p->section());
  auto r = static_cast<std::size_t>(p->row());
  if (p->section() < 0 || p->row() < 0 || s >= cells_.size() || r >= cells_[s].size()) return nullptr;
  return cells_[s][r];
}

CGRect UITableView::rectForRowAtIndexPathImpl(NSIndexPath* p) {
  if (!p || p->section() < 0 || p->row() < 0) return CGRectZero;
  auto s = static_cast<std::size_t>(p->section());
  auto r = static_cast<std::size_t>(p->row());
  if (s >= sections_.size() || r >= sections_[s].rowHeights.size()) return CGRectZero;
  return CGRectMake(0, sections_[s].rowOrigins[r], frame().size.width, sections_[s].rowHeights[r]);
}

void UITableView::selectRowAtIndexPathImpl(NSIndexPath* p) {
  Ref<NSObject> dl = delegate_.lock();
  if (answers<"tableView:didSelectRowAtIndexPath:">(dl))
    objc::send<void(UITableView*, NSIndexPath*), "tableView:didSelectRowAtIndexPath:">(dl, this, p);
}

void UITableView::setContentOffsetImpl(CGPoint p) {
  contentOffset_ = p;
  Ref<NSObject> dl = delegate_.lock();
  if (answers<"scrollViewDidScroll:">(dl)) objc::send<void(UIView*), "scrollViewDidScroll:">(dl, this);
}

OBJC_IMPLEMENT_LEGACY(UITableView)
void UITableView::registerMethods(objc::ClassBuilder<UITableView>& b) {
  b.method<"initWithFrame:style:", &UITableView::initWithFrameStyleImpl>()
      .method<"dataSource", &UITableView::dataSourceImpl>()
      .method<"setDataSource:", &UITableView::setDataSourceImpl>()
      .method<"delegate", &UITableView::delegateImpl>()
      .method<"setDelegate:", &UITableView::setDelegateImpl>()
      .method<"style", &UITableView::styleImpl>()
      .method<"reloadData", &UITableView::reloadDataImpl>()
      .method<"numberOfSections", &UITableView::numberOfSectionsImpl>()
      .method<"numberOfRowsInSection:", &UITableView::numberOfRowsInSectionImpl>()
      .method<"cellForRowAtIndexPath:", &UITableView::cellForRowAtIndexPathImpl>()
      .method<"rectForRowAtIndexPath:", &UITableView::rectForRowAtIndexPathImpl>()
      .method<"_selectRowAtIndexPath:", &UITableView::selectRowAtIndexPathImpl>()
      .method<"tableHeaderView", &UITableView::tableHeaderViewImpl>()
      .method<"setTableHeaderView:", &UITableView::setTableHeaderViewImpl>()
      .method<"contentOffset", &UITableView::contentOffsetImpl>()
      .method<"setContentOffset:", &UITableView::setContentOffsetImpl>()
      .method<"contentSize", &UITableView::contentSizeImpl>()
      .method<"rowHeight", &UITableView::rowHeightImpl>()
      .method<"setRowHeight:", &UITableView::setRowHeightImpl>()
      .method<"layoutSubviews", &UITableView::layoutSubviewsImpl>()
      .method<"_measure", &UITableView::measureImpl>();
}
