#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>

#include "notify/notify.h"
#include "support.h"

using namespace std::chrono_literals;
using notify_test::Observer;
using notify_test::PostingRoot;
using notify_test::TempRoot;

namespace {

constexpr int kImmediate = 4;
constexpr int kCoalesce = 2;

TEST(AcrossProcesses, APostReachesEveryObservingProcessAndOnlyThose) {
  TempRoot root;
  Observer first(root.path(), kImmediate, {"com.corvallo.test/a"});
  Observer second(root.path(), kCoalesce, {"com.corvallo.test/a", "com.corvallo.test/b"});
  PostingRoot posting(root.path());

  ASSERT_EQ(notify_post("com.corvallo.test/a"), NOTIFY_STATUS_OK);
  EXPECT_EQ(first.nextLine(), "com.corvallo.test/a");
  EXPECT_EQ(second.nextLine(), "com.corvallo.test/a");

  notify_post("com.corvallo.test/b");
  notify_post("com.corvallo.test/a");
  EXPECT_EQ(first.nextLine(), "com.corvallo.test/a") << "b is not for the first";
  EXPECT_EQ(second.nextLine(), "com.corvallo.test/b");
  EXPECT_EQ(second.nextLine(), "com.corvallo.test/a");
}

TEST(AcrossProcesses, AKilledObserverIsCleanedUpAndDisturbsNoLaterPost) {
  TempRoot root;
  Observer doomed(root.path(), kImmediate, {"com.corvallo.test/k"});
  Observer survivor(root.path(), kImmediate, {"com.corvallo.test/k"});
  PostingRoot posting(root.path());
  ASSERT_EQ(root.listeners().size(), 2u);

  doomed.killAndReap();
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(notify_post("com.corvallo.test/k"), NOTIFY_STATUS_OK);
    EXPECT_EQ(survivor.nextLine(), "com.corvallo.test/k");
  }
  EXPECT_EQ(root.listeners().size(), 1u) << "the dead endpoint is removed by the first post";
}

// Killed observers leave their sockets behind; the next observer to start
// sweeps them, without waiting for a post to find them refused.
TEST(AcrossProcesses, AnObserverStartingSweepsTheSocketsOfDeadOnes) {
  TempRoot root;
  {
    Observer a(root.path(), kImmediate, {"com.corvallo.test/s"}), b(root.path(), kImmediate, {"com.corvallo.test/s"});
    a.killAndReap();
    b.killAndReap();
  }
  ASSERT_EQ(root.listeners().size(), 2u);
  Observer fresh(root.path(), kImmediate, {"com.corvallo.test/s"});
  EXPECT_EQ(root.listeners().size(), 1u);
}

TEST(AcrossProcesses, AStoppedObserverNeverHoldsUpThePoster) {
  TempRoot root;
  Observer stopped(root.path(), kImmediate, {"com.corvallo.test/s"});
  Observer live(root.path(), kCoalesce, {"com.corvallo.test/s"});
  PostingRoot posting(root.path());

  stopped.signal(SIGSTOP);
  testing::internal::CaptureStderr();
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 2000; ++i) ASSERT_EQ(notify_post("com.corvallo.test/s"), NOTIFY_STATUS_OK);
  const auto took = std::chrono::steady_clock::now() - start;
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_LT(took, 2s);
  EXPECT_NE(err.find("is not reading"), std::string::npos) << err;

  EXPECT_EQ(live.nextLine(), "com.corvallo.test/s");

  // Once running again, the stopped one delivers what its socket kept.
  stopped.signal(SIGCONT);
  EXPECT_EQ(stopped.nextLine(), "com.corvallo.test/s");
}

TEST(AcrossProcesses, ADeviceRootBeyondTheSocketPathLimitWorks) {
  TempRoot root(160);
  Observer observer(root.path(), kImmediate, {"com.corvallo.test/long"});
  PostingRoot posting(root.path());
  ASSERT_EQ(root.listeners().size(), 1u);
  EXPECT_GT(root.folder().size() + 1 + root.listeners()[0].size(), 108u);
  EXPECT_EQ(notify_post("com.corvallo.test/long"), NOTIFY_STATUS_OK);
  EXPECT_EQ(observer.nextLine(), "com.corvallo.test/long");
}

}  // namespace
