#include "uikit/UITableView.h"

#include <algorithm>

namespace {

template <objc::MessageType M>
bool answers(NSObject* o) {
  return o && class_respondsToSelector(o->isa(), M::sel());
}

using DataSource = UITableViewDataSource;
using Delegate = UITableViewDelegate;

// A row whose height is unset, or answered negative, gets the table's own.
double defaultRowHeight(double tableRowHeight) { return tableRowHeight > 0 ? tableRowHeight : kUITableRowHeight; }

}  // namespace

Ref<UITableView> UITableView::initWithFrameStyleImpl(CGRect f, long style) {
  Ref<UIView> self = initWithFrame(f);
  if (!self) return nullptr;
  auto table = ref_cast<UITableView>(std::move(self));
  table->style_ = style;
  table->rowHeight_ = kUITableRowHeight;
  return table;
}

long UITableView::numberOfSectionsImpl() { return static_cast<long>(sections_.size()); }

long UITableView::numberOfRowsInSectionImpl(long s) {
  if (s < 0 || s >= static_cast<long>(sections_.size())) return 0;
  return static_cast<long>(sections_[static_cast<std::size_t>(s)].rowHeights.size());
}

// One layout pass: the counts from the data source, then every header,
// row height and footer from the delegate, top to bottom.
void UITableView::_measureImpl() {
  Ref<NSObject> ds = dataSource_.lock();
  Ref<NSObject> dl = delegate_.lock();
  long nsec = 1;
  if (answers<DataSource::numberOfSectionsInTableViewMessage>(ds))
    nsec = std::max(0L, objc::send<DataSource::numberOfSectionsInTableViewMessage>(ds, this));
  if (!ds) nsec = 0;
  sections_.resize(static_cast<std::size_t>(nsec));
  for (long s = 0; s < nsec; ++s) {
    long rows = std::max(0L, objc::send<DataSource::tableViewNumberOfRowsInSectionMessage>(ds, this, s));
    sections_[static_cast<std::size_t>(s)].rowHeights.assign(static_cast<std::size_t>(rows), 0.0);
    sections_[static_cast<std::size_t>(s)].rowOrigins.assign(static_cast<std::size_t>(rows), 0.0);
  }
  bool grouped = style_ != UITableViewStylePlain;
  double y = tableHeaderView_ ? tableHeaderView_->frame().size.height : 0.0;
  for (long s = 0; s < nsec; ++s) {
    auto& sec = sections_[static_cast<std::size_t>(s)];
    sec.headerView = answers<Delegate::tableViewViewForHeaderInSectionMessage>(dl)
                         ? objc::send<Delegate::tableViewViewForHeaderInSectionMessage>(dl, this, s)
                         : nullptr;
    sec.headerHeight = answers<Delegate::tableViewHeightForHeaderInSectionMessage>(dl)
                           ? objc::send<Delegate::tableViewHeightForHeaderInSectionMessage>(dl, this, s)
                           : (grouped ? kUIGroupedSectionSpacing : 0.0);
    y += std::max(0.0, sec.headerHeight);
    bool askRows = answers<Delegate::tableViewHeightForRowAtIndexPathMessage>(dl);
    for (std::size_t r = 0; r < sec.rowHeights.size(); ++r) {
      double h = defaultRowHeight(rowHeight_);
      if (askRows) {
        auto path = NSIndexPath::indexPathForRowInSection(static_cast<long>(r), s);
        h = objc::send<Delegate::tableViewHeightForRowAtIndexPathMessage>(dl, this, path);
      }
      if (h < 0) h = defaultRowHeight(rowHeight_);
      sec.rowOrigins[r] = y;
      sec.rowHeights[r] = h;
      y += h;
    }
    sec.footerView = answers<Delegate::tableViewViewForFooterInSectionMessage>(dl)
                         ? objc::send<Delegate::tableViewViewForFooterInSectionMessage>(dl, this, s)
                         : nullptr;
    sec.footerHeight = answers<Delegate::tableViewHeightForFooterInSectionMessage>(dl)
                           ? objc::send<Delegate::tableViewHeightForFooterInSectionMessage>(dl, this, s)
                           : (grouped ? kUIGroupedSectionSpacing : 0.0);
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
      cells[s].push_back(objc::send<DataSource::tableViewCellForRowAtIndexPathMessage>(ds, this, path));
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

Ref<UIView> UITableView::hitTestWithEventImpl(CGPoint p, UIEvent* e) {
  if (isHidden() || !isUserInteractionEnabled() || alpha() < kUIMinimumHitTestAlpha) return nullptr;
  if (!pointInsideWithEvent(p, e)) return nullptr;
  // The rows lie in content coordinates; the frame shows them from the offset on.
  CGPoint content{p.x + contentOffset_.x, p.y + contentOffset_.y};
  const std::vector<Ref<UIView>> children = subviewList();
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    CGRect f = (*it)->frame();
    if (auto hit = (*it)->hitTestWithEvent(CGPoint{content.x - f.origin.x, content.y - f.origin.y}, e)) return hit;
  }
  return Ref<UIView>(this);
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

void UITableView::_selectRowAtIndexPathImpl(NSIndexPath* p) {
  Ref<NSObject> dl = delegate_.lock();
  if (answers<Delegate::tableViewDidSelectRowAtIndexPathMessage>(dl))
    objc::send<Delegate::tableViewDidSelectRowAtIndexPathMessage>(dl, this, p);
}

void UITableView::setContentOffsetImpl(CGPoint p) {
  contentOffset_ = p;
  Ref<NSObject> dl = delegate_.lock();
  if (answers<Delegate::scrollViewDidScrollMessage>(dl)) objc::send<Delegate::scrollViewDidScrollMessage>(dl, this);
}

OBJC_IMPLEMENT(UITableView)
