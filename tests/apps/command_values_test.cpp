// Values given to the real command as a person writes them: colours in each
// notation, and what it says when a value, a name or a device is wrong.
#include <signal.h>

#include <algorithm>

#include "CommandFixture.h"

namespace {

using nlohmann::json;

class ValuesTest : public CommandTest {
 protected:
  std::string stored(const std::string& key) {
    Outcome o = corvallo({"defaults", "read", "com.tenvarix.corvalloprefs", key});
    EXPECT_EQ(o.code, 0) << o.err;
    return o.out.substr(0, o.out.find('\n'));
  }
};

TEST_F(ValuesTest, ColoursInEachNotationAreStoredAsTheTweakReadsThem) {
  up();
  ASSERT_EQ(corvallo({"toggle", "isColorCustomizationEnabled"}).code, 0);
  struct Case {
    const char *key, *given, *kept;
  };
  for (auto c : {Case{"activePageDotColor", "#FF2D55", "#FF2D55"}, Case{"activePageDotColor", "#f25", "#FF2255"},
                 Case{"activePageDotColor", "#12345678", nullptr}, Case{"inactivePageDotColor", "#FF2D5580", "#FF2D55:0.50"},
                 Case{"inactivePageDotColor", "#FF2D55:0.35", "#FF2D55:0.35"},
                 Case{"inactivePageDotColor", "#0A0B0C", "#0A0B0C"}}) {
    Outcome o = corvallo({"set", c.key, c.given});
    if (!c.kept) {
      // The current dot keeps no opacity: refused, with one it keeps.
      EXPECT_NE(o.code, 0) << c.given;
      EXPECT_NE(o.err.find("such as #123456"), std::string::npos) << o.err;
      EXPECT_EQ(stored(c.key), "#FF2255");
      continue;
    }
    ASSERT_EQ(o.code, 0) << c.given << ": " << o.err;
    EXPECT_EQ(stored(c.key), c.kept) << c.given;
  }
  // What `home` prints, `set` takes back.
  ASSERT_EQ(corvallo({"set", "inactivePageDotColor", "#FF2D55"}).code, 0);
  auto home = [&] { return corvallo({"home", "--json"}).json()["pageControls"][0]; };
  ASSERT_TRUE(eventually(home, [](const json& c) { return c["pageIndicatorTintColor"] == "#FF2D55FF"; }))
      << last_.dump();
  ASSERT_EQ(corvallo({"set", "inactivePageDotColor", "#0A0B0C"}).code, 0);
  ASSERT_TRUE(eventually(home, [](const json& c) { return c["pageIndicatorTintColor"] == "#0A0B0CFF"; }))
      << last_.dump();
  std::string shown = last_["pageIndicatorTintColor"];
  ASSERT_EQ(corvallo({"set", "inactivePageDotColor", "#FF2D55"}).code, 0);
  ASSERT_EQ(corvallo({"set", "inactivePageDotColor", shown}).code, 0) << shown;
  EXPECT_EQ(stored("inactivePageDotColor"), "#0A0B0C");

  Outcome bad = corvallo({"set", "inactivePageDotColor", "#FF2D55:2"});
  EXPECT_NE(bad.code, 0);
  EXPECT_NE(bad.err.find("such as #FF2D55"), std::string::npos) << bad.err;
  EXPECT_EQ(stored("inactivePageDotColor"), "#0A0B0C");
}

}  // namespace

namespace {

TEST_F(ValuesTest, NamesMatchWithoutRegardToCaseAndUnknownOnesListWhatExists) {
  up();
  Outcome typo = corvallo({"toggle", "isEnabeld"});
  EXPECT_NE(typo.code, 0);
  EXPECT_NE(typo.err.find("did you mean \"isEnabled\"?"), std::string::npos) << typo.err;
  EXPECT_NE(typo.err.find("\"isHidePageDotsEnabled\""), std::string::npos) << typo.err;

  // A row's title, as `tap` takes it, in any case.
  std::string before = stored("isHidePageDotsEnabled");
  Outcome byTitle = corvallo({"toggle", "hide page dots"});
  ASSERT_EQ(byTitle.code, 0) << byTitle.err;
  EXPECT_NE(stored("isHidePageDotsEnabled"), before);

  Outcome entry = corvallo({"open", "Corvalo"});
  EXPECT_NE(entry.code, 0);
  EXPECT_NE(entry.err.find("did you mean \"Corvallo\"?"), std::string::npos) << entry.err;
  ASSERT_EQ(corvallo({"open", "corvallo"}).code, 0);

  Outcome menu = corvallo({"choose", "Reset Everything"});
  EXPECT_NE(menu.code, 0);
  EXPECT_NE(menu.err.find("\"Reset All Settings\""), std::string::npos) << menu.err;
  ASSERT_EQ(corvallo({"choose", "reset all settings"}).code, 0);
  Outcome action = corvallo({"choose", "Nope"});
  EXPECT_NE(action.err.find("\"Cancel\""), std::string::npos) << action.err;
  ASSERT_EQ(corvallo({"choose", "cancel"}).code, 0);

  std::string longText(300, 'x');
  Outcome echoed = corvallo({"set", "isEnabled", longText});
  EXPECT_NE(echoed.code, 0);
  EXPECT_NE(echoed.err.find(std::string(80, 'x') + "…\""), std::string::npos) << echoed.err;
  EXPECT_EQ(echoed.err.find(std::string(81, 'x')), std::string::npos) << echoed.err;
}

TEST_F(ValuesTest, TheNoDeviceHintRepeatsTheRootAsItWasGiven) {
  // Run from the root's parent, naming the root as a relative folder.
  std::filesystem::path here = std::filesystem::current_path();
  std::filesystem::current_path(root_.parent_path());
  Outcome relative = run({program(), "--root", root_.filename().string() + "/dev", "home"});
  ::setenv("CORVALLO_DEVICE_ROOT", (root_ / "dev").c_str(), 1);
  Outcome fromEnvironment = run({program(), "home"});
  ::unsetenv("CORVALLO_DEVICE_ROOT");
  std::filesystem::current_path(here);
  EXPECT_NE(relative.err.find("`corvallo --root " + root_.filename().string() + "/dev up`"), std::string::npos)
      << relative.err;
  EXPECT_NE(fromEnvironment.err.find("`corvallo up`"), std::string::npos) << fromEnvironment.err;
}

TEST_F(ValuesTest, TheSupervisorNamesTheSignalAndStatusCountsLaunchesInWords) {
  up();
  Outcome first = corvallo({"status"});
  EXPECT_NE(first.out.find("launched once"), std::string::npos) << first.out;
  int pid = status()["springboard"].value("pid", 0);
  ASSERT_GT(pid, 0);
  ::kill(pid, SIGKILL);
  EXPECT_TRUE(eventually([&] { return json(slurp(root_ / "var/log/supervisor.log")); },
                         [](const json& log) {
                           return log.get<std::string>().find("SpringBoard was killed (SIGKILL)") != std::string::npos;
                         }))
      << last_.get<std::string>();
}

}  // namespace
