// A host's subscribers hear "screen changed" from the host, when and only
// when its screen changed.
#include <gtest/gtest.h>

#include <atomic>

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
  std::this_thread::sleep_for(300ms);  // three idle timeouts: a plain connection would be closed
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
  std::size_t n = 1;
  for (int i = 0; i < 200 && n != 0; ++i) {
    live.onLoop([&] { n = live.server->subscribers(); });
    std::this_thread::sleep_for(5ms);
  }
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
      ++looks;
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

  asio::io_context context;
  std::optional<asio::executor_work_guard<asio::io_context::executor_type>> work{context.get_executor()};
  std::string folder, path;
  std::unique_ptr<control::Server> server;
  std::unique_ptr<control::ScreenWatch> watch;
  std::atomic<bool> screen{false};
  std::atomic<int> looks{0};
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
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(w.looks.load(), 0) << "no subscriber";
  auto events = subscribe(w.path);
  w.turn();
  EXPECT_TRUE(hears(*events, 2s));
  std::this_thread::sleep_for(100ms);
  int settled = w.looks.load();
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(w.looks.load(), settled) << "an idle host looks at nothing";
}

TEST(ScreenWatch, ManyTurnsWithinAFrameCostOneLook) {
  Watched w(200ms);
  auto events = subscribe(w.path);
  w.turn();
  ASSERT_TRUE(hears(*events, 2s));
  int before = w.looks.load();
  for (int i = 0; i < 50; ++i) w.turn();
  std::this_thread::sleep_for(450ms);
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
