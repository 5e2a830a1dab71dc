#include <gtest/gtest.h>

#include "springboard/SBIconListPageControl.h"

namespace {

// Delegates are not retained, as on the device; one that goes away first
// leaves the control answering nil rather than a freed object.
TEST(PageControlDelegate, ReadsNilOnceTheDelegateIsGone) {
  auto control = SBIconListPageControl::make(CGRectMake(0, 700, 390, 37));
  {
    auto delegate = NSObject::make();
    control->setDelegate(delegate);
    ASSERT_EQ(control->delegate().get(), delegate.get());
    EXPECT_EQ(delegate->retainCount(), 1u);
  }
  EXPECT_FALSE(control->delegate());
}

}  // namespace
