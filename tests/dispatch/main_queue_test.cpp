#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "dispatch/dispatch.h"
#include "dispatch/main_loop.h"

using namespace std::chrono_literals;

namespace {

constexpr int kPerThread = 500;

struct Recorder {
  std::mutex mutex;
  std::vector<int> order;
  bool allOnMain = true;
  void add(int v) {
    std::lock_guard lock(mutex);
    order.push_back(v);
    allOnMain = allOnMain && dispatch::isMainThread();
  }
};

TEST(MainQueue, RunsInSubmissionOrderOnTheMainThreadFromAnyThread) {
  Recorder rec;
  auto* main = dispatch_get_main_queue();
  // Blocks queued by a block run after those already waiting.
  dispatch_async(main, [&] {
    rec.add(1);
    dispatch_async(main, [&] { rec.add(3); });
  });
  dispatch_async(main, [&] { rec.add(2); });
  dispatch::runMainUntilIdle();
  EXPECT_EQ(rec.order, (std::vector<int>{1, 2, 3}));

  // A submission that happens after another on a second thread runs after it.
  rec.order.clear();
  std::atomic<int> handedOver{-1};
  std::thread first([&] {
    for (int i = 0; i < kPerThread; ++i) {
      dispatch_async(main, [&rec, i] { rec.add(i); });
      handedOver.store(i, std::memory_order_release);
    }
  });
  std::thread second([&] {
    for (int i = 0; i < kPerThread; ++i) {
      while (handedOver.load(std::memory_order_acquire) < i) std::this_thread::yield();
      dispatch_async(main, [&rec, i] { rec.add(kPerThread + i); });
    }
  });
  first.join();
  second.join();
  dispatch::runMainUntilIdle();
  ASSERT_EQ(rec.order.size(), 2u * kPerThread);
  std::vector<std::size_t> at(2 * kPerThread);
  for (std::size_t pos = 0; pos < rec.order.size(); ++pos) at[rec.order[pos]] = pos;
  for (int i = 0; i < kPerThread; ++i) {
    if (i > 0) {
      ASSERT_LT(at[i - 1], at[i]);
    }
    ASSERT_LT(at[i], at[kPerThread + i]) << "block " << i;
  }
  EXPECT_TRUE(rec.allOnMain);
}

TEST(MainQueue, AcceptsMoveOnlyBlocksAndSurvivesAThrowingOne) {
  auto value = std::make_unique<int>(7);
  int seen = 0;
  bool after = false;
  auto* main = dispatch_get_main_queue();
  dispatch_async(main, [v = std::move(value), &seen] { seen = *v; });
  dispatch_async(main, [] { throw std::runtime_error("boom"); });
  dispatch_async(main, [&] { after = true; });
  testing::internal::CaptureStderr();
  dispatch::runMainUntilIdle();
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(seen, 7);
  EXPECT_TRUE(after);
  EXPECT_NE(err.find("boom"), std::string::npos) << err;
  EXPECT_THROW(dispatch_async(nullptr, [] {}), std::invalid_argument);
}

TEST(MainQueue, AfterRunsInDeadlineOrderAndNotEarly) {
  auto* main = dispatch_get_main_queue();
  Recorder rec;
  const auto start = std::chrono::steady_clock::now();
  std::vector<std::chrono::steady_clock::duration> ranAt(4);
  for (int ms : {30, 10, 20}) {
    dispatch_after(dispatch_time(DISPATCH_TIME_NOW, ms * NSEC_PER_MSEC), main, [&, ms] {
      ranAt[ms / 10] = std::chrono::steady_clock::now() - start;
      rec.add(ms);
    });
  }
  bool never = false;
  dispatch_after(DISPATCH_TIME_FOREVER, main, [&] { never = true; });
  EXPECT_EQ(dispatch::runMainUntilIdle(), 0u) << "idle does not wait for later blocks";
  ASSERT_TRUE(dispatch::runMainUntil([&] { return rec.order.size() == 3; }, 5s));
  EXPECT_EQ(rec.order, (std::vector<int>{10, 20, 30}));
  for (int i = 1; i <= 3; ++i) EXPECT_GE(ranAt[i], i * 10ms);
  EXPECT_TRUE(rec.allOnMain);
  EXPECT_FALSE(never);
}

TEST(MainQueue, RunUntilAnswersWhetherTheConditionHeldBeforeTheDeadline) {
  std::atomic<bool> waiting{false}, flag{false};
  // The block comes once the loop is running, so it is the block that wakes it.
  std::thread setter([&] {
    while (!waiting) std::this_thread::yield();
    dispatch_async(dispatch_get_main_queue(), [&] { flag = true; });
  });
  auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(dispatch::runMainUntil(
      [&] {
        waiting = true;
        return flag.load();
      },
      10s));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s) << "woke on the block, not the deadline";
  setter.join();

  start = std::chrono::steady_clock::now();
  EXPECT_FALSE(dispatch::runMainUntil([] { return false; }, 50ms));
  auto took = std::chrono::steady_clock::now() - start;
  EXPECT_GE(took, 50ms);
  EXPECT_LT(took, 2s);
}

TEST(MainQueue, DispatchMainReturnsOnStopFromAnyThread) {
  std::atomic<int> ran{0};
  dispatch_async(dispatch_get_main_queue(), [&] { ++ran; });
  // Stopped while it runs: the block has run, so the loop has started.
  std::thread stopper([&] {
    while (ran == 0) std::this_thread::yield();
    dispatch::stopMain();
  });
  dispatch_main();
  stopper.join();
  EXPECT_EQ(ran, 1);

  // A stop requested before the loop starts is not lost; a block can ask too.
  dispatch::stopMain();
  dispatch_main();
  dispatch_async(dispatch_get_main_queue(), [] { dispatch::stopMain(); });
  dispatch_main();
}

TEST(MainQueue, OnlyTheMainThreadRunsTheLoop) {
  EXPECT_TRUE(dispatch::isMainThread());
  std::thread other([] {
    EXPECT_FALSE(dispatch::isMainThread());
    EXPECT_THROW(dispatch::runMainUntilIdle(), std::logic_error);
  });
  other.join();
  // Nor may a block run it again from inside.
  bool threw = false;
  dispatch_async(dispatch_get_main_queue(), [&] {
    try {
      dispatch::runMainUntilIdle();
    } catch (const std::logic_error&) {
      threw = true;
    }
  });
  dispatch::runMainUntilIdle();
  EXPECT_TRUE(threw);
}

}  // namespace
