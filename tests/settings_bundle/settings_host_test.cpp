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
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

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
    device::install({build / "bin", build / "image/deliverables", build / "image/platform"}, root_);
  }
  void TearDown() override {
    supervisor_.reset();
    empty(root_, root_);
  }
  // `endsWithSpringBoard`: Settings ends when SpringBoard does, as `corvallo up` runs it.
  void start(bool withSpringBoard, bool endsWithSpringBoard = false) {
    fs::path bin = fs::path(CORVALLO_BUILD_DIR) / "bin";
    std::vector<device::HostLaunch> hosts{{"Preferences", bin / "settings", {}, "/var/run/corvallo/settings.sock"}};
    if (endsWithSpringBoard) hosts[0] = {"Preferences", bin / "settings", {"--open", "Corvallo"},
                                         "/var/run/corvallo/settings.sock", "SpringBoard"};
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
  // What the hosts stored, as a new process would read it: this process's
  // cache of the domain may come from an earlier round on a root since emptied.
  Ref<NSObject> stored(const std::string& key) {
    NSUserDefaults::dropDomainCache();
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

  ASSERT_TRUE(settings({{"op", "mediaTime"}, {"set", 50.0}})["manual"]);
  ASSERT_TRUE(settings({{"op", "tap"}, {"row", "duration"}})["ok"]);
  json overlay = settings({{"op", "state"}})["pickerOverlay"];
  ASSERT_TRUE(overlay.is_object());
  EXPECT_EQ(overlay["mode"], "countDownTimer");
  EXPECT_EQ(overlay["value"], 1800.0);
  EXPECT_EQ(overlay["opacity"], 1.0);
  EXPECT_EQ(overlay["shownOpacity"], 0.0);
  EXPECT_EQ(overlay["body"]["width"], overlay["frame"]["width"].get<double>() - 60);
  settings({{"op", "mediaTime"}, {"advance", 0.1}});
  EXPECT_NEAR(settings({{"op", "state"}})["pickerOverlay"]["shownOpacity"].get<double>(), 0.5, 1e-6);
  EXPECT_FALSE(settings({{"op", "setPickerValue"}, {"date", "2024-03-05T20:30:00Z"}})["ok"]);  // wrong kind
  EXPECT_EQ(settings({{"op", "setPickerValue"}, {"seconds", 2700}})["value"], 2700.0);
  EXPECT_TRUE(settings({{"op", "submitPicker"}})["ok"]);
  EXPECT_TRUE(eventually([&] {
    json now = settings({{"op", "state"}});
    return row(now, "duration")["detailText"] == "0:45" && row(now, "sameDuration")["detailText"] == "0:45";
  }));
  EXPECT_EQ(row(settings({{"op", "state"}}), "date")["detailText"], "December 25 2023");
  settings({{"op", "mediaTime"}, {"advance", 0.3}});
  EXPECT_TRUE(settings({{"op", "state"}})["pickerOverlay"].is_null());  // faded out and detached
  auto domain = NSUserDefaults::standardUserDefaults()->persistentDomainForName("com.tenvarix.corvalloexamples"_ns);
  ASSERT_TRUE(domain);
  EXPECT_EQ(ref_cast<NSNumber>(domain->objectForKey("exampleDuration"))->doubleValue(), 2700);
  EXPECT_FALSE(settings({{"op", "submitPicker"}})["ok"]);  // nothing showing any more
}

// "Time" and "Same duration" have no default: their wheels still follow their style.
TEST_F(SettingsHost, ExamplePickersWithoutADefaultOfferTheirOwnMode) {
  start(false);
  ASSERT_TRUE(settings({{"op", "open"}, {"entry", "Corvallo Examples"}})["ok"]);
  ASSERT_TRUE(settings({{"op", "mediaTime"}, {"set", 50.0}})["manual"]);
  ASSERT_TRUE(settings({{"op", "tap"}, {"row", "time"}})["ok"]);
  EXPECT_EQ(settings({{"op", "state"}})["pickerOverlay"]["mode"], "time");
  ASSERT_TRUE(settings({{"op", "cancelPicker"}})["ok"]);
  settings({{"op", "mediaTime"}, {"advance", 0.3}});

  ASSERT_TRUE(settings({{"op", "tap"}, {"row", "sameDuration"}})["ok"]);
  EXPECT_EQ(settings({{"op", "state"}})["pickerOverlay"]["mode"], "countDownTimer");
  EXPECT_EQ(settings({{"op", "setPickerValue"}, {"seconds", 600}})["value"], 600.0);
  EXPECT_TRUE(settings({{"op", "submitPicker"}})["ok"]);
  EXPECT_TRUE(eventually([&] { return row(settings({{"op", "state"}}), "duration")["detailText"] == "0:10"; }));
}

TEST_F(SettingsHost, APickerBoundToTheTweaksNotificationMakesSpringBoardReread) {
  // The installed examples page, rebound to the tweak's domain and notification.
  fs::path page = fs::path(root_) / "Library/PreferenceBundles/CorvalloExamples.bundle/Examples.plist";
  std::string text = (std::stringstream() << std::ifstream(page).rdbuf()).str();
  auto replaceAll = [&](const std::string& from, const std::string& to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
      text.replace(at, from.size(), to);
  };
  replaceAll("com.tenvarix.corvalloexamples/DurationChanged", "com.tenvarix.corvallo/ReloadPrefs");
  replaceAll("<string>com.tenvarix.corvalloexamples</string>", "<string>com.tenvarix.corvalloprefs</string>");
  fs::remove(page);  // never write through into the build's staged copy
  std::ofstream(page) << text;

  start(true);
  auto dotsHidden = [&] { return ask("SpringBoard", {{"op", "state"}})["pageControl"]["hidden"]; };
  ASSERT_TRUE(eventually([&] { return dotsHidden() == true; })) << "the tweak hides the dots by default";
  // Written behind SpringBoard's back: nothing tells it to look yet.
  NSUserDefaults::standardUserDefaults()->updatePersistentDomainForName(
      NSString::make(kDomain),
      [](NSMutableDictionary* d) { d->setObjectForKey(NSNumber::numberWithBool(false), "isHidePageDotsEnabled"_ns); });
  EXPECT_EQ(dotsHidden(), true);

  ASSERT_TRUE(settings({{"op", "open"}, {"entry", "Corvallo Examples"}})["ok"]);
  ASSERT_TRUE(settings({{"op", "tap"}, {"row", "duration"}})["ok"]);
  ASSERT_EQ(settings({{"op", "setPickerValue"}, {"seconds", 2700}})["value"], 2700.0);
  ASSERT_TRUE(settings({{"op", "submitPicker"}})["ok"]);
  EXPECT_TRUE(eventually([&] { return dotsHidden() == false; })) << ask("SpringBoard", {{"op", "state"}}).dump();
  auto duration = stored("exampleDuration");
  ASSERT_TRUE(duration);
  EXPECT_EQ(static_cast<NSNumber*>(duration.get())->doubleValue(), 2700);
  auto hide = stored("isHidePageDotsEnabled");  // the whole-domain write kept the other keys
  ASSERT_TRUE(hide);
  EXPECT_FALSE(static_cast<NSNumber*>(hide.get())->boolValue());
}

TEST_F(SettingsHost, PickerRowsFollowTheLocaleOfTheEnvironment) {
  ::setenv("LC_ALL", "fr_FR.UTF-8", 1);
  start(false);
  ::unsetenv("LC_ALL");
  ASSERT_TRUE(settings({{"op", "open"}, {"entry", "Corvallo Examples"}})["ok"]);
  EXPECT_EQ(row(settings({{"op", "state"}}), "date")["detailText"], "décembre 25 2023");
}

namespace {

const json* child(const json& view, const std::string& cls) {
  for (const auto& v : view["subviews"])
    if (v["class"] == cls) return &v;
  return nullptr;
}

}  // namespace

// Everything through the control socket: the banner, the title following the
// scroll, the options menu, and a reset that brings SpringBoard back with
// the defaults.
TEST_F(SettingsHost, TheRootPageThroughTheHostAlone) {
  start(true);
  auto dotsHidden = [&] { return ask("SpringBoard", {{"op", "state"}})["pageControl"]["hidden"]; };
  ASSERT_TRUE(eventually([&] { return dotsHidden() == true; }));
  ASSERT_TRUE(settings({{"op", "mediaTime"}, {"set", 100}})["manual"]);
  ASSERT_TRUE(settings({{"op", "open"}, {"entry", "Corvallo"}})["ok"]);
  ASSERT_TRUE(settings({{"op", "mediaTime"}, {"advance", 2}})["ok"]);
  json s = settings({{"op", "state"}});
  EXPECT_EQ(s["systemVersion"], "15.0");
  const json& page = s["page"];
  EXPECT_EQ(page["class"], "CVLORootListController");

  const json& header = page["tableHeader"];
  ASSERT_TRUE(header.is_object()) << page.dump();
  EXPECT_EQ(header["frame"]["width"], 375);
  const json* icon = child(header, "UIImageView");
  const json* title = child(header, "UILabel");
  ASSERT_TRUE(icon && title);
  EXPECT_EQ((*icon)["frame"]["x"], 158.5);
  EXPECT_EQ((*icon)["image"]["file"], "/Library/PreferenceBundles/CorvalloPrefs.bundle/Corvallo-fullsize.png");
  EXPECT_EQ((*icon)["image"]["size"]["width"], 120);
  EXPECT_EQ((*title)["text"], "Corvallo");
  EXPECT_EQ((*title)["frame"]["y"], 88);
  EXPECT_EQ(header["frame"]["height"], (*title)["frame"]["height"].get<double>() + 88);
  for (const json* glowing : {icon, title}) {
    const json& layer = (*glowing)["layer"];
    EXPECT_EQ(layer["shadow"]["color"], "#19C246");
    EXPECT_EQ(layer["shadow"]["radius"], 25);
    ASSERT_EQ(layer["animations"].size(), 1u);
    const json& glow = layer["animations"][0];
    EXPECT_EQ(glow["keyPath"], "shadowRadius");
    EXPECT_EQ(glow["fromValue"], 5);
    EXPECT_EQ(glow["toValue"], 25);
    EXPECT_EQ(glow["repeatCount"], "forever");
    EXPECT_EQ(glow["value"], 15) << "two seconds into the pulse";
    EXPECT_EQ(layer["shadow"]["presentedRadius"], 15);
  }

  const json& bar = page["navigationBar"];
  EXPECT_EQ(bar["titleView"]["class"], "CVLOBetterTitleView");
  EXPECT_EQ(bar["titleView"]["text"], "Corvallo");
  EXPECT_EQ(bar["titleView"]["textColor"], "#000000");
  EXPECT_EQ(bar["titleView"]["offset"], 50);
  const json& options = bar["rightItem"]["customView"];
  ASSERT_TRUE(child(options, "UILabel") && child(options, "UIButton")) << options.dump();
  EXPECT_EQ((*child(options, "UILabel"))["text"], "Options");
  EXPECT_EQ((*child(options, "UIButton"))["image"]["symbol"], "gearshape.fill");
  EXPECT_EQ(options["frame"]["x"].get<double>() + options["frame"]["width"].get<double>(), 375 - 16);

  auto offset = [&](double y) {
    EXPECT_TRUE(settings({{"op", "scroll"}, {"y", y}})["ok"]);
    return settings({{"op", "state"}})["page"]["navigationBar"]["titleView"]["offset"].get<double>();
  };
  EXPECT_EQ(offset(-88), -50);
  EXPECT_EQ(offset(20), 30);
  EXPECT_EQ(offset(50), 0);
  EXPECT_EQ(offset(0), 50);

  ASSERT_TRUE(settings({{"op", "toggle"}, {"row", "isHidePageDotsEnabled"}})["ok"]);
  EXPECT_TRUE(eventually([&] { return dotsHidden() == false; }));

  json menu = settings({{"op", "tapOptions"}})["menu"];
  ASSERT_EQ(menu["entries"].size(), 2u) << menu.dump();
  EXPECT_EQ(menu["entries"][0]["title"], "Respring");
  EXPECT_EQ(menu["entries"][0]["symbol"], "arrow.triangle.2.circlepath");
  EXPECT_EQ(menu["entries"][1]["title"], "Reset All Settings");
  EXPECT_EQ(menu["entries"][1]["symbol"], "slider.horizontal.2.rectangle.and.arrow.triangle.2.circlepath");
  EXPECT_EQ(menu["entries"][1]["destructive"], true);
  EXPECT_EQ(settings({{"op", "state"}})["page"]["menu"], menu);

  json unknown = settings({{"op", "chooseMenuAction"}, {"action", "Format Disk"}});
  EXPECT_FALSE(unknown["ok"]);
  EXPECT_NE(unknown["error"].get<std::string>().find("no entry \"Format Disk\""), std::string::npos) << unknown.dump();
  EXPECT_TRUE(settings({{"op", "ping"}})["ok"]);

  int launches = supervisor_->launchesOf("SpringBoard");
  ASSERT_TRUE(settings({{"op", "chooseMenuAction"}, {"action", "Reset All Settings"}})["ok"]);
  json asked = settings({{"op", "state"}})["page"];
  EXPECT_TRUE(asked["menu"].is_null());
  EXPECT_EQ(asked["alert"]["title"], "Reset Settings");
  EXPECT_FALSE(settings({{"op", "chooseMenuAction"}, {"action", "Respring"}})["ok"]) << "the menu closed";
  ASSERT_TRUE(settings({{"op", "chooseAlertAction"}, {"action", "Reset"}})["ok"]);
  EXPECT_TRUE(eventually([&] { return supervisor_->launchesOf("SpringBoard") > launches; }, std::chrono::seconds(10)));
  EXPECT_TRUE(eventually(
      [&] {
        try {
          return dotsHidden() == true;
        } catch (const std::exception&) {
          return false;  // still restarting
        }
      },
      std::chrono::seconds(10)))
      << "SpringBoard is back with the default: dots hidden";
}

// The About page tints the bar itself; the covered root page's deferred
// reload leaves that bar to it.
TEST_F(SettingsHost, AnAppearanceChangeBehindAboutLeavesItsBarToIt) {
  start(false);
  ASSERT_TRUE(settings({{"op", "open"}, {"entry", "Corvallo"}})["ok"]);
  EXPECT_EQ(settings({{"op", "state"}})["navigationBarTint"], "#19C246");
  ASSERT_TRUE(settings({{"op", "tap"}, {"row", "about"}})["ok"]);
  ASSERT_EQ(settings({{"op", "state"}})["page"]["class"], "CVLOSubListController");
  ASSERT_TRUE(settings({{"op", "appearance"}, {"style", "dark"}})["ok"]);
  EXPECT_FALSE(eventually(
      [&] {
        return settings({{"op", "state"}})["navigationBarTint"] != "#19C246";
      },
      std::chrono::milliseconds(500)))
      << "the root page's deferred reload changed the bar of the About page";
  ASSERT_TRUE(settings({{"op", "back"}})["ok"]);
  json root = settings({{"op", "state"}});
  EXPECT_EQ(root["navigationBarTint"], "#19C246");
  EXPECT_EQ(root["page"]["navigationBar"]["titleView"]["textColor"], "#FFFFFF");
}

TEST_F(SettingsHost, TheExamplesBundleShowsItsBannerAndWholeNumberSlider) {
  start(false);
  ASSERT_TRUE(settings({{"op", "open"}, {"entry", "Corvallo Examples"}})["ok"]);
  json s = settings({{"op", "state"}});
  json banner = row(s, "banner");
  EXPECT_EQ(banner["cellClass"], "CVLOHeaderCell");
  EXPECT_EQ(banner["height"], 90);
  // The views the banner cell adds are reported for pictures to draw; the separator is not one of them.
  std::vector<std::string> added;
  for (const auto& v : banner["addedViews"]) added.push_back(v["class"]);
  EXPECT_EQ(added, (std::vector<std::string>{"UIImageView", "UILabel"}));
  EXPECT_EQ(banner["addedViews"][1]["text"], "Corvallo");
  EXPECT_EQ(row(s, "wholeNumber")["addedViews"], json::array());
  EXPECT_EQ(row(s, "wholeNumber")["value"], 3);
  EXPECT_EQ(settings({{"op", "slide"}, {"row", "wholeNumber"}, {"value", -2.5}})["value"], -3);
  auto d = NSUserDefaults::standardUserDefaults()->persistentDomainForName("com.tenvarix.corvalloexamples"_ns);
  ASSERT_TRUE(d);
  EXPECT_EQ(static_cast<NSNumber*>(d->objectForKey("wholeNumber").get())->doubleValue(), -3);
}

// A respring ends the running apps: Settings comes back on the stored values,
// not the ones it showed before the reset.
TEST_F(SettingsHost, AfterAResetSettingsReopensOnTheDefaults) {
  start(true, true);
  ASSERT_TRUE(eventually([&] { return ask("SpringBoard", {{"op", "state"}})["appeared"] == true; }));
  ASSERT_EQ(row(settings({{"op", "state"}}), "isHidePageDotsEnabled")["switchOn"], true);
  ASSERT_TRUE(settings({{"op", "toggle"}, {"row", "isHidePageDotsEnabled"}})["ok"]);
  ASSERT_EQ(row(settings({{"op", "state"}}), "isHidePageDotsEnabled")["switchOn"], false);
  int launches = supervisor_->launchesOf("Preferences");
  ASSERT_TRUE(settings({{"op", "tap"}, {"row", "reset"}})["ok"]);
  ASSERT_TRUE(settings({{"op", "chooseAlertAction"}, {"action", "Reset"}})["ok"]);
  ASSERT_TRUE(eventually([&] { return supervisor_->launchesOf("Preferences") > launches; }, std::chrono::seconds(10)));
  EXPECT_TRUE(eventually([&] {
    try {
      return row(settings({{"op", "state"}}), "isHidePageDotsEnabled")["switchOn"] == true;
    } catch (const std::exception&) {
      return false;  // still starting
    }
  }));
}

TEST_F(SettingsHost, AScrollComesToRestWithinTheContent) {
  start(false);
  ASSERT_TRUE(settings({{"op", "open"}, {"entry", "Corvallo"}})["ok"]);
  json s = settings({{"op", "state"}});
  double content = s["page"]["contentHeight"], seen = 812 - 91 - 34;
  ASSERT_GT(content, seen);
  EXPECT_EQ(settings({{"op", "scroll"}, {"y", 99999}})["contentOffset"], content - seen);
  EXPECT_EQ(settings({{"op", "state"}})["page"]["contentOffset"], content - seen);
  EXPECT_EQ(settings({{"op", "scroll"}, {"y", 40}})["contentOffset"], 40.0);
  // A pull from the top is held where the finger holds it (the title follows it).
  EXPECT_EQ(settings({{"op", "scroll"}, {"y", -88}})["contentOffset"], -88.0);
}

TEST_F(SettingsHost, TheAboutPageKeepsTheThemeAndItsBackButtonNamesThePageBelow) {
  start(false);
  ASSERT_TRUE(settings({{"op", "open"}, {"entry", "Corvallo"}})["ok"]);
  json bar = settings({{"op", "state"}})["page"]["navigationBar"];
  EXPECT_EQ(bar["backTitle"], "Settings");
  EXPECT_EQ(bar["tint"], "#19C246");
  ASSERT_TRUE(settings({{"op", "tap"}, {"row", "about"}})["ok"]);
  json about = settings({{"op", "state"}});
  ASSERT_EQ(about["page"]["title"], "About");
  EXPECT_EQ(about["page"]["navigationBar"]["backTitle"], "Corvallo");
  EXPECT_EQ(about["page"]["navigationBar"]["tint"], "#19C246");
  EXPECT_EQ(about["page"]["viewTint"], "#19C246");
  ASSERT_TRUE(settings({{"op", "back"}})["ok"]);
  EXPECT_EQ(settings({{"op", "state"}})["page"]["navigationBar"]["tint"], "#19C246");
}

// The picker overlay fades in over 0.2 s on the real clock.
TEST_F(SettingsHost, APageIsSettledOnlyOnceItsFadesHaveEnded) {
  start(false);
  ASSERT_TRUE(settings({{"op", "open"}, {"entry", "Corvallo Examples"}})["ok"]);
  ASSERT_TRUE(settings({{"op", "tap"}, {"row", "date"}})["ok"]);
  EXPECT_FALSE(settings({{"op", "settled"}})["settled"]) << "the overlay is still fading in";
  EXPECT_TRUE(settings({{"op", "settled"}, {"animations", false}})["settled"]) << "the in-between, when asked for";
  ASSERT_TRUE(eventually([&] { return settings({{"op", "settled"}})["settled"] == true; }));
  EXPECT_EQ(settings({{"op", "state"}})["pickerOverlay"]["shownOpacity"], 1.0);
}

// Where the screen shows the page's content: under the status bar and the bar.
constexpr double kContentTop = 91;

TEST_F(SettingsHost, ATouchOnTheScreenGoesToTheControlOrRowDrawnThere) {
  start(false);
  // The list of settings: a touch on an entry opens its page.
  json s = settings({{"op", "state"}});
  ASSERT_EQ(s["page"]["class"], "home");
  json opened;
  for (double y = kContentTop; y < 400 && !opened.contains("page"); y += 22)
    opened = settings({{"op", "touchAt"}, {"x", 100}, {"y", y}});
  ASSERT_TRUE(opened.contains("page")) << opened;
  settings({{"op", "back"}});
  ASSERT_TRUE(settings({{"op", "open"}, {"entry", "Corvallo"}})["ok"]);

  s = settings({{"op", "state"}});
  json r = row(s, "isHidePageDotsEnabled");
  bool was = r["switchOn"].get<bool>();
  double y = kContentTop + r["frame"]["y"].get<double>() + r["frame"]["height"].get<double>() / 2;
  json touched = settings({{"op", "touchAt"}, {"x", 375 - 16 - 16 - 25}, {"y", y}});
  EXPECT_EQ(touched["on"], !was) << touched;
  EXPECT_EQ(row(settings({{"op", "state"}}), "isHidePageDotsEnabled")["switchOn"], !was);
  // The row's title is no switch.
  EXPECT_FALSE(settings({{"op", "touchAt"}, {"x", 60}, {"y", y}}).contains("on"));

  // Scrolled, the same screen point reaches the row now drawn there.
  settings({{"op", "scroll"}, {"y", 44}});
  touched = settings({{"op", "touchAt"}, {"x", 375 - 16 - 16 - 25}, {"y", y - 44}});
  EXPECT_EQ(touched["on"], was) << touched;

  // The bar's leading end is the back button.
  EXPECT_EQ(settings({{"op", "touchAt"}, {"x", 30}, {"y", 60}})["back"], true);
  EXPECT_EQ(settings({{"op", "state"}})["page"]["class"], "home");

  for (json bad : {json{{"op", "touchAt"}, {"x", 400}, {"y", 10}}, json{{"op", "touchAt"}, {"x", -1}, {"y", 10}},
                   json{{"op", "touchAt"}, {"x", 10}, {"y", 1e300}}, json{{"op", "touchAt"}, {"x", "10"}, {"y", 10}}})
    EXPECT_FALSE(settings(bad)["ok"]) << bad;
  EXPECT_TRUE(settings({{"op", "ping"}})["ok"]);
}
