// What a user has, through the real command: the device roots with their state,
// the processes listening for notifications, and a respring that waits for the tweak.
#include <algorithm>
#include <memory>

#include "CommandFixture.h"

namespace {

using nlohmann::json;

class ListingTest : public CommandTest {
 protected:
  void SetUp() override {
    CommandTest::SetUp();
    // The default root lives in this test's folders too (the fixture keeps the registry there).
    const char* was = std::getenv("XDG_DATA_HOME");
    savedDataHome_ = was ? std::optional<std::string>(was) : std::nullopt;
    ::setenv("XDG_DATA_HOME", (root_ / ".data").c_str(), 1);
  }
  void TearDown() override {
    CommandTest::TearDown();
    savedDataHome_ ? ::setenv("XDG_DATA_HOME", savedDataHome_->c_str(), 1) : ::unsetenv("XDG_DATA_HOME");
  }

  json listed(const std::string& root) {
    Outcome o = corvallo({"list", "--json"});
    if (o.code != 0) return json{{"error", o.err}};
    json all = o.json();
    for (const auto& d : all)
      if (d["root"] == root) return d;
    return json{{"missing", root}, {"all", o.json()}};
  }

  std::optional<std::string> savedDataHome_;
};

TEST_F(ListingTest, ListShowsEveryRootStartedWithItsStateAndForgetsRemovedOnes) {
  char other[] = "/tmp/cvl.XXXXXX";
  ASSERT_NE(::mkdtemp(other), nullptr);
  std::shared_ptr<void> gone(nullptr, [&](void*) {
    run({program(), "--root", other, "down"});
    std::filesystem::remove_all(other);
  });
  Outcome started = run({program(), "--root", other, "up"});
  ASSERT_EQ(started.code, 0) << started.err;
  up();

  json mine = listed(root_.string());
  EXPECT_EQ(mine["state"], "running") << mine.dump();
  json status = corvallo({"status", "--json"}).json();
  EXPECT_EQ(mine["springboardPid"], status["springboard"]["pid"]) << mine.dump();
  EXPECT_EQ(mine["settingsPid"], status["settings"]["pid"]) << mine.dump();
  EXPECT_GT(mine.value("supervisorPid", 0), 0);
  EXPECT_FALSE(mine["default"].get<bool>());
  json fallback = listed((root_ / ".data/corvallo/device").string());
  EXPECT_EQ(fallback["state"], "stopped") << fallback.dump();
  EXPECT_TRUE(fallback["default"].get<bool>());

  ASSERT_EQ(run({program(), "--root", other, "down"}).code, 0);
  EXPECT_EQ(listed(other)["state"], "stopped");
  Outcome text = corvallo({"list"});
  EXPECT_NE(text.out.find(std::string(other) + ": stopped\n"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find(root_.string() + ": running, supervisor pid "), std::string::npos) << text.out;

  std::filesystem::remove_all(other);
  EXPECT_TRUE(listed(other).contains("missing"));
  std::string registry = slurp(root_ / ".state/corvallo/roots");
  EXPECT_EQ(registry.find(other), std::string::npos) << registry;
  EXPECT_NE(registry.find(root_.string()), std::string::npos) << registry;
}

TEST_F(ListingTest, NotifyListNamesTheListeningProcessesAndSaysWhatItCannotKnow) {
  up();
  // The Examples page's picker rows listen for their notifications.
  ASSERT_EQ(corvallo({"open", "Corvallo Examples"}).code, 0);
  Outcome o = corvallo({"notify", "list", "--json"});
  ASSERT_EQ(o.code, 0) << o.err;
  json status = corvallo({"status", "--json"}).json();
  std::vector<int> pids;
  json listed = o.json();
  for (const auto& l : listed["listeners"]) {
    if (l["alive"].get<bool>()) pids.push_back(l["pid"]);
    if (l["pid"] == status["springboard"]["pid"]) {
      EXPECT_EQ(l["process"], "springboard") << l.dump();
    }
  }
  EXPECT_NE(std::find(pids.begin(), pids.end(), status["springboard"]["pid"].get<int>()), pids.end()) << o.out;
  EXPECT_NE(std::find(pids.begin(), pids.end(), status["settings"]["pid"].get<int>()), pids.end()) << o.out;
  EXPECT_TRUE(listed["names"].is_null());
  Outcome text = corvallo({"notify", "list"});
  EXPECT_NE(text.out.find("known only inside that process"), std::string::npos) << text.out;
}

TEST_F(ListingTest, RespringWaitReturnsWithTheTweakLoadedAndTheDotsShowingTheSettings) {
  up();
  ASSERT_EQ(corvallo({"defaults", "write", "com.tenvarix.corvalloprefs", "isHidePageDotsEnabled", "-bool", "NO"}).code, 0);
  Outcome o = corvallo({"respring", "--wait"});
  ASSERT_EQ(o.code, 0) << o.err;
  EXPECT_NE(o.out.find("the tweak loaded"), std::string::npos) << o.out;
  // No polling: what it waited for is there when it returns.
  json state = ask("springboard", "state");
  EXPECT_TRUE(state["appeared"].get<bool>()) << state.dump();
  EXPECT_FALSE(state["pageControl"]["hidden"].get<bool>()) << state.dump();
  EXPECT_TRUE(state["pageControl"]["pageIndicatorTintColor"].is_string()) << state.dump();
}

}  // namespace
