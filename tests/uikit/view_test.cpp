#include <gtest/gtest.h>

#include "objc/Weak.h"
#include "uikit/UIView.h"

namespace {

class CountingView : public UIView {
  OBJC_CLASS(CountingView, UIView)
  OBJC_OVERRIDE(layoutSubviews)
  OBJC_OVERRIDE(didMoveToSuperview)
  OBJC_OVERRIDE(tintColorDidChange)

 public:
  int layouts = 0;
  int moves = 0;
  int tintChanges = 0;

 private:
  void layoutSubviewsImpl() { ++layouts; }
  void didMoveToSuperviewImpl() { ++moves; }
  void tintColorDidChangeImpl() { ++tintChanges; }
};
OBJC_IMPLEMENT(CountingView)

// Takes a sibling out of the tree while it is being hit tested, as a view
// that dismisses an overlay on touch does.
class SiblingRemover : public UIView {
  OBJC_CLASS(SiblingRemover, UIView)
  OBJC_OVERRIDE(hitTestWithEvent)

 public:
  UIView* victim = nullptr;
  int hitTests = 0;

 private:
  Ref<UIView> hitTestWithEventImpl(CGPoint, UIEvent*) {
    ++hitTests;
    if (victim) victim->removeFromSuperview();
    return nullptr;
  }
};
OBJC_IMPLEMENT(SiblingRemover)

Ref<UIView> box(double x, double y, double w, double h) { return UIView::make(CGRectMake(x, y, w, h)); }

std::vector<UIView*> children(UIView* v) {
  std::vector<UIView*> out;
  for (const auto& c : v->subviewList()) out.push_back(c.get());
  return out;
}

TEST(ViewTree, SubviewsKeepOrderAndIndexesClamp) {
  auto parent = box(0, 0, 100, 100);
  auto a = box(0, 0, 1, 1), b = box(0, 0, 1, 1), c = box(0, 0, 1, 1), d = box(0, 0, 1, 1);
  parent->addSubview(a);
  parent->addSubview(b);
  parent->insertSubviewAtIndex(c, 0);
  parent->insertSubviewAtIndex(d, 99);
  EXPECT_EQ(children(parent), (std::vector<UIView*>{c.get(), a.get(), b.get(), d.get()}));
  EXPECT_EQ(b->superview().get(), parent.get());

  // Adding a child again moves it to the front rather than listing it twice.
  parent->addSubview(c);
  EXPECT_EQ(children(parent), (std::vector<UIView*>{a.get(), b.get(), d.get(), c.get()}));

  // A view never becomes its own child.
  parent->addSubview(parent);
  EXPECT_FALSE(parent->superview());
  EXPECT_EQ(parent->subviewList().size(), 4u);
}

TEST(ViewTree, ReparentingLeavesTheOldParentAndTellsTheView) {
  auto first = box(0, 0, 10, 10), second = box(0, 0, 10, 10);
  auto child = CountingView::make(CGRectMake(0, 0, 1, 1));
  first->addSubview(child);
  second->addSubview(child);
  EXPECT_TRUE(first->subviewList().empty());
  EXPECT_EQ(children(second), (std::vector<UIView*>{child.get()}));
  EXPECT_EQ(child->superview().get(), second.get());
  EXPECT_EQ(child->moves, 3);  // in, out, in

  child->removeFromSuperview();
  EXPECT_TRUE(second->subviewList().empty());
  EXPECT_FALSE(child->superview());
  EXPECT_EQ(child->moves, 4);
  child->removeFromSuperview();  // already out: nothing happens
  EXPECT_EQ(child->moves, 4);
}

TEST(ViewTree, TheSuperviewOwnsItsChildrenAndTheyForgetItWhenItGoes) {
  auto kept = box(0, 0, 1, 1);
  Weak<UIView> onlyInTree;
  {
    auto parent = box(0, 0, 10, 10);
    parent->addSubview(kept);
    parent->addSubview(box(0, 0, 1, 1));
    onlyInTree = Weak<UIView>(parent->subviewList().back().get());
    EXPECT_TRUE(onlyInTree.lock());
  }
  EXPECT_FALSE(onlyInTree.lock());
  EXPECT_FALSE(kept->superview());
}

TEST(ViewLayout, LayoutIfNeededLaysOutOnceAfterEachRequest) {
  auto v = CountingView::make(CGRectMake(0, 0, 10, 10));
  v->layoutIfNeeded();
  EXPECT_EQ(v->layouts, 0);
  v->setNeedsLayout();
  v->setNeedsLayout();
  v->layoutIfNeeded();
  v->layoutIfNeeded();
  EXPECT_EQ(v->layouts, 1);
  v->setNeedsLayout();
  v->layoutIfNeeded();
  EXPECT_EQ(v->layouts, 2);
}

// parent (0,0 100x100) holds back (10,10 50x50) and front (30,30 50x50).
struct HitTree {
  Ref<UIView> parent = box(0, 0, 100, 100);
  Ref<UIView> back = box(10, 10, 50, 50);
  Ref<UIView> front = box(30, 30, 50, 50);
  HitTree() {
    parent->addSubview(back);
    parent->addSubview(front);
  }
  UIView* at(double x, double y) { return parent->hitTestWithEvent(CGPointMake(x, y), nullptr).get(); }
};

TEST(HitTest, FrontmostChildWinsInItsOwnCoordinates) {
  HitTree t;
  EXPECT_EQ(t.at(40, 40), t.front.get());
  EXPECT_EQ(t.at(15, 15), t.back.get());
  EXPECT_EQ(t.at(95, 5), t.parent.get());
  EXPECT_EQ(t.at(150, 5), nullptr);

  auto grandchild = box(0, 0, 5, 5);
  t.front->addSubview(grandchild);
  EXPECT_EQ(t.at(32, 32), grandchild.get());
}

TEST(HitTest, HiddenFaintOrDisabledViewsAndTheirChildrenAreSkipped) {
  HitTree t;
  t.front->setHidden(true);
  EXPECT_EQ(t.at(40, 40), t.back.get());
  t.front->setHidden(false);

  t.front->setAlpha(0.005);
  EXPECT_EQ(t.at(40, 40), t.back.get());
  t.front->setAlpha(0.02);
  EXPECT_EQ(t.at(40, 40), t.front.get());

  t.front->setUserInteractionEnabled(false);
  EXPECT_EQ(t.at(40, 40), t.back.get());

  t.parent->setHidden(true);
  EXPECT_EQ(t.at(15, 15), nullptr);
}

TEST(HitTest, AChildThatRemovesASiblingDuringTheTestIsAskedOnce) {
  auto parent = box(0, 0, 100, 100);
  auto bottom = box(0, 0, 100, 100), middle = box(0, 0, 100, 100);
  auto top = SiblingRemover::make(CGRectMake(0, 0, 100, 100));
  parent->addSubview(bottom);
  parent->addSubview(middle);
  parent->addSubview(top);
  top->victim = bottom.get();

  EXPECT_EQ(parent->hitTestWithEvent(CGPointMake(5, 5), nullptr).get(), middle.get());
  EXPECT_EQ(top->hitTests, 1);
  EXPECT_EQ(children(parent), (std::vector<UIView*>{middle.get(), top.get()}));
}

TEST(TintColor, InheritedFromTheNearestAncestorAndSystemBlueAtTheTop) {
  auto root = box(0, 0, 10, 10), mid = box(0, 0, 10, 10);
  auto leaf = CountingView::make(CGRectMake(0, 0, 1, 1));
  root->addSubview(mid);
  mid->addSubview(leaf);
  const RGBA systemBlue = UIColor::systemBlueColor()->rgba();
  Ref<UIColor> top = leaf->tintColor();
  ASSERT_TRUE(top);
  EXPECT_EQ(top->rgba(), systemBlue);

  auto red = UIColor::systemRedColor();
  root->setTintColor(red);
  EXPECT_EQ(leaf->tintColor().get(), red.get());

  auto green = UIColor::systemGreenColor();
  mid->setTintColor(green);
  EXPECT_EQ(leaf->tintColor().get(), green.get());

  // Moved out of the tree, it shows the system blue again.
  leaf->removeFromSuperview();
  top = leaf->tintColor();
  ASSERT_TRUE(top);
  EXPECT_EQ(top->rgba(), systemBlue);

  // Its own colour wins, and setting one tells the view.
  leaf->setTintColor(red);
  mid->addSubview(leaf);
  EXPECT_EQ(leaf->tintColor().get(), red.get());
  EXPECT_EQ(leaf->tintChanges, 1);
  leaf->setTintColor(nullptr);
  EXPECT_EQ(leaf->tintColor().get(), green.get());
}

}  // namespace
