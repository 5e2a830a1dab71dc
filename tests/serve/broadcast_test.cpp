#include "serve/Broadcast.h"
#include "serve/HostFeed.h"

#include <gtest/gtest.h>

#include <thread>

using namespace std::chrono_literals;

TEST(Broadcast, APageGetsEveryEventAfterItsOwnInOrder) {
  serve::Broadcast b;
  std::uint64_t seq = 0;
  EXPECT_EQ(b.snapshot(seq), "");
  b.post("log", {{"line", "one"}});
  b.post("log", {{"line", "two"}});
  std::string text = b.next(seq, 0ms);
  EXPECT_LT(text.find("one"), text.find("two"));
  EXPECT_EQ(text.find("event: log\ndata: {\"line\":\"one\"}\n\n") != std::string::npos, true) << text;
  EXPECT_EQ(b.next(seq, 0ms), "") << "nothing new";
}

TEST(Broadcast, ALatePageStartsFromTheLatestOfEachKey) {
  serve::Broadcast b;
  b.post("frame", {{"n", 1}}, "frame-home");
  b.post("frame", {{"n", 2}}, "frame-home");
  b.post("frame", {{"n", 3}}, "frame-settings");
  b.post("log", {{"line", "gone"}});
  std::uint64_t seq = 0;
  std::string text = b.snapshot(seq);
  EXPECT_EQ(text.find("\"n\":1"), std::string::npos);
  EXPECT_NE(text.find("\"n\":2"), std::string::npos);
  EXPECT_NE(text.find("\"n\":3"), std::string::npos);
  EXPECT_EQ(text.find("gone"), std::string::npos);
  EXPECT_EQ(b.next(seq, 0ms), "");
}

TEST(Broadcast, ALatePageGetsTheRecentLogLinesInOrder) {
  serve::Broadcast b;
  for (std::size_t i = 0; i < serve::Broadcast::kReplayed + 5; ++i) b.postReplayed("log", {{"line", i}});
  b.post("frame", {{"n", 1}}, "frame-home");
  std::uint64_t seq = 0;
  std::string text = b.snapshot(seq);
  EXPECT_EQ(text.find("{\"line\":4}"), std::string::npos) << "only the last ones";
  EXPECT_LT(text.find("{\"line\":5}"), text.find("{\"line\":6}"));
  EXPECT_NE(text.find("\"n\":1"), std::string::npos);
}

TEST(Broadcast, APageTooFarBehindSkipsToTheLatest) {
  serve::Broadcast b;
  std::uint64_t seq = 0;
  for (int i = 0; i < 1000; ++i) b.post("frame", {{"n", i}}, "frame-home");
  std::string text = b.next(seq, 0ms);
  EXPECT_NE(text.find("\"n\":999"), std::string::npos);
  EXPECT_EQ(text.find("\"n\":0}"), std::string::npos);
}

TEST(Broadcast, AWaitingPageWakesForAnEventAndForTheEnd) {
  serve::Broadcast b;
  std::uint64_t seq = 0;
  std::thread poster([&] {
    while (b.waiting() == 0) std::this_thread::yield();  // post to a page already asleep in next()
    b.post("log", {{"line", "x\ny"}});
  });
  auto began = std::chrono::steady_clock::now();
  std::string text = b.next(seq, 10s);
  poster.join();
  EXPECT_LT(std::chrono::steady_clock::now() - began, 5s);
  EXPECT_NE(text.find("x\\ny"), std::string::npos) << "a newline stays inside the event's one data line";
  std::thread stopper([&] { b.stop(); });
  EXPECT_EQ(b.next(seq, 10s), "");
  stopper.join();
  EXPECT_TRUE(b.stopped());
}

TEST(Base64, EncodesEachTailLength) {
  EXPECT_EQ(serve::base64(""), "");
  EXPECT_EQ(serve::base64("f"), "Zg==");
  EXPECT_EQ(serve::base64("fo"), "Zm8=");
  EXPECT_EQ(serve::base64("foo"), "Zm9v");
  EXPECT_EQ(serve::base64(std::string("\xff\xfe\x00", 3)), "//4A");
}
