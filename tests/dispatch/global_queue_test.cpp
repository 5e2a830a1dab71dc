#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <latch>
#include <thread>

#include "dispatch/dispatch.h"
#include "dispatch/main_loop.h"

using namespace std::chrono_literals;

namespace {

TEST(GlobalQueues, AreConcurrentOffTheMainThreadAndHighHasItsOwnPool) {
  auto* def = dispatch_get_global_queue(DISPATCH_QUEUE_PRIORITY_DEFAULT, 0);
  auto* high = dispatch_get_global_queue(DISPATCH_QUEUE_PRIORITY_HIGH, 0);
  ASSERT_NE(def, nullptr);
  ASSERT_NE(high, nullptr);
  EXPECT_NE(def, high);
  EXPECT_EQ(dispatch_get_global_queue(DISPATCH_QUEUE_PRIORITY_DEFAULT, 0), def);

  // Two blocks that wait for each other finish only if they run at once.
  std::latch both(2);
  std::promise<bool> a, b;
  dispatch_async(def, [&] {
    both.arrive_and_wait();
    a.set_value(dispatch::isMainThread());
  });
  dispatch_async(def, [&] {
    both.arrive_and_wait();
    b.set_value(dispatch::isMainThread());
  });
  auto fa = a.get_future(), fb = b.get_future();
  ASSERT_EQ(fa.wait_for(5s), std::future_status::ready);
  ASSERT_EQ(fb.wait_for(5s), std::future_status::ready);
  EXPECT_FALSE(fa.get());
  EXPECT_FALSE(fb.get());

  // With every default thread busy, high-priority work still runs.
  constexpr int kBlockers = 64;
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::latch blockersDone(kBlockers);
  for (int i = 0; i < kBlockers; ++i)
    dispatch_async(def, [&, released] {
      released.wait();
      blockersDone.count_down();
    });
  std::promise<void> highRan;
  dispatch_async(high, [&] { highRan.set_value(); });
  EXPECT_EQ(highRan.get_future().wait_for(5s), std::future_status::ready);
  release.set_value();
  blockersDone.wait();
}

TEST(GlobalQueues, AfterWaitsAndHandsBackToTheMainQueue) {
  auto* def = dispatch_get_global_queue(DISPATCH_QUEUE_PRIORITY_DEFAULT, 0);
  const auto start = std::chrono::steady_clock::now();
  std::chrono::steady_clock::duration ranAfter{};
  bool back = false;
  dispatch_after(dispatch_time(DISPATCH_TIME_NOW, 20 * NSEC_PER_MSEC), def, [&] {
    ranAfter = std::chrono::steady_clock::now() - start;
    dispatch_async(dispatch_get_main_queue(), [&] { back = dispatch::isMainThread(); });
  });
  ASSERT_TRUE(dispatch::runMainUntil([&] { return back; }, 5s));
  EXPECT_GE(ranAfter, 20ms);
}

TEST(DispatchTime, SaturatesInsteadOfWrapping) {
  dispatch_time_t now = dispatch_time(DISPATCH_TIME_NOW, 0);
  EXPECT_NE(now, DISPATCH_TIME_NOW);
  EXPECT_EQ(dispatch_time(now, NSEC_PER_SEC) - now, NSEC_PER_SEC);
  EXPECT_EQ(dispatch_time(DISPATCH_TIME_FOREVER, -5), DISPATCH_TIME_FOREVER);
  EXPECT_NE(dispatch_time(now, INT64_MAX), DISPATCH_TIME_FOREVER);
  EXPECT_GT(dispatch_time(now, INT64_MAX), now);
  EXPECT_EQ(dispatch_time(now, INT64_MIN), 1u);
}

}  // namespace
