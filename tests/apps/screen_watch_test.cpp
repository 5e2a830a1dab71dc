// A host's subscribers hear "screen changed" from the host, when and only
// when its screen changed.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <future>

#include "LiveServer.h"
#include "control/ControlClient.h"
#include "control/ScreenWatch.h"
#include "dispatch/dispatch.h"
#include "dispatch/main_loop.h"

namespace {

using namespace std::chrono_literals;
using control::json;
using control_test::LiveServer;

std::unique_ptr<control::Client> subscribe(const std::string& path) {
  auto client = std::make_unique<control::Client>(path, 2s);
  json answer = json::parse(client->requestLine(R"({"op":"subscribe"})", 2s));
  EXPECT_EQ(answer["subscribed"], true);
  return client;
}

bool hears(control::Client& c, std::chrono::milliseconds within) {
  try {
    return json::parse(c.nextLine(within))["event"] == "screenChanged";
  } catch (const std::runtime_error&) {
    return false;
  }
}

TEST(Subscription, CarriesWhatTheHostPublishesAndOutlivesTheIdleTimeout) {
  control::Limits limits;
  limits.idleTimeout = 100ms;
  LiveServer live(limits);
  auto events = subscribe(live.path);
  // A plain connection made after the subscription is closed for idling:
  // by then the subscription has idled at least as long.
  int idle = control_test::rawConnect(live.path);
  ASSERT_GE(idle, 0);
  ASSERT_TRUE(control_test::closedByHost(idle, 30s));
  ::close(idle);
  live.onLoop([&] { live.server->publish(json{{"event", "screenChanged"}}); });
  EXPECT_TRUE(hears(*events, 2s));
  // Other connections still get answers as before.
  control::Client plain(live.path);
  EXPECT_EQ(plain.request({{"op", "x"}})["ok"], true);
}

TEST(Subscription, AClosedSubscriberIsForgotten) {
  LiveServer live(control::Limits{});
  {
    auto events = subscribe(live.path);
    std::size_t n = 0;
    live.onLoop([&] { n = live.server->subscribers(); });
    EXPECT_EQ(n, 1u);
  }
  // The host learns of the close when its read ends; each look is one pass of its loop.
  std::size_t n = 1;
  auto deadline = std::chrono::steady_clock::now() + 30s;
  while (n != 0 && std::chrono::steady_clock::now() < deadline) live.onLoop([&] { n = live.server->subscribers(); });
  EXPECT_EQ(n, 0u);
}

// A host's loop in small: the watch hears of every handler that ran, as
// dispatch_main() tells it; a test's turn() is one more handler.
struct Watched {
  explicit Watched(std::chrono::milliseconds frame = 5ms) {
    char tmpl[] = "/tmp/corvallo-watch-XXXXXX";
    folder = mkdtemp(tmpl);
    path = folder + "/c.sock";
    server = std::make_unique<control::Server>(context, path, control_test::echo);
    watch = std::make_unique<control::ScreenWatch>(context, *server, [this] {
      {
        std::lock_guard lock(lookMutex);
        ++looks;
      }
      looked.notify_all();
      return screen.load() ? std::string("dots hidden") : std::string("dots shown");
    }, frame);
    loop = std::thread([this] {
      while (context.run_one() != 0)
        if (watch) watch->turned();
    });
  }
  ~Watched() {
    asio::post(context, [this] {
      watch.reset();
      server.reset();
    });
    work.reset();
    loop.join();
    std::filesystem::remove_all(folder);
  }
  void turn() { asio::post(context, [] {}); }
  // Returns once every turn posted before it has run (and been watched).
  void fence() {
    std::promise<void> ran;
    asio::post(context, [&] { ran.set_value(); });
    ran.get_future().wait();
  }
  // Whether the watch has looked more than `count` times within `d`.
  bool looksPast(int count, std::chrono::milliseconds d) {
    std::unique_lock lock(lookMutex);
    return looked.wait_for(lock, d, [&] { return looks.load() > count; });
  }
  // Whether it looks again within `d`: what an idle host must not do.
  bool looksAgainWithin(std::chrono::milliseconds d) { return looksPast(looks.load(), d); }

  asio::io_context context;
  std::optional<asio::executor_work_guard<asio::io_context::executor_type>> work{context.get_executor()};
  std::string folder, path;
  std::unique_ptr<control::Server> server;
  std::unique_ptr<control::ScreenWatch> watch;
  std::atomic<bool> screen{false};
  std::atomic<int> looks{0};
  std::mutex lookMutex;
  std::condition_variable looked;
  std::thread loop;
};

TEST(ScreenWatch, TellsSubscribersWhenTheScreenChangedAndOnlyThen) {
  Watched w;
  auto events = subscribe(w.path);
  w.turn();
  EXPECT_TRUE(hears(*events, 2s)) << "a new subscriber hears of the screen as it is";
  w.turn();
  EXPECT_FALSE(hears(*events, 200ms)) << "a turn that changed nothing is not news";
  w.screen = true;
  w.turn();
  EXPECT_TRUE(hears(*events, 2s));
  EXPECT_FALSE(hears(*events, 200ms)) << "one change, one event";
}

TEST(ScreenWatch, LooksAtNothingWithoutASubscriberOrATurn) {
  Watched w;
  for (int i = 0; i < 20; ++i) w.turn();
  w.fence();
  EXPECT_EQ(w.looks.load(), 0) << "no subscriber";
  auto events = subscribe(w.path);
  w.turn();
  EXPECT_TRUE(hears(*events, 2s));
  // It looks once more a frame after a change, in case the screen is moving,
  // and then not again: some window of 300 ms passes without a look.
  bool rested = false;
  for (int i = 0; i < 10 && !rested; ++i) rested = !w.looksAgainWithin(300ms);
  EXPECT_TRUE(rested) << "an idle host looks at nothing";
}

TEST(ScreenWatch, ManyTurnsWithinAFrameCostOneLook) {
  Watched w(200ms);
  auto events = subscribe(w.path);
  w.turn();
  ASSERT_TRUE(hears(*events, 2s));
  int before = w.looks.load();
  for (int i = 0; i < 50; ++i) w.turn();
  w.fence();
  ASSERT_TRUE(w.looksPast(before, 30s)) << "the turns are looked at, a frame later";
  (void)w.looksAgainWithin(450ms);  // two frames more, for a look still due
  EXPECT_LE(w.looks.load() - before, 2);
}

TEST(MainTurnObserver, IsCalledAfterEachHandlerOfTheMainLoop) {
  int turns = 0;
  dispatch::setMainTurnObserver([&] { ++turns; });
  for (int i = 0; i < 5; ++i) dispatch_async(dispatch_get_main_queue(), [] {});
  dispatch_after(dispatch_time(DISPATCH_TIME_NOW, 10'000'000), dispatch_get_main_queue(), [] { dispatch::stopMain(); });
  dispatch_main();
  dispatch::setMainTurnObserver({});
  EXPECT_GE(turns, 2) << "the drain of the blocks and the timer";
}

}  // namespace
