// The Settings host as a process of a simulated device, next to SpringBoard:
// what a user does in Settings reaches the store, the notifications and the
// home screen.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "Install.h"
#include "Supervisor.h"
#include "control/ControlClient.h"
#include "dispatch/main_loop.h"
#include "foundation/NSNumber.h"
#include "foundation/NSUserDefaults.h"
#include "notify/CFNotificationCenter.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

constexpr const char* kDomain = "com.tenvarix.corvalloprefs";
std::atomic<int> reloads{0};
void onReload(CFNotificationCenterRef, void*, CFNotificationName, const void*, CFDictionaryRef) { ++reloads; }

// This process listens for notifications in the root it first observed in,
// so every test (and every repeat) uses that one root, emptied in between.
const std::string& processRoot() {
  static const std::string root = [] {
    char tmpl[] = "/tmp/cvset.XXXXXX";
    if (!::mkdtemp(tmpl)) throw std::runtime_error("mkdtemp failed");
    ::setenv("CORVALLO_DEVICE_ROOT", tmpl, 1);
    return std::string(tmpl);
  }();
  // Registered once the root is made, so it runs while the root is alive.
  static const bool removedAtExit = std::atexit([] {
                                      std::error_code ec;
                                      fs::remove_all(processRoot(), ec);
                                    }) == 0;
  (void)removedAtExit;
  return root;
}

// Removes everything under `folder` but the notification sockets.
void empty(const fs::path& folder, const fs::path& root) {
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(folder, ec)) {
    fs::path rel = fs::relative(e.path(), root, ec);
    if (rel == "var/run/notify") continue;
    if (rel == "var" || rel == "var/run")
      empty(e.path(), root);
    else
      fs::remove_all(e.path(), ec);
  }
}

class SettingsHost : public testing::Test {
 protected:
  void SetUp() override {
    root_ = processRoot();
    empty(root_, root_);
    fs::path build = CORVALLO_BUILD_DIR;
    device::install({build / "bin", build / "lib", build / "stage"}, root_);
  }
  void TearDown() override {
    supervisor_.reset();
    empty(root_, root_);
  }
  void start(bool withSpringBoard) {
    fs::path bin = fs::path(CORVALLO_BUILD_DIR) / "bin";
    std::vector<device::HostSpec> hosts{{"Preferences", bin / "settings", {}, "/var/run/corvallo/settings.sock"}};
    if (withSpringBoard)
      hosts.push_back(
          {"SpringBoard", bin / "springboard", {"--legibility-delay-ms", "30"}, "/var/run/corvallo/springboard.sock"});
    supervisor_ = std::make_unique<device::Supervisor>(root_, hosts);
    supervisor_->start();
    for (const auto& h : hosts)
      ASSERT_TRUE(supervisor_->waitUntilAnswering(h.name, std::chrono::seconds(10)))
          << h.name << " did not start; log: " << supervisor_->logPathOf(h.name);
  }
  json ask(const std::string& host, const json& req) {
    control::Client client(supervisor_->socketPathOf(host));
    return client.request(req);
  }
  json settings(const json& req) { return ask("Preferences", req); }
  json row(const json& state, const std::string& key) {
    for (const auto& s : state["page"]["sections"])
      for (const auto& r : s["rows"])
        if (r["key"] == key || r["id"] == key) return r;
    return nullptr;
  }
  bool eventually(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
      if (done()) return true;
      dispatch::runMainUntilIdle();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }
  Ref<NSObject> stored(const std::string& key) {
    auto d = NSUserDefaults::standardUserDefaults()->persistentDomainForName(NSString::make(kDomain));
    return d ? d->objectForKey(key) : nullptr;
  }

  std::string root_;
  std::unique_ptr<device::Supervisor> supervisor_;
};

}  // namespace

TEST_F(SettingsHost, ASwitchStoresPostsAndHidesItsDependentRows) {
  start(false);
  auto center = CFNotificationCenterGetDarwinNotifyCenter();
  CFNotificationCenterAddObserver(center, nullptr, onReload, "com.tenvarix.corvallo/ReloadPrefs", nullptr,
                                  CFNotificationSuspensionBehaviorDeliverImmediately);
  ASSERT_TRUE(settings({{"op", "open"}, {"entry", "Corvallo"}})["ok"]);
  json s = settings({{"op", "state"}});
  EXPECT_EQ(row(s, "isHidePageDotsEnabled")["height"], 44.0);
  EXPECT_EQ(row(s, "isEnabled")["tint"], "#19C246");

  auto answer = control::Client(supervisor_->socketPathOf("Preferences")).requestLine("{not json");
  EXPECT_NE(answer.find("\"ok\":false"), std::string::npos);
  EXPECT_FALSE(settings({{"op", "toggle"}, {"row", "no-such-row"}})["ok"]);

  int before = reloads;
  EXPECT_EQ(settings({{"op", "toggle"}, {"row", "isEnabled"}})["on"], false);
  EXPECT_FALSE(static_cast<NSNumber*>(stored("isEnabled").get())->boolValue());
  EXPECT_TRUE(eventually([&] { return reloads > before; }));
  EXPECT_TRUE(eventually([&] { return row(settings({{"op", "state"}}), "isHidePageDotsEnabled")["height"] == 0.0; }));
  EXPECT_FALSE(settings({{"op", "toggle"}, {"row", "isHidePageDotsEnabled"}})["ok"]);  // hidden rows take no taps
  CFNotificationCenterRemoveEveryObserver(center, nullptr);
}

TEST_F(SettingsHost, ABrokenRuleFailsThePageNotTheHost) {
  std::string list = root_ + "/Library/PreferenceBundles/CorvalloPrefs.bundle/Root-Light.plist";
  std::ifstream in(list);
  std::string text((std::istreambuf_iterator<char>(in)), {});
  text.replace(text.find("isEnabled == 1"), 14, "isEnabled 1");
  std::ofstream(list) << text;
  start(false);
  json opened = settings({{"op", "open"}, {"entry", "Corvallo"}});
  EXPECT_FALSE(opened["ok"]);
  json s = settings({{"op", "state"}});
  EXPECT_EQ(s["page"]["class"], "home");
  EXPECT_EQ(s["failed"]["name"], "NSInternalInconsistencyException");
  EXPECT_NE(
      s["failed"]["reason"].get<std::string>().find("You have 2 of 3 (isEnabled 1) for specifier 'Hide Page Dots'."),
      std::string::npos);
  EXPECT_TRUE(settings({{"op", "ping"}})["ok"]);
}

TEST_F(SettingsHost, TheHomeScreenFollowsAndResetRestoresTheDefaults) {
  start(true);
  auto dotsHidden = [&] { return ask("SpringBoard", {{"op", "state"}})["pageControl"]["hidden"]; };
  ASSERT_TRUE(eventually([&] { return dotsHidden() == true; })) << "the tweak hides the dots by default";
  ASSERT_TRUE(settings({{"op", "open"}, {"entry", "Corvallo"}})["ok"]);
  ASSERT_TRUE(settings({{"op", "toggle"}, {"row", "isHidePageDotsEnabled"}})["ok"]);
  EXPECT_TRUE(eventually([&] { return dotsHidden() == false; })) << ask("SpringBoard", {{"op", "state"}}).dump();

  int launches = supervisor_->launchesOf("SpringBoard");
  ASSERT_TRUE(settings({{"op", "tap"}, {"row", "reset"}})["ok"]);
  ASSERT_TRUE(settings({{"op", "chooseAlertAction"}, {"action", "Reset"}})["ok"]);
  EXPECT_TRUE(eventually([&] {
    auto v = stored("isHidePageDotsEnabled");
    return v && static_cast<NSNumber*>(v.get())->boolValue();
  }));
  EXPECT_TRUE(eventually([&] { return supervisor_->launchesOf("SpringBoard") > launches; }, std::chrono::seconds(10)));
}

TEST_F(SettingsHost, ADurationPickedInTheExamplesReachesBothRowsOfItsNotification) {
  start(false);
  ASSERT_TRUE(settings({{"op", "open"}, {"entry", "Corvallo Examples"}})["ok"]);
  json s = settings({{"op", "state"}});
  EXPECT_EQ(row(s, "duration")["detailText"], "0:30");
  EXPECT_EQ(row(s, "sameDuration")["detailText"], "0:30");
  EXPECT_EQ(row(s, "date")["detailText"], "December 25 2023");
  EXPECT_EQ(row(s, "dateAndTime")["detailText"], "Tue Mar 5 08:30 PM");
  EXPECT_EQ(row(s, "duration")["picker"]["overlay"]["opacity"], 0.0);
  EXPECT_TRUE(s["pickerOverlay"].is_null() || !s["pickerOverlay"]["animating"].get<bool>());

  ASSERT_TRUE(settings({{"op", "animationClock"}, {"set", 50.0}})["manual"]);
  ASSERT_TRUE(settings({{"op", "tap"}, {"row", "duration"}})["ok"]);
  json overlay = settings({{"op", "state"}})["pickerOverlay"];
  ASSERT_TRUE(overlay.is_object());
  EXPECT_EQ(overlay["mode"], "countDownTimer");
  EXPECT_EQ(overlay["value"], 1800.0);
  EXPECT_EQ(overlay["opacity"], 1.0);
  EXPECT_EQ(overlay["shownOpacity"], 0.0);
  EXPECT_EQ(overlay["body"]["width"], overlay["frame"]["width"].get<double>() - 60);
  settings({{"op", "animationClock"}, {"advance", 0.1}});
  EXPECT_NEAR(settings({{"op", "state"}})["pickerOverlay"]["shownOpacity"].get<double>(), 0.5, 1e-6);
  EXPECT_FALSE(settings({{"op", "setPickerValue"}, {"date", "2024-03-05T20:30:00Z"}})["ok"]);  // wrong kind
  EXPECT_EQ(settings({{"op", "setPickerValue"}, {"seconds", 2700}})["value"], 2700.0);
  EXPECT_TRUE(settings({{"op", "submitPicker"}})["ok"]);
  EXPECT_TRUE(eventually([&] {
    json now = settings({{"op", "state"}});
    return row(now, "duration")["detailText"] == "0:45" && row(now, "sameDuration")["detailText"] == "0:45";
  }));
  EXPECT_EQ(row(settings({{"op", "state"}}), "date")["detailText"], "December 25 2023");
  settings({{"op", "animationClock"}, {"advance", 0.3}});
  EXPECT_TRUE(settings({{"op", "state"}})["pickerOverlay"].is_null());  // faded out and detached
  auto domain = NSUserDefaults::standardUserDefaults()->persistentDomainForName("com.tenvarix.corvalloexamples"_ns);
  ASSERT_TRUE(domain);
  EXPECT_EQ(ref_cast<NSNumber>(domain->objectForKey("exampleDuration"))->doubleValue(), 2700);
  EXPECT_FALSE(settings({{"op", "submitPicker"}})["ok"]);  // nothing showing any more
}

TEST_F(SettingsHost, PickerRowsFollowTheLocaleOfTheEnvironment) {
  ::setenv("LC_ALL", "fr_FR.UTF-8", 1);
  start(false);
  ::unsetenv("LC_ALL");
  ASSERT_TRUE(settings({{"op", "open"}, {"entry", "Corvallo Examples"}})["ok"]);
  EXPECT_EQ(row(settings({{"op", "state"}}), "date")["detailText"], "décembre 25 2023");
}
