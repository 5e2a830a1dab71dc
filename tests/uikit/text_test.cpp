// Text measured with the system face: the relations a layout relies on, not
// figures that a font package update would change.
#include <gtest/gtest.h>

#include <cmath>

#include "uikit/TextMeasure.h"
#include "uikit/UILabel.h"

namespace {

Ref<UILabel> label(const char* text, double size, double weight = UIFontWeightRegular) {
  auto l = UILabel::make();
  l->setText(NSString::make(text));
  l->setFont(UIFont::systemFontOfSizeWeight(size, weight));
  return l;
}

}  // namespace

TEST(Text, TheSystemFaceIsInterOrItsFallback) {
  std::string family = uikit::resolvedSystemFamily();
  EXPECT_TRUE(family == "Inter" || family == "DejaVu Sans") << family;
  EXPECT_EQ(uikit::pangoFontDescription(UIFont::systemFontOfSizeWeight(17, UIFontWeightSemibold).get()),
            "Inter,DejaVu Sans, Semi-Bold 17px");
}

TEST(Text, FittedLabelsGrowWithSizeTextAndWeightAndKeepFractions) {
  auto small = label("Corvallo", 17), large = label("Corvallo", 32);
  small->sizeToFit();
  large->sizeToFit();
  CGSize s = small->frame().size, l = large->frame().size;
  EXPECT_GT(s.width, 0);
  EXPECT_GT(l.width, s.width * 1.5);
  EXPECT_GT(l.height, s.height * 1.5);
  EXPECT_NE(l.height, std::floor(l.height)) << "unhinted metrics keep the fraction";

  CGSize bold = uikit::measureText("Corvallo", UIFont::systemFontOfSizeWeight(32, UIFontWeightBold).get());
  EXPECT_GT(bold.width, l.width);
  EXPECT_EQ(bold.height, l.height);
  EXPECT_GT(uikit::measureText("Corvallo!", UIFont::systemFontOfSize(32).get()).width, l.width);
}

TEST(Text, LinesEmptyTextAndShrinking) {
  auto empty = UILabel::make(CGRectMake(5, 6, 100, 40));
  empty->sizeToFit();
  EXPECT_EQ(empty->frame(), CGRectMake(5, 6, 0, 0));
  EXPECT_EQ(empty->font()->pointSize(), kUILabelDefaultFontSize);
  EXPECT_EQ(empty->textAlignment(), NSTextAlignmentNatural);

  auto wrapped = label("Corvallo hides and recolours the page dots", 17);
  CGSize oneLine = wrapped->sizeThatFits(CGSize{120, 0});
  wrapped->setNumberOfLines(0);
  CGSize many = wrapped->sizeThatFits(CGSize{120, 0});
  EXPECT_LE(many.width, 120);
  EXPECT_GE(many.height, oneLine.height * 3);
  wrapped->setNumberOfLines(2);
  EXPECT_NEAR(wrapped->sizeThatFits(CGSize{120, 0}).height, oneLine.height * 2, 1);

  auto shrink = label("Apply to Widget Stacks", 17);
  shrink->sizeToFit();
  double natural = shrink->frame().size.width;
  shrink->setFrame(CGRectMake(0, 0, natural * 0.8, 20));
  EXPECT_EQ(shrink->displayedPointSize(), 17) << "only labels that adjust shrink";
  shrink->setAdjustsFontSizeToFitWidth(true);
  shrink->setMinimumScaleFactor(0.5);
  EXPECT_NEAR(shrink->displayedPointSize(), 17 * 0.8, 1e-6);
  shrink->setFrame(CGRectMake(0, 0, natural * 0.2, 20));
  EXPECT_EQ(shrink->displayedPointSize(), 17 * 0.5);
}
