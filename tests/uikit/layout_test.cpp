// Automatic resizing of subviews and constraints resolved in the layout pass.
#include <gtest/gtest.h>

#include "uikit/UILabel.h"
#include "uikit/UINavigationController.h"

TEST(Autoresizing, FlexibleSizesFollowTheSuperviewAndFixedViewsStay) {
  auto cell = UIView::make(CGRectMake(0, 0, 320, 320));
  auto label = UIView::make(CGRectMake(0, 18, 290, 320));
  label->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
  auto icon = UIView::make(CGRectMake(131, -20, 58, 58));
  auto centred = UIView::make(CGRectMake(100, 0, 100, 10));
  centred->setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin | UIViewAutoresizingFlexibleRightMargin);
  cell->addSubview(icon);
  cell->addSubview(label);
  cell->addSubview(centred);
  cell->setFrame(CGRectMake(0, 500, 375, 90));
  EXPECT_EQ(label->frame(), CGRectMake(0, 18, 345, 90));
  EXPECT_EQ(icon->frame(), CGRectMake(131, -20, 58, 58));
  EXPECT_EQ(centred->frame(), CGRectMake(125, 0, 100, 10)) << "margins share the change by their sizes";
  cell->setFrame(CGRectMake(0, 0, 375, 90));  // a move alone resizes nothing
  EXPECT_EQ(label->frame(), CGRectMake(0, 18, 345, 90));
}

namespace {

// A view as wide and high as its label, the label centred across and `offset`
// below the middle: the shape of a navigation title view.
struct Titled {
  Ref<UIView> view = UIView::make();
  Ref<UILabel> label = UILabel::make();
  Ref<NSLayoutConstraint> y;

  explicit Titled(double offset) {
    label->setText("Corvallo"_ns);
    label->setTranslatesAutoresizingMaskIntoConstraints(false);
    view->addSubview(label);
    y = label->centerYAnchor()->constraintEqualToAnchorConstant(view->centerYAnchor(), offset);
    NSLayoutConstraint::activateConstraints(
        NSArray::of({view->widthAnchor()->constraintEqualToAnchor(label->widthAnchor()),
                     view->heightAnchor()->constraintEqualToAnchor(label->heightAnchor()),
                     label->centerXAnchor()->constraintEqualToAnchor(view->centerXAnchor()), y}));
  }
  double offset() const {
    CGRect l = label->frame(), v = view->bounds();
    return l.origin.y + l.size.height / 2 - v.size.height / 2;
  }
};

}  // namespace

TEST(Constraints, TheLayoutPassSizesTheViewByItsLabelAndPlacesTheLabel) {
  Titled t(50);
  EXPECT_EQ(t.view->constraints()->count(), 4u) << "installed on the common ancestor";
  EXPECT_TRUE(t.y->isActive());
  t.view->layoutIfNeeded();
  CGSize fitted = t.label->intrinsicContentSize();
  EXPECT_EQ(t.view->frame().size, fitted);
  EXPECT_EQ(t.label->frame().origin.x, 0);
  EXPECT_DOUBLE_EQ(t.offset(), 50);

  t.y->setConstant(-50);
  EXPECT_DOUBLE_EQ(t.offset(), 50) << "nothing moves before the next pass";
  t.view->layoutIfNeeded();
  EXPECT_DOUBLE_EQ(t.offset(), -50);

  // Laying out an ancestor reaches the view that asked for it.
  auto bar = UINavigationBar::make(CGRectMake(0, 0, 375, 44));
  auto item = UINavigationItem::make();
  item->setTitleView(t.view);
  bar->_showItem(item);
  t.y->setConstant(12);
  bar->layoutIfNeeded();
  EXPECT_DOUBLE_EQ(t.offset(), 12);
  EXPECT_EQ(t.view->superview().get(), bar.get());
  EXPECT_DOUBLE_EQ(t.view->frame().origin.x, (375 - fitted.width) / 2) << "centred in the bar";
}

TEST(Constraints, ViewsWithoutACommonAncestorOrAcrossAxesMakeNothing) {
  auto a = UIView::make(), b = UIView::make();
  auto c = a->widthAnchor()->constraintEqualToAnchor(b->widthAnchor());
  NSLayoutConstraint::activateConstraints(NSArray::of({c}));
  EXPECT_FALSE(c->isActive());
  EXPECT_EQ(a->constraints()->count(), 0u);
  EXPECT_FALSE(a->widthAnchor()->constraintEqualToAnchor(b->centerXAnchor()));
  a->addSubview(b);
  c->setActive(true);
  EXPECT_EQ(a->constraints()->count(), 1u);
  c->setActive(false);
  EXPECT_EQ(a->constraints()->count(), 0u);
}

TEST(NavigationBar, TheRightItemSitsAtTheTrailingMarginAndAnOldOneLeaves) {
  auto bar = UINavigationBar::make(CGRectMake(0, 0, 375, 44));
  auto item = UINavigationItem::make();
  auto first = UIView::make(CGRectMake(0, 0, 120, 34));
  item->setRightBarButtonItem(UIBarButtonItem::make(first));
  bar->_showItem(item);
  bar->layoutIfNeeded();
  EXPECT_EQ(first->frame(), CGRectMake(375 - kUINavigationBarMargin - 120, 5, 120, 34));
  auto second = UIView::make(CGRectMake(0, 0, 90, 30));
  item->setRightBarButtonItem(UIBarButtonItem::make(second));
  bar->setNeedsLayout();
  bar->layoutIfNeeded();
  EXPECT_FALSE(first->superview());
  EXPECT_EQ(second->superview().get(), bar.get());
  EXPECT_EQ(bar->subviewList().size(), 1u);
}
