#include <gtest/gtest.h>

#include <cmath>

#include "uikit/CALayer.h"
#include "uikit/UIColor.h"

namespace {

class BrandColor : public UIColor {
  OBJC_CLASS(BrandColor, UIColor)
  OBJC_INHERITED_CLASS_METHOD(whiteColor)
};
OBJC_IMPLEMENT(BrandColor)

TEST(Colors, ComponentsAreClampedAndReadBackAlike) {
  auto c = UIColor::colorWithRedGreenBlueAlpha(0.25, 1.5, -1, NAN);
  EXPECT_EQ(c->rgba(), (RGBA{0.25, 1, 0, 0}));

  double r = -1, g = -1, b = -1, a = -1;
  EXPECT_TRUE(c->getRedGreenBlueAlpha(&r, &g, &b, &a));
  EXPECT_EQ((RGBA{r, g, b, a}), c->rgba());
  double onlyGreen = -1;
  EXPECT_TRUE(c->getRedGreenBlueAlpha(nullptr, &onlyGreen, nullptr, nullptr));
  EXPECT_EQ(onlyGreen, 1.0);

  EXPECT_EQ(UIColor::colorWithWhiteAlpha(0.5, 0.25)->rgba(), (RGBA{0.5, 0.5, 0.5, 0.25}));
  EXPECT_EQ(UIColor::whiteColor()->rgba(), (RGBA{1, 1, 1, 1}));
  EXPECT_EQ(UIColor::clearColor()->rgba(), (RGBA{0, 0, 0, 0}));
  EXPECT_EQ(UIColor::systemBlueColor()->rgba(), (RGBA{0, 122 / 255.0, 1, 1}));
}

TEST(Colors, EqualValuesAreStillDistinctObjects) {
  auto a = UIColor::blackColor(), b = UIColor::blackColor();
  EXPECT_NE(a.get(), b.get());
  EXPECT_EQ(a->rgba(), b->rgba());
  EXPECT_EQ(UIColor::labelColor()->rgba(), a->rgba());

  auto faded = a->colorWithAlphaComponent(0.45);
  EXPECT_NE(faded.get(), a.get());
  EXPECT_EQ(faded->rgba(), (RGBA{0, 0, 0, 0.45}));
  EXPECT_EQ(a->rgba().alpha, 1.0);  // the original is untouched
}

TEST(Colors, ReportsAsHexWithAlphaOnlyWhenTranslucent) {
  EXPECT_EQ(UIColor::whiteColor()->hexString(), "#FFFFFF");
  EXPECT_EQ(UIColor::colorWithWhiteAlpha(1, 0.45)->hexString(), "#FFFFFF:0.45");
  EXPECT_EQ(UIColor::systemRedColor()->hexString(), "#FF3B30");
  EXPECT_EQ(colorReport(nullptr), "nil");
}

TEST(Colors, FactoriesSentToASubclassMakeThatSubclass) {
  auto c = BrandColor::whiteColor();
  EXPECT_EQ(c->isa(), BrandColor::cls());
  EXPECT_EQ(c->rgba(), (RGBA{1, 1, 1, 1}));
}

TEST(Layers, StartOpaqueWithEveryCornerMasked) {
  auto layer = CALayer::make();
  EXPECT_EQ(layer->opacity(), 1.0f);
  EXPECT_EQ(layer->maskedCorners(), kCALayerAllCorners);
  EXPECT_EQ(kCALayerAllCorners, kCALayerTopCorners | kCALayerBottomCorners);
  EXPECT_EQ(kCALayerAllCorners, 15u);
  EXPECT_EQ(layer->cornerRadius(), 0.0);
}

}  // namespace
