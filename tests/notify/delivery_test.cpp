#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>

#include "dispatch/dispatch.h"
#include "dispatch/main_loop.h"
#include "notify/CFNotificationCenter.h"
#include "notify/notify.h"
#include "support.h"

using namespace std::chrono_literals;
using notify_test::receiveUntil;

namespace {

CFNotificationCenterRef darwin() { return CFNotificationCenterGetDarwinNotifyCenter(); }

std::string testName() {
  return std::string("com.corvallo.test/") + testing::UnitTest::GetInstance()->current_test_info()->name();
}

struct Counter {
  std::atomic<int> calls{0};
  bool asRegistered = true;  // main thread, own pointer, name, nothing else
  std::string expectedName;
  bool repostOnce = false;
};

void count(CFNotificationCenterRef center, void* observer, CFNotificationName name, const void* object,
           CFDictionaryRef userInfo) {
  auto* c = static_cast<Counter*>(observer);
  c->asRegistered = c->asRegistered && dispatch::isMainThread() && center == darwin() && !object && !userInfo &&
                    name == c->expectedName;
  ++c->calls;
  if (c->repostOnce) {
    c->repostOnce = false;
    notify_post(name);
  }
}

void countToo(CFNotificationCenterRef center, void* observer, CFNotificationName name, const void* object,
              CFDictionaryRef userInfo) {
  count(center, observer, name, object, userInfo);
}

TEST(DarwinCenter, ImmediateGetsEveryPostCoalescedMergesPendingOnes) {
  const std::string name = testName();
  Counter immediate{.expectedName = name}, coalesced{.expectedName = name};
  CFNotificationCenterAddObserver(darwin(), &immediate, count, name.c_str(), nullptr,
                                  CFNotificationSuspensionBehaviorDeliverImmediately);
  CFNotificationCenterAddObserver(darwin(), &coalesced, count, name.c_str(), nullptr,
                                  CFNotificationSuspensionBehaviorCoalesce);

  const auto before = notify::receivedPostCount();
  for (int i = 0; i < 5; ++i) ASSERT_EQ(notify_post(name.c_str()), NOTIFY_STATUS_OK);
  EXPECT_EQ(immediate.calls, 0) << "callbacks come from the main loop only";
  ASSERT_TRUE(receiveUntil(before + 5));
  EXPECT_EQ(immediate.calls, 5);
  EXPECT_EQ(coalesced.calls, 1);

  // A post that arrives while the merged callback runs gets a callback of its own.
  coalesced.repostOnce = true;
  notify_post(name.c_str());
  EXPECT_TRUE(dispatch::runMainUntil([&] { return coalesced.calls == 3 && immediate.calls == 7; }, 5s))
      << coalesced.calls << " " << immediate.calls;
  EXPECT_TRUE(immediate.asRegistered);
  EXPECT_TRUE(coalesced.asRegistered);
  CFNotificationCenterRemoveEveryObserver(darwin(), &immediate);
  CFNotificationCenterRemoveEveryObserver(darwin(), &coalesced);
}

struct Remover {
  Counter* victim;
  std::string victimName;
};

void removeVictim(CFNotificationCenterRef center, void* observer, CFNotificationName, const void*, CFDictionaryRef) {
  auto* r = static_cast<Remover*>(observer);
  CFNotificationCenterRemoveObserver(center, r->victim, r->victimName.c_str(), nullptr);
}

TEST(DarwinCenter, RemovalStopsDeliveryOfPostsAlreadyOnTheirWay) {
  const std::string name = testName(), other = testName() + "/other";
  Counter removed{.expectedName = name}, kept{.expectedName = name}, elsewhere{.expectedName = other};
  for (auto behaviour : {CFNotificationSuspensionBehaviorDeliverImmediately, CFNotificationSuspensionBehaviorCoalesce})
    CFNotificationCenterAddObserver(darwin(), &removed, behaviour == 4 ? count : countToo, name.c_str(), nullptr,
                                    behaviour);
  CFNotificationCenterAddObserver(darwin(), &kept, count, name.c_str(), nullptr,
                                  CFNotificationSuspensionBehaviorDeliverImmediately);
  CFNotificationCenterAddObserver(darwin(), &elsewhere, count, other.c_str(), nullptr,
                                  CFNotificationSuspensionBehaviorDeliverImmediately);

  auto before = notify::receivedPostCount();
  for (int i = 0; i < 3; ++i) notify_post(name.c_str());
  notify_post(other.c_str());
  CFNotificationCenterRemoveObserver(darwin(), &removed, name.c_str(), nullptr);
  CFNotificationCenterRemoveObserver(darwin(), &elsewhere, name.c_str(), nullptr);  // not its name
  ASSERT_TRUE(receiveUntil(before + 4));
  EXPECT_EQ(removed.calls, 0);
  EXPECT_EQ(kept.calls, 3);
  EXPECT_EQ(elsewhere.calls, 1);

  // A callback that removes an observer stops the posts read along with its own.
  Remover remover{&kept, name};
  CFNotificationCenterAddObserver(darwin(), &remover, removeVictim, other.c_str(), nullptr,
                                  CFNotificationSuspensionBehaviorDeliverImmediately);
  notify_post(other.c_str());
  notify_post(name.c_str());
  ASSERT_TRUE(receiveUntil(before + 6));
  EXPECT_EQ(kept.calls, 3);
  EXPECT_EQ(elsewhere.calls, 2);

  for (const void* o : {static_cast<const void*>(&elsewhere), static_cast<const void*>(&remover)})
    CFNotificationCenterRemoveEveryObserver(darwin(), o);
  notify_post(other.c_str());
  ASSERT_TRUE(receiveUntil(before + 7));
  EXPECT_EQ(elsewhere.calls, 2);
}

TEST(DarwinCenter, AThrowingCallbackCostsOtherObserversNothing) {
  const std::string name = testName();
  Counter after{.expectedName = name};
  auto thrower = [](CFNotificationCenterRef, void*, CFNotificationName, const void*, CFDictionaryRef) {
    throw std::runtime_error("callback failed");
  };
  CFNotificationCenterAddObserver(darwin(), nullptr, thrower, name.c_str(), nullptr,
                                  CFNotificationSuspensionBehaviorDeliverImmediately);
  CFNotificationCenterAddObserver(darwin(), &after, count, name.c_str(), nullptr,
                                  CFNotificationSuspensionBehaviorDeliverImmediately);
  testing::internal::CaptureStderr();
  auto before = notify::receivedPostCount();
  notify_post(name.c_str());
  ASSERT_TRUE(receiveUntil(before + 1));
  notify_post(name.c_str());
  ASSERT_TRUE(receiveUntil(before + 2)) << "still reading after the throw";
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(after.calls, 2);
  EXPECT_NE(err.find("callback failed"), std::string::npos) << err;
  CFNotificationCenterRemoveObserver(darwin(), nullptr, name.c_str(), nullptr);
  CFNotificationCenterRemoveEveryObserver(darwin(), &after);
}

struct Slow {
  std::atomic<bool> started{false}, removing{false}, finished{false};
};

void slowCallback(CFNotificationCenterRef, void* observer, CFNotificationName, const void*, CFDictionaryRef) {
  auto* s = static_cast<Slow*>(observer);
  s->started = true;
  while (!s->removing) std::this_thread::yield();
  std::this_thread::sleep_for(30ms);
  s->finished = true;
}

TEST(DarwinCenter, RemovalOffTheMainThreadWaitsForARunningCallback) {
  const std::string name = testName();
  Slow slow;
  CFNotificationCenterAddObserver(darwin(), &slow, slowCallback, name.c_str(), nullptr,
                                  CFNotificationSuspensionBehaviorCoalesce);
  bool finishedWhenRemoved = false;
  std::thread remover([&] {
    while (!slow.started) std::this_thread::yield();
    slow.removing = true;
    CFNotificationCenterRemoveObserver(darwin(), &slow, name.c_str(), nullptr);
    finishedWhenRemoved = slow.finished;
  });
  notify_post(name.c_str());
  EXPECT_TRUE(dispatch::runMainUntil([&] { return slow.finished.load(); }, 5s));
  remover.join();
  EXPECT_TRUE(finishedWhenRemoved);
}

}  // namespace
