// Layer animations on the media clock: a glow that pulses 5 → 25 → 5 every
// eight seconds, copies kept by the layer, and the clock a test can drive.
#include <gtest/gtest.h>

#include <cfloat>

#include "foundation/NSNumber.h"
#include "uikit/CALayer.h"
#include "uikit/MediaClock.h"

namespace {

class Animations : public ::testing::Test {
 protected:
  void SetUp() override { uikit::setMediaTime(1000); }
  void TearDown() override { uikit::useRealMediaTime(); }

  static Ref<CABasicAnimation> glow() {
    auto a = CABasicAnimation::animationWithKeyPath("shadowRadius"_ns);
    a->setDuration(4);
    a->setFromValue(NSNumber::numberWithDouble(5));
    a->setToValue(NSNumber::numberWithDouble(25));
    a->setTimingFunction(CAMediaTimingFunction::functionWithName(NSString::make(kCAMediaTimingFunctionLinear)));
    a->setAutoreverses(true);
    a->setRepeatCount(FLT_MAX);
    a->setRemovedOnCompletion(false);
    return a;
  }
};

}  // namespace

TEST_F(Animations, AGlowPulsesForeverFromTheMomentItIsAdded) {
  auto layer = CALayer::make();
  layer->setShadowRadius(25);
  layer->addAnimationForKey(glow(), "shadowRadius"_ns);
  auto stored = ref_cast<CABasicAnimation>(layer->animationForKey("shadowRadius"_ns));
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->beginTime(), 1000);
  struct {
    double at, value;
  } expected[] = {{1000, 5}, {1001, 10}, {1002, 15}, {1004, 25}, {1006, 15}, {1008, 5}, {1010, 15}, {801004, 25}};
  for (const auto& e : expected) {
    EXPECT_DOUBLE_EQ(*stored->valueAtTime(e.at), e.value) << "at " << e.at;
    EXPECT_DOUBLE_EQ(*layer->presentationValue("shadowRadius", e.at), e.value) << "at " << e.at;
  }
  EXPECT_EQ(*layer->presentationValue("shadowRadius", 999), 25) << "before it begins the model value shows";
  EXPECT_EQ(*layer->modelValue("shadowRadius"), 25);
  EXPECT_FALSE(layer->presentationValue("bounds", 1000));
}

TEST_F(Animations, TheLayerKeepsACopySoOneAnimationServesTwoLayers) {
  auto icon = CALayer::make(), title = CALayer::make();
  auto a = glow();
  icon->addAnimationForKey(a, "shadowRadius"_ns);
  uikit::advanceMediaTime(1);
  a->setToValue(NSNumber::numberWithDouble(40));
  title->addAnimationForKey(a, "shadowRadius"_ns);
  auto first = ref_cast<CABasicAnimation>(icon->animationForKey("shadowRadius"_ns));
  auto second = ref_cast<CABasicAnimation>(title->animationForKey("shadowRadius"_ns));
  EXPECT_NE(first.get(), a.get());
  EXPECT_NE(second.get(), first.get());
  EXPECT_EQ(static_cast<NSNumber*>(first->toValue().get())->doubleValue(), 25);
  EXPECT_EQ(static_cast<NSNumber*>(second->toValue().get())->doubleValue(), 40);
  EXPECT_EQ(a->beginTime(), 0) << "the caller's animation is not started";
  EXPECT_EQ(second->beginTime(), 1001);

  icon->addAnimationForKey(a, "shadowRadius"_ns);  // the same key replaces
  EXPECT_EQ(icon->animationKeys()->count(), 1u);
  icon->removeAnimationForKey("shadowRadius"_ns);
  EXPECT_FALSE(icon->animationForKey("shadowRadius"_ns));
}

TEST_F(Animations, FiniteAnimationsEndAndPacingBends) {
  auto layer = CALayer::make();
  layer->setOpacity(0.5f);
  auto fade = CABasicAnimation::animationWithKeyPath("opacity"_ns);
  fade->setFromValue(NSNumber::numberWithDouble(0));
  fade->setToValue(NSNumber::numberWithDouble(1));
  fade->setDuration(2);
  fade->setRepeatCount(1.5f);
  layer->addAnimationForKey(fade, "fade"_ns);
  auto stored = ref_cast<CABasicAnimation>(layer->animationForKey("fade"_ns));
  EXPECT_DOUBLE_EQ(stored->activeDuration(), 3);
  EXPECT_DOUBLE_EQ(*stored->valueAtTime(1002.5), 0.25);
  EXPECT_DOUBLE_EQ(*stored->valueAtTime(1010), 0.5) << "a half repeat ends half-way";
  EXPECT_EQ(*layer->presentationValue("opacity", 1010), 0.5) << "removed on completion: the model shows";

  auto ease = CAMediaTimingFunction::functionWithName(NSString::make(kCAMediaTimingFunctionEaseInEaseOut));
  EXPECT_NEAR(ease->evaluate(0.5), 0.5, 1e-9);
  EXPECT_LT(ease->evaluate(0.25), 0.25);
  EXPECT_GT(ease->evaluate(0.75), 0.75);
  EXPECT_EQ(ease->evaluate(1), 1);
  EXPECT_FALSE(CAMediaTimingFunction::functionWithName("wobbly"_ns));

  auto quick = CABasicAnimation::animationWithKeyPath("opacity"_ns);
  EXPECT_EQ(quick->effectiveDuration(), CAAnimation::kDefaultDuration);
  EXPECT_FALSE(quick->valueAtTime(1000)) << "no ends, no value";
}

TEST_F(Animations, TheClockIsDrivenByTestsAndNeverRunsBack) {
  EXPECT_EQ(CACurrentMediaTime(), 1000);
  uikit::advanceMediaTime(2.5);
  EXPECT_EQ(CACurrentMediaTime(), 1002.5);
  EXPECT_TRUE(uikit::mediaTimeIsManual());
  uikit::setMediaTime(1e12);
  uikit::useRealMediaTime();
  EXPECT_FALSE(uikit::mediaTimeIsManual());
  EXPECT_GE(CACurrentMediaTime(), 1e12) << "back on real time, from where it stood";
  double a = CACurrentMediaTime();
  EXPECT_GE(CACurrentMediaTime(), a);
}
