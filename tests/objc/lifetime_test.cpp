#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "fixtures.h"
#include "objc/Weak.h"

namespace {

int keyA, keyB;  // association keys are addresses

struct DeallocCounter : ::testing::Test {
  int start = Tracked::deallocs.load();
  int deallocated() const { return Tracked::deallocs.load() - start; }
};

using Lifetime = DeallocCounter;

TEST_F(Lifetime, StrongReferencesReleaseOnceAndMembersFollowTheirOwner) {
  {
    auto parent = Tracked::make();
    {
      auto child = Tracked::make();
      parent->setChild(child);
      EXPECT_EQ(child->retainCount(), 2u);
    }
    EXPECT_EQ(deallocated(), 0);
    Ref<Tracked> copy = parent;
    EXPECT_EQ(parent->retainCount(), 2u);
  }
  EXPECT_EQ(deallocated(), 2);  // parent, then the child it held
}

TEST_F(Lifetime, AssociatedValuesLiveAsLongAsTheirOwner) {
  Weak<Tracked> watch;
  {
    auto owner = Tracked::make();
    {
      auto value = Tracked::make();
      value->setTag(7);
      watch = value.get();
      objc_setAssociatedObject(owner, &keyA, value, OBJC_ASSOCIATION_RETAIN_NONATOMIC);
    }
    auto back = objc_getAssociatedObject(owner, &keyA);
    ASSERT_TRUE(back);
    EXPECT_EQ(ref_cast<Tracked>(back)->tag(), 7);
    EXPECT_EQ(objc_getAssociatedObject(owner, &keyB), nullptr);
    EXPECT_EQ(deallocated(), 0);
  }
  EXPECT_EQ(deallocated(), 2);
  EXPECT_FALSE(watch.lock());
}

TEST_F(Lifetime, ReplacingOrClearingAnAssociationReleasesTheOldValueOnce) {
  auto owner = Tracked::make();
  objc_setAssociatedObject(owner, &keyA, Tracked::make().get(), OBJC_ASSOCIATION_RETAIN_NONATOMIC);
  objc_setAssociatedObject(owner, &keyA, Tracked::make().get(), OBJC_ASSOCIATION_RETAIN_NONATOMIC);
  EXPECT_EQ(deallocated(), 1);
  objc_setAssociatedObject(owner, &keyA, nullptr, OBJC_ASSOCIATION_RETAIN_NONATOMIC);
  EXPECT_EQ(deallocated(), 2);
  EXPECT_EQ(objc_getAssociatedObject(owner, &keyA), nullptr);

  // An assigned value is not held: the owner's death must not release it.
  auto loose = Tracked::make();
  {
    auto shortLived = Tracked::make();
    objc_setAssociatedObject(shortLived, &keyB, loose, OBJC_ASSOCIATION_ASSIGN);
  }
  EXPECT_EQ(deallocated(), 3);
  EXPECT_EQ(loose->retainCount(), 1u);
}

TEST_F(Lifetime, AValueMayReleaseItsOwnerFromInsideDealloc) {
  // A value whose dealloc touches associations must not deadlock: no release
  // runs while the runtime holds its side-table lock.
  auto owner = Tracked::make();
  auto inner = Tracked::make();
  objc_setAssociatedObject(inner, &keyB, Tracked::make().get(), OBJC_ASSOCIATION_RETAIN_NONATOMIC);
  objc_setAssociatedObject(owner, &keyA, inner, OBJC_ASSOCIATION_RETAIN_NONATOMIC);
  inner = nullptr;
  owner = nullptr;
  EXPECT_EQ(deallocated(), 3);
}

TEST_F(Lifetime, WeakReferencesNeverResurrectADyingObject) {
  for (int round = 0; round < 200; ++round) {
    auto obj = Tracked::make();
    Weak<Tracked> weak(obj.get());
    std::atomic<bool> go{false};
    std::thread t([&] {
      while (!go.load()) {
      }
      for (int i = 0; i < 50; ++i) {
        if (auto strong = weak.lock()) {
          EXPECT_GE(strong->retainCount(), 1u);
        }
      }
    });
    go = true;
    obj = nullptr;
    t.join();
    EXPECT_FALSE(weak.lock());
  }
  EXPECT_EQ(deallocated(), 200);
}

}  // namespace
