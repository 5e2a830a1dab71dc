#include <fstream>

#include "Device.h"
#include "DeviceFixture.h"
#include "foundation/NSNumber.h"
#include "uikit/UIGeometry.h"

using nlohmann::json;

namespace {

constexpr const char* kReload = "com.tenvarix.corvallo/ReloadPrefs";

bool coloured(const json& s) { return s["pageControl"]["currentPageIndicatorTintColor"].is_string(); }

TEST_F(DeviceTest, SettingsWrittenElsewhereReachTheDotsThroughReloadPrefs) {
  install();
  startSpringBoard();
  ASSERT_TRUE(eventually([](const json& s) { return coloured(s) && s["pageControl"]["hidden"] == true; }))
      << last_.dump();
  EXPECT_EQ(last_["injected"], json::array({"Corvallo"}));
  EXPECT_EQ(last_["pageControl"]["registered"], 1);
  // The tweak seeded the domain at load.
  auto stored = domain();
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->count(), 6u);

  setSetting("isHidePageDotsEnabled", kCFBooleanFalse);
  post(kReload);
  ASSERT_TRUE(eventually([](const json& s) { return s["pageControl"]["hidden"] == false; })) << last_.dump();

  std::string systemColour = last_["pageControl"]["currentPageIndicatorTintColor"];
  setSetting("activePageDotColor", NSString::make("#FF2D55"));
  setSetting("inactivePageDotColor", NSString::make("#102030:0.5"));
  setSetting("isColorCustomizationEnabled", kCFBooleanTrue);
  post(kReload);
  ASSERT_TRUE(eventually([](const json& s) {
    return s["pageControl"]["currentPageIndicatorTintColor"] == "#FF2D55" &&
           s["pageControl"]["pageIndicatorTintColor"] == "#102030:0.50";
  })) << last_.dump();
  EXPECT_EQ(last_["pageControl"]["savedCurrentPageIndicatorTintColor"], systemColour);

  // Off again: the system's own colours come back.
  setSetting("isColorCustomizationEnabled", kCFBooleanFalse);
  post(kReload);
  ASSERT_TRUE(eventually([&](const json& s) {
    return s["pageControl"]["currentPageIndicatorTintColor"] == systemColour;
  })) << last_.dump();
}

TEST_F(DeviceTest, ResetThenRespringRestoresDefaultsInANewSpringBoard) {
  install();
  setSetting("isEnabled", kCFBooleanFalse);
  setSetting("activePageDotColor", NSString::make("#00FF00"));
  setSetting("someoneElsesKey", NSString::make("kept"));
  startSpringBoard();
  ASSERT_TRUE(eventually([](const json& s) { return coloured(s) && s["pageControl"]["hidden"] == false; }))
      << last_.dump();
  int firstPid = last_["pid"];

  post("com.tenvarix.corvallo/Reset");
  post("com.tenvarix.corvallo/Respring");
  ASSERT_TRUE(eventually([&](const json& s) {
    return s.value("pid", firstPid) != firstPid && coloured(s) && s["pageControl"]["hidden"] == true;
  })) << last_.dump();
  EXPECT_EQ(last_["injected"], json::array({"Corvallo"}));
  EXPECT_EQ(supervisor_->launchesOf("SpringBoard"), 2);

  auto stored = domain();
  ASSERT_TRUE(stored);
  EXPECT_TRUE(objc_cast<NSNumber>(stored->objectForKey("isEnabled").get())->boolValue());
  EXPECT_EQ(objc_cast<NSString>(stored->objectForKey("activePageDotColor").get())->utf8(), "#FFFFFF");
  EXPECT_EQ(objc_cast<NSString>(stored->objectForKey("someoneElsesKey").get())->utf8(), "kept");
}

TEST_F(DeviceTest, WidgetDotsAreForcedHiddenOnlyWhenTheOptionIsOn) {
  install();
  startSpringBoard();
  ASSERT_TRUE(eventually(coloured));
  ASSERT_TRUE(ask({{"op", "scrollWidget"}, {"stack", 0}, {"widget", 2}})["ok"]);
  // Hiding on and extended to widgets: SpringBoard's request to show is overridden.
  EXPECT_EQ(state()["widgetStacks"][0]["hidden"], true);

  setSetting("isApplyToWidgetDotsEnabled", kCFBooleanFalse);
  post(kReload);
  // The option reaches widget stacks only at their next visibility change, so
  // scroll until one after the reload shows the dots.
  ASSERT_TRUE(eventually([&](const json& s) {
    if (s["widgetStacks"][0]["hidden"] == false) return true;
    EXPECT_TRUE(ask({{"op", "scrollWidget"}, {"stack", 0}, {"widget", 1}})["ok"]);
    return false;
  })) << last_.dump();
  // …and they hide again once the stack rests.
  ASSERT_TRUE(eventually([](const json& s) { return s["widgetStacks"][0]["hidden"] == true; })) << last_.dump();
  EXPECT_EQ(last_["widgetStacks"][1]["hidden"], true);
}

bool overlap(const json& a, const json& b) {
  auto x = [](const json& r) { return r[0].get<double>(); };
  auto y = [](const json& r) { return r[1].get<double>(); };
  return x(a) < x(b) + b[2].get<double>() && x(b) < x(a) + a[2].get<double>() && y(a) < y(b) + b[3].get<double>() &&
         y(b) < y(a) + a[3].get<double>();
}

// Each page shows its own icons; the widgets live on the first and scroll
// away with it. The home screen is the device's one screen, Settings' too.
TEST_F(DeviceTest, EachHomePageShowsItsOwnIconsAndWidgetsWithoutOverlap) {
  install();
  startSpringBoard();
  ASSERT_TRUE(eventually(coloured));
  json screen = last_["screen"];
  EXPECT_EQ(screen, json::array({0.0, 0.0, kUIScreenWidth, kUIScreenHeight}));
  for (long page : {0L, 1L, 2L}) {
    ASSERT_TRUE(ask({{"op", "page"}, {"index", page}})["ok"]);
    json s = state();
    long onScreen = 0;
    for (const auto& stack : s["widgetStacks"]) {
      json frame = stack["stackFrame"];
      if (!overlap(frame, screen)) continue;
      ++onScreen;
      for (const auto& icon : s["icons"]) EXPECT_FALSE(overlap(frame, icon["frame"])) << page << ": " << icon.dump();
    }
    EXPECT_EQ(onScreen, page == 0 ? 2 : 0) << s.dump();
    for (const auto& icon : s["icons"]) {
      EXPECT_FALSE(overlap(icon["frame"], s["pageControl"]["frame"])) << icon.dump();
      EXPECT_LE(icon["frame"][0].get<double>() + icon["frame"][2].get<double>(), kUIScreenWidth) << icon.dump();
    }
  }
}

TEST_F(DeviceTest, HostSurvivesBadRequestsAndALibraryThatFailsToLoad) {
  install();
  auto folder = root_ / "Library/MobileSubstrate/DynamicLibraries";
  std::ofstream(folder / "Broken.dylib") << "not a library";
  std::filesystem::copy_file(folder / "Corvallo.plist", folder / "Broken.plist");
  std::ofstream(folder / "Elsewhere.dylib") << "never opened";
  std::ofstream(folder / "Elsewhere.plist")
      << "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>Filter</key><dict><key>Bundles</key>"
         "<array><string>com.apple.Preferences</string></array></dict></dict></plist>";
  startSpringBoard();
  ASSERT_TRUE(eventually(coloured));
  EXPECT_EQ(last_["injected"], json::array({"Corvallo"}));
  ASSERT_EQ(last_["injectionFailures"].size(), 1u);
  EXPECT_NE(last_["injectionFailures"][0].get<std::string>().find("Broken"), std::string::npos);

  control::Client client(supervisor_->socketPathOf("SpringBoard"));
  for (const char* bad :
       {"{", "[1,2]", "{\"op\": 7}", "{\"op\": \"page\", \"index\": \"two\"}",
        "{\"op\": \"scrollWidget\", \"stack\": 99}", "{\"op\": \"legibility\", \"style\": \"neon\"}"}) {
    json answer = json::parse(client.requestLine(bad));
    EXPECT_EQ(answer["ok"], false) << bad;
    EXPECT_TRUE(answer["error"].is_string()) << bad;
  }
  EXPECT_EQ(client.request({{"op", "touch"}})["ok"], true);
  EXPECT_EQ(supervisor_->launchesOf("SpringBoard"), 1);
}

TEST_F(DeviceTest, ADomainFileThatDoesNotParseIsKeptAsideAndTheDefaultsApply) {
  install();
  auto prefs = root_ / "var/mobile/Library/Preferences";
  std::filesystem::create_directories(prefs);
  std::ofstream(prefs / "com.tenvarix.corvalloprefs.plist") << "bplist00 truncated";
  startSpringBoard();
  ASSERT_TRUE(eventually([](const json& s) { return coloured(s) && s["pageControl"]["hidden"] == true; }))
      << last_.dump();
  auto stored = domain();
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->count(), 6u);
  int kept = 0;
  for (const auto& entry : std::filesystem::directory_iterator(prefs))
    if (entry.path().filename().string().find("corrupt") != std::string::npos) ++kept;
  EXPECT_EQ(kept, 1);
}

TEST_F(DeviceTest, WithoutTheTweakTheHomeScreenIsUntouched) {
  startSpringBoard();
  ASSERT_TRUE(eventually(coloured));
  EXPECT_EQ(last_["injected"], json::array());
  EXPECT_EQ(last_["pageControl"]["hidden"], false);
  EXPECT_TRUE(last_["pageControl"]["registered"].is_null());
  EXPECT_FALSE(domain());
}

// Busy is not hung, but a main loop that never turns again is: its process
// still answers the supervisor, and is restarted once the stall limit passes.
TEST_F(DeviceTest, AMainLoopStuckPastTheStallLimitIsRestarted) {
  install();
  auto libraries = root_ / "Library/MobileSubstrate/DynamicLibraries";
  std::filesystem::copy_file(BUSY_ON_POST_PATH, libraries / "Busy.dylib");
  std::filesystem::copy_file(TWEAK_FILTER_PATH, libraries / "Busy.plist");
  policy_.pingInterval = std::chrono::milliseconds(100);
  policy_.pingTimeout = std::chrono::milliseconds(300);
  policy_.stallLimit = std::chrono::milliseconds(1000);
  startSpringBoard();
  ASSERT_TRUE(eventually([](const json& s) { return s["injected"] == json::array({"Busy", "Corvallo"}); }))
      << last_.dump();
  pid_t stuck = supervisor_->pidOf("SpringBoard");
  post("com.corvallo.test.stuck");
  ASSERT_TRUE(device_test::pollUntil([&] { return json(supervisor_->launchesOf("SpringBoard")); },
                                     [](const json& n) { return n == 2; }, last_, std::chrono::seconds(5)))
      << last_.dump();
  EXPECT_TRUE(device::processGone(stuck));
}

}  // namespace
